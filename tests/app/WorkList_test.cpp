// The work list without a window: the size and date texts, the mode rules,
// adding with the duplicate test, totals beyond 32 bits, removing, clearing,
// the status texts and the batched insertion a view sees.

#include "app/WorkList.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDateTime>

#include "support/TestSupport.h"

namespace vls {
namespace {

using test::WriteFile;

TEST(SizeTextTest, GeneralFormatWithThreeSignificantDigits) {
  const struct {
    std::int64_t count;
    const char* text;
  } cases[] = {
      {-1, ""},
      {0, "0 Byte(s)"},
      {1023, "1023 Byte(s)"},
      {1024, "1 KByte"},
      {1152, "1.13 KByte"},  // 1.125: a tie, rounded up
      {1536, "1.5 KByte"},
      {10000, "9.77 KByte"},
      {1000000, "977 KByte"},
      {1023488, "1E3 KByte"},  // 999.5 rounds to four integer digits
      {1048000, "1.02E3 KByte"},
      {1048575, "1.02E3 KByte"},
      {1048576, "1 MByte"},
      {5242880, "5 MByte"},
      {1153433, "1.1 MByte"},       // 1.09999...: 1.10, trailing zero dropped
      {5LL << 30, "5.12E3 MByte"},  // 5 GiB
      {1LL << 40, "1.05E6 MByte"},  // 1 TiB
      {INT64_MAX, "8.8E12 MByte"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SizeText(c.count, "."), QString(c.text)) << c.count;
  }
  EXPECT_EQ(SizeText(1152, ","), "1,13 KByte");
  EXPECT_EQ(SizeText(1048000, ","), "1,02E3 KByte");
}

TEST(SizeTextTest, RowSizeInWholeKilobytes) {
  EXPECT_EQ(RowSizeText(0, faArchive), "0 KB");
  EXPECT_EQ(RowSizeText(1, faArchive), "1 KB");
  EXPECT_EQ(RowSizeText(1023, 0), "1 KB");
  EXPECT_EQ(RowSizeText(2047, 0), "1 KB");
  EXPECT_EQ(RowSizeText(2048, 0), "2 KB");
  EXPECT_EQ(RowSizeText(5LL << 30, 0), "5242880 KB");
  EXPECT_EQ(RowSizeText(4096, faDirectory), "");
  EXPECT_EQ(RowSizeText(0, faDirectory | faHidden), "");
}

TEST(SizeTextTest, DateIsShortDateTwoBlanksTimeWithoutSeconds) {
  // 2006-01-02 15:04:06 local, as a DOS date-time.
  const DosDateTime time = (26u << 9 | 1u << 5 | 2u) << 16 | (15u << 11 | 4u << 5 | 3u);
  EXPECT_EQ(DateText(time, QLocale(QLocale::German, QLocale::Germany)), "02.01.06  15:04");
  EXPECT_TRUE(
      DateText(time, QLocale(QLocale::English, QLocale::UnitedStates)).startsWith("1/2/06  3:04"));
  EXPECT_EQ(DateText(0, QLocale::c()), "");
  // The date of a real file's time reads back in local time.
  const std::time_t moment = QDateTime(QDate(2020, 6, 30), QTime(23, 59)).toSecsSinceEpoch();
  EXPECT_EQ(DateText(ToDosDateTime(moment), QLocale(QLocale::German, QLocale::Germany)),
            "30.06.20  23:59");
}

TEST(ModeRulesTest, AddAllFollowsTheModeAndTheFilter) {
  const char* all = "All Files (*.*)";
  const char* pictures = "All Picture Files";
  const char* none = "Text Files (*.txt)";
  const struct {
    WorkMode mode;
    const char* filter;
    const char* path;
    bool accepted;
  } cases[] = {
      {WorkMode::Encrypt, all, "/d/a.txt", true},
      {WorkMode::Encrypt, all, "/d/b.vlp", false},
      {WorkMode::Encrypt, all, "/d/b.VlD", false},
      {WorkMode::Encrypt, none, "/d/a.txt", true},  // no key matches: stays true
      {WorkMode::Encrypt, none, "/d/a.vld", false},
      {WorkMode::Encrypt, "JPEG Files", "/d/a.txt", false},
      {WorkMode::Encrypt, "JPEG Files", "/d/a.jpg", true},
      {WorkMode::Wipe, none, "/d/a.txt", false},  // no key matches: stays false
      {WorkMode::Wipe, all, "/d/a.vlp", true},
      {WorkMode::Wipe, all, "/d/noext", true},
      {WorkMode::Wipe, pictures, "/d/p.jpg", true},
      {WorkMode::Wipe, pictures, "/d/p.Gif", true},
      {WorkMode::Wipe, pictures, "/d/p.bmp", true},
      {WorkMode::Wipe, pictures, "/d/p.pcx", true},
      {WorkMode::Wipe, pictures, "/d/p.tif", true},
      {WorkMode::Wipe, pictures, "/d/p.png", true},
      {WorkMode::Wipe, pictures, "/d/p.ico", false},
      {WorkMode::Wipe, pictures, "/d/p.wmf", false},
      {WorkMode::Wipe, pictures, "/d/p.jpeg", false},
      {WorkMode::Wipe, "gif images", "/d/p.GIF", true},
      {WorkMode::Wipe, "gif images", "/d/p.png", false},
      {WorkMode::Wipe, "Windows Bitmaps", "/d/p.bmp", true},
      {WorkMode::Wipe, "PCX", "/d/p.pcx", true},
      {WorkMode::Wipe, "PNG", "/d/p.png", true},
      {WorkMode::Wipe, "TIFF", "/d/p.tif", true},
      {WorkMode::Wipe, "TIFF", "/d/p.tiff", false},
      // The first key the description contains wins: "GIF" before "PNG".
      {WorkMode::Wipe, "GIF and PNG", "/d/p.png", false},
      {WorkMode::Decrypt, none, "/d/a.vlp", true},
      {WorkMode::Decrypt, all, "/d/a.VLD", true},
      {WorkMode::Decrypt, all, "/d/a.txt", false},
      {WorkMode::SlideShow, all, "/d/a.Vlp", true},
      {WorkMode::SlideShow, all, "/d/a.vld", false},
      // The extension is the last component's, from its last dot.
      {WorkMode::Decrypt, all, "/d.vlp/file", false},
      {WorkMode::Decrypt, all, "/d/archive.vlp.txt", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AcceptForMode(c.mode, c.filter, c.path), c.accepted)
        << static_cast<int>(c.mode) << " " << c.filter << " " << c.path;
  }
}

TEST(ModeRulesTest, AddAndDropRules) {
  EXPECT_FALSE(AcceptForAdd(WorkMode::Encrypt, "/d/a.VLP"));
  EXPECT_FALSE(AcceptForAdd(WorkMode::Encrypt, "/d/a.vld"));
  EXPECT_TRUE(AcceptForAdd(WorkMode::Encrypt, "/d/a.ico"));
  EXPECT_TRUE(AcceptForAdd(WorkMode::Decrypt, "/d/a.txt"));
  EXPECT_TRUE(AcceptForAdd(WorkMode::Wipe, "/d/a.vlp"));

  EXPECT_FALSE(AcceptForDrop(WorkMode::Decrypt, "/d/x.jpg"));
  EXPECT_TRUE(AcceptForDrop(WorkMode::Decrypt, "/d/y.vlp"));
  EXPECT_FALSE(AcceptForDrop(WorkMode::Encrypt, "/d/y.vlp"));
  EXPECT_TRUE(AcceptForDrop(WorkMode::Encrypt, "/d/x.jpg"));
  EXPECT_TRUE(AcceptForDrop(WorkMode::Wipe, "/d/folder"));
  EXPECT_TRUE(AcceptForDrop(WorkMode::SlideShow, "/d/x.jpg"));
}

class WorkListTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, std::size_t size = 1) {
    WriteFile(dir / name, std::string(size, 'x'));
    return dir / name;
  }
  std::vector<std::string> Paths() const { return list.Paths(); }

