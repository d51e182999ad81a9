#include "Primitives.h"

#include "host/gfx/SystemColors.h"

#include <algorithm>
#include <cmath>

namespace paint {

using host::GetBValue;
using host::GetGValue;
using host::GetRValue;
using host::RGB;

COLORREF TranslateColor(std::uint32_t oleColor)
{
    const std::int64_t translated = host::TranslateColor(oleColor);
    return translated < 0 ? host::CLR_INVALID : COLORREF(translated);
}

COLORREF MixColors(COLORREF a, COLORREF b)
{
    auto mix = [](int x, int y) { return Nearest((x + y) / 2.0); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

COLORREF TintColor(COLORREF color, int weight)
{
    auto tint = [weight](int v) { return std::min(255, weight + (255 - weight) * v / 255); };
    return RGB(tint(GetRValue(color)), tint(GetGValue(color)), tint(GetBValue(color)));
}

COLORREF ShiftColor(COLORREF color, int amount)
{
    auto shift = [amount](int v) { return std::clamp(v + amount, 0, 255); };
    return RGB(shift(GetRValue(color)), shift(GetGValue(color)), shift(GetBValue(color)));
}

namespace {

// One gradient's per-channel steps, worked out once: a gradient of a few hundred lines
// would otherwise divide three times per line.
class GradientSteps {
public:
    GradientSteps(COLORREF c1, COLORREF c2, int n)
        : m_single(n <= 0), m_from{GetRValue(c1), GetGValue(c1), GetBValue(c1)}
    {
        // A single row has nowhere to go: it keeps the first colour instead of dividing by zero.
        const float steps = m_single ? 1.0f : float(n);
        const int to[3] = {GetRValue(c2), GetGValue(c2), GetBValue(c2)};
        for (int c = 0; c < 3; ++c)
            m_delta[c] = float(to[c] - m_from[c]) / steps;
    }

    COLORREF At(int i) const
    {
        const float at = m_single ? 0.0f : float(i);
        auto step = [&](int c) { return std::clamp(Nearest(float(m_from[c]) + m_delta[c] * at), 0, 255); };
        return RGB(step(0), step(1), step(2));
    }

private:
    bool m_single;
    int m_from[3];
    float m_delta[3];
};

} // namespace

COLORREF GradientStepColor(COLORREF c1, COLORREF c2, int n, int i) { return GradientSteps(c1, c2, n).At(i); }

void DrawLineOn(host::DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF color)
{
    const auto pen = dc.SelectPen(host::SolidPen(color));
    dc.MoveToEx(x1, y1);
    dc.LineTo(x2, y2);
}

void FillRectangle(host::DeviceContext& dc, const host::RECT& rect, COLORREF color)
{
    dc.FillRect(rect, host::SolidBrush(color));
}

void FillBox(host::DeviceContext& dc, int x, int y, int width, int height, COLORREF color)
{
    FillRectangle(dc, {x, y, x + width, y + height}, color);
}

void DrawFrame(host::DeviceContext& dc, int x, int y, int width, int height, COLORREF color)
{
    const auto pen = dc.SelectPen(host::SolidPen(color));
    dc.MoveToEx(x, y);
    dc.LineTo(x + width, y);
    dc.LineTo(x + width, y + height);
    dc.LineTo(x, y + height);
    dc.LineTo(x, y);
}

void DrawEdgeBox(host::DeviceContext& dc, float x, float y, float width, float height, unsigned edge, unsigned flags)
{
    dc.DrawEdge({Nearest(x), Nearest(y), Nearest(x + width), Nearest(y + height)}, edge, flags);
}

void GradientRowsOn(host::DeviceContext& dc, COLORREF c1, COLORREF c2, int x1, int y0, int x2, int n)
{
    const GradientSteps steps(c1, c2, n);
    for (int i = 0; i <= n; ++i)
        DrawLineOn(dc, x1, y0 + i, x2, y0 + i, steps.At(i));
}

void GradientColumnsOn(host::DeviceContext& dc, COLORREF c1, COLORREF c2, int x1, int y1, int x2, int y2)
{
    const int n = x2 - x1;
    const GradientSteps steps(c1, c2, n);
    for (int i = 0; i <= n; ++i)
        DrawLineOn(dc, x1 + i, y1, x1 + i, y2, steps.At(i));
}

} // namespace paint
