// The rounded gradient, shaded, bevelled and capsule looks, pixel by pixel at the places
// that make each look: borders, corners, rings and the ends of the gradients.

#include "PaintTestSupport.h"

#include "button/paint/Primitives.h"
#include "button/paint/Styles.h"

#include <algorithm>

using namespace paint;
using host::RGB;
using painttest::Button;

namespace {

constexpr COLORREF Grey(int v)
{
    const int c = std::clamp(v, 0, 255);
    return RGB(c, c, c);
}

class ShadedLooksTest : public painttest::WithSystemColors {
protected:
    // RGB(236, 233, 216) and RGB(51, 153, 255) in these tests.
    COLORREF face() const { return Sys(host::COLOR_BTNFACE); }
    COLORREF highlight() const { return Sys(host::COLOR_HIGHLIGHT); }
};

// --- Style 5, fixed colours -------------------------------------------------------------

TEST_F(ShadedLooksTest, RoundedGradientBorderAndCornersAtRest)
{
    Button b(97, 20, 5);
    b.Refreshed();
    const int W = b.W(), H = b.H();
    for (auto [x, y] : {std::pair{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}})
        EXPECT_COLOR(b.At(x, y), face()) << x << "," << y;
    for (auto [x, y] : {std::pair{10, 0}, {0, 10}, {W - 1, 10}, {10, H - 1}})
        EXPECT_COLOR(b.At(x, y), RGB(0, 60, 116)) << x << "," << y;
    EXPECT_COLOR(b.At(1, 1), RGB(72, 110, 144));
    EXPECT_COLOR(b.At(W - 2, H - 2), RGB(72, 110, 144));
    EXPECT_COLOR(b.At(1, 0), RGB(106, 139, 162));
    EXPECT_COLOR(b.At(W - 1, H - 2), RGB(106, 139, 162));
    EXPECT_COLOR(b.At(2, 1), RGB(191, 199, 202));
    EXPECT_COLOR(b.At(W - 2, H - 3), RGB(191, 199, 202));

    EXPECT_COLOR(b.At(10, 1), RGB(252, 252, 251));   // top band starts
    EXPECT_COLOR(b.At(10, 4), RGB(250, 250, 249));   // the body covers the band's last rows
    EXPECT_COLOR(b.At(10, H - 4), RGB(235, 235, 230)); // bottom band starts
    EXPECT_COLOR(b.At(W - 3, 3), RGB(251, 251, 250));  // right inner column
    EXPECT_COLOR(b.At(W - 2, 3), RGB(245, 244, 242));  // right outer column
}

TEST_F(ShadedLooksTest, RoundedGradientRingOrangeUnderThePointerBlueWithFocus)
{
    Button b(97, 20, 5);
    const int W = b.W(), H = b.H();
    struct Ring {
        COLORREF top1, top2, bottom2, bottom1;
    };
    const Ring orange{RGB(255, 240, 207), RGB(253, 216, 137), RGB(248, 179, 48), RGB(229, 151, 16)};
    const Ring blue{RGB(206, 231, 255), RGB(188, 212, 246), RGB(137, 173, 228), RGB(105, 130, 238)};
    auto expectRing = [&](const Ring& ring, const char* what) {
        EXPECT_COLOR(b.At(10, 1), ring.top1) << what;
        EXPECT_COLOR(b.At(10, 2), ring.top2) << what;
        EXPECT_COLOR(b.At(10, H - 3), ring.bottom2) << what;
        EXPECT_COLOR(b.At(10, H - 2), ring.bottom1) << what;
        // The sides run over the corner smoothing, from the inner top to the inner bottom line.
        EXPECT_COLOR(b.At(1, 2), ring.top2) << what;
        EXPECT_COLOR(b.At(2, H - 3), ring.bottom2) << what;
        EXPECT_COLOR(b.At(W - 2, 2), ring.top2) << what;
        EXPECT_COLOR(b.At(W - 3, H - 3), ring.bottom2) << what;
        EXPECT_COLOR(b.At(0, 10), RGB(0, 60, 116)) << what;
    };

    b.fields.HasFocus = true;
    b.Refreshed();
    expectRing(blue, "focused");
    b.In(Hover).Refreshed();
    expectRing(orange, "hovered and focused");
    b.fields.HasFocus = false;
    b.Refreshed();
    expectRing(orange, "hovered");

    b.fields.HasFocus = true;
    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(209, 204, 193)) << "no ring when pressed";
    EXPECT_COLOR(b.At(10, H - 2), RGB(237, 236, 232));
    EXPECT_COLOR(b.At(1, 3), RGB(218, 216, 206));
    EXPECT_COLOR(b.At(2, 4), RGB(218, 216, 206));
    EXPECT_COLOR(b.At(10, 0), RGB(0, 60, 116));
    EXPECT_COLOR(b.At(1, 2), RGB(191, 199, 202));
}

