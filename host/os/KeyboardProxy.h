#pragma once

#include <QPointer>
#include <QWidget>

namespace host {

// Brings the keyboard to a window that bypasses the window manager where the compositor
// gives keys only to windows it manages (weston's XWayland): a tiny managed window of ours,
// under the target, takes the keyboard when shown and hands every key to the target's
// focused control. It goes away once the compositor gives the keyboard elsewhere.
class KeyboardProxy : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardProxy(QWidget& target);

    void Take();

protected:
    bool event(QEvent* event) override;

private:
    QPointer<QWidget> m_target;
};

} // namespace host
