#include "PaintTestSupport.h"

#include "host/gfx/Raster.h"

#include <array>

using namespace host;
using painttest::PixelAt;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

class RasterTest : public painttest::WithSystemColors {
protected:
    RasterTest() { image.fill(ToRgb(White)); }

    void Line(int x1, int y1, int x2, int y2, COLORREF color = Red)
    {
        const auto pen = dc.SelectPen(SolidPen(color));
        dc.MoveToEx(x1, y1);
        dc.LineTo(x2, y2);
    }
    int CountOf(COLORREF color) const
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += PixelAt(image, x, y) == color;
        return count;
    }

    QImage image{20, 12, QImage::Format_RGB32};
    DeviceContext dc{image};
};

TEST_F(RasterTest, LinesLeaveOutTheirEndPixelInEveryDirection)
{
    Line(2, 3, 6, 3);
    EXPECT_EQ(PixelAt(image, 2, 3), Red);
    EXPECT_EQ(PixelAt(image, 5, 3), Red);
    EXPECT_EQ(PixelAt(image, 6, 3), White);

    Line(16, 5, 12, 5); // leftwards: 13..16
    EXPECT_EQ(PixelAt(image, 12, 5), White);
    EXPECT_EQ(PixelAt(image, 13, 5), Red);
    EXPECT_EQ(PixelAt(image, 16, 5), Red);

    Line(1, 9, 1, 6); // upwards: 7..9
    EXPECT_EQ(PixelAt(image, 1, 6), White);
    EXPECT_EQ(PixelAt(image, 1, 7), Red);
    EXPECT_EQ(PixelAt(image, 1, 9), Red);
    EXPECT_EQ(CountOf(Red), 4 + 4 + 3);
}

TEST_F(RasterTest, DiagonalLinesStepOnePixelPerRow)
{
    Line(8, 11, 12, 7, Blue); // the 45-degree shadows of the bevelled looks
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PixelAt(image, 8 + i, 11 - i), Blue) << i;
    EXPECT_EQ(PixelAt(image, 12, 7), White);

    Line(0, 0, 2, 5); // steep: one pixel on each of rows 0..4
    EXPECT_EQ(CountOf(Red), 5);
    EXPECT_EQ(PixelAt(image, 0, 0), Red);
    for (int x = 0; x < 3; ++x)
        EXPECT_NE(PixelAt(image, x, 5), Red);
}

TEST_F(RasterTest, LineToContinuesFromTheEndAndClipsAtTheImageBorder)
{
    {
        const auto pen = dc.SelectPen(SolidPen(Red));
        dc.MoveToEx(-5, 0);
        dc.LineTo(25, 0);
        dc.LineTo(25, 30);
        EXPECT_EQ(dc.MoveToEx(0, 0), QPoint(25, 30));
    }
    EXPECT_EQ(CountOf(Red), 20);
}

TEST_F(RasterTest, PenSelectionPutsThePreviousPenBack)
{
    {
        const auto red = dc.SelectPen(SolidPen(Red));
        {
            const auto blue = dc.SelectPen(SolidPen(Blue));
            dc.MoveToEx(0, 0);
            dc.LineTo(1, 0);
        }
        dc.LineTo(2, 0);
    }
    dc.LineTo(3, 0); // the stock pen is black
    EXPECT_EQ(PixelAt(image, 0, 0), Blue);
    EXPECT_EQ(PixelAt(image, 1, 0), Red);
    EXPECT_EQ(PixelAt(image, 2, 0), RGB(0, 0, 0));
}

TEST_F(RasterTest, FillRectExcludesRightAndBottomAndIgnoresInvertedRectangles)
{
    dc.FillRect({2, 3, 5, 7}, SolidBrush(Red));
    EXPECT_EQ(CountOf(Red), 3 * 4);
    EXPECT_EQ(PixelAt(image, 4, 6), Red);
    EXPECT_EQ(PixelAt(image, 5, 6), White);
    EXPECT_EQ(PixelAt(image, 4, 7), White);

    dc.FillRect({9, 9, 6, 6}, SolidBrush(Blue));
    dc.FillRect({-10, 10, 100, 100}, SolidBrush(Blue)); // clipped to the last two rows
    EXPECT_EQ(CountOf(Blue), 2 * 20);
}