TEST_F(ShadedLooksTest, RoundedGradientDisabledAndInTheDesigner)
{
    Button b(97, 20, 5);
    const int W = b.W(), H = b.H();
    b.fields.Enabled = false;
    b.Refreshed();
    EXPECT_COLOR(b.At(40, 10), RGB(245, 244, 234));
    for (auto [x, y] : {std::pair{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}, {10, 0}, {0, 10}})
        EXPECT_COLOR(b.At(x, y), RGB(201, 199, 186)) << x << "," << y;
    for (auto [x, y] : {std::pair{0, 1}, {1, 1}, {1, 0}, {W - 2, H - 2}, {W - 2, H - 1}, {W - 1, H - 2}})
        EXPECT_COLOR(b.At(x, y), RGB(216, 213, 199)) << x << "," << y;

    Button designer(97, 20, 5);
    designer.surface.userMode = false;
    designer.Refreshed();
    EXPECT_COLOR(designer.At(10, 1), RGB(252, 252, 251)) << "the designer shows the resting look";
}

// --- Style 5, custom colours ------------------------------------------------------------

TEST_F(ShadedLooksTest, RoundedGradientCustomFromAMidGrey)
{
    Button b(97, 20, 5);
    const int W = b.W(), H = b.H();
    b.Custom(Grey(100), RGB(0, 0, 200)).Refreshed();
    EXPECT_COLOR(b.At(10, 0), Grey(0)) << "100 - 128 is held at 0";
    EXPECT_COLOR(b.At(W - 1, 0), Grey(0));
    EXPECT_COLOR(b.At(W - 1, H - 1), Grey(0));
    EXPECT_COLOR(b.At(10, 1), Grey(105));
    EXPECT_COLOR(b.At(10, 2), Grey(102));
    EXPECT_COLOR(b.At(10, H - 4), Grey(84));
    EXPECT_COLOR(b.At(10, H - 2), Grey(63));
    EXPECT_COLOR(b.At(1, 0), Grey(79));
    EXPECT_COLOR(b.At(W - 1, H - 2), Grey(79));
    EXPECT_COLOR(b.At(1, 1), Grey(0));
    EXPECT_COLOR(b.At(0, 0), Grey(100));
    EXPECT_COLOR(b.At(1, H - 3), Grey(79));     // left column ends at B - 21
    EXPECT_COLOR(b.At(W - 2, H - 3), Grey(68)); // right column, drawn leftwards, ends at B - 32
    EXPECT_COLOR(b.At(W - 2, 3), Grey(93)); // 95 - 27/15 = 93.2

    b.fields.HasFocus = true;
    b.Refreshed();
    EXPECT_COLOR(b.At(10, 1), Grey(105)) << "focus shows only with ShowFocus";
    b.fields.ShowFocus = true;
    b.Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(136, 238, 255)) << "system highlight + 85";
    EXPECT_COLOR(b.At(10, H - 2), highlight());
    EXPECT_COLOR(b.At(1, 2), RGB(120, 222, 255));

    b.In(Hover).Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(85, 85, 255)) << "HighlightColor + 85";
    EXPECT_COLOR(b.At(10, 2), RGB(69, 69, 255));
    EXPECT_COLOR(b.At(10, H - 3), RGB(16, 16, 216));
    EXPECT_COLOR(b.At(10, H - 2), RGB(0, 0, 200));
    EXPECT_COLOR(b.At(W - 3, H - 3), RGB(16, 16, 216));
}

