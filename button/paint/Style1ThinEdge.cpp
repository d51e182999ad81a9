#include "Face.h"
#include "Styles.h"

namespace paint {

// A one-pixel edge, raised at rest and under the pointer, sunken when pressed, gone when disabled.
void PaintThinEdge(Face& face)
{
    const std::int32_t state = face.State();
    const COLORREF back = (state == Normal || state == Disabled) ? face.CustomBack() : face.CustomHot();
    face.SetBackColor(back);
    if (state == Pressed)
        DrawEdgeBox(face.dc, 0, 0, float(face.W()), float(face.H()), host::BDR_SUNKENOUTER, host::BF_RECT);
    else if (state == Disabled)
        DrawFrame(face.dc, 0, 0, face.W() - 1, face.H() - 1, back);
    else
        DrawEdgeBox(face.dc, 0, 0, float(face.W()), float(face.H()), host::BDR_RAISEDINNER, host::BF_RECT);
}

} // namespace paint
