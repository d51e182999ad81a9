#include "SingleInstance.h"

#include "Forms.h"

#include "host/os/InstanceChannel.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace app {

namespace {

// Opens the link's channel right after the first paint of a window, once.
class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(host::InstanceLink& link, QWidget& window, int latestMs)
        : QObject(&link), m_link(link), m_window(&window)
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(latestMs, this, &FirstPaintWatcher::Listen);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && m_window
            && static_cast<QWidget*>(watched)->window() == m_window) {
            qApp->removeEventFilter(this);
            // After this paint has reached the screen.
            QTimer::singleShot(0, this, &FirstPaintWatcher::Listen);
        }
        return false;
    }

private:
    void Listen()
    {
        qApp->removeEventFilter(this);
        m_link.Listen();
        deleteLater();
    }

    host::InstanceLink& m_link;
    QPointer<QWidget> m_window;
};

} // namespace

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

namespace app {

void SingleInstance::ListenAfterFirstFrame(host::InstanceLink& link, QWidget* firstWindow, int latestMs)
{
    if (firstWindow)
        new FirstPaintWatcher(link, *firstWindow, latestMs); // a child of link
    else
        link.Listen();
}

} // namespace app
