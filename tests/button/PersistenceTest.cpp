#include "ButtonFixture.h"

#include "host/os/RuntimeError.h"

using button::PelroButton;

namespace {

QStringList keysOf(const host::PropertyBag& store)
{
    QStringList keys;
    for (const auto& entry : store.Entries())
        keys << entry.key;
    return keys;
}

host::PropertyBag saved(const PelroButton& b)
{
    host::PropertyBag store;
    b.WriteProperties(store);
    return store;
}

constexpr std::uint32_t rgb(int r, int g, int b) { return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16); }

} // namespace

TEST_F(ButtonTest, NewInstanceTakesItsNameAsCaptionAndKeepsItThroughARoundTrip)
{
    PelroButton& placed = PlaceNew(QStringLiteral("PelroButton1"));
    EXPECT_EQ(placed.Caption(), QStringLiteral("PelroButton1"));
    EXPECT_EQ(placed.Style(), 0);
    EXPECT_EQ(placed.IconSize(), 16);
    EXPECT_EQ(placed.Fields().CaptionFormat, 37) << "the resize handler replaces the initial 17";
    ASSERT_TRUE(placed.Icon().has_value());
    EXPECT_TRUE(placed.Icon()->isNull()) << "an empty picture, not nothing";

    const host::PropertyBag store = saved(placed);
    EXPECT_EQ(store.ReadText(QStringLiteral("Style")), QStringLiteral("0")) << "style 0 differs from the stored default";
    PelroButton& reloaded = Load(store);
    EXPECT_EQ(reloaded.Caption(), QStringLiteral("PelroButton1"));
    EXPECT_EQ(reloaded.Style(), 0);
    ASSERT_TRUE(reloaded.Icon().has_value());
    EXPECT_TRUE(reloaded.Icon()->isNull());
}

TEST_F(ButtonTest, EmptyStoreLoadsTheStoredDefaults)
{
    PelroButton& b = Load({});
    EXPECT_EQ(b.Style(), 3);
    EXPECT_EQ(b.ToolTipType(), 1) << "balloon";
    EXPECT_EQ(b.NonThemeStyle(), 5);
    EXPECT_EQ(b.IconSize(), 16);
    EXPECT_TRUE(b.Enabled());
    EXPECT_FALSE(b.Icon().has_value());
    EXPECT_EQ(b.Caption(), QString());
    EXPECT_EQ(b.Fields().DrawState, paint::Normal);
    EXPECT_EQ(b.BackColor(), host::GetSysColor(15));
    EXPECT_EQ(b.HighlightColor(), host::GetSysColor(13));
    EXPECT_EQ(b.FontColor(), host::GetSysColor(18));
    EXPECT_EQ(b.FontHighlightColor(), host::GetSysColor(18));
    EXPECT_EQ(b.ToolTipBackColor(), host::GetSysColor(23));
    EXPECT_EQ(b.ToolTipForeColor(), host::GetSysColor(24));
}

TEST_F(ButtonTest, EmptyStoreSavesOnlyTheKeysAlwaysWritten)
{
    PelroButton& b = Load({});
    EXPECT_EQ(b.IconAlign(), 0);
    EXPECT_EQ(b.CaptionAlign(), 0);
    EXPECT_FALSE(b.ShowFocus());
    EXPECT_FALSE(b.UseCustomColors());
    EXPECT_EQ(b.ToolTip(), QString());
    EXPECT_EQ(b.ToolTipTitle(), QString());
    EXPECT_EQ(b.ToolTipIcon(), 0);
    EXPECT_EQ(b.ButtonType(), 0);
    EXPECT_FALSE(b.Value());
    // Every other value read as its default is left out again.
    EXPECT_EQ(keysOf(saved(b)), QStringList({"Tooltiptitle", "ToolTipIcon", "ToolTipType", "Font"}));
}

TEST_F(ButtonTest, CaptionsAndAlignmentsAtTheirDefaultsAreLeftOut)
{
    PelroButton& b = Load(Store({{"Caption", "Stop"}, {"IconAlign", "1"}}));
    EXPECT_EQ(saved(b).ReadText(QStringLiteral("IconAlign")), QStringLiteral("1"));

    b.setCaption(QString());
    b.setIconAlign(0);
    const host::PropertyBag store = saved(b);
    EXPECT_FALSE(store.Contains(QStringLiteral("Caption")));
    EXPECT_FALSE(store.Contains(QStringLiteral("IconAlign")));
    EXPECT_FALSE(store.Contains(QStringLiteral("Style")));
    PelroButton& reloaded = Load(store);
    EXPECT_EQ(reloaded.Caption(), QString());
    EXPECT_EQ(reloaded.IconAlign(), 0);
}

