#include "PaintTestSupport.h"

#include "button/paint/Styles.h"

#include <functional>
#include <vector>

using namespace paint;
using host::COLORREF;
using host::RGB;
using painttest::Button;

namespace {

constexpr int W = 90, H = 30;
constexpr COLORREF CustomBack = RGB(200, 220, 240);
constexpr COLORREF CustomHighlight = RGB(0, 90, 200);

// One look in one state, painted without focus, focused by a click and focused by the keyboard.
struct FocusRenders {
    QImage unfocused, byMouse, byKeyboard;
};

struct Case {
    std::int32_t style;
    bool custom = false;
    std::int32_t state = Normal;
    bool showFocus = false;
};

std::string Describe(const Case& c)
{
    return "style " + std::to_string(c.style) + (c.custom ? " custom" : " system") + " state "
        + std::to_string(c.state) + (c.showFocus ? " ShowFocus" : "");
}

FocusRenders Render(const Case& c)
{
    Button b(W, H, c.style);
    if (c.custom)
        b.Custom(CustomBack, CustomHighlight);
    b.fields.Caption = QStringLiteral("Stop");
    b.fields.ShowFocus = c.showFocus;
    FocusRenders renders;
    auto paintWith = [&](bool focus, bool cue) {
        b.In(c.state);
        b.fields.HasFocus = focus;
        b.fields.FocusCue = cue;
        return b.Refreshed().surface.image.copy();
    };
    renders.unfocused = paintWith(false, false);
    renders.byMouse = paintWith(true, false);
    renders.byKeyboard = paintWith(true, true);
    return renders;
}

std::vector<QPoint> ChangedPixels(const QImage& a, const QImage& b)
{
    std::vector<QPoint> changed;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed.emplace_back(x, y);
    return changed;
}

using Area = std::function<bool(int x, int y)>;

bool OnFocusMark(int x, int y)
{
    const int lo = FocusMarkInset, right = W - 1 - FocusMarkInset, bottom = H - 1 - FocusMarkInset;
    const bool onColumn = (x == lo || x == right) && y >= lo && y <= bottom;
    const bool onRow = (y == lo || y == bottom) && x >= lo && x <= right;
    return onColumn || onRow;
}

// Style 5's ring: two rows at the top and bottom and two columns at each side, inside the border.
bool InRoundedRing(int x, int y)
{
    const bool inside = x >= 1 && x <= W - 2 && y >= 1 && y <= H - 2;
    return inside && (y <= 2 || y >= H - 3 || x <= 2 || x >= W - 3);
}

bool InShadedBand(int, int y) { return y == 1 || y == 2 || y == H - 3 || y == H - 2; }

// Style 8's border and the shadow drawn from it: the outer two pixels on every side, three at the right and bottom.
bool InBevelBorder(int x, int y) { return x <= 1 || y <= 1 || x >= W - 3 || y >= H - 3; }

void ExpectOnlyWithin(const std::vector<QPoint>& changed, const Area& area, const std::string& what)
{
    for (const QPoint& p : changed)
        EXPECT_TRUE(area(p.x(), p.y())) << what << ": pixel (" << p.x() << ", " << p.y() << ") changed outside the focus area";
}

class FocusMarkTest : public painttest::WithSystemColors {};

// Every look that has no focus style of its own, in every state a focused button can be in.
std::vector<Case> LooksWithoutFocusStyle()
{
    std::vector<Case> cases;
    for (std::int32_t style : {0, 1, 2, 3, 4, 9})
        for (bool custom : {false, true})
            for (std::int32_t state : {Normal, Hover, Pressed})
                cases.push_back({style, custom, state});
    return cases;
}

TEST_F(FocusMarkTest, KeyboardFocusDrawsADottedMarkOnLooksWithoutAFocusStyle)
{
    const int perimeter = 2 * (W - 2 * FocusMarkInset) + 2 * (H - 2 * FocusMarkInset);
    for (const Case& c : LooksWithoutFocusStyle()) {
        const FocusRenders r = Render(c);
        const std::vector<QPoint> changed = ChangedPixels(r.unfocused, r.byKeyboard);
        ExpectOnlyWithin(changed, &OnFocusMark, Describe(c));
        // Every other pixel of the rectangle is a dot; the face behind may hide only a few.
        EXPECT_GE(int(changed.size()), perimeter / 2 - 8) << Describe(c) << ": the mark is barely visible";
        for (const QPoint& p : changed)
            EXPECT_COLOR(painttest::PixelAt(r.byKeyboard, p.x(), p.y()), Sys(host::COLOR_BTNTEXT))
                << Describe(c) << " at (" << p.x() << ", " << p.y() << ")";
    }
}

TEST_F(FocusMarkTest, MouseFocusKeepsTheFacesOfLooksWithoutAFocusStyle)
{
    std::vector<Case> cases = LooksWithoutFocusStyle();
    cases.push_back({5, true, Normal, false}); // the ring waits for ShowFocus after a click
    for (const Case& c : cases) {
        const FocusRenders r = Render(c);
        EXPECT_EQ(r.byMouse, r.unfocused) << Describe(c);
    }
}

TEST_F(FocusMarkTest, LooksWithAFocusStyleShowItAloneWhateverBroughtTheFocus)
{
    const struct {
        Case look;
        Area area;
    } looks[] = {
        {{5, false}, &InRoundedRing},
        {{5, true, Normal, true}, &InRoundedRing},
        {{7, false}, &InShadedBand},
        {{7, true}, &InShadedBand},
        {{8, false}, &InBevelBorder},
        {{8, true}, &InBevelBorder},
        {{10, false}, [](int, int) { return true; }}, // a skin of its own
        {{6, false}, [](int, int) { return true; }},  // the theme's defaulted button
    };
    for (const auto& [look, area] : looks) {
        const FocusRenders r = Render(look);
        EXPECT_EQ(r.byKeyboard, r.byMouse) << Describe(look) << ": no second mark over the look's own";
        const std::vector<QPoint> changed = ChangedPixels(r.unfocused, r.byKeyboard);
        EXPECT_FALSE(changed.empty()) << Describe(look) << ": focus invisible";
        ExpectOnlyWithin(changed, area, Describe(look));
    }
}

TEST_F(FocusMarkTest, RoundedGradientWithCustomColoursRingsForTheKeyboardWithoutShowFocus)
{
    const FocusRenders r = Render({5, true, Normal, false});
    const std::vector<QPoint> changed = ChangedPixels(r.unfocused, r.byKeyboard);
    EXPECT_FALSE(changed.empty());
    ExpectOnlyWithin(changed, &InRoundedRing, "style 5 custom");
    // The ring in the system highlight colour, as ShowFocus has always drawn it.
    EXPECT_COLOR(painttest::PixelAt(r.byKeyboard, W / 2, H - 2), Sys(host::COLOR_HIGHLIGHT));
    EXPECT_EQ(r.byKeyboard, Render({5, true, Normal, true}).byMouse);
}

TEST_F(FocusMarkTest, MarkFollowsTheCaptionColourOfItsState)
{
    Button b(W, H, 0);
    b.Custom(CustomBack, CustomHighlight);
    b.fields.FontColor = RGB(10, 20, 30);
    b.fields.FontHighlightColor = RGB(200, 10, 10);
    b.fields.HasFocus = b.fields.FocusCue = true;
    b.In(Normal).Refreshed();
    const int dot = FocusMarkInset + 2, gap = FocusMarkInset + 1; // along the top row
    EXPECT_COLOR(b.At(gap, FocusMarkInset), CustomBack) << "between the dots";
    EXPECT_COLOR(b.At(dot, FocusMarkInset), RGB(10, 20, 30));
    b.In(Hover).Refreshed();
    EXPECT_COLOR(b.At(dot, FocusMarkInset), RGB(200, 10, 10));
}

} // namespace
