// The work list's orders: each column as the user reads it, both ways, the
// order of adding back, new rows taking their places, and the selection and
// the batches' order following the rows.

#include <gtest/gtest.h>

#include <QPersistentModelIndex>

#include "app/WorkList.h"

namespace vls {
namespace {

class WorkListSortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Added in this order; sizes and times differ from the names' order.
    Add("photo10.jpg", 500, 0x5A000003);
    Add("Photo2.jpg", 3000, 0x5A000001);
    Add("apple.txt", 20, 0x5A000002);
    Add("sub", 0, 0x5A000000, faDirectory);
  }
  void Add(const std::string& name, std::int64_t size, DosDateTime time,
           std::uint32_t attr = faArchive) {
    const TFileInfo facts{size, time, attr};
    list.AddEntry("/pictures/" + name, WorkMode::Wipe, &facts);
  }
  // The names in the order shown, which is the order the batches read.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const std::string& path : list.Paths())
      names.push_back(path.substr(std::string("/pictures/").size()));
    return names;
  }

  TWorkList list;
};

TEST_F(WorkListSortTest, EachColumnSortsAsItReadsBothWays) {
  const struct {
    int column;
    std::vector<std::string> ascending;
  } cases[] = {
      // Letter case aside, numbers by value.
      {TWorkList::ColName, {"apple.txt", "Photo2.jpg", "photo10.jpg", "sub"}},
      // A folder has no size: first.
      {TWorkList::ColSize, {"sub", "apple.txt", "photo10.jpg", "Photo2.jpg"}},
      {TWorkList::ColModified, {"sub", "Photo2.jpg", "apple.txt", "photo10.jpg"}},
      {TWorkList::ColPath, {"apple.txt", "Photo2.jpg", "photo10.jpg", "sub"}},
  };
  for (const auto& c : cases) {
    list.sort(c.column, Qt::AscendingOrder);
    EXPECT_EQ(Names(), c.ascending) << c.column;
    list.sort(c.column, Qt::DescendingOrder);
    EXPECT_EQ(Names(), std::vector<std::string>(c.ascending.rbegin(), c.ascending.rend()))
        << c.column;
  }
  list.sort(-1, Qt::DescendingOrder);  // the indicator cleared: as added
  EXPECT_EQ(Names(), (std::vector<std::string>{"photo10.jpg", "Photo2.jpg", "apple.txt", "sub"}));
}

TEST_F(WorkListSortTest, RowsAddedLaterTakeTheirPlacesAndEqualOnesGoByPath) {
  list.sort(TWorkList::ColSize, Qt::AscendingOrder);
  Add("b.txt", 20, 0);  // as large as apple.txt: after it, by path
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"sub", "apple.txt", "b.txt", "photo10.jpg", "Photo2.jpg"}));
  {
    TWorkList::Batch walk(list);
    Add("huge.iso", 1 << 30, 0);
    Add("a.txt", 20, 0);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "a.txt", "apple.txt", "b.txt", "photo10.jpg",
                                               "Photo2.jpg", "huge.iso"}));
  EXPECT_EQ(list.rowCount(), 7);
  list.RemoveRows({1, 2});
  Add("apple.txt", 20, 0);  // removed and added again: still in its place
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "apple.txt", "b.txt", "photo10.jpg",
                                               "Photo2.jpg", "huge.iso"}));
}

TEST_F(WorkListSortTest, TheSelectionFollowsItsRows) {
  const QPersistentModelIndex photo2 = list.index(1, 2);
  list.sort(TWorkList::ColName, Qt::DescendingOrder);
  EXPECT_EQ(photo2.row(), 2);
  EXPECT_EQ(photo2.column(), 2);
  EXPECT_EQ(list.PathAt(photo2.row()), "/pictures/Photo2.jpg");
}

}  // namespace
}  // namespace vls
