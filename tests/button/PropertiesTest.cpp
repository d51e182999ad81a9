#include "ButtonFixture.h"

#include "button/AboutSurface.h"
#include "host/forms/DesignerData.h"
#include "host/os/Shell.h"

#include <functional>

using button::PelroButton;

TEST_F(ButtonTest, EverySetterNotifiesTheHostUnderTheStoredName)
{
    PelroButton& b = Load({});
    const std::vector<std::pair<std::function<void()>, QString>> setters = {
        {[&] { b.setStyle(1); }, "Style"},
        {[&] { b.setCaption("c"); }, "Caption"},
        {[&] { b.setIcon(std::nullopt); }, "Icon"},
        {[&] { b.setIconAlign(1); }, "IconAlign"},
        {[&] { b.setIconSize(8); }, "IconSize"},
        {[&] { b.setCaptionAlign(1); }, "CaptionAlign"},
        {[&] { b.setNonThemeStyle(1); }, "NonThemeStyle"},
        {[&] { b.setEnabled(true); }, "Enabled"},
        {[&] { b.setShowFocus(true); }, "ShowFocus"},
        {[&] { b.setUseCustomColors(true); }, "UseCustomColors"},
        {[&] { b.setBackColor(1); }, "BackColor"},
        {[&] { b.setHighlightColor(1); }, "HighlightColor"},
        {[&] { b.setFontColor(1); }, "FontColor"},
        {[&] { b.setFontHighlightColor(1); }, "FontHighlightColor"},
        {[&] { b.setToolTip("t"); }, "ToolTipText"},
        {[&] { b.setToolTipTitle("t"); }, "TooltipTitle"},
        {[&] { b.setToolTipIcon(1); }, "TooltipIcon"},
        {[&] { b.setToolTipType(1); }, "ToolTipType"},
        {[&] { b.setToolTipBackColor(1); }, "ToolTipBackColor"},
        {[&] { b.setToolTipForeColor(1); }, "ToolTipForeColor"},
        {[&] { b.setFont(QFont("Verdana")); }, "Font"},
        {[&] { b.setButtonType(1); }, "ButtonType"},
        {[&] { b.setValue(true); }, "Value"},
    };
    QSignalSpy changed(&b, &PelroButton::PropertyChanged);
    QSignalSpy clicks(&b, &PelroButton::Click);
    for (const auto& [set, name] : setters) {
        changed.clear();
        set();
        ASSERT_EQ(changed.count(), 1) << name.toStdString();
        EXPECT_EQ(changed[0][0].toString(), name);
    }
    EXPECT_EQ(clicks.count(), 0) << "setting Value raises no Click";
}

