#include "host/forms/DesignerData.h"
#include "host/forms/PropertyBag.h"

#include <gtest/gtest.h>

using host::DesignerData;
using host::PropertyBag;

TEST(PropertyBag, KeysMatchWithoutRegardToCaseAndDefaultsFillTheGaps)
{
    PropertyBag bag;
    bag.SetStored(QStringLiteral("USeCustomColors"), QStringLiteral("True"));
    bag.SetStored(QStringLiteral("iNonThemeStyle"), QStringLiteral("3"));
    bag.SetStored(QStringLiteral("BackColor"), QStringLiteral("0x8000000F"));
    EXPECT_TRUE(bag.ReadBool(QStringLiteral("usecustomcolors")));
    EXPECT_EQ(bag.ReadInt(QStringLiteral("INONTHEMESTYLE"), 7), 3);
    EXPECT_EQ(bag.ReadInt(QStringLiteral("Missing"), 7), 7);
    EXPECT_EQ(quint32(bag.ReadInt(QStringLiteral("backcolor"))), 0x8000000Fu) << "top-bit colours survive";
    EXPECT_EQ(bag.ReadInt(QStringLiteral("usecustomcolors"), 5), 5) << "text that is no number gives the default";

    bag.SetStored(QStringLiteral("usecustomcolors"), QStringLiteral("False"));
    EXPECT_EQ(bag.Entries().size(), 3u) << "same key in another case replaces, not adds";
    EXPECT_EQ(bag.Entries()[0].key, QStringLiteral("USeCustomColors")) << "first spelling kept";

    // Letters whose capital is two letters do not stop the other letters matching in any case.
    bag.SetStored(QString::fromUtf8("Stra\u00dfe\ufb17Key"), QStringLiteral("street"));
    EXPECT_EQ(bag.ReadText(QString::fromUtf8("STRA\u00dfE\ufb17KEY")), QStringLiteral("street"));
    EXPECT_EQ(bag.ReadText(QString::fromUtf8("stra\u00dfe\ufb17key")), QStringLiteral("street"));
}

TEST(PropertyBag, WritingLeavesOutValuesEqualToTheDefault)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("Stop"), QStringLiteral("PelroButton"));
    bag.WriteProperty(QStringLiteral("Enabled"), true, true);
    bag.WriteProperty(QStringLiteral("Style"), 0, 0);
    ASSERT_EQ(bag.Entries().size(), 1u);
    EXPECT_EQ(bag.ReadText(QStringLiteral("caption")), QStringLiteral("Stop"));

    bag.WriteProperty(QStringLiteral("CAPTION"), QStringLiteral("PelroButton"), QStringLiteral("PelroButton"));
    EXPECT_FALSE(bag.Contains(QStringLiteral("Caption"))) << "a value back at its default removes the stored one";

    bag.WriteProperty(QStringLiteral("Enabled"), false, true);
    EXPECT_FALSE(bag.ReadBool(QStringLiteral("Enabled"), true));
}

TEST(DesignerData, SectionsKeepTheirOrderAndValuesTheirText)
{
    const DesignerData data = DesignerData::Parse("# comment\n"
                                                  "[frmTest]\r\n"
                                                  "Caption = A window \n"
                                                  "\n"
                                                  "[Front]\n"
                                                  "Type = Image\n"
                                                  "Caption = \"  padded  \"\n"
                                                  "Url = http://host/a=b\n"
                                                  "; another comment\n"
                                                  "[Back]\n"
                                                  "type=Label\n");
    EXPECT_EQ(data.WindowName(), QStringLiteral("frmTest"));
    EXPECT_EQ(data.Window().ReadText(QStringLiteral("caption")), QStringLiteral("A window"));
    ASSERT_EQ(data.Controls().size(), 2u);
    EXPECT_EQ(data.Controls()[0].name, QStringLiteral("Front"));
    EXPECT_EQ(data.Controls()[1].type, QStringLiteral("Label"));
    EXPECT_EQ(data.PropertiesOf(QStringLiteral("front")).ReadText(QStringLiteral("Caption")),
              QStringLiteral("  padded  "));
    EXPECT_EQ(data.PropertiesOf(QStringLiteral("Front")).ReadText(QStringLiteral("Url")),
              QStringLiteral("http://host/a=b"));
    EXPECT_TRUE(data.PropertiesOf(QStringLiteral("Nowhere")).IsEmpty());
    EXPECT_TRUE(data.Problems().isEmpty());
}

TEST(DesignerData, MalformedLinesAreReportedAndSkipped)
{
    const DesignerData data = DesignerData::Parse("Orphan = 1\n"
                                                  "[frmTest\n"
                                                  "[frmTest]\n"
                                                  "no equals sign\n"
                                                  "= no key\n"
                                                  "Good = yes\n");
    EXPECT_EQ(data.Problems().size(), 4);
    EXPECT_EQ(data.Window().ReadText(QStringLiteral("Good")), QStringLiteral("yes"));
    EXPECT_EQ(data.Window().Entries().size(), 1u);
}
