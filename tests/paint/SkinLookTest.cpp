#include "PaintTestSupport.h"

#include "button/paint/Face.h"
#include "button/paint/Style10Skin.h"
#include "button/paint/Styles.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

using namespace paint;
using host::RGB;
using painttest::Button;
using skin::SkinArt;

namespace {

constexpr std::int32_t SkinStyle = 10;
constexpr COLORREF Sentinel = RGB(255, 0, 255); // no skin uses it

COLORREF Hex(std::uint32_t rgb) { return RGB(int(rgb >> 16), int(rgb >> 8), int(rgb)); }

int ChannelDistance(COLORREF a, COLORREF b)
{
    return std::max({std::abs(host::GetRValue(a) - host::GetRValue(b)), std::abs(host::GetGValue(a) - host::GetGValue(b)),
                     std::abs(host::GetBValue(a) - host::GetBValue(b))});
}

struct NamedSkin {
    const char* name;
    const SkinArt& art;
};
std::vector<NamedSkin> AllSkins() { return {{"grey", skin::Grey()}, {"blue", skin::Blue()}, {"dark blue", skin::DarkBlue()}}; }

std::set<std::pair<int, int>> Positions(std::span<const host::ArtPixel> corner)
{
    std::set<std::pair<int, int>> positions;
    for (const host::ArtPixel& p : corner)
        positions.emplace(p.x, p.y);
    return positions;
}

// The colours of one corner row, left to right.
std::vector<COLORREF> RowOf(std::span<const host::ArtPixel> corner, int y)
{
    std::vector<std::pair<int, COLORREF>> row;
    for (const host::ArtPixel& p : corner)
        if (p.y == y)
            row.emplace_back(p.x, Hex(p.rgb));
    std::sort(row.begin(), row.end());
    std::vector<COLORREF> colours;
    for (const auto& [x, colour] : row)
        colours.push_back(colour);
    return colours;
}

std::vector<COLORREF> Hexes(std::initializer_list<std::uint32_t> values)
{
    std::vector<COLORREF> colours;
    for (std::uint32_t v : values)
        colours.push_back(Hex(v));
    return colours;
}

// A skinned button in the look of the draw state, no caption, on a background no skin uses.
Button Skinned(int W, int H, std::int32_t state, bool focused = false)
{
    Button button(W, H, SkinStyle);
    button.surface.SetBackColor(Sentinel);
    button.fields.HasFocus = focused;
    button.In(state).Refreshed();
    return button;
}

class SkinLookTest : public painttest::WithSystemColors {};

TEST_F(SkinLookTest, CornerMapsSetTheSkinsPixelCountsWithinTheirAnchors)
{
    struct Expected {
        std::size_t topLeft, bottomLeft, topRight, bottomRight;
        int topRows, bottomRows;
    };
    for (const auto& [name, art] : AllSkins()) {
        const bool grey = &art == &skin::Grey();
        const Expected want = grey ? Expected{217, 173, 215, 156, 13, 11} : Expected{181, 214, 179, 198, 11, 13};
        SCOPED_TRACE(name);
        EXPECT_EQ(art.topLeft.size(), want.topLeft);
        EXPECT_EQ(art.bottomLeft.size(), want.bottomLeft);
        EXPECT_EQ(art.topRight.size(), want.topRight);
        EXPECT_EQ(art.bottomRight.size(), want.bottomRight);

        // x from 0 or from W, y from 0 or from H; every pixel once.
        const auto within = [](std::span<const host::ArtPixel> corner, int x0, int x1, int y0, int y1) {
            for (const host::ArtPixel& p : corner)
                if (p.x < x0 || p.x > x1 || p.y < y0 || p.y > y1)
                    return false;
            return Positions(corner).size() == corner.size();
        };
        EXPECT_TRUE(within(art.topLeft, 0, 17, 0, want.topRows - 1));
        EXPECT_TRUE(within(art.bottomLeft, 0, 17, 1 - want.bottomRows, 0));
        EXPECT_TRUE(within(art.topRight, -17, 0, 0, want.topRows - 1));
        EXPECT_TRUE(within(art.bottomRight, -17, 0, 1 - want.bottomRows, 0));
    }
    // The unset pixels of the grey top-left corner trace the window's rounded outline.
    const std::vector<std::size_t> perRow = {12, 14, 15, 16, 17, 17, 18, 18, 18, 18, 18, 18, 18};
    for (int y = 0; y < int(perRow.size()); ++y)
        EXPECT_EQ(RowOf(skin::Grey().topLeft, y).size(), perRow[std::size_t(y)]) << "row " << y;
}

TEST_F(SkinLookTest, BlueSkinsShareTheirPixelsAndDifferOnlyInColour)
{
    const SkinArt& blue = skin::Blue();
    const SkinArt& dark = skin::DarkBlue();
    EXPECT_EQ(Positions(blue.topLeft), Positions(dark.topLeft));
    EXPECT_EQ(Positions(blue.bottomLeft), Positions(dark.bottomLeft));
    EXPECT_EQ(Positions(blue.topRight), Positions(dark.topRight));
    EXPECT_EQ(Positions(blue.bottomRight), Positions(dark.bottomRight));
    EXPECT_NE(Positions(blue.topLeft), Positions(skin::Grey().topLeft)); // taller grey top corners

    int differing = 0;
    for (auto corner : {&SkinArt::topLeft, &SkinArt::bottomLeft, &SkinArt::topRight, &SkinArt::bottomRight})
        for (std::size_t i = 0; i < (blue.*corner).size(); ++i)
            differing += (blue.*corner)[i].rgb != (dark.*corner)[i].rgb;
    EXPECT_GT(differing, 600); // of 772: only the white fringe is shared
}

TEST_F(SkinLookTest, HandDrawnRowsAreKeptInDataAndOnScreen)
{
    EXPECT_EQ(RowOf(skin::Grey().topLeft, 0), Hexes({0xFEFEFE, 0xE6E6E6, 0xACACAC, 0x7A7A7A, 0x6C6C6C, 0x6B6B6B,
                                                      0x6F6F6F, 0x6F6F71, 0x707072, 0x666867, 0x6B6D6C, 0x6A6967}));
    // The outline reaches a pixel further out on the second row than the drawing: x = 4 is
    // computed, the drawn row follows it.
    const std::vector<COLORREF> secondRow = RowOf(skin::Grey().topLeft, 1);
    ASSERT_EQ(secondRow.size(), 14u);
    EXPECT_EQ(std::vector<COLORREF>(secondRow.begin() + 1, secondRow.end()),
              Hexes({0xEFEFEF, 0x939393, 0x676767, 0x797979, 0xB3B3B3, 0xDBDBDB, 0xEEEDEB, 0xF6F4F5, 0xF6F4F5,
                     0xF6F4F5, 0xF6F4F5, 0xF6F4F5, 0xF6F4F5}));
    EXPECT_EQ(RowOf(skin::Blue().topLeft, 0), Hexes({0xFEFEFE, 0xE5E5E6, 0xA5A5A9, 0x5E5E6C, 0x292748, 0x0C0D37,
                                                      0x060737, 0x050636, 0x06063A, 0x070841, 0x070745, 0x080645}));
    EXPECT_EQ(RowOf(skin::DarkBlue().topLeft, 0), Hexes({0xFEFEFE, 0xE4E4E5, 0xA2A2A5, 0x5C5C67, 0x292742, 0x0D0E30,
                                                          0x090A30, 0x08092F, 0x090933, 0x0A0A39, 0x0A0A3C,
                                                          0x0A093C}));
    // Its last pixel, at W-6, lies outside the window outline and is no longer drawn.
    const std::vector<COLORREF> greyBottom = Hexes({0xC5C5C5, 0xC5C5C5, 0xC6C6C6, 0xC6C6C6, 0xC6C6C6, 0xC9C9C9,
                                                    0xCECECE, 0xD7D7D7, 0xE1E1E1, 0xECECEC, 0xF6F6F6});
    EXPECT_EQ(RowOf(skin::Grey().bottomRight, -1), greyBottom);
    EXPECT_TRUE(RowOf(skin::Grey().bottomRight, 0).empty()); // that row is the corner's last

    // Where they land: the top-left rows from x = 6 and 4, the bottom row from W-17.
    const Button grey = Skinned(120, 34, Normal);
    EXPECT_EQ(grey.At(6, 0), Hex(0xFEFEFE));
    EXPECT_EQ(grey.At(16, 0), Hex(0x6B6D6C));
    EXPECT_EQ(grey.At(5, 1), Hex(0xEFEFEF));
    EXPECT_NE(grey.At(4, 1), Sentinel);
    EXPECT_EQ(grey.At(3, 1), Sentinel);
    EXPECT_EQ(grey.At(7, 1), Hex(0x676767));
    for (int i = 0; i < int(greyBottom.size()); ++i)
        EXPECT_EQ(grey.At(120 - 17 + i, 33), greyBottom[std::size_t(i)]) << i;
    EXPECT_EQ(grey.At(120 - 6, 33), Sentinel);
    const Button dark = Skinned(120, 34, Pressed);
    EXPECT_EQ(dark.At(9, 0), Hex(0x5C5C67));
}

TEST_F(SkinLookTest, SkinFollowsStateAndFocusNotColours)
{
    const auto centre = [](std::int32_t state, bool focused) { return Skinned(120, 34, state, focused).At(60, 17); };
    const COLORREF grey = Hex(0xE8E7EA), blue = Hex(0x6AA6E2), darkBlue = Hex(0x6A9BCC);
    EXPECT_EQ(centre(Normal, false), grey);
    EXPECT_EQ(centre(Normal, true), blue);
    EXPECT_EQ(centre(Hover, false), blue);
    EXPECT_EQ(centre(Hover, true), blue);
    EXPECT_EQ(centre(Pressed, false), darkBlue);
    EXPECT_EQ(centre(Pressed, true), darkBlue);

    Button disabled(120, 34, SkinStyle);
    disabled.fields.Enabled = false;
    disabled.Refreshed();
    EXPECT_EQ(disabled.At(60, 17), grey);
    disabled.fields.HasFocus = true;
    disabled.Refreshed();
    EXPECT_EQ(disabled.At(60, 17), blue);

    // Custom colours, on or off, leave every pixel of the face alone.
    for (std::int32_t state : {Normal, Hover, Pressed}) {
        const QImage plain = Skinned(97, 20, state).surface.image;
        Button custom(97, 20, SkinStyle);
        custom.surface.SetBackColor(Sentinel);
        custom.Custom(RGB(200, 30, 30), RGB(20, 200, 20));
        custom.fields.ShowFocus = true;
        custom.In(state).Refreshed();
        EXPECT_EQ(custom.surface.image, plain) << state;
        custom.fields.UseCustomColors = false;
        custom.Refreshed();
        EXPECT_EQ(custom.surface.image, plain) << state;
    }
}

TEST_F(SkinLookTest, IconKeepsTheSkinsMargin)
{
    Button button(120, 34, SkinStyle);
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    button.fields.Icon = red;
    button.fields.IconAlign = 1;
    button.Refreshed();
    EXPECT_EQ(button.At(7, 17), RGB(255, 0, 0));
    EXPECT_NE(button.At(6, 17), RGB(255, 0, 0));
}

TEST_F(SkinLookTest, EdgeRowsCoverTheCentreOfALowButton)
{
    for (std::int32_t state : {Normal, Hover, Pressed}) {
        const Button low = Skinned(75, 23, state);
        const SkinArt& art = skin::SkinFor(state, false);
        for (int x = 17; x <= 57; ++x) {
            for (int y = 0; y <= 11; ++y)
                ASSERT_EQ(low.At(x, y), Hex(art.top[std::size_t(y)])) << state << " at " << x << ", " << y;
            for (int y = 12; y <= 22; ++y)
                ASSERT_EQ(low.At(x, y), Hex(art.bottom[std::size_t(y - 12)])) << state << " at " << x << ", " << y;
        }
        const Button taller = Skinned(75, 24, state);
        EXPECT_EQ(taller.At(18, 12), Hex(art.centre)) << state;
        EXPECT_EQ(taller.At(57, 12), Hex(art.centre)) << state;
    }
}

TEST_F(SkinLookTest, PixelsPastTheSurfaceAreDroppedNotWritten)
{
    // The data does reach past the surface, at x = W and y = H.
    const auto reaches = [](std::span<const host::ArtPixel> corner, bool column) {
        return std::any_of(corner.begin(), corner.end(), [&](const host::ArtPixel& p) { return column ? p.x == 0 : p.y == 0; });
    };
    EXPECT_TRUE(reaches(skin::Grey().topRight, true));
    EXPECT_TRUE(reaches(skin::Grey().bottomLeft, false));
    EXPECT_TRUE(reaches(skin::Blue().bottomRight, false));

    // A surface whose lines are padded by a column, with a row after it: neither may change.
    constexpr int W = 60, H = 30, Stride = W + 1;
    constexpr QRgb Guard = 0xFF123456;
    for (const std::int32_t state : {Normal, Hover, Pressed}) {
        std::vector<QRgb> memory(std::size_t(Stride * (H + 1)), Guard);
        Button button(W, H, SkinStyle);
        button.surface.image = QImage(reinterpret_cast<uchar*>(memory.data()), W, H, Stride * 4, QImage::Format_RGB32);
        button.In(state);
        Face face(button.fields, button.surface);
        PaintSkin(face);
        EXPECT_EQ(memory[std::size_t(W / 2)], 0xFF000000u | skin::SkinFor(state, false).top[0]) << "not painted in place";
        for (int y = 0; y < H; ++y)
            EXPECT_EQ(memory[std::size_t(y * Stride + W)], Guard) << "column W, row " << y;
        for (int x = 0; x < Stride; ++x)
            EXPECT_EQ(memory[std::size_t(H * Stride + x)], Guard) << "row H, column " << x;
    }
}

// The sizes the program's buttons take, the fixture's wide one, and the smallest at which the
// corners do not overlap.
constexpr std::array<std::pair<int, int>, 6> OutlineSizes = {
    {{97, 20}, {229, 97}, {75, 23}, {40, 24}, {36, 23}, {120, 34}}};

TEST_F(SkinLookTest, WindowOutlineIsTheRoundedRectangleOfEllipse18)
{
    // An 18-pixel ellipse leaves out these many pixels at each end of the outer rows, from the
    // outermost inward; every other row is whole.
    constexpr std::array<int, 6> Cut = {6, 4, 3, 2, 1, 1};
    for (const auto& [W, H] : OutlineSizes) {
        SCOPED_TRACE(std::to_string(W) + " x " + std::to_string(H));
        const QRegion outline = MakeRoundRegion(W, H);
        EXPECT_EQ(outline, host::CreateRoundRectRgn(0, 0, W + 1, H + 1, 18, 18));
        for (int y = 0; y < H; ++y) {
            const int inward = std::min(y, H - 1 - y);
            const int cut = inward < int(Cut.size()) ? Cut[std::size_t(inward)] : 0;
            EXPECT_EQ(outline.intersected(QRect(0, y, W, 1)), QRegion(cut, y, W - 2 * cut, 1)) << "row " << y;
        }
    }
}

TEST_F(SkinLookTest, WindowOutlineIsExactlyWhatTheSkinPaints)
{
    for (const auto& [W, H] : OutlineSizes)
        for (std::int32_t state : {Normal, Hover, Pressed}) {
            const Button button = Skinned(W, H, state);
            const QRegion outline = MakeRoundRegion(W, H);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    ASSERT_EQ(outline.contains(QPoint(x, y)), button.At(x, y) != Sentinel)
                        << W << " x " << H << ", state " << state << " at " << x << ", " << y;
        }
    // Below the size where the pieces overlap, the outline may hide painted pixels, never show
    // unpainted ones.
    for (const auto& [W, H] : {std::pair{20, 20}, std::pair{33, 21}})
        for (std::int32_t state : {Normal, Hover, Pressed}) {
            const Button button = Skinned(W, H, state);
            const QRegion outline = MakeRoundRegion(W, H);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if (outline.contains(QPoint(x, y))) {
                        ASSERT_NE(button.At(x, y), Sentinel) << W << " x " << H << " at " << x << ", " << y;
                    }
        }
}

// Where a corner meets an edge line it carries on that line's colour: a map anchored a pixel
// off, or coloured from the wrong profile, shows as a jump.
TEST_F(SkinLookTest, CornersJoinTheEdgeLinesWithoutASeam)
{
    constexpr int W = 120, H = 34;
    constexpr int Tolerance = 12;
    for (std::int32_t state : {Normal, Hover, Pressed}) {
        const Button b = Skinned(W, H, state);
        const auto joins = [&](QPoint corner, QPoint edge) {
            const COLORREF here = b.At(corner.x(), corner.y()), there = b.At(edge.x(), edge.y());
            return here == Sentinel || ChannelDistance(here, there) <= Tolerance; // outside the outline: nothing to join
        };
        const auto where = [&](QPoint corner) {
            return "state " + std::to_string(state) + ", corner pixel " + std::to_string(corner.x()) + ", "
                + std::to_string(corner.y()) + ": " + ColorText(b.At(corner.x(), corner.y()));
        };
        // Into the edge rows, top and bottom.
        for (int y = 0; y < H; ++y) {
            if (y > 10 && y < H - 10)
                continue;
            EXPECT_TRUE(joins({16, y}, {17, y})) << where({16, y});
            EXPECT_TRUE(joins({W - 17, y}, {W - 18, y})) << where({W - 17, y});
        }
        for (int x = 0; x <= 16; ++x)
            for (int column : {x, W - 1 - x}) {
                // Into the edge columns at their top ends.
                EXPECT_TRUE(joins({column, 10}, {column, 11})) << where({column, 10});
                // At their bottom ends the bottom band begins; its first row runs on into the corner.
                EXPECT_TRUE(joins({column, H - 10}, {column, H - 11}) || joins({column, H - 10}, {17, H - 10}))
                    << where({column, H - 10});
            }
    }
}

} // namespace