TEST_F(RasterTest, PixelsOutsideTheImageAreIgnoredAndReadAsInvalid)
{
    dc.SetPixel(19, 11, Red);
    dc.SetPixel(20, 11, Red);
    dc.SetPixel(-1, 0, Red);
    EXPECT_EQ(dc.GetPixel(19, 11), Red);
    EXPECT_EQ(dc.GetPixel(20, 11), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(0, -1), CLR_INVALID);
    EXPECT_EQ(CountOf(Red), 1);
}

TEST_F(RasterTest, RaisedEdgeGivesTheBottomLeftAndTopRightCornersToTheDarkSide)
{
    dc.DrawEdge({0, 0, 20, 12}, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(PixelAt(image, 0, 0), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(PixelAt(image, 18, 0), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(PixelAt(image, 19, 0), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(image, 0, 11), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(image, 0, 10), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(PixelAt(image, 19, 11), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(image, 1, 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 18, 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 1, 10), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 17, 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 2, 2), White);
    EXPECT_EQ(PixelAt(image, 17, 9), White);
}

TEST_F(RasterTest, SunkenEdgeSwapsTheLightAndDarkSides)
{
    dc.DrawEdge({2, 1, 12, 9}, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(PixelAt(image, 2, 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 11, 8), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 11, 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 3, 2), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(image, 10, 7), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(PixelAt(image, 12, 9), White);
    EXPECT_EQ(PixelAt(image, 1, 0), White);
}

TEST_F(RasterTest, ASingleBorderLiesOnTheRectanglesOwnEdge)
{
    dc.DrawEdge({0, 0, 10, 6}, BDR_RAISEDINNER, BF_RECT);
    EXPECT_EQ(PixelAt(image, 0, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 9, 5), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 0, 5), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 1, 1), White);

    dc.DrawEdge({10, 6, 20, 12}, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(PixelAt(image, 10, 6), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, 19, 11), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, 11, 7), White);
}

class TextTest : public ::testing::Test {
protected:
    TextTest()
    {
        image.fill(Qt::white);
        QFont font;
        font.setPixelSize(16);
        dc.SetFont(font);
        dc.SetTextColor(Blue);
    }

    // Bounding box of everything that is no longer white.
    QRect Ink() const
    {
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    ink |= QRect(x, y, 1, 1);
        return ink;
    }

    QImage image{200, 60, QImage::Format_RGB32};
    DeviceContext dc{image};
};

TEST_F(TextTest, SingleLineTextIsPlacedByTheAlignmentFlags)
{
    dc.DrawText(QStringLiteral("MW"), {10, 10, 190, 50}, DT_LEFT | DT_TOP | DT_SINGLELINE);
    const QRect leftTop = Ink();
    image.fill(Qt::white);
    dc.DrawText(QStringLiteral("MW"), {10, 10, 190, 50}, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    const QRect rightBottom = Ink();
    image.fill(Qt::white);
    dc.DrawText(QStringLiteral("MW"), {10, 10, 190, 50}, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const QRect centred = Ink();

    ASSERT_FALSE(leftTop.isEmpty());
    EXPECT_LT(leftTop.left(), 14);
    EXPECT_LT(leftTop.top(), 18);
    EXPECT_GT(rightBottom.right(), 184);
    EXPECT_GT(rightBottom.bottom(), 42);
    EXPECT_NEAR(centred.center().x(), 100, 2);
    EXPECT_NEAR(centred.center().y(), 30, 3);
}

TEST_F(TextTest, TextIsClippedToItsRectangleAndDrawnInTheTextColour)
{
    dc.DrawText(QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMM"), {20, 10, 60, 50}, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    const QRect ink = Ink();
    EXPECT_GE(ink.left(), 20);
    EXPECT_LE(ink.right(), 59);
    bool solid = false;
    for (int x = ink.left(); x <= ink.right(); ++x)
        solid |= PixelAt(image, x, ink.center().y()) == Blue;
    EXPECT_TRUE(solid);
}

TEST_F(TextTest, AnUpsideDownRectangleCentresOnItsMidpoint)
{
    dc.DrawText(QStringLiteral("Version"), {20, 50, 180, 10}, DT_SINGLELINE | DT_VCENTER);
    const QRect ink = Ink();
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().y(), 30, 3);
}

TEST_F(TextTest, AmpersandsAreMnemonicPrefixes)
{
    dc.DrawText(QStringLiteral("&&"), {0, 0, 200, 60}, DT_LEFT | DT_SINGLELINE);
    const int oneAmpersand = Ink().width();
    image.fill(Qt::white);
    dc.DrawText(QStringLiteral("&"), {0, 0, 200, 60}, DT_LEFT | DT_SINGLELINE);
    EXPECT_TRUE(Ink().isEmpty());
    image.fill(Qt::white);
    dc.DrawText(QStringLiteral("&&&&"), {0, 0, 200, 60}, DT_LEFT | DT_SINGLELINE);
    EXPECT_GT(Ink().width(), oneAmpersand);
}

TEST(PictureTest, PicturesAreStretchedBlendedAndClipped)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    QImage picture(2, 2, QImage::Format_ARGB32);
    picture.fill(qRgba(255, 0, 0, 255));
    picture.setPixel(1, 1, qRgba(0, 0, 0, 0));
    DeviceContext dc(image);
    dc.PaintPicture(picture, -2, 2, 8, 8);
    EXPECT_EQ(dc.GetPixel(0, 2), Red);        // columns -2 and -1 fall off the left
    EXPECT_EQ(dc.GetPixel(5, 9), White);      // the transparent quarter
    EXPECT_EQ(dc.GetPixel(6, 9), White);      // right of the picture
    EXPECT_EQ(dc.GetPixel(0, 1), White);      // above it
}

// Every pixel of the region, row by row, as the spans it holds.
std::vector<std::pair<int, int>> RowSpan(const QRegion& region, int y, int W)
{
    std::vector<std::pair<int, int>> spans;
    int start = -1;
    for (int x = 0; x <= W; ++x) {
        const bool in = x < W && region.contains(QPoint(x, y));
        if (in && start < 0)
            start = x;
        if (!in && start >= 0) {
            spans.emplace_back(start, x - 1);
            start = -1;
        }
    }
    return spans;
}

using Spans = std::vector<std::pair<int, int>>;

TEST(RegionTest, APolygonRectangleCoversWhatTheRectangleRegionCovers)
{
    const std::array<QPoint, 4> corners = {{{0, 0}, {30, 0}, {30, 10}, {0, 10}}};
    EXPECT_EQ(CreatePolygonRgn(corners), CreateRectRgn(0, 0, 30, 10));
    EXPECT_EQ(CreateRectRgn(0, 0, 30, 10).boundingRect(), QRect(0, 0, 30, 10));
    EXPECT_EQ(CreateRectRgn(30, 10, 0, 0), CreateRectRgn(0, 0, 30, 10));
}

TEST(RegionTest, PolygonsTakeTheirLeftEdgesAndLeaveOutRightAndBottomEdges)
{
    const std::array<QPoint, 3> triangle = {{{0, 0}, {8, 0}, {0, 8}}};
    const QRegion region = CreatePolygonRgn(triangle);
    EXPECT_EQ(RowSpan(region, 0, 10), (Spans{{0, 7}}));
    EXPECT_EQ(RowSpan(region, 4, 10), (Spans{{0, 3}}));
    EXPECT_EQ(RowSpan(region, 7, 10), (Spans{{0, 0}}));
    EXPECT_TRUE(RowSpan(region, 8, 10).empty());
}

TEST(RegionTest, AlternateFillLeavesTheOverlapOfASelfCrossingOutlineEmpty)
{
    // Two overlapping squares drawn as one outline: the shared middle is crossed twice.
    const std::array<QPoint, 8> outline = {{{0, 0}, {6, 0}, {6, 4}, {2, 4}, {2, 2}, {8, 2}, {8, 6}, {0, 6}}};
    const QRegion region = CreatePolygonRgn(outline);
    EXPECT_TRUE(region.contains(QPoint(1, 1)));
    EXPECT_FALSE(region.contains(QPoint(3, 3)));
    EXPECT_TRUE(region.contains(QPoint(7, 3)));
}

TEST(RegionTest, RoundedRectanglesStopShortOfRightAndBottomAndCutTheCorners)
{
    const QRegion region = CreateRoundRectRgn(0, 0, 41, 25, 18, 18);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 40, 24));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(39, 23)));
    EXPECT_EQ(RowSpan(region, 12, 41), (Spans{{0, 39}}));
    // Symmetric: the first row loses as much on the right as on the left, the last as the first.
    const Spans top = RowSpan(region, 0, 41), bottom = RowSpan(region, 23, 41);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_GT(top[0].first, 3);
    EXPECT_EQ(top[0].first, 39 - top[0].second);
    EXPECT_EQ(top, bottom);
}

} // namespace
