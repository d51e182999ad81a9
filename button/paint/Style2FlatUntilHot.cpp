#include "Face.h"
#include "Styles.h"

namespace paint {

// The thin edge, except that the resting button shows no edge at all.
void PaintFlatUntilHot(Face& face)
{
    if (face.State() != Normal) {
        PaintThinEdge(face);
        return;
    }
    const COLORREF back = face.CustomBack();
    face.SetBackColor(back);
    DrawFrame(face.dc, 0, 0, face.W() - 1, face.H() - 1, back);
}

} // namespace paint
