#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <optional>

// What the button's painter reads and writes: the control keeps one ButtonFields and one
// Surface and hands both to Refresh on every repaint. Nothing here knows about widgets,
// so every look can be checked pixel by pixel on a bare image.
namespace paint {

enum DrawStates : std::int32_t { Normal = 1, Hover = 2, Pressed = 3, Disabled = 4 };

struct Rect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The button's property fields in declaration order, then its internal state.
// Colours are 0x00BBGGRR or 0x80000000 + a system colour index.
struct ButtonFields {
    std::int32_t Style = 0;
    QString Caption;
    // nullopt: no picture object; a null QImage: an empty picture (handle 0), not drawn.
    std::optional<QImage> Icon;
    std::int32_t IconAlign = 0;
    std::int32_t IconSize = 0;
    std::int32_t CaptionAlign = 0;
    std::int32_t NonThemeStyle = 0;
    bool Enabled = false;
    bool ShowFocus = false;
    bool UseCustomColors = false;
    std::uint32_t BackColor = 0;
    std::uint32_t HighlightColor = 0;
    std::uint32_t FontColor = 0;
    std::uint32_t FontHighlightColor = 0;
    QString ToolTip;
    QString ToolTipTitle;
    std::int32_t ToolTipIcon = 0;
    std::int32_t ToolTipType = 0;
    std::uint32_t ToolTipBackColor = 0;
    std::uint32_t ToolTipForeColor = 0;
    QFont Font;
    std::int32_t ButtonType = 0;
    bool Value = false;

    std::int32_t DrawState = 0;
    bool HasFocus = false;
    // The focus came from the keyboard (or the keyboard was used since), so the face shows it;
    // focus taken by a click keeps the face a mouse user has always seen.
    bool FocusCue = false;
    bool MouseInside = false;
    std::int32_t LastMouseButton = 0;
    Rect ClientRect;
    Rect CaptionRect;
    std::int32_t CaptionFormat = 0;
};

// The control's drawing surface: a back buffer of ScaleWidth x ScaleHeight pixels
// (QImage::Format_RGB32) with the runtime's background and foreground colours.
struct Surface {
    QImage image;
    std::uint32_t backColor = 0; // plain 0x00BBGGRR
    std::uint32_t foreColor = 0;
    bool userMode = true;        // false while the control sits in a form designer

    int ScaleWidth() const { return image.width(); }
    int ScaleHeight() const { return image.height(); }
    // The runtime clears the whole surface when the background colour is set.
    void SetBackColor(std::uint32_t colorref);
    void Cls();
};

// Repaints the whole face: settles DrawState, paints the look of Style, the caption, the icon.
void Refresh(ButtonFields& fields, Surface& surface);

// Window outlines, pixel-exact, for a W x H control.
QRegion MakeRectRegion(int W, int H);
QRegion MakeChamferRegion(int W, int H);
QRegion MakeWideChamferRegion(int W, int H);
QRegion MakeRoundRegion(int W, int H);

} // namespace paint
