#pragma once
// The work list of the "En&crypt/Decrypt" page: one row per full path, shown
// in four columns ("File Name", "Size", "Modified", "Full Path Name"), with a
// running total of the rows' sizes, the duplicate test, the mode rules that
// decide which files a mode takes, and the texts the status line shows.
//
// The model keeps compact rows and draws every text on demand, so it holds
// 100,000 rows cheaply; the duplicate test is a hash look-up.

#include <QAbstractTableModel>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileIterator.h"
#include "app/PathSet.h"

namespace vls {

// The mode the list is filled for.
enum class WorkMode { Encrypt, Decrypt, Wipe, SlideShow };

// "&Add": Encrypt skips ".VLP" and ".VLD" (any case); other modes take all.
bool AcceptForAdd(WorkMode mode, const std::string& path);
// "Add A&ll" (the iterators' query handler): the mode and the description of
// the file-type filter ("All Files (*.*)", "JPEG Files (*.jpg)", ...).
bool AcceptForMode(WorkMode mode, const std::string& filter_description, const std::string& path);
// A drop on the list's page: Encrypt skips ".VLP" and ".VLD", Decrypt takes
// only them, Wipe and Slide Show take everything (folders too).
bool AcceptForDrop(WorkMode mode, const std::string& path);

// Size column: whole kilobytes, 1 to 1023 bytes counting as 1 KB; empty for
// a folder (faDirectory in the attributes).
QString RowSizeText(std::int64_t size, std::uint32_t attributes);
// Total size: "N Byte(s)" below 1024, else KByte or MByte with three
// significant digits and the locale's decimal separator; empty when negative.
QString SizeText(std::int64_t count);
QString SizeText(std::int64_t count, const QString& decimal_separator);
// "Modified" column: the locale's short date, two blanks, the time without
// seconds; empty for a zero (unknown) time.
QString DateText(DosDateTime time);
QString DateText(DosDateTime time, const QLocale& locale);

// Paths in the list are the bytes the file system uses; the window converts.
// A name need not be UTF-8: each byte that is not part of a UTF-8 character
// travels through the text as the lone surrogate U+DC80..U+DCFF (which no
// decoded name holds), so PathBytes(PathText(bytes)) gives the same bytes
// back. QFile::encodeName and decodeName would replace such bytes.
std::string PathBytes(const QString& path);
QString PathText(std::string_view path);
// A name or path as the user reads it (DisplayText): whatever could hide or
// reorder characters or break the line is made visible, and bytes that are
// not UTF-8 show as "\xE9". Every column that shows a name uses it.
QString PathDisplayText(std::string_view path);
// The "File Name" column: the last part of the path, as PathDisplayText.
QString FileNameText(std::string_view path);

class TWorkList : public QAbstractTableModel {
 public:
  enum Column { ColName, ColSize, ColModified, ColPath, ColumnCount };
  // Per-row data beyond the columns.
  enum Role {
    KindRole = Qt::UserRole + 1,  // "dir" or "file"
    SizeRole,                     // qint64 bytes
    PathRole,                     // the full path (QString)
  };
  enum class Added { Yes, Duplicate, Refused };
  static constexpr qint64 kStatusIntervalMs = 30;

  explicit TWorkList(QObject* parent = nullptr);
  ~TWorkList() override;

  // Appends a row for a full path, unless the path is already a row
  // (Duplicate: exact, case-sensitive) or Encrypt refuses its extension
  // ".AS1" / ".AS2" written exactly so (Refused). The size, time and
  // attributes are looked up now; a path that cannot be found gets zeros.
  // On success the total grows and StatusLine receives EntryLine(path).
  // The facts a walk with fiDetails has just read may be handed in, which
  // spares the look-up.
  Added AddEntry(const std::string& path, WorkMode mode, const TFileInfo* facts = nullptr);
  Added AddEntry(const QString& path, WorkMode mode) { return AddEntry(PathBytes(path), mode); }
  // The duplicate test.
  bool Contains(const std::string& path) const;
  bool Contains(const QString& path) const { return Contains(PathBytes(path)); }

