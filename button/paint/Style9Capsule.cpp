#include "Face.h"
#include "Styles.h"

#include "host/gfx/SystemColors.h"

namespace paint {

namespace {

COLORREF BaseColor(const Face& face)
{
    const bool custom = face.fields.UseCustomColors;
    const COLORREF F = face.CustomBack();
    const COLORREF Fh = custom ? face.HighlightColor() : Face::System(host::COLOR_BTNFACE);
    switch (face.State()) {
    case Hover: return ShiftColor(Fh, 1);
    case Pressed: return ShiftColor(Fh, 24);
    case Disabled: return ShiftColor(F, 15);
    default: return ShiftColor(F, -15);
    }
}

// One repaint of the capsule: every colour is a shift of B, every inner edge length a
// distance from half the height.
class Capsule {
public:
    Capsule(Face& face, COLORREF base) : face(face), W(face.W()), H(face.H()), base(base) {}

    void Paint()
    {
        Rows(B(32), B(-32), 5, W - 6, 2, H - 6); // face
        Rows(B(128), B(-128), 0, 0, 0, H - 4);   // left edge
        LeftShading();
        Row(B(-53), B(-32), H - 5, 5, 12); // bottom-left curve
        Row(B(-56), B(-32), H - 6, 4, 7);
        Row(B(-37), B(-32), H - 7, 3, 5);
        RightEdge();
        RightShading();
        Row(B(-32), B(-53), H - 4, W - 15, W - 7); // bottom-right curve
        TopLinesAndGloss();
        BottomLines();
    }

private:
    COLORREF B(int d) const { return ShiftColor(base, d); }
    // Half the height less k, rounded as a whole: with an odd height this differs from
    // rounding the half first.
    int Half(int k = 0) const { return Nearest(H / 2.0 - k); }

    // Rows y0..y0+n over the columns left..right, top colour to bottom colour.
    void Rows(COLORREF top, COLORREF bottom, int left, int right, int y0, int n)
    {
        face.GradientRows(top, bottom, left, y0, right + 1, n);
    }
    // Row y from column left (first colour) to right (second): column lines one pixel long.
    void Row(COLORREF first, COLORREF last, int y, int left, int right)
    {
        face.GradientColumns(first, last, left, y, right, y - 1);
    }
    void Column(COLORREF top, COLORREF bottom, int x, int y0, int n) { Rows(top, bottom, x, x, y0, n); }

    void LeftShading()
    {
        Column(B(0), B(-37), 2, 4, Half(7));
        Column(B(0), B(-53), 3, 3, Half(7));
        Column(B(0), B(-37), 4, 2, Half(7));
        Column(B(37), B(5), 5, 2, Half(4));
        Column(B(-37), B(-32), 2, Half(2), Half(5));
        Column(B(-53), B(-32), 3, Half(3), Half(3));
        Column(B(-37), B(-32), 4, Half(4), Half(1));
        Column(B(5), B(-5), 5, Half(4), Half(3));
    }

    void RightEdge()
    {
        Column(B(128), B(-128), W - 2, 0, H - 4);
        Column(B(128), B(-48), W - 1, 0, Half());
        Column(B(-64), B(-8), W - 1, Half(), Half(4));
    }

    void RightShading()
    {
        Column(B(0), B(-37), W - 4, 4, Half(5));
        Column(B(0), B(-48), W - 5, 3, Half(4));
        Column(B(0), B(-37), W - 6, 2, Half(3));
        Column(B(37), B(5), W - 7, 2, Half(4));
        Column(B(-37), B(-21), W - 4, Half(), Half(5));
        Column(B(-48), B(-37), W - 5, Half(), Half(5));
        Column(B(-37), B(-53), W - 6, Half(), Half(4));
        Column(B(-5), B(-37), W - 7, Half(), Half(4));
    }

    void TopLinesAndGloss()
    {
        face.DrawLine(3, 0, W - 3, 0, B(48));
        face.DrawLine(1, 1, W - 1, 1, B(48));
        face.DrawLine(5, 1, W - 5, 1, B(0));
        Row(B(32), B(0), 2, W - 11, W - 4);
        Row(B(32), B(0), 3, W - 10, W - 5);
        Row(B(32), B(0), 4, W - 9, W - 6);
        face.DrawLine(6, 3, 7, 3, B(128)); // glint
    }

    void BottomLines()
    {
        face.DrawLine(3, H - 1, W - 3, H - 1, B(-16));
        face.DrawLine(2, H - 2, W - 3, H - 2, B(-128));
        face.DrawLine(7, H - 3, W - 7, H - 3, B(0));
        face.SetPixel(1, H - 3, B(-112));
        face.SetPixel(W - 3, H - 3, B(-112));
        face.DrawLine(W - 4, H - 1, W - 1, H - 4, B(-21));
    }

    Face& face;
    const int W, H;
    const COLORREF base;
};

} // namespace

// A glossy capsule: a strongly shaded face whose rounded inner edges are short gradients
// sized from half the button's height.
void PaintCapsule(Face& face)
{
    const COLORREF base = BaseColor(face);
    face.SetBackColor(base);
    Capsule(face, base).Paint();
}

} // namespace paint