// The host hears of a change before it is redrawn, but of Enabled only once the face shows it.
TEST_F(ButtonTest, HostIsToldBeforeTheRedrawExceptOfEnabled)
{
    PelroButton& b = Load(Store({{"ButtonType", "1"}}));
    std::vector<std::pair<QString, std::int32_t>> seen; // the draw state, or the text format for an alignment
    QObject::connect(&b, &PelroButton::PropertyChanged, [&](const QString& name) {
        seen.emplace_back(name, name == "CaptionAlign" ? b.Fields().CaptionFormat : b.Fields().DrawState);
    });
    b.setValue(true);
    b.setCaptionAlign(3);
    b.setEnabled(false);
    const std::vector<std::pair<QString, std::int32_t>> expected = {
        {"Value", paint::Normal}, {"CaptionAlign", 37}, {"Enabled", paint::Disabled}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(b.Fields().CaptionFormat, 33);
}

TEST_F(ButtonTest, TooltipColourReadsBackAndChangesNothingElse)
{
    PelroButton& b = Load(Store({{"Caption", "x"}}));
    const std::uint32_t fore = b.ToolTipForeColor();
    const paint::DrawStates state = paint::DrawStates(b.Fields().DrawState);
    b.setToolTipBackColor(0x80000018u);
    EXPECT_EQ(b.ToolTipBackColor(), 0x80000018u);
    EXPECT_EQ(b.ToolTipForeColor(), fore);
    EXPECT_EQ(b.Fields().DrawState, state);
    EXPECT_EQ(b.Caption(), QStringLiteral("x"));
}

TEST_F(ButtonTest, StyleChoosesTheOutlineAtOnce)
{
    EXPECT_EQ(button::RegionBuilderFor(0), &paint::MakeRectRegion);
    EXPECT_EQ(button::RegionBuilderFor(4), &paint::MakeRectRegion);
    EXPECT_EQ(button::RegionBuilderFor(6), &paint::MakeRectRegion);
    EXPECT_EQ(button::RegionBuilderFor(11), &paint::MakeRectRegion);
    EXPECT_EQ(button::RegionBuilderFor(-1), &paint::MakeRectRegion);
    EXPECT_EQ(button::RegionBuilderFor(5), &paint::MakeChamferRegion);
    EXPECT_EQ(button::RegionBuilderFor(7), &paint::MakeChamferRegion);
    EXPECT_EQ(button::RegionBuilderFor(8), &paint::MakeWideChamferRegion);
    EXPECT_EQ(button::RegionBuilderFor(9), &paint::MakeWideChamferRegion);
    EXPECT_EQ(button::RegionBuilderFor(10), &paint::MakeRoundRegion);

    PelroButton& b = Load(Store({{"Width", "1455"}, {"Height", "300"}}));
    b.setStyle(10);
    EXPECT_EQ(b.WindowRegion(), paint::MakeRoundRegion(97, 20));
    EXPECT_EQ(b.mask(), b.WindowRegion());
    b.setStyle(0);
    EXPECT_EQ(b.mask(), QRegion(0, 0, 97, 20));
}

TEST_F(ButtonTest, ResizeKeepsTheMinimumSizeAndTheRectanglesPaintingReads)
{
    form.show();
    PelroButton& b = Load(Store({{"Width", "1455"}, {"Height", "300"}}));
    b.show();
    EXPECT_EQ(b.Fields().ClientRect, (paint::Rect{0, 0, 97, 20}));
    EXPECT_EQ(b.Fields().CaptionRect, (paint::Rect{4, 4, 93, 16}));

    b.resize(100 / 15, 40);
    EXPECT_EQ(b.size(), QSize(20, 40)) << "300 twips wide at least";
    b.resize(50, 2);
    EXPECT_EQ(b.size(), QSize(50, 20));
    EXPECT_EQ(b.Fields().ClientRect, (paint::Rect{0, 0, 50, 20}));
    EXPECT_EQ(b.Face().image.size(), QSize(50, 20)) << "the back buffer follows the size";
}

TEST_F(ButtonTest, CaptionAlignSetsTheTextFormatAndOtherValuesKeepIt)
{
    PelroButton& b = Load({});
    const std::int32_t formats[] = {37, 36, 38, 33, 41};
    for (int align = 0; align < 5; ++align) {
        b.setCaptionAlign(align);
        EXPECT_EQ(b.Fields().CaptionFormat, formats[align]) << align;
    }
    b.setCaptionAlign(9);
    EXPECT_EQ(b.Fields().CaptionFormat, 41);
}

TEST_F(ButtonTest, DisabledButtonTakesNoInputAndShowsTheDisabledState)
{
    form.show();
    PelroButton& b = Load({});
    b.show();
    QSignalSpy clicks(&b, &PelroButton::Click);
    QSignalSpy entries(&b, &PelroButton::MouseEnter);
    b.setEnabled(false);
    EXPECT_FALSE(b.isEnabled());
    EXPECT_EQ(b.Fields().DrawState, paint::Disabled);

    QTest::mouseClick(&b, Qt::LeftButton);
    QTest::keyClick(&b, Qt::Key_Space);
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), b.mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(&b, &enter);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(entries.count(), 0);
    EXPECT_EQ(b.Fields().DrawState, paint::Disabled);

    b.setEnabled(true);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ButtonTest, VersionAboutAndLinks)
{
    PelroButton& b = Load({});
    EXPECT_EQ(b.Version(), QStringLiteral("3.0"));

    b.About();
    EXPECT_TRUE(b.AboutBox().isVisible());
    EXPECT_EQ(b.AboutBox().windowTitle(), QStringLiteral("About PelroButton 3.0"));
    EXPECT_TRUE(platform.messages.empty()) << "its own window, not a message box";

    EXPECT_LE(b.OpenLink(QString()), 32);
    EXPECT_TRUE(platform.openedLinks.isEmpty()) << "an empty link opens nothing";
    EXPECT_GT(b.OpenLink(QStringLiteral("http://127.0.0.1/")), 32);
    platform.refuseShell = true;
    EXPECT_LE(b.OpenLink(QStringLiteral("nowhere:x")), 32);
    EXPECT_EQ(platform.openedLinks, QStringList({"http://127.0.0.1/", "nowhere:x"}));
}

TEST_F(ButtonTest, MainWindowButtonsLoadAsTheEtchedStyleWithTheirDesignedFont)
{
    const host::DesignerData design = host::DesignerData::FromResource(QStringLiteral(":/forms/frmMain.form"));
    for (const char* name : {"bbStop", "bbUpdate"}) {
        const host::PropertyBag& stored = design.PropertiesOf(QLatin1String(name));
        EXPECT_FALSE(stored.Contains(QStringLiteral("Style"))) << name;
        PelroButton& b = Load(stored);
        EXPECT_EQ(b.Style(), 3) << name;
        EXPECT_EQ(b.IconAlign(), 1) << name;
        EXPECT_EQ(b.Font().family(), QStringLiteral("Verdana")) << name;
        EXPECT_EQ(b.Font().pixelSize(), 11) << name;
        EXPECT_EQ(b.height(), 20) << name;
    }
    EXPECT_EQ(Load(design.PropertiesOf(QStringLiteral("bbStop"))).Caption(), QStringLiteral("Stop"));
}
