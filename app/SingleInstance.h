#pragma once

#include <QStringList>

#include <optional>

class QWidget;

namespace host {
class InstanceLink;
}

namespace app {

class Forms;

// One running copy per desktop session: a later start hands over to the first copy, whose
// main window comes forward, and ends.
class SingleInstance {
public:
    // How long a later start waits for the first copy's answer.
    static constexpr int AnswerTimeoutMs = 250;

    static bool WantsNewInstance(const QStringList& arguments);

    // Claims the session for this copy. Returns the status to exit with when this start
    // is to end here; nothing when it goes on to start the program.
    static std::optional<int> Claim(host::InstanceLink& link);

    // From now on a hand-over brings the main window of forms forward.
    static void ForwardActivations(host::InstanceLink& link, Forms& forms);

    // The first copy opens its channel once firstWindow has painted (or after a short while,
    // whichever comes first), so that nothing of it delays the first frame; later starts wait
    // for it meanwhile. Without a window it opens at once.
    static constexpr int LatestListenMs = 100;
    static void ListenAfterFirstFrame(host::InstanceLink& link, QWidget* firstWindow, int latestMs = LatestListenMs);
};

} // namespace app