TEST_F(ShadedLooksTest, RoundedGradientCustomPressedAndDisabled)
{
    Button b(97, 20, 5);
    const int W = b.W(), H = b.H();
    b.Custom(Grey(100), RGB(0, 0, 200));
    b.fields.HasFocus = b.fields.ShowFocus = true;
    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(10, 1), Grey(63)) << "dark top, no ring";
    EXPECT_COLOR(b.At(10, H - 1), Grey(0));
    EXPECT_COLOR(b.At(1, 1), Grey(4));
    EXPECT_COLOR(b.At(1, 2), Grey(52));
    EXPECT_COLOR(b.At(W - 2, H - 3), Grey(118));
    EXPECT_COLOR(b.At(W - 3, H - 2), Grey(108));
    EXPECT_COLOR(b.At(3, H - 2), Grey(102)); // bottom band towards B + 5

    b.In(Disabled).Refreshed();
    EXPECT_COLOR(b.At(40, 10), Grey(100));
    EXPECT_COLOR(b.At(10, 0), Grey(36));
    EXPECT_COLOR(b.At(W - 1, H - 1), Grey(36));
    EXPECT_COLOR(b.At(1, 1), Grey(47));
    EXPECT_COLOR(b.At(W - 2, H - 1), Grey(47));
}

// --- Style 7 ----------------------------------------------------------------------------

TEST_F(ShadedLooksTest, ShadedLookDerivesEverythingFromTheFaceColour)
{
    Button b(97, 20, 7);
    const int W = b.W(), H = b.H();
    b.Refreshed();
    EXPECT_COLOR(b.At(0, 0), RGB(244, 241, 224)) << "background: face + 8";
    EXPECT_COLOR(b.At(10, 0), RGB(148, 145, 128)) << "border: background - 96";
    EXPECT_COLOR(b.At(0, 10), RGB(148, 145, 128));
    EXPECT_COLOR(b.At(W - 1, 0), RGB(148, 145, 128));
    EXPECT_COLOR(b.At(1, H - 2), RGB(148, 145, 128));
    EXPECT_COLOR(b.At(1, 0), RGB(215, 212, 195)) << "outer corners: face - 21";
    EXPECT_COLOR(b.At(W - 1, H - 2), RGB(215, 212, 195));
    EXPECT_COLOR(b.At(10, 1), RGB(255, 254, 237)) << "top edge: face + 21";
    EXPECT_COLOR(b.At(10, H - 2), RGB(199, 196, 179)) << "bottom edge: face - 37";
    EXPECT_COLOR(b.At(10, 2), RGB(253, 253, 237)) << "face gradient, one of 17 steps down from S + 15";
    EXPECT_COLOR(b.At(1, 2), RGB(255, 255, 245));
    EXPECT_COLOR(b.At(W - 2, 2), RGB(239, 236, 219)) << "right column, drawn leftwards";
    EXPECT_COLOR(b.At(W - 2, H - 3), RGB(212, 209, 192));
}

TEST_F(ShadedLooksTest, ShadedLookRingOnHoverAndFocusNeverPressed)
{
    Button b(97, 20, 7);
    const int W = b.W(), H = b.H();
    auto expectRing = [&](const char* what) {
        EXPECT_COLOR(b.At(10, 1), RGB(72, 174, 255)) << what;
        EXPECT_COLOR(b.At(1, 2), RGB(72, 174, 255)) << what;
        EXPECT_COLOR(b.At(W - 2, 2), RGB(72, 174, 255)) << what;
        EXPECT_COLOR(b.At(1, H - 3), RGB(46, 148, 250)) << what;
        EXPECT_COLOR(b.At(10, H - 2), RGB(30, 132, 234)) << what;
    };
    b.fields.HasFocus = true;
    b.Refreshed();
    expectRing("focused");
    b.In(Hover).Refreshed();
    expectRing("hovered, focused");
    EXPECT_COLOR(b.At(0, 0), RGB(255, 255, 240)) << "hover face: + 24";
    b.fields.HasFocus = false;
    b.Refreshed();
    expectRing("hovered");

    b.fields.HasFocus = true;
    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(215, 212, 195)) << "no ring; top edge: face - 21";
    EXPECT_COLOR(b.At(10, H - 2), RGB(244, 241, 224)) << "bottom edge: face + 8";
    EXPECT_COLOR(b.At(10, 0), RGB(131, 128, 111)) << "border from the pressed face, - 9 - 96";
    EXPECT_COLOR(b.At(W - 2, 2), RGB(206, 203, 186)) << "right column turned round: from S - 21";

    b.fields.HasFocus = true;
    b.In(Disabled).Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(255, 254, 237)) << "no ring";
    EXPECT_COLOR(b.At(1, 0), RGB(241, 238, 221)) << "outer corners: face + 5";
    EXPECT_COLOR(b.At(10, 0), RGB(158, 155, 138));
}

