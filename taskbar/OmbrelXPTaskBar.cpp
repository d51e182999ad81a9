#include "OmbrelXPTaskBar.h"

#include "host/forms/Controls.h"
#include "host/forms/Form.h"
#include "host/os/Timer.h"
#include "host/forms/Twips.h"

#include <QApplication>
#include <QEvent>

#include <cmath>

namespace taskbar {

namespace {

const QString AlignmentKey = QStringLiteral("Alignment");

// Forms take whole twips; halves go to the even neighbour.
int wholeTwips(float twips) { return int(std::nearbyint(twips)); }

bool isKnownEdge(std::int32_t alignment)
{
    return alignment >= OmbrelXPTaskBar::LeftEdge && alignment <= OmbrelXPTaskBar::TopRight;
}

} // namespace

OmbrelXPTaskBar::OmbrelXPTaskBar(QWidget* parent, const host::PropertyBag& design) : QWidget(parent)
{
    createTimers();
    UserControl_Initialize();
    host::ApplyPlacement(*this, design);
    UserControl_Resize();
    hide();
    UserControl_ReadProperties(design);
}

OmbrelXPTaskBar::OmbrelXPTaskBar(QWidget* parent) : QWidget(parent)
{
    createTimers();
    UserControl_Initialize();
    UserControl_Resize();
    hide();
    UserControl_InitProperties();
}

void OmbrelXPTaskBar::createTimers()
{
    // The pointer watch has no interval until the form is docked.
    tmrCheckMouseOver = new host::Timer(this, 0, true);
    tmrCheckMouseOver->setObjectName(QStringLiteral("tmrCheckMouseOver"));
    tmrExpand = new host::Timer(this, SlideStepMs, false);
    tmrExpand->setObjectName(QStringLiteral("tmrExpand"));
    connect(tmrCheckMouseOver, &host::Timer::tick, this, &OmbrelXPTaskBar::tmrCheckMouseOver_Timer);
    connect(tmrExpand, &host::Timer::tick, this, &OmbrelXPTaskBar::tmrExpand_Timer);
    // Crossings of every window of ours: the pointer may leave the form through its own
    // tooltip or message box.
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

void OmbrelXPTaskBar::UserControl_Initialize() { m_Alignment = TopCentre; }

void OmbrelXPTaskBar::UserControl_InitProperties()
{
    m_ParentForm = qobject_cast<host::Form*>(parentWidget());
    if (m_ParentForm)
        m_ParentForm->setWindowFlag(Qt::FramelessWindowHint, true);
}

void OmbrelXPTaskBar::UserControl_ReadProperties(const host::PropertyBag& store)
{
    m_ParentForm = qobject_cast<host::Form*>(parentWidget());
    // Saved data without the key means the left edge, not a new control's default.
    m_Alignment = store.ReadInt(AlignmentKey, LeftEdge);
    DockForm(m_ParentForm);
    if (m_ParentForm)
        SetTopmost(*m_ParentForm);
}

void OmbrelXPTaskBar::UserControl_WriteProperties(host::PropertyBag& store) const
{
    store.WriteProperty(AlignmentKey, m_Alignment, LeftEdge);
}

void OmbrelXPTaskBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void OmbrelXPTaskBar::UserControl_Resize()
{
    const int side = host::PixelsFromTwips(SizeTwips);
    if (size() != QSize(side, side))
        resize(side, side);
}

void OmbrelXPTaskBar::setAlignment(std::int32_t value)
{
    m_Alignment = value;
    DockForm(m_ParentForm);
}

void OmbrelXPTaskBar::readWorkArea()
{
    m_WorkRight = m_WorkBottom = m_WorkLeft = m_WorkTop = 0;
    const host::Desktop& desktop = host::CurrentDesktop();
    if (const std::optional<host::ScreenRect> area = desktop.WorkArea()) {
        m_WorkArea = *area;
        m_WorkRight = float(host::TwipsFromPixels(m_WorkArea.right));
        m_WorkBottom = float(host::TwipsFromPixels(m_WorkArea.bottom));
        m_WorkLeft = float(host::TwipsFromPixels(m_WorkArea.left));
        m_WorkTop = float(host::TwipsFromPixels(m_WorkArea.top));
    } else {
        const QSize screen = desktop.ScreenSize();
        m_WorkRight = float(host::TwipsFromPixels(screen.width()));
        m_WorkBottom = float(host::TwipsFromPixels(screen.height()));
    }
}

// The work area's left and top edges count once: the docked strip and the slide's end
// positions sit at the same edge, beside a system panel rather than under it.
OmbrelXPTaskBar::Place OmbrelXPTaskBar::dockedPlace(float width, float height) const
{
    const float middle = (m_WorkBottom - height + m_WorkTop) / 2;
    const float hiddenTop = m_WorkTop - height + StripTwips;
    switch (m_Alignment) {
    case LeftEdge: return {m_WorkLeft - width + StripTwips, middle};
    case RightEdge: return {m_WorkRight - StripTwips, middle};
    case TopLeft: return {m_WorkLeft, hiddenTop};
    case TopCentre: return {(m_WorkRight - width + m_WorkLeft) / 2, hiddenTop};
    default: return {m_WorkRight - width, hiddenTop};
    }
}

void OmbrelXPTaskBar::DockForm(host::Form* form)
{
    readWorkArea();
    if (form && isKnownEdge(m_Alignment)) {
        const Place docked = dockedPlace(float(form->Width()), float(form->Height()));
        form->Move(wholeTwips(docked.left), wholeTwips(docked.top));
        host::SetDockedPanel(form, m_Alignment == LeftEdge    ? host::DockedEdge::Left
                                   : m_Alignment == RightEdge ? host::DockedEdge::Right
                                                              : host::DockedEdge::Top);
    }
    tmrCheckMouseOver->setEnabled(true);
    tmrCheckMouseOver->setInterval(PointerWatchMs);
}

void OmbrelXPTaskBar::SetTopmost(QWidget& window) { host::CurrentDesktop().SetTopmost(window); }

void OmbrelXPTaskBar::SlideIn()
{
    if (!m_ParentForm)
        return;
    m_HeldIn = true;
    m_ActiveWhileHeld = m_ParentForm->isActiveWindow();
    m_Dismissed = false;
    tmrCheckMouseOver_Timer();
}

void OmbrelXPTaskBar::SlideOut()
{
    if (!m_ParentForm)
        return;
    m_HeldIn = false;
    m_Dismissed = true;
    tmrCheckMouseOver_Timer();
}

bool OmbrelXPTaskBar::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::WindowActivate || type == QEvent::WindowDeactivate) && watched == m_ParentForm)
        activationChanged(type == QEvent::WindowActivate);
    if ((type == QEvent::Enter || type == QEvent::Leave) && watched->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(watched);
        if (widget->isWindow())
            pointerCrossedAWindow(*widget, type == QEvent::Enter);
    }
    return false;
}

