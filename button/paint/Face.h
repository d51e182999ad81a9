#pragma once

#include "ButtonFace.h"
#include "Primitives.h"

#include "host/gfx/Raster.h"

// One repaint's view of the button: its fields, its surface and a device context on that
// surface. The looks draw through it; the primitives without a device context of their own
// draw on the button's face.
namespace paint {

class Face {
public:
    Face(ButtonFields& fields, Surface& surface) : fields(fields), surface(surface), dc(surface.image) {}

    int W() const { return surface.ScaleWidth(); }
    int H() const { return surface.ScaleHeight(); }
    std::int32_t State() const { return fields.DrawState; }

    static COLORREF System(int index);
    // The custom colours, translated in case one was set to a system colour.
    COLORREF BackColor() const { return TranslateColor(fields.BackColor); }
    COLORREF HighlightColor() const { return TranslateColor(fields.HighlightColor); }
    // Custom colour when the button uses them, else the system colour it stands for.
    COLORREF CustomBack() const;
    COLORREF CustomHot() const;
    COLORREF CustomHighlight() const;

    // Clears the whole face to the colour, as the runtime does when a control's back colour is set.
    void SetBackColor(COLORREF color) { surface.SetBackColor(color); }
    void SetPixel(int x, int y, COLORREF color) { dc.SetPixel(x, y, color); }
    void DrawLine(int x1, int y1, int x2, int y2, COLORREF color) { DrawLineOn(dc, x1, y1, x2, y2, color); }
    void GradientRows(COLORREF c1, COLORREF c2, int x1, int y0, int x2, int n) { GradientRowsOn(dc, c1, c2, x1, y0, x2, n); }
    void GradientColumns(COLORREF c1, COLORREF c2, int x1, int y1, int x2, int y2)
    {
        GradientColumnsOn(dc, c1, c2, x1, y1, x2, y2);
    }
    // Two offset outlines, outer then inner, with the corners finished by hand.
    void DrawEtchedFrame(int x, int y, int w, int h, COLORREF outer, COLORREF inner, COLORREF corner);
    // The theme's background over ClientRect; false when there is no theme or it fails.
    bool DrawThemedFace(const QString& themeClass, int part, int state);

    ButtonFields& fields;
    Surface& surface;
    host::DeviceContext dc;
};

// The caption in its state's colour inside CaptionRect; it does not move when pressed.
void DrawCaption(Face& face);
// Top-left of an icon of size x size for an alignment, before the pressed offset.
QPoint IconPosition(std::int32_t iconAlign, int W, int H, int size, int margin);
// The icon last, sunk by a pixel when pressed, with a grey shadow under style 4's pointer.
void DrawIcon(Face& face, int margin);

} // namespace paint
