// Mouse, keyboard and focus turned into draw states and events; pointer entry and exit
// through the subclassed window.
#include "PelroButton.h"

#include "WindowSubclass.h"

#include "host/os/RuntimeError.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <array>
#include <utility>

namespace button {

namespace {

constexpr int LeftButton = 1, RightButton = 2, MiddleButton = 4;
constexpr int SpaceKey = 32;

// What the button hears of its window, after the window's own handling: the pointer's
// entry and exit, and changes of theme and system colours that call for a new face. Qt
// hands each widget a theme change as a style change.
constexpr std::array WatchedEvents = {QEvent::Enter,       QEvent::MouseMove,     QEvent::Leave,
                                      QEvent::StyleChange, QEvent::PaletteChange, QEvent::ApplicationPaletteChange};

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return LeftButton;
    case Qt::RightButton:
        return RightButton;
    case Qt::MiddleButton:
        return MiddleButton;
    default:
        return 0;
    }
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isSpace(const QKeyEvent& event) { return event.key() == Qt::Key_Space; }

bool isEnter(const QKeyEvent& event) { return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter; }

// Focus moved by a key. A programmatic move counts too, unless a mouse button is down: the
// program moves focus in answer to a key (a window brought in by its shortcut), rarely a click.
bool cameByKeyboard(Qt::FocusReason reason)
{
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    case Qt::OtherFocusReason:
        return QGuiApplication::mouseButtons() == Qt::NoButton;
    default:
        return false;
    }
}

