#pragma once

#include "host/gfx/Raster.h"

#include <cmath>
#include <cstdint>

// The drawing primitives every look is built from, and the colour arithmetic behind them.
// Those taking a device context serve any surface: the button's face and its About box.
namespace paint {

using host::COLORREF;

// Rounds to the nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
// Nearest whole number, halves to even. Adding and taking away 2^23 (2^52) rounds in the
// default rounding mode, like nearbyint, without a library call per gradient step.
inline int Nearest(float value)
{
    if (!(std::fabs(value) < 8388608.0f))
        return int(std::nearbyintf(value));
    const float shift = std::copysign(8388608.0f, value);
    return int((value + shift) - shift);
}
inline int Nearest(double value)
{
    if (!(std::fabs(value) < 4503599627370496.0))
        return int(std::nearbyint(value));
    const double shift = std::copysign(4503599627370496.0, value);
    return int((value + shift) - shift);
}

// A plain colour as it is, a system colour looked up; CLR_INVALID (-1) when neither.
COLORREF TranslateColor(std::uint32_t oleColor);
// Channel by channel: the average, halves to even.
COLORREF MixColors(COLORREF a, COLORREF b);
// Channel by channel towards white: weight 0 keeps the colour, 255 gives white.
COLORREF TintColor(COLORREF color, int weight);
// Channel by channel plus amount, held within 0..255.
COLORREF ShiftColor(COLORREF color, int amount);
// The colour at step i of n from c1 to c2, stepped in single precision as the looks were tuned.
COLORREF GradientStepColor(COLORREF c1, COLORREF c2, int n, int i);

void DrawLineOn(host::DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF color);
void FillRectangle(host::DeviceContext& dc, const host::RECT& rect, COLORREF color);
void FillBox(host::DeviceContext& dc, int x, int y, int width, int height, COLORREF color);
// Closed outline over columns x..x+width and rows y..y+height, both inclusive.
void DrawFrame(host::DeviceContext& dc, int x, int y, int width, int height, COLORREF color);
void DrawEdgeBox(host::DeviceContext& dc, float x, float y, float width, float height, unsigned edge, unsigned flags);
// Rows y0..y0+n over columns x1..x2-1, c1 on the first row and c2 on the last.
void GradientRowsOn(host::DeviceContext& dc, COLORREF c1, COLORREF c2, int x1, int y0, int x2, int n);
// Columns x1..x2, each a line from y1 to y2, c1 on the first column and c2 on the last.
void GradientColumnsOn(host::DeviceContext& dc, COLORREF c1, COLORREF c2, int x1, int y1, int x2, int y2);

} // namespace paint