  test::TempDir dir;
  TWorkList list;
};

TEST_F(WorkListTest, RowsShowFourColumnsAndCarryKindAndSize) {
  const std::string file = File("report.txt", 2048);
  ASSERT_EQ(list.AddEntry(file, WorkMode::Encrypt), TWorkList::Added::Yes);
  ASSERT_EQ(list.AddEntry(dir.path(), WorkMode::Wipe), TWorkList::Added::Yes);
  ASSERT_EQ(list.rowCount(), 2);
  ASSERT_EQ(list.columnCount(), 4);
  QStringList headers;
  for (int column = 0; column < 4; ++column) {
    headers << list.headerData(column, Qt::Horizontal).toString();
  }
  EXPECT_EQ(headers, QStringList({"File Name", "Size", "Modified", "Full Path Name"}));

  const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
    return list.data(list.index(row, column), role);
  };
  EXPECT_EQ(cell(0, 0).toString(), "report.txt");
  EXPECT_EQ(cell(0, 1).toString(), "2 KB");
  EXPECT_EQ(cell(0, 2).toString(), DateText(ReadFileInfo(file)->Time));
  EXPECT_FALSE(cell(0, 2).toString().isEmpty());
  EXPECT_EQ(cell(0, 3).toString(), QString::fromStdString(file));
  EXPECT_EQ(cell(0, 0, TWorkList::KindRole).toString(), "file");
  EXPECT_EQ(cell(0, 0, TWorkList::SizeRole).toLongLong(), 2048);

  EXPECT_EQ(cell(1, 1).toString(), "");  // a folder shows no size
  EXPECT_EQ(cell(1, 0, TWorkList::KindRole).toString(), "dir");
  EXPECT_TRUE(list.IsFolderAt(1));

  // Icons come from the window, asked for per drawn row.
  EXPECT_FALSE(cell(0, 0, Qt::DecorationRole).isValid());
  list.IconOf = [](const QString& path, bool folder) {
    return QVariant(folder ? "folder-icon" : path);
  };
  EXPECT_EQ(cell(0, 0, Qt::DecorationRole).toString(), QString::fromStdString(file));
  EXPECT_EQ(cell(1, 0, Qt::DecorationRole).toString(), "folder-icon");
  EXPECT_EQ(list.flags(list.index(0, 0)) & Qt::ItemIsEditable, Qt::NoItemFlags);
}