// Focus that leaves with its window, or for a menu, comes back to the same place.
bool comesBack(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

void PelroButton::mousePressEvent(QMouseEvent* event)
{
    // A mouse user sees the faces as they have always been.
    showFocusCue(false);
    const QPointF p = event->position();
    UserControl_MouseDown(buttonCode(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
}

void PelroButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    UserControl_MouseUp(buttonCode(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    // The second click of a double click raises no click of its own.
    const bool endsDoubleClick = std::exchange(m_releaseEndsDoubleClick, false);
    if (!endsDoubleClick && isOverControl(p))
        UserControl_Click();
}

void PelroButton::mouseDoubleClickEvent(QMouseEvent*)
{
    m_releaseEndsDoubleClick = true;
    UserControl_DblClick();
}

bool PelroButton::isOverControl(QPointF position) const
{
    const QPoint p = position.toPoint();
    return mask().isEmpty() ? rect().contains(p) : mask().contains(p);
}

void PelroButton::keyPressEvent(QKeyEvent* event)
{
    if (!isSpace(*event) && !isEnter(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A held key is one press, not a click per repeat.
    if (event->isAutoRepeat())
        return;
    showFocusCue(true);
    if (isEnter(*event)) {
        completeClick();
        return;
    }
    m_spaceDown = true;
    UserControl_KeyDown(SpaceKey);
    UserControl_KeyPress(SpaceKey);
}

void PelroButton::keyReleaseEvent(QKeyEvent* event)
{
    if (!isSpace(*event)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat() && std::exchange(m_spaceDown, false))
        UserControl_KeyUp(SpaceKey);
}

void PelroButton::focusInEvent(QFocusEvent* event)
{
    const bool cue = comesBack(event->reason()) ? m_cueWhenBack : cameByKeyboard(event->reason());
    m_fields.FocusCue = cue;
    UserControl_GotFocus();
}

void PelroButton::focusOutEvent(QFocusEvent* event)
{
    m_cueWhenBack = comesBack(event->reason()) && m_fields.FocusCue;
    m_fields.FocusCue = false;
    clearKeyboardFace();
    UserControl_LostFocus();
}

// The space bar's press and the hover face it leaves behind belong to the focus: once the
// focus is gone no key release will come, so the face rests unless the pointer is over it.
void PelroButton::clearKeyboardFace()
{
    const bool heldBySpace = std::exchange(m_spaceDown, false);
    const bool lit = m_fields.DrawState == paint::Hover || m_fields.DrawState == paint::Pressed;
    if (m_fields.MouseInside) {
        if (heldBySpace)
            m_fields.DrawState = paint::Hover;
        return;
    }
    if (lit)
        m_fields.DrawState = paint::Normal;
}

void PelroButton::showFocusCue(bool shown)
{
    if (m_fields.FocusCue == shown || (shown && !m_fields.HasFocus))
        return;
    m_fields.FocusCue = shown;
    Refresh();
}

void PelroButton::UserControl_MouseDown(int button, int, float, float)
{
    if (button != LeftButton)
        return;
    m_fields.DrawState = paint::Pressed;
    Refresh();
}

void PelroButton::UserControl_MouseUp(int button, int, float, float)
{
    if (button == LeftButton) {
        // A toggle that is still up stays down until the click that follows turns it on.
        const bool toggleGoingDown = m_fields.ButtonType == 1 && !m_fields.Value;
        m_fields.DrawState = toggleGoingDown ? paint::Pressed : paint::Hover;
        Refresh();
    }
    m_fields.LastMouseButton = button;
}

void PelroButton::UserControl_Click()
{
    if (m_fields.LastMouseButton == LeftButton)
        completeClick();
}

// A completed click: a toggle button flips first, then the host hears of it.
void PelroButton::completeClick()
{
    if (m_fields.ButtonType == 1) {
        m_fields.Value = !m_fields.Value;
        m_fields.DrawState = paint::Hover;
        Refresh();
        announcePressedChange();
    }
    emit Click();
}

void PelroButton::UserControl_DblClick()
{
    if (m_fields.LastMouseButton == LeftButton)
        UserControl_MouseDown(LeftButton, 0, 1, 1);
}

void PelroButton::UserControl_KeyDown(int keyCode)
{
    if (keyCode == SpaceKey)
        UserControl_MouseDown(LeftButton, 0, 1, 1);
}

void PelroButton::UserControl_KeyPress(int character)
{
    if (character == SpaceKey)
        completeClick();
}

void PelroButton::UserControl_KeyUp(int keyCode)
{
    if (keyCode == SpaceKey)
        UserControl_MouseUp(LeftButton, 0, 1, 1);
}

void PelroButton::UserControl_GotFocus()
{
    m_fields.HasFocus = true;
    Refresh();
}

void PelroButton::UserControl_LostFocus()
{
    m_fields.HasFocus = false;
    Refresh();
}

void PelroButton::UserControl_Terminate() noexcept
{
    try {
        SubclassStopAll();
    } catch (...) {
        // Teardown always completes.
    }
}

// Run mode only: a form designer's button neither hovers nor raises entry and exit.
void PelroButton::StartRunModeTracking()
{
    SubclassStart(*this);
    for (const QEvent::Type type : WatchedEvents)
        SubclassWatch(*this, type);
}

void PelroButton::SubclassStart(QWidget& window)
{
    if (m_subclass && &m_subclass->Window() == &window)
        return;
    m_subclass = std::make_unique<WindowSubclass>(
        window, [this](QWidget& w, const QEvent& event) { SubclassProc(w, event); });
}

void PelroButton::SubclassWatch(QWidget& window, QEvent::Type type)
{
    if (!m_subclass || &m_subclass->Window() != &window)
        throw host::RuntimeError(host::errors::SubscriptOutOfRange, "Subscript out of range");
    m_subclass->Watch(type);
}

void PelroButton::SubclassStop(QWidget& window)
{
    if (m_subclass && &m_subclass->Window() == &window)
        m_subclass.reset();
}

void PelroButton::SubclassStopAll()
{
    if (m_subclass)
        SubclassStop(m_subclass->Window());
}

void PelroButton::SubclassProc(QWidget& window, const QEvent& event)
{
    switch (event.type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        // A disabled window hears nothing of the pointer.
        if (window.isEnabled())
            pointerEntered();
        return;
    case QEvent::Leave:
        pointerLeft();
        return;
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        Refresh();
        return;
    default:
        return;
    }
}

// A move inside the window after its entry is no new entry.
void PelroButton::pointerEntered()
{
    if (m_fields.MouseInside)
        return;
    m_fields.MouseInside = true;
    m_fields.DrawState = paint::Hover;
    Refresh();
    emit MouseEnter();
    CreateToolTip();
}

// One exit per entry: a leave the button never saw come in changes nothing.
void PelroButton::pointerLeft()
{
    if (!m_fields.MouseInside)
        return;
    m_fields.MouseInside = false;
    m_fields.DrawState = paint::Normal;
    Refresh();
    emit MouseLeave();
}

} // namespace button
