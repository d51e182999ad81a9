#include "PaintTestSupport.h"

#include "button/paint/Face.h"
#include "button/paint/Primitives.h"

#include <cmath>

using namespace paint;
using host::RGB;
using painttest::PixelAt;

namespace {

TEST(ColourArithmeticTest, NearestRoundsHalvesToEven)
{
    EXPECT_EQ(Nearest(12.5), 12);
    EXPECT_EQ(Nearest(13.5), 14);
    EXPECT_EQ(Nearest(-0.5), 0);
    EXPECT_EQ(Nearest(2.5f), 2);
    EXPECT_EQ(Nearest(2.51f), 3);

    // The fast rounding must agree with the library's everywhere a colour sum can land,
    // halves, near-halves and the far range included.
    for (int k = -20000; k <= 20000; ++k) {
        for (const float f : {k / 2.0f, k / 2.0f + 1e-3f, k / 3.0f, k * 417.25f}) {
            ASSERT_EQ(Nearest(f), int(std::nearbyintf(f))) << f;
            ASSERT_EQ(Nearest(double(f) / 7), int(std::nearbyint(double(f) / 7))) << f;
        }
    }
    EXPECT_EQ(Nearest(1.0e8f), 100000000);
}

TEST(ColourArithmeticTest, MixingAveragesEachChannelHalvesToEven)
{
    EXPECT_COLOR(MixColors(RGB(1, 2, 3), RGB(2, 3, 4)), RGB(2, 2, 4));
    EXPECT_COLOR(MixColors(RGB(0, 255, 10), RGB(255, 0, 10)), RGB(128, 128, 10));
}

TEST(ColourArithmeticTest, TintingMovesTowardsWhiteByTheWeight)
{
    EXPECT_COLOR(TintColor(RGB(0, 0, 0), 176), RGB(176, 176, 176));
    EXPECT_COLOR(TintColor(RGB(255, 255, 255), 176), RGB(255, 255, 255));
    EXPECT_COLOR(TintColor(RGB(0, 0, 255), 128), RGB(128, 128, 255));
    EXPECT_COLOR(TintColor(RGB(12, 34, 56), 0), RGB(12, 34, 56));
    EXPECT_COLOR(TintColor(RGB(12, 34, 56), 255), RGB(255, 255, 255));
    EXPECT_COLOR(TintColor(RGB(100, 100, 100), 32), RGB(119, 119, 119)); // 32 + 223*100/255 = 119.4, truncated
}

TEST(ColourArithmeticTest, ShiftingHoldsEachChannelWithinRange)
{
    EXPECT_COLOR(ShiftColor(RGB(230, 10, 0), 40), RGB(255, 50, 40));
    EXPECT_COLOR(ShiftColor(RGB(30, 100, 255), -40), RGB(0, 60, 215));
}

using SystemColourTest = painttest::WithSystemColors;

TEST_F(SystemColourTest, SystemColoursAreTranslatedAndUnknownOnesGiveMinusOne)
{
    EXPECT_EQ(TranslateColor(0x80000000u | host::COLOR_GRAYTEXT), RGB(109, 110, 111));
    EXPECT_EQ(TranslateColor(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(TranslateColor(0x800000FFu), host::CLR_INVALID);
    EXPECT_EQ(std::int32_t(TranslateColor(0x800000FFu)), -1);
}

TEST(ColourArithmeticTest, GradientStepsAreSinglePrecisionAndEndExactly)
{
    // 240 -> 234 over 3 steps: -2 per step exactly; 10 -> 11 over 2: 10.5 rounds to 10.
    EXPECT_COLOR(GradientStepColor(RGB(240, 10, 0), RGB(234, 11, 255), 3, 0), RGB(240, 10, 0));
    EXPECT_COLOR(GradientStepColor(RGB(240, 10, 0), RGB(234, 11, 255), 2, 1), RGB(237, 10, 128));
    EXPECT_COLOR(GradientStepColor(RGB(240, 10, 0), RGB(234, 11, 255), 3, 3), RGB(234, 11, 255));
    // 0 -> 255 over 12 rows ends on exactly 255 although 21.25 * 12 is carried in floats.
    EXPECT_COLOR(GradientStepColor(RGB(0, 0, 0), RGB(255, 255, 255), 12, 12), RGB(255, 255, 255));
    EXPECT_COLOR(GradientStepColor(RGB(1, 2, 3), RGB(200, 100, 50), 0, 0), RGB(1, 2, 3));
    // Where single and double precision part ways: 3.4999998 (not 3.5) and 7.5 (not 7.4999...).
    EXPECT_COLOR(GradientStepColor(RGB(0, 0, 0), RGB(7, 0, 0), 46, 23), RGB(3, 0, 0));
    EXPECT_COLOR(GradientStepColor(RGB(0, 0, 0), RGB(15, 0, 0), 22, 11), RGB(8, 0, 0));
}

class PrimitiveDrawingTest : public painttest::WithSystemColors {
protected:
    PrimitiveDrawingTest() { image.fill(qRgb(255, 255, 255)); }

    QImage image{24, 16, QImage::Format_RGB32};
    host::DeviceContext dc{image};
    static constexpr COLORREF White = RGB(255, 255, 255);
    static constexpr COLORREF Red = RGB(255, 0, 0);
};

TEST_F(PrimitiveDrawingTest, FrameCoversBothOfItsBoundsInclusive)
{
    DrawFrame(dc, 2, 3, 5, 4, Red);
    for (int x = 2; x <= 7; ++x) {
        EXPECT_EQ(PixelAt(image, x, 3), Red) << x;
        EXPECT_EQ(PixelAt(image, x, 7), Red) << x;
    }
    for (int y = 3; y <= 7; ++y) {
        EXPECT_EQ(PixelAt(image, 2, y), Red) << y;
        EXPECT_EQ(PixelAt(image, 7, y), Red) << y;
    }
    EXPECT_EQ(PixelAt(image, 8, 3), White);
    EXPECT_EQ(PixelAt(image, 2, 8), White);
    EXPECT_EQ(PixelAt(image, 3, 4), White);
}

TEST_F(PrimitiveDrawingTest, BoxFillsWidthByHeightPixels)
{
    FillBox(dc, 1, 2, 3, 4, Red);
    EXPECT_EQ(PixelAt(image, 1, 2), Red);
    EXPECT_EQ(PixelAt(image, 3, 5), Red);
    EXPECT_EQ(PixelAt(image, 4, 5), White);
    EXPECT_EQ(PixelAt(image, 3, 6), White);
}

TEST_F(PrimitiveDrawingTest, EdgeBoxRoundsItsRectangleHalvesToEven)
{
    // 0.5 -> 0, 2.5 + 10 = 12.5 -> 12, 1.5 -> 2, 1.5 + 9 = 10.5 -> 10
    DrawEdgeBox(dc, 0.5f, 1.5f, 12.0f, 9.0f, host::BDR_RAISEDINNER, host::BF_RECT);
    EXPECT_EQ(PixelAt(image, 0, 2), Sys(host::COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 11, 9), Sys(host::COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 12, 9), White);
    EXPECT_EQ(PixelAt(image, 11, 10), White);
    EXPECT_EQ(PixelAt(image, 0, 1), White);
}

TEST_F(PrimitiveDrawingTest, GradientRowsDrawOneLineMoreThanTheirStepCount)
{
    GradientRowsOn(dc, RGB(0, 0, 0), RGB(100, 200, 30), 3, 2, 9, 4);
    EXPECT_EQ(PixelAt(image, 3, 2), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(image, 8, 2), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(image, 9, 2), White);
    EXPECT_EQ(PixelAt(image, 2, 2), White);
    EXPECT_EQ(PixelAt(image, 5, 4), RGB(50, 100, 15));
    EXPECT_EQ(PixelAt(image, 5, 6), RGB(100, 200, 30));
    EXPECT_EQ(PixelAt(image, 5, 7), White);
}

TEST_F(PrimitiveDrawingTest, GradientColumnsCoverFirstToLastColumnInclusive)
{
    GradientColumnsOn(dc, RGB(10, 10, 10), RGB(30, 30, 30), 4, 5, 6, 6); // a one-row run
    EXPECT_EQ(PixelAt(image, 4, 5), RGB(10, 10, 10));
    EXPECT_EQ(PixelAt(image, 5, 5), RGB(20, 20, 20));
    EXPECT_EQ(PixelAt(image, 6, 5), RGB(30, 30, 30));
    EXPECT_EQ(PixelAt(image, 7, 5), White);
    EXPECT_EQ(PixelAt(image, 4, 6), White);

    GradientColumnsOn(dc, Red, Red, 10, 8, 12, 7); // upwards second y: still just row 8
    EXPECT_EQ(PixelAt(image, 11, 8), Red);
    EXPECT_EQ(PixelAt(image, 11, 7), White);
}

TEST_F(PrimitiveDrawingTest, EtchedFrameFinishesItsCornersByHand)
{
    paint::Surface surface;
    surface.image = QImage(10, 8, QImage::Format_RGB32);
    surface.SetBackColor(White);
    paint::ButtonFields fields;
    paint::Face face(fields, surface);
    const COLORREF outer = RGB(100, 100, 100), inner = RGB(201, 201, 201), corner = RGB(7, 8, 9);
    face.DrawEtchedFrame(0, 0, 9, 7, outer, inner, corner);
    const QImage& out = surface.image;
    EXPECT_EQ(PixelAt(out, 0, 0), outer);
    EXPECT_EQ(PixelAt(out, 8, 3), outer);  // outer right column W-2
    EXPECT_EQ(PixelAt(out, 9, 3), inner);  // inner right column W-1
    EXPECT_EQ(PixelAt(out, 4, 6), outer);  // outer bottom row H-2
    EXPECT_EQ(PixelAt(out, 4, 7), inner);
    EXPECT_EQ(PixelAt(out, 0, 7), corner);
    EXPECT_EQ(PixelAt(out, 9, 0), corner);
    EXPECT_EQ(PixelAt(out, 1, 6), RGB(150, 150, 150)); // 150.5 -> 150
    EXPECT_EQ(PixelAt(out, 8, 1), RGB(150, 150, 150));
    EXPECT_EQ(PixelAt(out, 2, 2), White);
}

} // namespace