TEST_F(WorkListTest, DuplicatesAreExactAndCaseSensitive) {
  const std::string a = File("a.txt");
  const std::string upper = File("A.txt");
  const std::string b = File("b.txt");
  EXPECT_EQ(list.AddEntry(b, WorkMode::Encrypt), TWorkList::Added::Yes);
  // Three chosen, the second already listed: the first and third are added.
  for (const std::string& path : {a, b, upper})
    list.AddEntry(path, WorkMode::Encrypt);
  EXPECT_EQ(Paths(), (std::vector<std::string>{b, a, upper}));
  EXPECT_EQ(list.AddEntry(a, WorkMode::Encrypt), TWorkList::Added::Duplicate);
  EXPECT_TRUE(list.Contains(a));
  EXPECT_FALSE(list.Contains(dir / "a.TXT"));
  EXPECT_FALSE(list.Contains(dir.path() + "//a.txt"));  // not the same text
  EXPECT_EQ(list.TotalBytes(), 3);
}

TEST_F(WorkListTest, EncryptRefusesAs1AndAs2WrittenInCapitals) {
  const std::string as1 = File("c.AS1");
  const std::string as2 = File("e.AS2");
  const std::string lower = File("d.as1");
  EXPECT_EQ(list.AddEntry(as1, WorkMode::Encrypt), TWorkList::Added::Refused);
  EXPECT_EQ(list.AddEntry(as2, WorkMode::Encrypt), TWorkList::Added::Refused);
  EXPECT_EQ(list.AddEntry(lower, WorkMode::Encrypt), TWorkList::Added::Yes);
  EXPECT_EQ(list.AddEntry(as1, WorkMode::Wipe), TWorkList::Added::Yes);
  EXPECT_EQ(Paths(), (std::vector<std::string>{lower, as1}));
}

