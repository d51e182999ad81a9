#pragma once

#include <cstdint>

// The looks, one painter per style number. A style without a painter yet paints no face;
// its caption and icon are still drawn.
namespace paint {

class Face;

using FacePainter = void (*)(Face&);

struct Look {
    FacePainter paint = nullptr;
    int iconMargin = 4; // pixels between the face's edge and an icon aligned to it
    bool drawsOwnFocus = false; // false: a keyboard-focused face gets the common focus mark
};

// Style numbers outside 0..10 get an empty look.
const Look& LookOf(std::int32_t style);
inline int IconMargin(std::int32_t style) { return LookOf(style).iconMargin; }

// The keyboard focus on a look without a focus style of its own: a dotted rectangle, every
// other pixel, 3 pixels inside the edge, in the caption's colour.
constexpr int FocusMarkInset = 3;
void DrawFocusMark(Face& face);

void PaintRaisedEdge(Face& face);   // 0
void PaintThinEdge(Face& face);     // 1
void PaintFlatUntilHot(Face& face); // 2
void PaintEtched(Face& face);       // 3
void PaintTinted(Face& face);       // 4
void PaintThemed(Face& face);       // 6
void PaintRoundedGradient(Face& face); // 5
void PaintShaded(Face& face);          // 7
void PaintBevelled(Face& face);        // 8
void PaintCapsule(Face& face);         // 9
void PaintSkin(Face& face);         // 10

} // namespace paint
