#include "Face.h"
#include "Styles.h"

namespace paint {

// Filled entirely: a faint tint at rest, a stronger tint of the highlight with an outline
// under the pointer and when pressed.
void PaintTinted(Face& face)
{
    const int W = face.W(), H = face.H();
    const std::int32_t state = face.State();
    if (state != Hover && state != Pressed) {
        FillBox(face.dc, 0, 0, W, H, TintColor(face.CustomBack(), 32));
        return;
    }
    const COLORREF highlight = face.CustomHighlight();
    FillBox(face.dc, 0, 0, W - 1, H - 1, TintColor(highlight, state == Hover ? 176 : 128));
    DrawFrame(face.dc, 0, 0, W - 1, H - 1, highlight);
}

} // namespace paint
