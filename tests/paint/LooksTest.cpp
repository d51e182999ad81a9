#include "PaintTestSupport.h"

#include "button/paint/Face.h"
#include "button/paint/Styles.h"
#include "host/gfx/Theme.h"

#include <QApplication>
#include <QPalette>

using namespace paint;
using host::RGB;
using painttest::Button;

namespace {

constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Plum = RGB(120, 40, 90);

class LooksTest : public painttest::WithSystemColors {
protected:
    COLORREF face() const { return Sys(host::COLOR_BTNFACE); }
    COLORREF shadow() const { return Sys(host::COLOR_BTNSHADOW); }
    COLORREF hilite() const { return Sys(host::COLOR_BTNHIGHLIGHT); }
};

TEST_F(LooksTest, RefreshSettlesTheStateTheFaceShows)
{
    Button designer(60, 24, 0);
    designer.surface.userMode = false;
    designer.Refreshed();
    EXPECT_EQ(designer.fields.DrawState, Hover);

    Button rounded(60, 24, 5);
    rounded.surface.userMode = false;
    rounded.Refreshed();
    EXPECT_EQ(rounded.fields.DrawState, Normal);

    Button toggle(60, 24, 0);
    toggle.fields.ButtonType = 1;
    toggle.fields.Value = true;
    toggle.In(Hover).Refreshed();
    EXPECT_EQ(toggle.fields.DrawState, Pressed);
    EXPECT_EQ(toggle.At(0, 0), shadow()); // sunken

    toggle.fields.Enabled = false;
    toggle.Refreshed();
    EXPECT_EQ(toggle.fields.DrawState, Disabled);
    toggle.fields.Enabled = true;
    toggle.fields.Value = false;
    toggle.Refreshed();
    EXPECT_EQ(toggle.fields.DrawState, Disabled); // stays until input or Enabled sets another
}

TEST_F(LooksTest, RaisedEdgeLook)
{
    Button button(50, 20, 0);
    button.Refreshed();
    EXPECT_EQ(button.At(0, 0), Sys(host::COLOR_3DLIGHT));
    EXPECT_EQ(button.At(1, 1), hilite());
    EXPECT_EQ(button.At(48, 18), shadow());
    EXPECT_EQ(button.At(2, 2), face());

    button.In(Pressed).Refreshed();
    EXPECT_EQ(button.At(0, 0), shadow());
    EXPECT_EQ(button.At(1, 1), Sys(host::COLOR_3DDKSHADOW));

    button.Custom(Plum, Blue).In(Normal).Refreshed();
    EXPECT_EQ(button.At(2, 2), Plum);
    for (std::int32_t state : {Hover, Pressed, Disabled}) {
        button.In(state).Refreshed();
        EXPECT_EQ(button.At(2, 2), Blue) << state;
    }
    button.fields.Enabled = false;
    button.Refreshed();
    EXPECT_EQ(button.At(2, 2), Blue);
    EXPECT_EQ(button.At(0, 0), Sys(host::COLOR_3DLIGHT));
}

TEST_F(LooksTest, ThinEdgeLook)
{
    Button button(50, 20, 1);
    for (std::int32_t state : {Normal, Hover}) {
        button.In(state).Refreshed();
        EXPECT_EQ(button.At(0, 0), hilite()) << state;
        EXPECT_EQ(button.At(49, 19), shadow()) << state;
        EXPECT_EQ(button.At(1, 1), face()) << state;
    }
    button.In(Pressed).Refreshed();
    EXPECT_EQ(button.At(0, 0), shadow());
    EXPECT_EQ(button.At(49, 19), hilite());

    button.Custom(Plum, Blue).In(Hover).Refreshed();
    EXPECT_EQ(button.At(1, 1), Blue);
    button.fields.Enabled = false;
    button.Refreshed();
    EXPECT_EQ(button.At(0, 0), Plum);
    EXPECT_EQ(button.At(49, 19), Plum);
    EXPECT_EQ(button.At(25, 10), Plum);
}

TEST_F(LooksTest, FlatLookShowsItsEdgeOnlyOnceHot)
{
    Button button(50, 20, 2);
    button.Custom(Plum, Blue).Refreshed();
    EXPECT_EQ(button.At(0, 0), Plum);
    EXPECT_EQ(button.At(49, 19), Plum);
    button.In(Hover).Refreshed();
    EXPECT_EQ(button.At(0, 0), hilite());
    EXPECT_EQ(button.At(1, 1), Blue);
    button.In(Pressed).Refreshed();
    EXPECT_EQ(button.At(0, 0), shadow());
    button.In(Disabled).Refreshed();
    EXPECT_EQ(button.At(0, 0), Plum);
}

TEST_F(LooksTest, EtchedLook)
{
    Button button(40, 20, 3);
    button.In(Hover).Refreshed();
    const COLORREF inner = MixColors(shadow(), face());
    EXPECT_EQ(button.At(4, 4), inner);
    EXPECT_EQ(button.At(35, 15), inner);
    EXPECT_EQ(button.At(36, 15), face()); // the two-pixel ring
    EXPECT_EQ(button.At(2, 2), face());
    EXPECT_EQ(button.At(3, 3), face());
    EXPECT_EQ(button.At(0, 5), shadow());
    EXPECT_EQ(button.At(38, 5), shadow());
    EXPECT_EQ(button.At(1, 5), Sys(host::COLOR_WINDOW));
    EXPECT_EQ(button.At(39, 5), Sys(host::COLOR_WINDOW));
    EXPECT_EQ(button.At(0, 19), inner);
    EXPECT_EQ(button.At(39, 0), inner);
    EXPECT_EQ(button.At(1, 18), MixColors(Sys(host::COLOR_WINDOW), shadow()));

    button.In(Normal).Refreshed();
    EXPECT_EQ(button.At(10, 10), face());
    button.In(Pressed).Refreshed();
    EXPECT_EQ(button.At(10, 10), shadow());
    button.Custom(Plum, Blue).Refreshed();
    EXPECT_EQ(button.At(10, 10), Blue);
    EXPECT_EQ(button.At(3, 3), Plum);
    button.In(Hover).Refreshed();
    EXPECT_EQ(button.At(10, 10), MixColors(Blue, Plum));
}

TEST_F(LooksTest, TintedLook)
{
    Button button(40, 20, 4);
    button.Custom(RGB(0, 0, 0), Blue).Refreshed();
    EXPECT_EQ(button.At(0, 0), RGB(32, 32, 32));
    EXPECT_EQ(button.At(39, 19), RGB(32, 32, 32));

    button.In(Hover).Refreshed();
    EXPECT_EQ(button.At(5, 5), RGB(176, 176, 255));
    EXPECT_EQ(button.At(0, 0), Blue);
    EXPECT_EQ(button.At(39, 19), Blue);
    EXPECT_EQ(button.At(38, 18), RGB(176, 176, 255));

    button.In(Pressed).Refreshed();
    EXPECT_EQ(button.At(5, 5), RGB(128, 128, 255));

    button.fields.UseCustomColors = false;
    button.In(Hover).Refreshed();
    EXPECT_EQ(button.At(0, 0), Sys(host::COLOR_HIGHLIGHT));
}

TEST_F(LooksTest, StylesWithoutAPainterLeaveTheFaceAsCleared)
{
    for (std::int32_t style : {11, -1}) {
        Button button(40, 20, style);
        button.surface.backColor = Plum;
        button.Refreshed();
        EXPECT_EQ(button.At(0, 0), Plum) << style;
        EXPECT_EQ(button.At(20, 10), Plum) << style;
    }
    EXPECT_EQ(IconMargin(5), 5);
    EXPECT_EQ(IconMargin(9), 7);
    EXPECT_EQ(IconMargin(42), 4);
}

TEST_F(LooksTest, ThemedLookAsksTheThemeForTheDefaultedStateWhenFocused)
{
    Button button(80, 30, 6);
    button.Refreshed();
    const QImage resting = button.surface.image;
    EXPECT_EQ(button.fields.Style, 6);
    EXPECT_NE(resting, QImage(80, 30, QImage::Format_RGB32)) << "the theme drew nothing";

    button.fields.HasFocus = true;
    button.Refreshed();
    EXPECT_NE(button.surface.image, resting);
    const QImage defaulted = button.surface.image;
    button.In(Hover).Refreshed();
    EXPECT_NE(button.surface.image, defaulted);
    EXPECT_EQ(button.fields.Style, 6);
}

TEST_F(LooksTest, ThemedLookFollowsAThemeChange)
{
    Button button(80, 30, 6);
    button.Refreshed();
    const QImage before = button.surface.image;
    const QPalette original = QApplication::palette();
    QPalette reddish = original;
    reddish.setColor(QPalette::Button, QColor(200, 40, 40));
    QApplication::setPalette(reddish);
    button.Refreshed();
    const QImage after = button.surface.image;
    QApplication::setPalette(original);
    EXPECT_NE(after, before);
    button.Refreshed();
    EXPECT_EQ(button.surface.image, before);
}

TEST_F(LooksTest, ThemedLookFallsBackToItsNonThemedStyleWithoutThemes)
{
    host::ScopedThemesOff noThemes;
    Button button(40, 20, 6);
    button.fields.NonThemeStyle = 4;
    button.Custom(RGB(0, 0, 0), Blue).Refreshed();
    EXPECT_EQ(button.fields.Style, 4);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(button.At(x, y), face()) << x << "," << y;

    button.Refreshed();
    EXPECT_EQ(button.At(0, 0), RGB(32, 32, 32));
}

// The darkest pixel drawn in the caption rectangle is the caption's colour.
COLORREF CaptionInk(const Button& button)
{
    int best = 1000;
    COLORREF ink = 0;
    for (int y = 4; y < button.H() - 4; ++y)
        for (int x = 4; x < button.W() - 4; ++x) {
            const COLORREF c = button.At(x, y);
            const int sum = host::GetRValue(c) + host::GetGValue(c) + host::GetBValue(c);
            if (sum < best)
                best = sum, ink = c;
        }
    return ink;
}

TEST_F(LooksTest, CaptionColourFollowsStateAndCustomColours)
{
    Button button(120, 30, 1);
    button.fields.Caption = QStringLiteral("MMMM");
    button.fields.Font.setPixelSize(16);
    button.fields.Font.setBold(true);
    button.Refreshed();
    EXPECT_EQ(CaptionInk(button), Sys(host::COLOR_BTNTEXT));
    button.fields.Enabled = false;
    button.Refreshed();
    EXPECT_EQ(CaptionInk(button), Sys(host::COLOR_GRAYTEXT));

    button.fields.Enabled = true;
    button.Custom(RGB(250, 250, 250), RGB(240, 240, 240));
    button.fields.FontColor = RGB(0, 90, 0);
    button.fields.FontHighlightColor = RGB(90, 0, 0);
    button.In(Normal).Refreshed();
    EXPECT_EQ(CaptionInk(button), RGB(0, 90, 0));
    button.In(Hover).Refreshed();
    EXPECT_EQ(CaptionInk(button), RGB(90, 0, 0));
    button.In(Pressed).Refreshed();
    EXPECT_EQ(CaptionInk(button), RGB(90, 0, 0));
    EXPECT_EQ(button.surface.foreColor, 0u) << "the foreground colour is put back";
}

TEST(IconPlacementTest, AlignmentsAndMargins)
{
    EXPECT_EQ(IconPosition(0, 97, 20, 16, 4), QPoint(40, 2)); // 40.5 -> 40
    EXPECT_EQ(IconPosition(0, 99, 23, 16, 4), QPoint(42, 4)); // 41.5 -> 42, 3.5 -> 4
    EXPECT_EQ(IconPosition(1, 97, 20, 16, 7), QPoint(7, 2));
    EXPECT_EQ(IconPosition(2, 97, 20, 16, 4), QPoint(77, 2));
    EXPECT_EQ(IconPosition(3, 97, 40, 16, 5), QPoint(40, 5));
    EXPECT_EQ(IconPosition(4, 97, 40, 16, 4), QPoint(40, 20));
    EXPECT_EQ(IconPosition(9, 97, 40, 16, 4), QPoint(0, 0));
}

class IconTest : public LooksTest {
protected:
    static QImage RedSquare()
    {
        QImage icon(8, 8, QImage::Format_ARGB32);
        icon.fill(qRgba(255, 0, 0, 255));
        return icon;
    }
};

TEST_F(IconTest, IconSinksOnePixelWhenPressed)
{
    Button button(97, 20, 1);
    button.fields.Icon = RedSquare();
    button.fields.IconAlign = 1;
    button.Refreshed();
    EXPECT_EQ(button.At(4, 2), Red);
    EXPECT_EQ(button.At(19, 17), Red);
    EXPECT_NE(button.At(20, 2), Red);
    button.In(Pressed).Refreshed();
    EXPECT_NE(button.At(4, 2), Red);
    EXPECT_EQ(button.At(5, 3), Red);
    EXPECT_EQ(button.At(20, 18), Red);
}

TEST_F(IconTest, TintedLookUnderThePointerCastsAGreyShadow)
{
    Button button(97, 20, 4);
    button.fields.Icon = RedSquare();
    button.fields.IconAlign = 1;
    button.In(Hover).Refreshed();
    EXPECT_EQ(button.At(2, 0), Red); // drawn two pixels up and left
    EXPECT_EQ(button.At(17, 15), Red);
    EXPECT_EQ(button.At(18, 16), RGB(128, 128, 128));
    EXPECT_EQ(button.At(19, 17), RGB(128, 128, 128));
    EXPECT_NE(button.At(20, 18), RGB(128, 128, 128));

    button.fields.Style = 3;
    button.Refreshed();
    EXPECT_EQ(button.At(4, 2), Red);
    EXPECT_NE(button.At(19, 17), RGB(128, 128, 128));
}

TEST_F(IconTest, EmptyPicturesAreSkippedAndOverhangingIconsClipped)
{
    Button empty(40, 20, 1);
    empty.fields.Icon = QImage();
    empty.fields.Caption = QStringLiteral("MM");
    empty.Refreshed();
    EXPECT_NE(CaptionInk(empty), face());

    Button narrow(18, 20, 1);
    narrow.fields.Icon = RedSquare();
    narrow.fields.IconAlign = 2; // x = 18 - 16 - 4 = -2
    narrow.Refreshed();
    EXPECT_EQ(narrow.At(0, 5), Red);
    EXPECT_EQ(narrow.At(13, 5), Red);
    EXPECT_NE(narrow.At(14, 5), Red);

    Button disabled(40, 20, 1);
    disabled.fields.Icon = RedSquare();
    disabled.fields.Enabled = false;
    disabled.Refreshed();
    EXPECT_EQ(disabled.At(12, 2), Red); // unchanged, not greyed
}

TEST(RegionBuilderTest, EachOutlineCutsItsCorners)
{
    EXPECT_EQ(MakeRectRegion(97, 20), QRegion(0, 0, 97, 20));

    const QRegion chamfer = MakeChamferRegion(97, 20);
    EXPECT_EQ(chamfer.boundingRect(), QRect(0, 0, 97, 20));
    EXPECT_FALSE(chamfer.contains(QPoint(0, 0)));
    EXPECT_FALSE(chamfer.contains(QPoint(96, 0)));
    EXPECT_TRUE(chamfer.contains(QPoint(1, 0)));
    EXPECT_TRUE(chamfer.contains(QPoint(95, 0)));
    EXPECT_TRUE(chamfer.contains(QPoint(0, 18)));
    EXPECT_FALSE(chamfer.contains(QPoint(0, 19)));
    EXPECT_FALSE(chamfer.contains(QPoint(96, 19)));
    EXPECT_TRUE(chamfer.contains(QPoint(1, 19)));

    const QRegion wide = MakeWideChamferRegion(97, 20);
    EXPECT_FALSE(wide.contains(QPoint(1, 0)));
    EXPECT_TRUE(wide.contains(QPoint(2, 0)));
    EXPECT_TRUE(wide.contains(QPoint(93, 0)));
    EXPECT_FALSE(wide.contains(QPoint(94, 0)));
    EXPECT_FALSE(wide.contains(QPoint(2, 19)));
    EXPECT_TRUE(wide.contains(QPoint(3, 19)));
    EXPECT_TRUE(wide.contains(QPoint(94, 19)));
    EXPECT_FALSE(wide.contains(QPoint(95, 19)));

    const QRegion round = MakeRoundRegion(97, 40);
    EXPECT_EQ(round.boundingRect(), QRect(0, 0, 97, 40));
    EXPECT_FALSE(round.contains(QPoint(1, 1)));
    EXPECT_FALSE(round.contains(QPoint(95, 38)));
    EXPECT_TRUE(round.contains(QPoint(0, 20)));
    EXPECT_TRUE(round.contains(QPoint(48, 0)));
    EXPECT_TRUE(round.contains(QPoint(96, 20)));
}

} // namespace