TEST_F(ButtonTest, EveryKeyIsWrittenLetterForLetterInItsOrder)
{
    PelroButton& b = Load(Store({{"Style", "5"}}));
    b.setIcon(QImage(2, 2, QImage::Format_RGB32));
    b.setCaption(QStringLiteral("Go"));
    b.setIconSize(24);
    b.setIconAlign(2);
    b.setCaptionAlign(1);
    b.setNonThemeStyle(0);
    b.setEnabled(false);
    b.setShowFocus(true);
    b.setUseCustomColors(true);
    b.setBackColor(rgb(1, 2, 3));
    b.setHighlightColor(rgb(4, 5, 6));
    b.setFontColor(rgb(7, 8, 9));
    b.setFontHighlightColor(rgb(10, 11, 12));
    b.setToolTip(QStringLiteral("tip"));
    b.setToolTipTitle(QStringLiteral("title"));
    b.setToolTipIcon(2);
    b.setToolTipType(0);
    b.setToolTipBackColor(rgb(13, 14, 15));
    b.setToolTipForeColor(rgb(16, 17, 18));
    b.setButtonType(1);
    b.setValue(true);

    EXPECT_EQ(keysOf(saved(b)),
              QStringList({"Icon", "Style", "Caption", "IconSize", "IconAlign", "CaptionAlign", "iNonThemeStyle",
                           "Enabled", "ShowFocus", "USeCustomColors", "BackColor", "HighlightColor", "FontColor",
                           "FontHighlightColor", "ToolTipText", "Tooltiptitle", "ToolTipIcon", "ToolTipType",
                           "ttBackColor", "ttForeColor", "Font", "ButtonType", "Value"}));

    PelroButton& reloaded = Load(saved(b));
    EXPECT_EQ(reloaded.Style(), 5);
    EXPECT_EQ(reloaded.Caption(), QStringLiteral("Go"));
    EXPECT_EQ(reloaded.IconSize(), 24);
    EXPECT_EQ(reloaded.IconAlign(), 2);
    EXPECT_EQ(reloaded.CaptionAlign(), 1);
    EXPECT_EQ(reloaded.NonThemeStyle(), 0);
    EXPECT_FALSE(reloaded.Enabled());
    EXPECT_TRUE(reloaded.ShowFocus());
    EXPECT_TRUE(reloaded.UseCustomColors());
    EXPECT_EQ(reloaded.BackColor(), rgb(1, 2, 3));
    EXPECT_EQ(reloaded.HighlightColor(), rgb(4, 5, 6));
    EXPECT_EQ(reloaded.FontColor(), rgb(7, 8, 9));
    EXPECT_EQ(reloaded.FontHighlightColor(), rgb(10, 11, 12));
    EXPECT_EQ(reloaded.ToolTip(), QStringLiteral("tip"));
    EXPECT_EQ(reloaded.ToolTipTitle(), QStringLiteral("title"));
    EXPECT_EQ(reloaded.ToolTipIcon(), 2);
    EXPECT_EQ(reloaded.ToolTipType(), 0);
    EXPECT_EQ(reloaded.ToolTipBackColor(), rgb(13, 14, 15));
    EXPECT_EQ(reloaded.ToolTipForeColor(), rgb(16, 17, 18));
    EXPECT_EQ(reloaded.ButtonType(), 1);
    EXPECT_TRUE(reloaded.Value());
    ASSERT_TRUE(reloaded.Icon().has_value());
    EXPECT_EQ(reloaded.Icon()->size(), QSize(2, 2));
}

TEST_F(ButtonTest, KeysAreFoundWithoutRegardToCase)
{
    PelroButton& b = Load(Store({{"sTYLE", "7"},
                                 {"CAPTION", "Stop"},
                                 {"inonthemestyle", "2"},
                                 {"usecustomcolors", "True"},
                                 {"TOOLTIPTITLE", "t"},
                                 {"TtBackColor", "0x00112233"}}));
    EXPECT_EQ(b.Style(), 7);
    EXPECT_EQ(b.Caption(), QStringLiteral("Stop"));
    EXPECT_EQ(b.NonThemeStyle(), 2);
    EXPECT_TRUE(b.UseCustomColors());
    EXPECT_EQ(b.ToolTipTitle(), QStringLiteral("t"));
    EXPECT_EQ(b.ToolTipBackColor(), 0x00112233u);
}

