#include "Face.h"
#include "Styles.h"

#include "host/gfx/SystemColors.h"

#include <array>
#include <utility>

namespace paint {

namespace {

using host::RGB;

struct Pixel {
    int x, y;
};

// The border's rounded corners, as three rings of hand-placed pixels.
struct CornerPixels {
    std::array<Pixel, 4> inner;
    std::array<Pixel, 8> outer;
    std::array<Pixel, 8> smoothing;
};

CornerPixels CornersOf(int W, int H)
{
    return {
        {{{1, 1}, {1, H - 2}, {W - 2, 1}, {W - 2, H - 2}}},
        {{{0, 1}, {1, 0}, {1, H - 1}, {0, H - 2}, {W - 1, H - 2}, {W - 2, H - 1}, {W - 2, 0}, {W - 1, 1}}},
        {{{1, 2}, {2, 1}, {2, H - 2}, {1, H - 3}, {W - 2, H - 3}, {W - 3, H - 2}, {W - 3, 1}, {W - 2, 2}}},
    };
}

template <std::size_t N>
void SetPixels(Face& face, const std::array<Pixel, N>& pixels, COLORREF color)
{
    for (const Pixel& p : pixels)
        face.SetPixel(p.x, p.y, color);
}

// The disabled face's corners: the frame's corners and their neighbours on both sides.
std::array<Pixel, 12> DisabledCorners(int W, int H)
{
    return {{{0, 1}, {1, 1}, {1, 0}, {0, H - 2}, {1, H - 2}, {1, H - 1},
             {W - 1, 1}, {W - 2, 1}, {W - 2, 0}, {W - 1, H - 2}, {W - 2, H - 2}, {W - 2, H - 1}}};
}

void DrawDisabled(Face& face, COLORREF back, COLORREF frame, COLORREF corners)
{
    face.SetBackColor(back);
    DrawFrame(face.dc, 0, 0, face.W() - 1, face.H() - 1, frame);
    SetPixels(face, DisabledCorners(face.W(), face.H()), corners);
}

// A dark one-pixel border that leaves the four corner pixels to the rounding.
void DrawRoundedBorder(Face& face, COLORREF color)
{
    const int W = face.W(), H = face.H();
    face.DrawLine(1, 0, W - 1, 0, color);
    face.DrawLine(0, 1, 0, H - 1, color);
    face.DrawLine(W - 1, 1, W - 1, H - 1, color);
    face.DrawLine(1, H - 1, W - 1, H - 1, color);
}

struct RingColors {
    COLORREF top1, top2, bottom2, bottom1;
};

// Two lines along the top and bottom inside the border, joined by two-column sides that
// shade from the inner top line to the inner bottom line.
void DrawRing(Face& face, const RingColors& ring)
{
    const int W = face.W(), H = face.H();
    face.DrawLine(2, 1, W - 2, 1, ring.top1);
    face.DrawLine(2, 2, W - 2, 2, ring.top2);
    face.DrawLine(2, H - 3, W - 2, H - 3, ring.bottom2);
    face.DrawLine(2, H - 2, W - 2, H - 2, ring.bottom1);
    face.GradientRows(ring.top2, ring.bottom2, 1, 2, 3, H - 5);
    face.GradientRows(ring.top2, ring.bottom2, W - 3, 2, W - 1, H - 5);
}

constexpr RingColors OrangeRing{RGB(255, 240, 207), RGB(253, 216, 137), RGB(248, 179, 48), RGB(229, 151, 16)};
constexpr RingColors BlueRing{RGB(206, 231, 255), RGB(188, 212, 246), RGB(137, 173, 228), RGB(105, 130, 238)};

void DrawFixedCorners(Face& face)
{
    const CornerPixels corners = CornersOf(face.W(), face.H());
    DrawRoundedBorder(face, RGB(0, 60, 116));
    SetPixels(face, corners.inner, RGB(72, 110, 144));
    SetPixels(face, corners.outer, RGB(106, 139, 162));
    SetPixels(face, corners.smoothing, RGB(191, 199, 202));
}

void DrawFixedRaised(Face& face)
{
    const int W = face.W(), H = face.H();
    face.GradientRows(RGB(252, 252, 251), RGB(240, 240, 240), 1, 1, W - 2, 4);
    face.GradientRows(RGB(250, 250, 249), RGB(240, 240, 234), 1, 4, W - 2, H - 8);
    face.GradientRows(RGB(235, 235, 230), RGB(214, 208, 197), 1, H - 4, W - 2, 3);
    face.GradientRows(RGB(251, 251, 250), RGB(228, 226, 218), W - 3, 3, W - 2, H - 5);
    face.GradientRows(RGB(245, 244, 242), RGB(219, 215, 205), W - 2, 3, W - 1, H - 5);
    DrawFixedCorners(face);
    if (face.State() == Hover)
        DrawRing(face, OrangeRing);
    else if (face.fields.HasFocus)
        DrawRing(face, BlueRing);
}

void DrawFixedPressed(Face& face)
{
    const int W = face.W(), H = face.H();
    const COLORREF body = RGB(228, 227, 220), bodyEnd = RGB(227, 226, 219);
    face.GradientRows(RGB(209, 204, 193), body, 2, 1, W - 1, 4);
    face.GradientRows(body, bodyEnd, 2, 4, W - 1, H - 8);
    face.GradientRows(bodyEnd, RGB(242, 241, 238), 3, H - 4, W - 1, 3);
    face.GradientRows(RGB(218, 216, 206), bodyEnd, 1, 3, 2, H - 5);
    face.GradientRows(RGB(218, 216, 206), bodyEnd, 2, 4, 3, H - 7);
    DrawFixedCorners(face);
}

void PaintFixedColors(Face& face)
{
    face.SetBackColor(Face::System(host::COLOR_BTNFACE));
    switch (face.State()) {
    case Normal:
    case Hover: DrawFixedRaised(face); break;
    case Pressed: DrawFixedPressed(face); break;
    case Disabled: DrawDisabled(face, RGB(245, 244, 234), RGB(201, 199, 186), RGB(216, 213, 199)); break;
    default: break;
    }
}

RingColors RingAround(COLORREF K)
{
    return {ShiftColor(K, 85), ShiftColor(K, 69), ShiftColor(K, 16), K};
}

void DrawCustomRaised(Face& face, COLORREF back)
{
    const int W = face.W(), H = face.H();
    auto B = [back](int d) { return ShiftColor(back, d); };
    face.SetBackColor(back);
    face.GradientRows(back, B(-15), 1, 1, W - 2, H - 3);
    face.GradientRows(B(21), B(-21), 1, 2, 2, H - 5);
    face.GradientRows(B(-5), B(-32), W - 2, 2, W - 3, H - 5); // drawn leftwards, it covers column W-2
    face.DrawLine(2, 1, W - 2, 1, B(5));
    face.DrawLine(1, 2, W - 1, 2, B(2));
    face.DrawLine(2, H - 4, W - 2, H - 4, B(-16));
    face.DrawLine(2, H - 3, W - 2, H - 3, B(-24));
    face.DrawLine(2, H - 2, W - 2, H - 2, B(-37));
    const COLORREF border = B(-128);
    face.DrawLine(2, 0, W - 2, 0, border);
    face.DrawLine(0, 2, 0, H - 2, border);
    face.DrawLine(2, H - 1, W - 2, H - 1, border);
    face.DrawLine(W - 1, 0, W - 1, H, border);
    const CornerPixels corners = CornersOf(W, H);
    SetPixels(face, corners.inner, border);
    SetPixels(face, corners.outer, B(-21));

    const bool hot = face.State() == Hover;
    // ShowFocus asks for the ring after a click too; keyboard focus always shows it.
    const bool showsFocus = face.fields.HasFocus && (face.fields.ShowFocus || face.fields.FocusCue);
    if (hot || showsFocus)
        DrawRing(face, RingAround(hot ? face.HighlightColor() : Face::System(host::COLOR_HIGHLIGHT)));
}

// Shaded darker at the top, so the face looks pushed in; the background stays as it was.
void DrawCustomPressed(Face& face, COLORREF back)
{
    const int W = face.W(), H = face.H();
    auto B = [back](int d) { return ShiftColor(back, d); };
    face.GradientRows(B(-37), B(-21), 2, 1, W - 1, 4);
    face.GradientRows(B(-21), B(-5), 2, 4, W - 1, H - 8);
    face.GradientRows(B(-5), B(5), 3, H - 4, W - 1, 3);
    face.GradientRows(B(-32), B(-22), 1, 3, 2, H - 5);
    face.GradientRows(B(-24), B(-15), 2, 4, 3, H - 7);
    const std::array<std::pair<Pixel, int>, 8> smoothing = {{
        {{1, 2}, -48}, {{2, 1}, -48}, {{2, H - 2}, -5}, {{1, H - 3}, -16},
        {{W - 2, H - 3}, 18}, {{W - 3, H - 2}, 8}, {{W - 3, 1}, -48}, {{W - 2, 2}, -37},
    }};
    for (const auto& [p, d] : smoothing)
        face.SetPixel(p.x, p.y, B(d));
    DrawRoundedBorder(face, B(-128));
    SetPixels(face, CornersOf(W, H).inner, B(-96));
}

void PaintCustomColors(Face& face)
{
    const COLORREF back = face.BackColor();
    switch (face.State()) {
    case Normal:
    case Hover: DrawCustomRaised(face, back); break;
    case Pressed: DrawCustomPressed(face, back); break;
    case Disabled: DrawDisabled(face, back, ShiftColor(back, -64), ShiftColor(back, -53)); break;
    default: break;
    }
}

} // namespace

// A light, vertically shaded face inside a dark border rounded off by hand-placed pixels,
// with a coloured ring inside the border when hot or focused.
void PaintRoundedGradient(Face& face)
{
    if (face.fields.UseCustomColors)
        PaintCustomColors(face);
    else
        PaintFixedColors(face);
}

} // namespace paint
