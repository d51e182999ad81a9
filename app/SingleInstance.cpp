#include "SingleInstance.h"

#include "Forms.h"

#include "host/InstanceChannel.h"

#include <QObject>

#include <cstdio>

namespace app {

bool SingleInstance::WantsNewInstance(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("--new-instance"));
}

std::optional<int> SingleInstance::Claim(host::InstanceLink& link)
{
    switch (link.Claim(AnswerTimeoutMs)) {
    case host::ClaimOutcome::First:
        return std::nullopt;
    case host::ClaimOutcome::HandedOver:
        return 0;
    case host::ClaimOutcome::NoAnswer:
        break;
    }
    // A second panel over a copy that hangs would only add to the confusion.
    std::fputs("Vanu Pelro is already running but does not answer. End it, or start another copy with "
               "--new-instance.\n",
               stderr);
    return 1;
}

void SingleInstance::ForwardActivations(host::InstanceLink& link, Forms& forms)
{
    QObject::connect(&link, &host::InstanceLink::activationRequested, &link, [&forms] { forms.BringMainIntoView(); });
}

} // namespace app