TEST_F(ButtonTest, ColourEqualToTheSystemColourIsLeftOutAndFollowsTheSystemOnLoading)
{
    PelroButton& b = Load(Store({{"HighlightColor", "0x8000000D"}}));
    EXPECT_EQ(b.HighlightColor(), 0x8000000Du) << "a system colour is kept untranslated";
    const host::PropertyBag store = saved(b);
    EXPECT_FALSE(store.Contains(QStringLiteral("BackColor")));
    EXPECT_EQ(store.ReadText(QStringLiteral("HighlightColor")), QStringLiteral("0x8000000D"));

    host::SystemColorTable colours = host::StandardSystemColors();
    colours[15] = rgb(10, 20, 30);
    host::SetSystemColors(colours);
    PelroButton& reloaded = Load(store);
    EXPECT_EQ(reloaded.BackColor(), rgb(10, 20, 30));
    EXPECT_EQ(reloaded.HighlightColor(), 0x8000000Du);
}

TEST_F(ButtonTest, ZeroTooltipColoursSurviveTheCrossedDefaults)
{
    PelroButton& placed = PlaceNew(QStringLiteral("b"));
    PelroButton& reloaded = Load(saved(placed));
    EXPECT_EQ(reloaded.ToolTipBackColor(), 0u);
    EXPECT_EQ(reloaded.ToolTipForeColor(), 0u);
    EXPECT_EQ(reloaded.ToolTipType(), 0) << "always written, so the balloon default does not apply";
}

TEST_F(ButtonTest, FontIsStoredAsText)
{
    PelroButton& b = Load(Store({{"Font", "Verdana, 8.25"}}));
    EXPECT_EQ(b.Font().family(), QStringLiteral("Verdana"));
    EXPECT_EQ(b.Font().pixelSize(), 11);
    EXPECT_EQ(b.font(), b.Font()) << "the stored font becomes the control's font";
    EXPECT_EQ(saved(b).ReadText(QStringLiteral("Font")), QStringLiteral("Verdana, 8.25"));

    QFont bold = b.Font();
    bold.setBold(true);
    b.setFont(bold);
    EXPECT_EQ(saved(b).ReadText(QStringLiteral("Font")), QStringLiteral("Verdana, 8.25, bold"));
    EXPECT_TRUE(Load(saved(b)).Font().bold());
}

TEST_F(ButtonTest, IconPixelsSurviveARoundTripAndBadDataGivesAnEmptyPicture)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixel(1, 1, qRgb(200, 10, 20));
    PelroButton& b = Load({});
    b.setIcon(picture);
    PelroButton& reloaded = Load(saved(b));
    ASSERT_TRUE(reloaded.Icon().has_value());
    EXPECT_EQ(reloaded.Icon()->pixel(1, 1), qRgb(200, 10, 20));
    EXPECT_EQ(qAlpha(reloaded.Icon()->pixel(0, 0)), 0);

    PelroButton& garbled = Load(Store({{"Icon", "png:not base64 at all"}}));
    ASSERT_TRUE(garbled.Icon().has_value());
    EXPECT_TRUE(garbled.Icon()->isNull());
}

TEST_F(ButtonTest, ToolTipDefaultsToTheHostsOwnTooltipText)
{
    PelroButton& b = Load(Store({{"ToolTipText", "Stops playback"}}));
    EXPECT_EQ(b.ToolTip(), QStringLiteral("Stops playback"));
    EXPECT_FALSE(saved(b).Contains(QStringLiteral("ToolTipText"))) << "equal to the host's own text";
    b.setToolTip(QStringLiteral("Stop"));
    EXPECT_EQ(saved(b).ReadText(QStringLiteral("ToolTipText")), QStringLiteral("Stop"));
}

TEST_F(ButtonTest, IconSizeThatDoesNotFitSixteenBitsIsAnOverflow)
{
    PelroButton& b = Load(Store({{"IconSize", "40000"}}));
    try {
        (void)b.IconSize();
        FAIL() << "no error";
    } catch (const host::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 6);
    }
}