TEST_F(ShadedLooksTest, ShadedLookWithCustomColours)
{
    Button b(60, 24, 7);
    b.Custom(RGB(255, 255, 255), RGB(200, 0, 0)).Refreshed();
    for (auto [x, y] : {std::pair{0, 0}, {1, 2}, {10, 1}})
        EXPECT_COLOR(b.At(x, y), RGB(255, 255, 255)) << "positive shifts stay at 255: " << x << "," << y;
    EXPECT_COLOR(b.At(10, 0), RGB(159, 159, 159));
    b.In(Hover).Refreshed();
    EXPECT_COLOR(b.At(10, 1), RGB(221, 21, 21)) << "ring in HighlightColor + 21";
    EXPECT_COLOR(b.At(10, b.H() - 2), RGB(179, 0, 0));
}

// --- Style 8 ----------------------------------------------------------------------------

TEST_F(ShadedLooksTest, BevelledLookBevelBorderAndShadows)
{
    Button b(97, 20, 8);
    const int W = b.W(), H = b.H();
    b.Custom(RGB(100, 110, 120), RGB(50, 60, 200)).Refreshed();
    const COLORREF C = RGB(100, 110, 120), border = RGB(52, 62, 72), shadow = RGB(73, 83, 93);
    EXPECT_COLOR(b.At(0, 0), C);
    EXPECT_COLOR(b.At(10, 1), RGB(196, 206, 216)) << "bevel";
    EXPECT_COLOR(b.At(1, 10), RGB(196, 206, 216));
    EXPECT_COLOR(b.At(10, 2), RGB(115, 125, 135)) << "face gradient from C + 15";
    EXPECT_COLOR(b.At(10, H - 4), RGB(85, 95, 105)) << "to C - 15";
    EXPECT_COLOR(b.At(10, H - 3), C);
    for (auto [x, y] : {std::pair{10, 0}, {W - 4, 0}, {0, 2}, {0, H - 4}, {10, H - 2}, {W - 2, 2}, {W - 2, H - 4},
                        {1, 1}, {1, H - 3}, {W - 3, 1}, {W - 3, H - 3}})
        EXPECT_COLOR(b.At(x, y), border) << x << "," << y;
    for (auto [x, y] : {std::pair{3, H - 1}, {W - 5, H - 1}, {W - 1, 3}, {W - 1, H - 5}, {W - 4, H - 1}, {W - 3, H - 2},
                        {W - 2, H - 3}, {W - 1, H - 4}})
        EXPECT_COLOR(b.At(x, y), shadow) << x << "," << y;
    for (auto [x, y] : {std::pair{W - 3, H - 1}, {W - 2, H - 2}, {W - 1, H - 3}})
        EXPECT_COLOR(b.At(x, y), RGB(88, 98, 108)) << x << "," << y;

    b.fields.HasFocus = true;
    b.Refreshed();
    EXPECT_COLOR(b.At(10, 0), RGB(4, 14, 24)) << "focus darkens the border to the face - 96";
    EXPECT_COLOR(b.At(10, H - 1), RGB(25, 35, 45));

    b.In(Hover).Refreshed();
    EXPECT_COLOR(b.At(0, 0), RGB(50, 60, 200)) << "HighlightColor once hot";
    EXPECT_COLOR(b.At(10, 0), RGB(4, 14, 24)) << "the border still follows BackColor";

    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(10, 0), border) << "pressed: never the focus border";
    EXPECT_COLOR(b.At(10, 1), RGB(50, 60, 200));
    EXPECT_COLOR(b.At(10, 2), RGB(35, 45, 185));
    EXPECT_COLOR(b.At(10, H - 3), RGB(146, 156, 255)) << "the bevel moves to the bottom";
}

