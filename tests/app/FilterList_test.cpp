// The filter list of the folder browser: parsing, re-selection rules and masks.

#include "app/FilterList.h"

#include <gtest/gtest.h>

namespace vls {
namespace {

TEST(FilterListTest, ParsesPairsAndSplitsMasks) {
  const auto entries = FilterList::Parse("All Files (*.*)|*.*|Pics|*.JPG;*.GIF|Odd");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].description, "Pics");
  EXPECT_EQ(entries[1].mask, "*.JPG;*.GIF");
  EXPECT_EQ(entries[2].mask, "*.*");
  EXPECT_EQ(FilterList::SplitMask("*.VLP;*.VLD"), (std::vector<std::string>{"*.VLP", "*.VLD"}));
  EXPECT_EQ(FilterList::SplitMask(""), std::vector<std::string>{"*.*"});
}

TEST(FilterListTest, TheSameListInAnotherCaseKeepsTheUsersChoice) {
  FilterList list;
  EXPECT_TRUE(list.SetText("A|*.A|B|*.B"));
  list.Select(1);
  EXPECT_EQ(list.SelectedMask(), "*.B");
  EXPECT_FALSE(list.SetText("a|*.a|b|*.b"));
  EXPECT_EQ(list.SelectedMask(), "*.B");
  EXPECT_TRUE(list.SetText("C|*.C"));
  EXPECT_EQ(list.selected(), 0);
  EXPECT_EQ(list.SelectedDescription(), "C");
}

TEST(FilterListTest, NoSelectionTakesTheLastEntryAndNoEntriesMeansEveryFile) {
  FilterList list;
  EXPECT_EQ(list.SelectedMask(), "*.*");
  list.SetText("A|*.A|B|*.B");
  list.Select(-1);
  EXPECT_EQ(list.SelectedMask(), "*.B");
  list.Select(7);
  EXPECT_EQ(list.selected(), 1);
}

}  // namespace
}  // namespace vls
