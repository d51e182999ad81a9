#include "Face.h"
#include "Styles.h"

namespace paint {

namespace {

COLORREF innerFace(const Face& face)
{
    const bool custom = face.fields.UseCustomColors;
    const COLORREF shadow = Face::System(host::COLOR_BTNSHADOW);
    switch (face.State()) {
    case Hover:
        return custom ? MixColors(face.HighlightColor(), face.BackColor()) : MixColors(shadow, Face::System(host::COLOR_BTNFACE));
    case Pressed: return custom ? face.HighlightColor() : shadow;
    default: return face.CustomBack();
    }
}

} // namespace

// An etched frame around an inner face that darkens under the pointer and more when pressed,
// with a two-pixel ring of the back colour between them.
void PaintEtched(Face& face)
{
    face.SetBackColor(face.CustomBack());
    const COLORREF inner = innerFace(face);
    const Rect& caption = face.fields.CaptionRect;
    FillRectangle(face.dc, {caption.Left, caption.Top, caption.Right, caption.Bottom}, inner);
    face.DrawEtchedFrame(0, 0, face.W() - 1, face.H() - 1, Face::System(host::COLOR_BTNSHADOW),
                         Face::System(host::COLOR_WINDOW), inner);
}

} // namespace paint