TEST_F(WorkListTest, MissingPathIsAddedWithZeros) {
  const std::string gone = dir / "gone.txt";
  ASSERT_EQ(list.AddEntry(gone, WorkMode::Wipe), TWorkList::Added::Yes);
  EXPECT_EQ(list.data(list.index(0, 1)).toString(), "0 KB");
  EXPECT_EQ(list.data(list.index(0, 2)).toString(), "");
  EXPECT_EQ(list.data(list.index(0, 0, {}), TWorkList::KindRole).toString(), "file");
  EXPECT_EQ(list.TotalBytes(), 0);

  // Facts a walk has just read are taken as they are.
  const TFileInfo facts{77, 0, faArchive};
  list.AddEntry(dir / "walked.txt", WorkMode::Wipe, &facts);
  EXPECT_EQ(list.SizeAt(1), 77);
  EXPECT_EQ(list.TotalBytes(), 77);
}

TEST_F(WorkListTest, TotalsBeyondFourGibibytesAndRemoveRecomputes) {
  std::vector<std::string> files;
  for (const char* name : {"one", "two", "three"}) {
    files.push_back(File(name));
    ASSERT_EQ(::truncate(files.back().c_str(), 3LL << 30), 0);  // sparse 3 GiB each
    list.AddEntry(files.back(), WorkMode::Wipe);
  }
  const std::string small = File("small", 100);
  list.AddEntry(small, WorkMode::Wipe);
  EXPECT_EQ(list.TotalBytes(), (9LL << 30) + 100);
  EXPECT_EQ(list.Summary(), "4 File(s) 9.22E3 MByte");

  list.RemoveRows({3, 0, 3, 99, -1});
  EXPECT_EQ(Paths(), (std::vector<std::string>{files[1], files[2]}));
  EXPECT_EQ(list.TotalBytes(), 6LL << 30);
  EXPECT_EQ(list.rowCount(), 2);
  // A removed path is no longer a duplicate.
  EXPECT_EQ(list.AddEntry(small, WorkMode::Wipe), TWorkList::Added::Yes);

  list.RemoveRows({0, 1, 2});
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.TotalBytes(), 0);
  EXPECT_EQ(list.Summary(), "0 File(s) 0 Byte(s)");
}

TEST_F(WorkListTest, RemovingAScatteredSelectionKeepsTheRest) {
  std::vector<std::string> kept;
  std::vector<int> selected;
  TWorkList::Batch batch(list);
  for (int i = 0; i < 300; ++i) {
    const std::string path = dir / ("f" + std::to_string(i));  // missing: size 0
    list.AddEntry(path, WorkMode::Wipe);
    if (i % 3 == 1) {
      selected.push_back(i);
    } else {
      kept.push_back(path);
    }
  }
  int resets = 0;
  QObject::connect(&list, &QAbstractItemModel::modelReset, [&] { ++resets; });
  list.RemoveRows(selected);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(Paths(), kept);
  EXPECT_EQ(list.rowCount(), 200);
  EXPECT_FALSE(list.Contains(dir / "f1"));
  EXPECT_TRUE(list.Contains(dir / "f2"));
}

TEST_F(WorkListTest, StatusTextsAndClear) {
  std::vector<QString> lines;
  list.StatusLine = [&](const QString& line) { lines.push_back(line); };
  const std::string a = File("a", 1023);
  const std::string b = File("b", 1025);
  list.AddEntry(a, WorkMode::Encrypt);
  list.AddEntry(b, WorkMode::Encrypt);
  list.AddEntry(b, WorkMode::Encrypt);  // duplicate: no line
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1 File(s) 1023 Byte(s) " + QString::fromStdString(a) + "          ");
  EXPECT_EQ(lines[1], "2 File(s) 2 KByte " + QString::fromStdString(b) + "          ");

  list.Clear();
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_EQ(list.Summary(), "0 File(s) 0 Byte(s)");
  EXPECT_FALSE(list.Contains(a));
}

