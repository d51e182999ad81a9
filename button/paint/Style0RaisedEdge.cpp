#include "Face.h"
#include "Styles.h"

namespace paint {

// A full 3-D edge that sinks when pressed; every state but the resting one uses the hot colour.
void PaintRaisedEdge(Face& face)
{
    face.SetBackColor(face.State() == Normal ? face.CustomBack() : face.CustomHot());
    const unsigned edge = face.State() == Pressed ? host::EDGE_SUNKEN : host::EDGE_RAISED;
    DrawEdgeBox(face.dc, 0, 0, float(face.W()), float(face.H()), edge, host::BF_RECT);
}

} // namespace paint