// A leave counts only once the pointer is over none of our windows, so moving between the
// form and its own tooltip or message box never starts a slide; where it is over one of
// them, the position decides as before.
void OmbrelXPTaskBar::pointerCrossedAWindow(const QWidget& window, bool entered)
{
    if (!m_ParentForm)
        return;
    if (entered && &window == m_ParentForm)
        m_HeldIn = false;
    m_PointerElsewhere = host::CurrentDesktop().WindowUnderPointer() == nullptr;
    tmrCheckMouseOver_Timer();
}

// Qt names the new active window before the old one hears of its loss: none of ours means
// another program has the keyboard now.
void OmbrelXPTaskBar::activationChanged(bool active)
{
    if (!m_HeldIn)
        return;
    if (active) {
        m_ActiveWhileHeld = true;
        return;
    }
    if (m_ActiveWhileHeld && QApplication::activeWindow() == nullptr) {
        m_HeldIn = false;
        tmrCheckMouseOver_Timer();
    }
}

void OmbrelXPTaskBar::tmrCheckMouseOver_Timer()
{
    if (!m_ParentForm)
        return;
    const host::Desktop& desktop = host::CurrentDesktop();
    const QPoint pointer = desktop.CursorPos();
    const host::ScreenRect window = desktop.WindowRect(*m_ParentForm);
    // The right-most column and bottom row count as inside.
    const bool over = !m_PointerElsewhere && window.left <= pointer.x() && pointer.x() <= window.right &&
                      window.top <= pointer.y() && pointer.y() <= window.bottom;
    if (!over)
        m_Dismissed = false;
    const bool inside = (over && !m_Dismissed) || m_HeldIn;
    if (inside == m_MouseOver)
        return;
    m_MouseOver = inside;
    tmrExpand->setEnabled(true);
}

void OmbrelXPTaskBar::tmrExpand_Timer()
{
    if (!m_ParentForm)
        return;
    SetTopmost(*m_ParentForm);
    // Any other value keeps the timer ticking and moves nothing.
    if (!isKnownEdge(m_Alignment))
        return;

    const float width = float(m_ParentForm->Width());
    const float height = float(m_ParentForm->Height());
    const bool sideways = m_Alignment == LeftEdge || m_Alignment == RightEdge;
    const float current = float(sideways ? m_ParentForm->Left() : m_ParentForm->Top());

    const SlideStep step = m_MouseOver ? showingStep(current, width) : hidingStep(current, width, height);
    if (step.last)
        tmrExpand->setEnabled(false);
    if (sideways)
        m_ParentForm->Move(wholeTwips(step.position), m_ParentForm->Top());
    else
        m_ParentForm->Move(m_ParentForm->Left(), wholeTwips(step.position));
}

// Sums are kept in single precision before they are compared, as the positions are.
OmbrelXPTaskBar::SlideStep OmbrelXPTaskBar::showingStep(float current, float width) const
{
    if (m_Alignment == RightEdge) {
        const float next = current - SlideStepTwips;
        const float reach = width + next;
        return reach < m_WorkRight ? SlideStep{m_WorkRight - width, true} : SlideStep{next, false};
    }
    const float edge = m_Alignment == LeftEdge ? m_WorkLeft : m_WorkTop;
    const float next = current + SlideStepTwips;
    return next > edge ? SlideStep{edge, true} : SlideStep{next, false};
}

OmbrelXPTaskBar::SlideStep OmbrelXPTaskBar::hidingStep(float current, float width, float height) const
{
    if (m_Alignment == RightEdge) {
        const float next = current + SlideStepTwips;
        const float strip = m_WorkRight - StripTwips;
        return strip < next ? SlideStep{strip, true} : SlideStep{next, false};
    }
    const float docked = m_Alignment == LeftEdge ? m_WorkLeft + StripTwips - width : m_WorkTop + StripTwips - height;
    const float next = current - SlideStepTwips;
    return docked > next ? SlideStep{docked, true} : SlideStep{next, false};
}

} // namespace taskbar