TEST_F(ShadedLooksTest, BevelledLookWithSystemColoursLightensEveryStateButRest)
{
    Button b(97, 20, 8);
    const int H = b.H();
    b.Refreshed();
    EXPECT_COLOR(b.At(10, H - 3), face());
    EXPECT_COLOR(b.At(10, 0), RGB(188, 185, 168));
    for (std::int32_t state : {Hover, Pressed, Disabled}) {
        b.In(state).Refreshed();
        EXPECT_COLOR(b.At(0, 0), RGB(251, 248, 231)) << state;
        EXPECT_COLOR(b.At(10, 0), RGB(188, 185, 168)) << state;
    }
}

// --- Style 9 ----------------------------------------------------------------------------

class CapsuleTest : public ShadedLooksTest {
protected:
    // BackColor 160: the resting base colour B is 145.
    static COLORREF B(int d) { return Grey(145 + d); }
    static Button Capsule(int H)
    {
        Button b(97, H, 9);
        b.Custom(Grey(160), RGB(0, 0, 200)).Refreshed();
        return b;
    }
};

TEST_F(CapsuleTest, EdgesLinesAndCurves)
{
    const Button b = Capsule(20);
    const int W = b.W(), H = b.H();
    EXPECT_COLOR(b.At(2, 2), B(0)) << "background";
    EXPECT_COLOR(b.At(10, 0), B(48));
    EXPECT_COLOR(b.At(2, 1), B(48));
    EXPECT_COLOR(b.At(10, 1), B(0));
    EXPECT_COLOR(b.At(10, 2), B(32)) << "face";
    EXPECT_COLOR(b.At(10, H - 4), B(-32));
    EXPECT_COLOR(b.At(10, H - 3), B(0));
    EXPECT_COLOR(b.At(10, H - 2), B(-128));
    EXPECT_COLOR(b.At(10, H - 1), B(-16));
    EXPECT_COLOR(b.At(0, 0), B(128)) << "left edge";
    EXPECT_COLOR(b.At(0, H - 4), B(-128));
    EXPECT_COLOR(b.At(0, H - 3), B(0));
    EXPECT_COLOR(b.At(W - 2, 0), B(128)) << "right inner edge";
    EXPECT_COLOR(b.At(W - 2, H - 4), B(-128));
    EXPECT_COLOR(b.At(6, 3), B(128)) << "glint";
    EXPECT_COLOR(b.At(W - 11, 2), B(32)) << "gloss";
    EXPECT_COLOR(b.At(W - 4, 2), B(0));
    EXPECT_COLOR(b.At(W - 9, 4), B(32));
    EXPECT_COLOR(b.At(W - 6, 4), B(0));
    // Single-row gradients: each colours only its own row.
    EXPECT_COLOR(b.At(5, H - 5), B(-53)) << "bottom-left curve";
    EXPECT_COLOR(b.At(12, H - 5), B(-32));
    EXPECT_COLOR(b.At(4, H - 6), B(-56));
    EXPECT_COLOR(b.At(3, H - 7), B(-37));
    EXPECT_COLOR(b.At(W - 15, H - 4), B(-32)) << "bottom-right curve";
    EXPECT_COLOR(b.At(W - 7, H - 4), B(-53));
    EXPECT_COLOR(b.At(1, H - 3), B(-112));
    EXPECT_COLOR(b.At(W - 3, H - 3), B(-112));
    for (auto [x, y] : {std::pair{W - 4, H - 1}, {W - 3, H - 2}, {W - 2, H - 3}})
        EXPECT_COLOR(b.At(x, y), B(-21)) << x << "," << y;
}