TEST_F(WorkListTest, BatchShowsItsRowsToTheViewInOneInsertion) {
  std::vector<std::pair<int, int>> inserted;
  QObject::connect(
      &list, &QAbstractItemModel::rowsInserted,
      [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); });
  list.AddEntry(File("first"), WorkMode::Wipe);
  {
    TWorkList::Batch outer(list);
    {
      TWorkList::Batch inner(list);
      for (const char* name : {"x", "y", "z"})
        list.AddEntry(File(name), WorkMode::Wipe);
    }
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Summary(), "4 File(s) 4 Byte(s)");
    EXPECT_TRUE(list.Contains(dir / "y"));
  }
  EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 0}, {1, 3}}));
  EXPECT_EQ(list.rowCount(), 4);
  EXPECT_EQ(list.data(list.index(3, 0)).toString(), "z");
}

// A walk adds rows faster than anyone reads: within a batch the status line
// hears of few of them, and of the last one, with the final total, at its end.
TEST_F(WorkListTest, BatchTellsTheStatusLineSeldomAndItsLastRowAtTheEnd) {
  std::vector<QString> lines;
  list.StatusLine = [&](const QString& line) { lines.push_back(line); };
  const TFileInfo facts{1, 0, faArchive};
  std::string last;
  {
    TWorkList::Batch batch(list);
    for (int i = 0; i < 1000; ++i) {
      last = "/nowhere/file" + std::to_string(i);
      list.AddEntry(last, WorkMode::Wipe, &facts);
    }
  }
  ASSERT_FALSE(lines.empty());
  EXPECT_LT(lines.size(), 100u);
  EXPECT_EQ(lines.back(),
            "1000 File(s) 1000 Byte(s) " + QString::fromStdString(last) + "          ");
}

TEST_F(WorkListTest, KeepsPathsAsTheFileSystemsBytes) {
  const std::string odd = File(std::string("caf\xE9.txt"));  // a Latin-1 byte on disk
  list.AddEntry(odd, WorkMode::Wipe);
  EXPECT_EQ(list.PathAt(0), odd);
  EXPECT_EQ(list.SizeAt(0), 1);
  const std::string utf8 = File("\xC3\xA9t\xC3\xA9.txt");
  list.AddEntry(QString::fromStdString(utf8), WorkMode::Wipe);
  EXPECT_EQ(list.PathAt(1), utf8);
  EXPECT_EQ(list.data(list.index(1, 0)).toString(), QString::fromUtf8("\xC3\xA9t\xC3\xA9.txt"));
}

TEST(PathTextTest, AnyBytesComeBackFromTheirText) {
  const struct {
    std::string bytes;
    bool utf8;
  } cases[] = {
      {"/tmp/plain.txt", true},    {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.png", true},
      {"caf\xE9.txt", false},      {"\xED\xB2\x80", false},  // an encoded surrogate, itself U+DC80
      {"\xF0\x9F\x98", false},                               // a character cut short
      {"\xC0\xAF", false},                                   // an overlong "/"
      {"\xF4\x90\x80\x80", false},                           // beyond U+10FFFF
      {"\xFF\xFE/\x80", false},
  };
  for (const auto& c : cases) {
    const QString text = PathText(c.bytes);
    EXPECT_EQ(PathBytes(text), c.bytes) << c.bytes;
    // Shown, a byte that is not UTF-8 is written out ("\xE9"), not lost.
    EXPECT_EQ(PathDisplayText(c.bytes).contains("\\x"), !c.utf8) << c.bytes;
    if (c.utf8) {
      EXPECT_EQ(text, QString::fromUtf8(c.bytes.c_str())) << c.bytes;
    }
  }
}

}  // namespace
}  // namespace vls
