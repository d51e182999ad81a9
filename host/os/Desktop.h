#pragma once

#include <QPoint>
#include <QSize>

#include <optional>

class QWidget;

namespace host {

// A window or work-area rectangle in screen pixels. right and bottom are the first column
// and row past the area (right = left + width), as the platform reports them.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The desktop services a panel window needs: where the screen's free area is, where the
// pointer is, where a window is, and keeping a window above the others. Tests replace
// them with a fake screen and pointer.
class Desktop {
public:
    virtual ~Desktop() = default;

    // The primary screen without the system's panels; nothing when it cannot be read.
    virtual std::optional<ScreenRect> WorkArea() const = 0;
    // The whole primary screen, in pixels.
    virtual QSize ScreenSize() const = 0;
    virtual QPoint CursorPos() const = 0;
    // The window's outer rectangle, frame included.
    virtual ScreenRect WindowRect(const QWidget& window) const = 0;
    // Keeps the top-level window above all others; it may also sit partly off the screen.
    virtual void SetTopmost(QWidget& window) = 0;
    // Our top-level window the pointer is over, as the display server sees it now; nothing
    // when it is over another program's window, a Wayland surface or the bare desktop.
    virtual const QWidget* WindowUnderPointer() const = 0;
};

class QtDesktop : public Desktop {
public:
    std::optional<ScreenRect> WorkArea() const override;
    QSize ScreenSize() const override;
    QPoint CursorPos() const override;
    ScreenRect WindowRect(const QWidget& window) const override;
    void SetTopmost(QWidget& window) override;
    const QWidget* WindowUnderPointer() const override;
};

Desktop& CurrentDesktop();

// Gives a top-level window of ours the keyboard, also where it bypasses the window manager
// and the compositor gives keys only to managed windows.
void TakeKeyboard(QWidget& window);

// A window docked at a screen edge and kept above all others covers its full extent there
// whenever it slides in; the program's other windows open clear of it.
enum class DockedEdge { Left, Right, Top };
void SetDockedPanel(const QWidget* panel, DockedEdge edge);

// The part of the work area the docked panel, at its full extent, leaves free.
ScreenRect FreeArea(const ScreenRect& workArea, DockedEdge edge, int panelExtent);
// Top-left corner for a window of the given outer size: centred on the free area where it
// fits; otherwise as far from the panel as the work area allows.
QPoint PlaceIn(const ScreenRect& free, const ScreenRect& workArea, QSize size);
// The same on the current desktop, clear of the docked panel if there is one.
QPoint PlaceClearOfDockedPanel(QSize size);

// Puts another desktop in place for the lifetime of the guard.
class ScopedDesktop {
public:
    explicit ScopedDesktop(Desktop& desktop);
    ~ScopedDesktop();
    ScopedDesktop(const ScopedDesktop&) = delete;
    ScopedDesktop& operator=(const ScopedDesktop&) = delete;

private:
    Desktop* m_previous;
};

} // namespace host
