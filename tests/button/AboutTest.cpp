#include "ButtonFixture.h"

#include "button/AboutSurface.h"
#include "host/gfx/Raster.h"

using button::AboutSurface;
using button::PelroButton;

namespace {

constexpr QRgb grey(int v) { return qRgb(v, v, v); }

int visibleWindowsTitled(const QString& title)
{
    int count = 0;
    for (const QWidget* w : QApplication::topLevelWidgets())
        count += w->isVisible() && w->windowTitle() == title;
    return count;
}

// The Close face's rectangle and a column clear of its text and slanted corners.
constexpr int L = 290, T = 80, R = 360, B = 106, Clear = L + 3;

bool hasPixelWhere(const QImage& image, const QRect& area, bool (*wanted)(QRgb))
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (wanted(image.pixel(x, y)))
                return true;
    return false;
}

} // namespace

class ButtonAboutTest : public ButtonTest {
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.show();
    }

    // The About box shown and painted.
    AboutSurface& Shown(PelroButton& b)
    {
        b.About();
        AboutSurface& box = b.AboutBox();
        box.grab();
        return box;
    }

    static QRgb at(const AboutSurface& box, int x, int y) { return box.Image().pixel(x, y); }
};

TEST_F(ButtonAboutTest, AboutShowsOneCaptionedWindowOfTheDesignedSizeHowEverOftenCalled)
{
    PelroButton& b = PlaceNew(QStringLiteral("bbAbout"));
    AboutSurface& box = b.AboutBox();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.isWindow());

    b.About();
    b.About();
    const QString caption = QStringLiteral("About PelroButton ") + b.Version();
    EXPECT_EQ(caption, QStringLiteral("About PelroButton 3.0"));
    EXPECT_EQ(visibleWindowsTitled(caption), 1);
    EXPECT_TRUE(box.isWindow());
    EXPECT_EQ(box.size(), QSize(377, 145));
    EXPECT_EQ(box.geometry().topLeft(), QPoint(496, 416)) << "made a window where it stood";
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(ButtonAboutTest, TheCloseFaceIsAGradientInAnOutlineWithFaceColouredCorners)
{
    AboutSurface& box = Shown(PlaceNew(QStringLiteral("b")));
    ASSERT_EQ(box.Image().size(), QSize(377, 145));
    const QRgb face = host::ToRgb(host::GetSysColor(host::COLOR_BTNFACE));
    const QRgb shadow = host::ToRgb(host::GetSysColor(host::COLOR_BTNSHADOW));
    ASSERT_EQ(face, grey(240));

    // From face + 15 at the top to face - 15 at the bottom over 26 steps.
    EXPECT_EQ(at(box, Clear, T + 1), grey(254));
    EXPECT_EQ(at(box, Clear, T + 13), grey(240));
    EXPECT_EQ(at(box, Clear, B - 1), grey(226));

    EXPECT_EQ(at(box, L + 10, T), shadow);
    EXPECT_EQ(at(box, L + 10, B), shadow);
    EXPECT_EQ(at(box, L, T + 10), shadow);
    EXPECT_EQ(at(box, R, T + 10), shadow);
    EXPECT_EQ(at(box, L + 1, T + 1), shadow) << "slanted top-left corner";
    EXPECT_EQ(at(box, R - 1, B - 1), shadow) << "slanted bottom-right corner";
    EXPECT_EQ(at(box, R - 3, B + 1), face) << "the slant's end pixel is left out";
    for (const QPoint corner : {QPoint(L, T), QPoint(R, T), QPoint(L, B), QPoint(R, B), QPoint(L + 1, B)})
        EXPECT_EQ(at(box, corner.x(), corner.y()), face) << corner.x() << "," << corner.y();
    EXPECT_EQ(at(box, R + 1, T + 10), face) << "nothing right of the outline";

    EXPECT_TRUE(hasPixelWhere(box.Image(), QRect(L, T, R - L, B - T), [](QRgb p) {
        return qBlue(p) > 200 && qRed(p) < 120 && qGreen(p) < 120;
    })) << "a blue Close";
    EXPECT_TRUE(hasPixelWhere(box.Image(), QRect(20, 10, 200, 30), [](QRgb p) { return qGray(p) < 60; }))
        << "the name in the button text colour";
}

TEST_F(ButtonAboutTest, ARightClickAlsoPressesTheFaceAndThenHidesTheBox)
{
    PelroButton& b = PlaceNew(QStringLiteral("b"));
    AboutSurface& box = Shown(b);
    QTest::mousePress(&box, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(at(box, Clear, T + 1), grey(226)) << "pressed: dark at the top";
    EXPECT_EQ(at(box, Clear, B - 1), grey(254));
    EXPECT_TRUE(box.isVisible());
    QTest::mouseRelease(&box, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_FALSE(box.isVisible());

    b.About();
    EXPECT_TRUE(box.isVisible());
    box.grab();
    EXPECT_EQ(at(box, Clear, T + 1), grey(254)) << "shown again with the face up";
}
