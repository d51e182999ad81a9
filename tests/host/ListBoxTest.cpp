#include "host/forms/Controls.h"
#include "host/testing/FakeClock.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

const QStringList Titles{"Black Beauty, chapter 1", "The Raven", "Annabel Lee", "Beauty and the Beast",
                         "A Dream Within a Dream"};

} // namespace

TEST(TypeAhead, AStartBeatsAWordAndTheSearchGoesOnFromWhereItStarts)
{
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "bea", 0), 3) << "a title starting with it comes first";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "BEA", 0), 3) << "case is ignored";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "raven", 0), 1) << "any word of a title";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "chap", 2), 0) << "the search wraps";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "dream", 0), 4);
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "a", 3), 4) << "onward from the row given";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "a", 5), 2) << "past the end is the top again";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "aven", 0), -1) << "inside a word is not a word start";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "the beast", 0), 3) << "several words";
    EXPECT_EQ(host::ListBox::FindTyped(Titles, "", 0), -1);
    EXPECT_EQ(host::ListBox::FindTyped({}, "a", 0), -1);
}

class ListBoxTypeAhead : public ::testing::Test {
protected:
    void SetUp() override { list.SetItems(Titles); }

    void Type(const QString& letters)
    {
        for (const QChar letter : letters)
            list.keyboardSearch(QString(letter));
    }

    host::FakeClock clock;
    host::PropertyBag design;
    host::ListBox list{nullptr, design};
};

TEST_F(ListBoxTypeAhead, LettersTypedTogetherRefineOneSearch)
{
    Type("be");
    EXPECT_EQ(list.ListIndex(), 3);
    Type("a");
    EXPECT_EQ(list.ListIndex(), 3) << "the entry found stays while it still matches";
    Type("ut");
    EXPECT_EQ(list.TypedSoFar(), QStringLiteral("beaut"));
    EXPECT_EQ(list.ListIndex(), 3);
    Type("x");
    EXPECT_EQ(list.ListIndex(), 3) << "a search that finds nothing leaves the selection";
}

TEST_F(ListBoxTypeAhead, APauseStartsAFreshSearchFromTheNextEntry)
{
    Type("t");
    EXPECT_EQ(list.ListIndex(), 1);
    clock.Advance(QApplication::keyboardInputInterval() + host::PlatformTickMs);
    EXPECT_TRUE(list.TypedSoFar().isEmpty());
    Type("b");
    EXPECT_EQ(list.ListIndex(), 3);
    clock.Advance(QApplication::keyboardInputInterval() + host::PlatformTickMs);
    Type("b");
    EXPECT_EQ(list.ListIndex(), 0) << "the same letter again moves on, wrapping";
}

TEST_F(ListBoxTypeAhead, TheSameLetterRepeatedStepsThroughItsTitles)
{
    Type("a");
    EXPECT_EQ(list.ListIndex(), 2);
    Type("a");
    EXPECT_EQ(list.ListIndex(), 4);
    Type("a");
    EXPECT_EQ(list.ListIndex(), 2);
}

#include <QStandardItemModel>

// The catalogue lives in a model of its own; the list must read that one, not its own strings.
TEST(ListBoxShowingAModel, CountsNamesSelectsAndSearchesTheModelsRows)
{
    host::FakeClock clock;
    host::ListBox list(nullptr, host::PropertyBag{});
    list.SetItems({"Left over"});
    QStandardItemModel shown;
    for (const QString& title : Titles)
        shown.appendRow(new QStandardItem(title));
    list.setModel(&shown);

    EXPECT_EQ(list.ListCount(), int(Titles.size()));
    EXPECT_EQ(list.List(1), QStringLiteral("The Raven"));
    list.keyboardSearch(QStringLiteral("d"));
    EXPECT_EQ(list.ListIndex(), 4) << "type-ahead reads the titles shown";
    list.setListIndex(2);
    EXPECT_EQ(list.selectionModel()->model(), &shown);
    EXPECT_EQ(list.ListIndex(), 2);

    shown.removeRows(0, 2);
    EXPECT_EQ(list.ListCount(), 3) << "the model's own changes show";
    EXPECT_EQ(list.List(0), QStringLiteral("Annabel Lee"));

    list.SetItems({"Own"});
    EXPECT_NE(list.model(), &shown) << "filling its own strings shows them again";
    EXPECT_EQ(list.ListCount(), 1);
    EXPECT_EQ(list.List(0), QStringLiteral("Own"));
}
