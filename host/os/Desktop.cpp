#include "Desktop.h"

#include "KeyboardProxy.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace host {

namespace {

QtDesktop& defaultDesktop()
{
    static QtDesktop desktop;
    return desktop;
}

Desktop* g_desktop = nullptr;

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

ScreenRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A window that bypasses the window manager gets no keyboard focus from it, so it takes
// the focus itself when clicked. Where the compositor takes it straight back (it gives keys
// to managed windows only), a managed window of ours takes the keys for it.
class FocusOnClick : public QObject {
public:
    explicit FocusOnClick(QWidget& window) : QObject(&window), m_window(window) { setObjectName(Name); }

    static constexpr const char* Name = "vanupelroFocusOnClick";

    void TakeKeyboard()
    {
        if (m_window.isActiveWindow())
            return;
        // Once the compositor has shown it keeps the keyboard from us, it is not asked again.
        if (m_proxy) {
            m_proxy->Take();
            return;
        }
        m_window.activateWindow();
        QTimer::singleShot(FocusGraceMs, this, [this] {
            if (m_window.isVisible() && !m_window.isActiveWindow())
                proxy().Take();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            TakeKeyboard();
        return false;
    }

private:
    // Long enough for the compositor to take the focus back, short enough not to lose a key.
    static constexpr int FocusGraceMs = 150;

    KeyboardProxy& proxy()
    {
        if (!m_proxy)
            m_proxy = new KeyboardProxy(m_window);
        return *m_proxy;
    }

    QWidget& m_window;
    QPointer<KeyboardProxy> m_proxy;
};

void takeFocusOnClick(QWidget& window)
{
    static const char* const installed = "vanupelroFocusOnClick";
    if (window.property(installed).toBool())
        return;
    window.setProperty(installed, true);
    window.winId(); // the native window must exist to watch its input
    if (QWindow* handle = window.windowHandle())
        handle->installEventFilter(new FocusOnClick(window));
}

const QWidget* ourWindowWithId(WId id)
{
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->internalWinId() == id)
            return window;
    return nullptr;
}

// Descends from the root window along the pointer, through any frame a window manager put
// around a window, to the first window of ours. XWayland reports no child at all once the
// pointer is over a Wayland surface, while the position it reports stays the last one seen.
const QWidget* x11WindowUnderPointer()
{
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (!screens.rem)
        return nullptr;
    xcb_window_t window = screens.data->root;
    constexpr int DeepestFrame = 8;
    for (int depth = 0; depth < DeepestFrame; ++depth) {
        const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr), &std::free);
        if (!reply || !reply->same_screen || reply->child == XCB_WINDOW_NONE)
            return nullptr;
        if (const QWidget* ours = ourWindowWithId(reply->child))
            return ours;
        window = reply->child;
    }
    return nullptr;
}

} // namespace

std::optional<ScreenRect> QtDesktop::WorkArea() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || screen->availableGeometry().isEmpty())
        return std::nullopt;
    return fromQRect(screen->availableGeometry());
}

QSize QtDesktop::ScreenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(0, 0);
}

QPoint QtDesktop::CursorPos() const { return QCursor::pos(); }

ScreenRect QtDesktop::WindowRect(const QWidget& window) const { return fromQRect(window.frameGeometry()); }

void QtDesktop::SetTopmost(QWidget& window)
{
    Qt::WindowFlags wanted = window.windowFlags() | Qt::WindowStaysOnTopHint;
    // Window managers keep their windows on the screen and may stack a newly active window
    // above a "stay on top" one; a window that bypasses the manager stays where it is put.
    if (onX11())
        wanted |= Qt::X11BypassWindowManagerHint;
    if (wanted != window.windowFlags()) {
        const bool wasVisible = window.isVisible();
        window.setWindowFlags(wanted); // hides the window
        if (wasVisible)
            window.show();
        if (onX11())
            takeFocusOnClick(window);
    }
    window.raise();
}

const QWidget* QtDesktop::WindowUnderPointer() const
{
    if (onX11())
        return x11WindowUnderPointer();
    return QApplication::topLevelAt(QCursor::pos());
}

void TakeKeyboard(QWidget& window)
{
    if (auto* focus = window.findChild<QObject*>(QLatin1String(FocusOnClick::Name), Qt::FindDirectChildrenOnly))
        static_cast<FocusOnClick*>(focus)->TakeKeyboard();
    else
        window.activateWindow();
}

namespace {

struct DockedPanel {
    QPointer<const QWidget> window;
    DockedEdge edge = DockedEdge::Left;
};

DockedPanel& dockedPanel()
{
    static DockedPanel panel;
    return panel;
}

// Where the free space is narrower than the window, the window keeps to the far side and
// leaves uncovered what it can; it never leaves the work area on that side.
int placeAlong(int freeStart, int freeEnd, int workStart, int workEnd, int length, bool panelAtStart)
{
    if (length <= freeEnd - freeStart)
        return freeStart + (freeEnd - freeStart - length) / 2;
    return panelAtStart ? std::max(workStart, workEnd - length) : workStart;
}

} // namespace

void SetDockedPanel(const QWidget* panel, DockedEdge edge) { dockedPanel() = {panel, edge}; }

ScreenRect FreeArea(const ScreenRect& workArea, DockedEdge edge, int panelExtent)
{
    ScreenRect free = workArea;
    switch (edge) {
    case DockedEdge::Left: free.left = std::min(workArea.right, workArea.left + panelExtent); break;
    case DockedEdge::Right: free.right = std::max(workArea.left, workArea.right - panelExtent); break;
    case DockedEdge::Top: free.top = std::min(workArea.bottom, workArea.top + panelExtent); break;
    }
    return free;
}

QPoint PlaceIn(const ScreenRect& free, const ScreenRect& workArea, QSize size)
{
    const bool panelLeft = free.left > workArea.left;
    const bool panelTop = free.top > workArea.top;
    return {placeAlong(free.left, free.right, workArea.left, workArea.right, size.width(), panelLeft),
            placeAlong(free.top, free.bottom, workArea.top, workArea.bottom, size.height(), panelTop)};
}

QPoint PlaceClearOfDockedPanel(QSize size)
{
    const Desktop& desktop = CurrentDesktop();
    const QSize screen = desktop.ScreenSize();
    const ScreenRect work = desktop.WorkArea().value_or(ScreenRect{0, 0, screen.width(), screen.height()});
    const DockedPanel& panel = dockedPanel();
    if (!panel.window)
        return PlaceIn(work, work, size);
    const QRect outer = panel.window->frameGeometry();
    const int extent = panel.edge == DockedEdge::Top ? outer.height() : outer.width();
    return PlaceIn(FreeArea(work, panel.edge, extent), work, size);
}

Desktop& CurrentDesktop() { return g_desktop ? *g_desktop : defaultDesktop(); }

ScopedDesktop::ScopedDesktop(Desktop& desktop) : m_previous(g_desktop) { g_desktop = &desktop; }

ScopedDesktop::~ScopedDesktop() { g_desktop = m_previous; }

} // namespace host