TEST_F(CapsuleTest, OddHeightsRoundEachDistanceFromHalfTheHeight)
{
    // H 23: H/2 = 11.5 gives 12, but 11.5 - 7 = 4.5 gives 4 and 11.5 - 4 = 7.5 gives 8.
    Button odd = Capsule(23);
    int W = odd.W();
    EXPECT_COLOR(odd.At(2, 4), B(0));
    EXPECT_COLOR(odd.At(2, 8), B(-37)) << "left upper shading: 4 steps";
    EXPECT_COLOR(odd.At(2, 9), B(0)) << "the lower shading starts at 9.5 -> 10";
    EXPECT_COLOR(odd.At(2, 10), B(-37));
    EXPECT_COLOR(odd.At(2, 16), B(-32));
    EXPECT_COLOR(odd.At(3, 7), B(-53)) << "column 3 upper: 4 steps from row 3";
    EXPECT_COLOR(odd.At(W - 1, 12), B(-64)) << "the lower outer edge starts at half the height";
    EXPECT_COLOR(odd.At(W - 1, 20), B(-8)) << "and runs 7.5 -> 8 steps";
    EXPECT_COLOR(odd.At(W - 4, 4), B(0));
    EXPECT_COLOR(odd.At(W - 4, 10), B(-37)) << "right upper shading: 6.5 -> 6 steps";
    EXPECT_COLOR(odd.At(W - 4, 12), B(-37));
    EXPECT_COLOR(odd.At(W - 4, 18), B(-21));

    // H 25: 12.5 gives 12, 12.5 - 7 = 5.5 gives 6.
    Button taller = Capsule(25);
    W = taller.W();
    EXPECT_COLOR(taller.At(3, 9), B(-53)) << "left upper shading of column 3: 6 steps from row 3";
    EXPECT_COLOR(taller.At(3, 10), B(-53)) << "the lower one starts at 9.5 -> 10";
    EXPECT_COLOR(taller.At(3, 20), B(-32));
    EXPECT_COLOR(taller.At(W - 1, 12), B(-64));
    EXPECT_COLOR(taller.At(W - 1, 20), B(-8));
    EXPECT_COLOR(taller.At(W - 1, 21), B(0));
}

TEST_F(CapsuleTest, OnlyTheBaseColourChangesWithTheState)
{
    Button b(97, 20, 9);
    b.Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(221, 218, 201)) << "face - 15";
    b.In(Hover).Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(237, 234, 217)) << "face + 1";
    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(255, 255, 240)) << "face + 24";
    b.In(Disabled).Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(251, 248, 231)) << "face + 15";

    b.Custom(Grey(160), RGB(0, 0, 200)).In(Hover).Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(1, 1, 201));
    EXPECT_COLOR(b.At(10, 0), RGB(49, 49, 249));
    b.In(Pressed).Refreshed();
    EXPECT_COLOR(b.At(2, 2), RGB(24, 24, 224));
    b.In(Disabled).Refreshed();
    EXPECT_COLOR(b.At(2, 2), Grey(175));
}

// --- Outlines ---------------------------------------------------------------------------

// The pixels a window outline cuts away near the corners are exactly those the look leaves
// in its background colour there.
void ExpectOutlineMatchesCorners(const Button& b, const QRegion& outline, COLORREF background)
{
    const int W = b.W(), H = b.H();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int fromSide = std::min(x, W - 1 - x), fromEdge = std::min(y, H - 1 - y);
            if (fromSide + fromEdge <= 3) {
                EXPECT_EQ(outline.contains(QPoint(x, y)), b.At(x, y) != background) << x << "," << y;
            }
        }
}

TEST_F(ShadedLooksTest, OutlinesFitTheLooks)
{
    Button rounded(97, 20, 5);
    rounded.Refreshed();
    ExpectOutlineMatchesCorners(rounded, MakeChamferRegion(97, 20), face());

    Button bevelled(97, 20, 8);
    bevelled.Refreshed();
    ExpectOutlineMatchesCorners(bevelled, MakeWideChamferRegion(97, 20), face());

    for (std::int32_t style : {5, 7, 8, 9})
        EXPECT_EQ(IconMargin(style), style == 8 ? 4 : style == 9 ? 7 : 5) << style;
}

} // namespace
