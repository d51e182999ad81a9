#include "Face.h"
#include "Styles.h"

#include "host/gfx/SystemColors.h"

#include <utility>

namespace paint {

namespace {

// The face lightens once the button is hot, pressed or disabled.
COLORREF FaceColor(const Face& face, COLORREF F)
{
    if (face.State() == Normal)
        return F;
    return face.fields.UseCustomColors ? face.HighlightColor() : ShiftColor(Face::System(host::COLOR_BTNFACE), 15);
}

// A bright bevel on the top and left, or on the bottom when pressed.
void DrawBevelledFace(Face& face, COLORREF C, bool pressed)
{
    const int W = face.W(), H = face.H();
    const COLORREF light = ShiftColor(C, 15), dark = ShiftColor(C, -15), bevel = ShiftColor(C, 96);
    face.GradientRows(pressed ? dark : light, pressed ? light : dark, 2, 2, W - 3, H - 6);
    face.DrawLine(2, 1, W - 3, 1, pressed ? C : bevel);
    face.DrawLine(1, 2, 1, H - 3, pressed ? C : bevel);
    face.DrawLine(2, H - 3, W - 2, H - 3, pressed ? bevel : C);
    face.DrawLine(W - 2, 2, W - 2, H - 3, pressed ? bevel : C);
}

// Clipped corners; the right line replaces the face's right bevel.
void DrawBorder(Face& face, COLORREF E)
{
    const int W = face.W(), H = face.H();
    face.DrawLine(2, 0, W - 3, 0, E);
    face.DrawLine(0, 2, 0, H - 3, E);
    face.DrawLine(2, H - 2, W - 3, H - 2, E);
    face.DrawLine(W - 2, 2, W - 2, H - 3, E);
    for (auto [x, y] : {std::pair{1, 1}, {1, H - 3}, {W - 3, 1}, {W - 3, H - 3}})
        face.SetPixel(x, y, E);
}

// A soft shadow along the bottom and right, rounded off by two diagonals at the corner.
void DrawShadow(Face& face, COLORREF E)
{
    const int W = face.W(), H = face.H();
    const COLORREF shadow = ShiftColor(E, 21);
    face.DrawLine(3, H - 1, W - 4, H - 1, shadow);
    face.DrawLine(W - 1, 3, W - 1, H - 4, shadow);
    face.DrawLine(W - 4, H - 1, W, H - 5, shadow);
    face.DrawLine(W - 3, H - 1, W, H - 4, ShiftColor(shadow, 15));
}

} // namespace

// A shaded face with a bright bevel, a dark clip-cornered border that darkens with the
// focus, and a soft shadow along the bottom and right.
void PaintBevelled(Face& face)
{
    const COLORREF F = face.CustomBack();
    const COLORREF C = FaceColor(face, F);
    const bool pressed = face.State() == Pressed;
    face.SetBackColor(C);
    DrawBevelledFace(face, C, pressed);
    const COLORREF E = ShiftColor(F, !pressed && face.fields.HasFocus ? -96 : -48);
    DrawBorder(face, E);
    DrawShadow(face, E);
}

} // namespace paint
