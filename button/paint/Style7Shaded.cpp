#include "Face.h"
#include "Styles.h"

#include "host/gfx/SystemColors.h"

#include <utility>

namespace paint {

namespace {

struct Gradient {
    COLORREF top, bottom;
};

// Every colour of one draw state, worked out from the face colour F and the state face S.
struct Shading {
    bool setsBackground = true;
    int faceRows = 0;
    Gradient face, left, right;
    COLORREF outerCorners = 0;
    bool edgeLines = true;
    COLORREF topEdge = 0, bottomEdge = 0;
};

// How far the state face sits from the face colour.
int StateShift(std::int32_t state)
{
    switch (state) {
    case Hover: return 24;
    case Pressed: return -9;
    case Disabled: return 18;
    default: return 8;
    }
}

Shading ShadingOf(std::int32_t state, COLORREF F, COLORREF S, int H)
{
    auto s = [S](int d) { return ShiftColor(S, d); };
    auto f = [F](int d) { return ShiftColor(F, d); };
    Shading shading;
    shading.faceRows = H - 3;
    shading.face = {s(15), s(-15)};
    shading.left = {s(21), s(-21)};
    shading.right = {s(-5), s(-32)};
    shading.outerCorners = f(-21);
    shading.topEdge = f(21);
    shading.bottomEdge = f(-37);
    switch (state) {
    case Hover:
        shading.face = {s(16), s(-16)};
        shading.edgeLines = false; // the ring that every hovered button shows covers them
        break;
    case Pressed:
        // Dark at the top and the side columns turned round: pushed in.
        shading.setsBackground = false;
        shading.faceRows = H - 2;
        shading.face = {s(-15), S};
        shading.left = {s(-32), s(-5)};
        shading.right = {s(-21), s(21)};
        shading.topEdge = f(-21);
        shading.bottomEdge = f(8);
        break;
    case Disabled: shading.outerCorners = f(5); break;
    default: break;
    }
    return shading;
}

bool ShowsRing(const Face& face)
{
    return face.State() == Hover || (face.State() == Normal && face.fields.HasFocus);
}

void DrawRing(Face& face, COLORREF R)
{
    const int W = face.W(), H = face.H();
    face.DrawLine(2, 1, W - 2, 1, ShiftColor(R, 21));
    face.DrawLine(1, 2, W - 1, 2, ShiftColor(R, 21));
    face.DrawLine(1, H - 3, W - 1, H - 3, ShiftColor(R, -5));
    face.DrawLine(2, H - 2, W - 2, H - 2, ShiftColor(R, -21));
}

void DrawShadedFrame(Face& face, const Shading& shading, COLORREF S)
{
    const int W = face.W(), H = face.H();
    if (shading.setsBackground)
        face.SetBackColor(S);
    face.GradientRows(shading.face.top, shading.face.bottom, 1, 1, W - 2, shading.faceRows);
    face.GradientRows(shading.left.top, shading.left.bottom, 1, 2, 2, H - 5);
    face.GradientRows(shading.right.top, shading.right.bottom, W - 2, 2, W - 3, H - 5); // leftwards: column W-2

    const COLORREF border = ShiftColor(S, -96);
    face.DrawLine(2, 0, W - 2, 0, border);
    face.DrawLine(0, 2, 0, H - 2, border);
    face.DrawLine(2, H - 1, W - 2, H - 1, border);
    face.DrawLine(W - 1, 0, W - 1, H, border);
    for (auto [x, y] : {std::pair{1, 1}, {1, H - 2}, {W - 2, 1}, {W - 2, H - 2}})
        face.SetPixel(x, y, border);
    for (auto [x, y] : {std::pair{1, 0}, {W - 2, 0}, {0, 1}, {0, H - 2}, {1, H - 1}, {W - 2, H - 1}, {W - 1, 1}, {W - 1, H - 2}})
        face.SetPixel(x, y, shading.outerCorners);

    if (!shading.edgeLines)
        return;
    face.DrawLine(2, 1, W - 2, 1, shading.topEdge);
    face.DrawLine(2, H - 2, W - 2, H - 2, shading.bottomEdge);
}

} // namespace

// A softly shaded face, every colour a shift of one face colour, inside a dark rounded
// border; a band of the highlight colour along the top and bottom when hot or focused.
void PaintShaded(Face& face)
{
    const bool custom = face.fields.UseCustomColors;
    const COLORREF F = custom ? face.BackColor() : Face::System(host::COLOR_BTNFACE);
    const COLORREF R = custom ? face.HighlightColor() : Face::System(host::COLOR_HIGHLIGHT);
    const std::int32_t state = face.State();
    const COLORREF S = ShiftColor(F, StateShift(state));
    DrawShadedFrame(face, ShadingOf(state, F, S, face.H()), S);
    if (ShowsRing(face))
        DrawRing(face, R);
}

} // namespace paint