  // Removes the given rows (any order, repeats ignored) and recomputes the total.
  void RemoveRows(std::vector<int> rows);
  // Removes every row; the total becomes 0.
  void Clear();

  // A click on a column's header: the rows ordered by that column as the
  // user reads it (names and paths in the locale's order, letter case aside
  // and numbers by value; sizes and times as numbers, folders first), rows
  // equal there by their paths; column -1 restores the order they were added
  // in. The order is the list's own, so the batches and the slide show take
  // the rows as they are shown. Rows added later take their places in it.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  int SortColumn() const { return sort_column_; }

  // Rows added while a Batch lives reach the view in one insertion when it
  // ends; Count(), the total and the texts count them at once. This is how
  // a walk adds thousands of rows without a view update per row. Within a
  // batch StatusLine hears of an added path at most every kStatusIntervalMs,
  // as a coarse clock tells it (no one reads a hundred lines a second, and
  // building each cost more than adding its row); the last one is told when
  // the batch ends, so the status line ends as it would have.
  class Batch {
   public:
    explicit Batch(TWorkList& list);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TWorkList& list_;
  };

  // Rows, including those of a running Batch.
  int Count() const { return static_cast<int>(rows_.size()); }
  bool Empty() const { return rows_.empty(); }
  std::int64_t TotalBytes() const { return total_bytes_; }
  // The path of a row, valid until rows are removed or cleared.
  std::string_view PathAt(int row) const { return paths_.View(rows_.at(row).path); }
  std::int64_t SizeAt(int row) const { return rows_.at(row).size; }
  bool IsFolderAt(int row) const { return (rows_.at(row).attr & faDirectory) != 0; }
  // Every path in list order: what the batch drivers and the slide show read.
  std::vector<std::string> Paths() const;

  // Count + " File(s) " + SizeText(TotalBytes).
  QString Summary() const;
  // The status line after adding a path: the summary, a blank, the path and
  // ten blanks (which overwrite a longer earlier line).
  QString EntryLine(std::string_view path) const;

  // Called by AddEntry with EntryLine of each added path (in a Batch, see
  // there); the window writes it to the status line and repaints that line
  // at once.
  std::function<void(const QString&)> StatusLine;
  // The small icon of a path, asked for when a row is drawn.
  std::function<QVariant(const QString& path, bool folder)> IconOf;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Row {
    PathSet::Id path;
    DosDateTime time;
    std::int64_t size;
    std::uint64_t added : 56;  // counts the rows added, for the order they came in
    std::uint64_t attr : 8;    // every fa... bit fits
  };
  std::string_view PathOf(const Row& row) const { return paths_.View(row.path); }
  struct SortKey;
  void Flush();
  // Tells StatusLine of the added path: outside a batch at once, inside one
  // when kStatusIntervalMs have passed; TellLastAdded tells a path held back.
  void TellAdded(PathSet::Id path);
  void TellLastAdded();
  // The sort (WorkListSort.cpp): a row's value in the sorted column, the
  // order of two rows, the place a new row takes, and the whole list sorted.
  SortKey KeyOf(const Row& row) const;
  bool Before(const SortKey& a_key, const Row& a, const SortKey& b_key, const Row& b) const;
  int SortedPlace(const Row& row) const;
  void SortRows();

  PathSet paths_;
  std::vector<Row> rows_;
  int shown_ = 0;  // rows the view has been told of
  int batch_depth_ = 0;
  std::int64_t total_bytes_ = 0;
  std::uint64_t added_ = 0;
  int sort_column_ = -1;                 // -1: as added
  std::int64_t status_told_ms_ = -1;     // when StatusLine last heard, on CoarseClockMs
  PathSet::Id untold_ = PathSet::kNone;  // a path added and not yet told
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

}  // namespace vls
