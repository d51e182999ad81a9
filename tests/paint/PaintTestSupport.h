#pragma once

#include "button/paint/ButtonFace.h"
#include "host/gfx/Raster.h"
#include "host/gfx/SystemColors.h"

#include <gtest/gtest.h>

namespace painttest {

using host::COLORREF;
using host::RGB;

// System colours that are all different from one another, so a pixel tells which one it is.
inline host::SystemColorTable DistinctSystemColors()
{
    host::SystemColorTable table = host::StandardSystemColors();
    table[host::COLOR_WINDOW] = RGB(250, 251, 252);
    table[host::COLOR_HIGHLIGHT] = RGB(51, 153, 255);
    table[host::COLOR_BTNFACE] = RGB(236, 233, 216);
    table[host::COLOR_BTNSHADOW] = RGB(172, 168, 153);
    table[host::COLOR_GRAYTEXT] = RGB(109, 110, 111);
    table[host::COLOR_BTNTEXT] = RGB(1, 2, 3);
    table[host::COLOR_BTNHIGHLIGHT] = RGB(255, 255, 254);
    table[host::COLOR_3DDKSHADOW] = RGB(113, 111, 100);
    table[host::COLOR_3DLIGHT] = RGB(241, 239, 226);
    return table;
}

class WithSystemColors : public ::testing::Test {
protected:
    void SetUp() override { host::SetSystemColors(DistinctSystemColors()); }
    void TearDown() override { host::SetSystemColors(host::StandardSystemColors()); }

    static COLORREF Sys(int index) { return host::GetSysColor(index); }
};

inline COLORREF PixelAt(const QImage& image, int x, int y) { return host::FromRgb(image.pixel(x, y)); }

// A button as it stands after loading and its first resize: W x H pixels, resting, enabled.
struct Button {
    Button(int W, int H, std::int32_t style)
    {
        surface.image = QImage(W, H, QImage::Format_RGB32);
        surface.SetBackColor(RGB(0, 0, 0));
        fields.Style = style;
        fields.NonThemeStyle = 5;
        fields.Enabled = true;
        fields.IconSize = 16;
        fields.DrawState = paint::Normal;
        fields.BackColor = host::GetSysColor(host::COLOR_BTNFACE);
        fields.HighlightColor = host::GetSysColor(host::COLOR_HIGHLIGHT);
        fields.FontColor = fields.FontHighlightColor = host::GetSysColor(host::COLOR_BTNTEXT);
        fields.ClientRect = {0, 0, W, H};
        fields.CaptionRect = {4, 4, W - 4, H - 4};
        fields.CaptionFormat = 37;
    }

    Button& In(std::int32_t state)
    {
        fields.DrawState = state;
        return *this;
    }
    Button& Custom(COLORREF back, COLORREF highlight)
    {
        fields.UseCustomColors = true;
        fields.BackColor = back;
        fields.HighlightColor = highlight;
        return *this;
    }
    Button& Refreshed()
    {
        paint::Refresh(fields, surface);
        return *this;
    }
    COLORREF At(int x, int y) const { return PixelAt(surface.image, x, y); }
    int W() const { return surface.ScaleWidth(); }
    int H() const { return surface.ScaleHeight(); }

    paint::ButtonFields fields;
    paint::Surface surface;
};

} // namespace painttest

// Readable failures: colours print as r,g,b.
inline std::string ColorText(host::COLORREF c)
{
    return "RGB(" + std::to_string(host::GetRValue(c)) + ", " + std::to_string(host::GetGValue(c)) + ", "
        + std::to_string(host::GetBValue(c)) + ")";
}
#define EXPECT_COLOR(actual, expected) EXPECT_EQ(ColorText(actual), ColorText(expected))
