// The orders of the work list: by a column as the user reads it, or as the
// rows were added. Every order is total (paths are unique), so the same rows
// always come in the same order, however they got into the list.

#include <QCollator>
#include <algorithm>
#include <numeric>

#include "app/WorkList.h"

namespace vls {
namespace {

// Letters as the user's language orders them, letter case aside.
const QCollator& LetterCollator() {
  static const QCollator collator = [] {
    QCollator letters;
    letters.setCaseSensitivity(Qt::CaseInsensitive);
    return letters;
  }();
  return collator;
}

bool IsDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// The end of the run of digits, or of other characters, that starts at at.
qsizetype RunEnd(QStringView text, qsizetype at) {
  const bool digits = IsDigit(text[at]);
  while (at < text.size() && IsDigit(text[at]) == digits)
    ++at;
  return at;
}

// Names as a reader orders them: runs of digits by their value, so
// "photo2" comes before "photo10", and the text between them by the
// collator. (The collator's own numeric mode is off in the C locale.)
int NaturalCompare(QStringView a, QStringView b) {
  qsizetype i = 0;
  qsizetype j = 0;
  while (i < a.size() && j < b.size()) {
    const qsizetype a_end = RunEnd(a, i);
    const qsizetype b_end = RunEnd(b, j);
    int order;
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // By value: leading zeros aside, the longer number is the larger.
      while (i < a_end - 1 && a[i] == u'0')
        ++i;
      while (j < b_end - 1 && b[j] == u'0')
        ++j;
      order = a_end - i != b_end - j ? (a_end - i < b_end - j ? -1 : 1)
                                     : a.sliced(i, a_end - i).compare(b.sliced(j, b_end - j));
    } else {
      order = LetterCollator().compare(a.sliced(i, a_end - i), b.sliced(j, b_end - j));
    }
    if (order != 0)
      return order;
    i = a_end;
    j = b_end;
  }
  return (i < a.size() ? 1 : 0) - (j < b.size() ? 1 : 0);
}

}  // namespace

struct TWorkList::SortKey {
  std::int64_t number = 0;
  QString text;  // null for the columns of numbers
};

TWorkList::SortKey TWorkList::KeyOf(const Row& row) const {
  switch (sort_column_) {
    case ColName:
      return {0, FileNameText(PathOf(row))};
    case ColSize:
      // A folder shows no size: it comes before every file.
      return {(row.attr & faDirectory) != 0 ? -1 : row.size, {}};
    case ColModified:
      return {row.time, {}};  // a DOS date-time grows with the moment it tells
    case ColPath:
      return {0, PathDisplayText(PathOf(row))};
    default:
      return {static_cast<std::int64_t>(row.added), {}};
  }
}

bool TWorkList::Before(const SortKey& a_key, const Row& a, const SortKey& b_key,
                       const Row& b) const {
  int order = a_key.number < b_key.number ? -1 : (a_key.number > b_key.number ? 1 : 0);
  if (order == 0 && !a_key.text.isNull())
    order = NaturalCompare(a_key.text, b_key.text);
  if (order == 0)
    order = PathOf(a).compare(PathOf(b));
  return sort_order_ == Qt::AscendingOrder ? order < 0 : order > 0;
}

int TWorkList::SortedPlace(const Row& row) const {
  const SortKey key = KeyOf(row);
  const auto place =
      std::upper_bound(rows_.begin(), rows_.end(), row, [&](const Row& added, const Row& listed) {
        return Before(key, added, KeyOf(listed), listed);
      });
  return static_cast<int>(place - rows_.begin());
}

void TWorkList::sort(int column, Qt::SortOrder order) {
  Flush();  // rows of a running batch join first, so the view knows every row
  sort_column_ = column >= 0 && column < ColumnCount ? column : -1;
  sort_order_ = sort_column_ >= 0 ? order : Qt::AscendingOrder;
  SortRows();
}

void TWorkList::SortRows() {
  // Each key is made once: a name's text and collation are not cheap.
  std::vector<SortKey> keys;
  keys.reserve(rows_.size());
  for (const Row& row : rows_)
    keys.push_back(KeyOf(row));
  std::vector<int> sorted(rows_.size());
  std::iota(sorted.begin(), sorted.end(), 0);
  std::sort(sorted.begin(), sorted.end(),
            [&](int a, int b) { return Before(keys[a], rows_[a], keys[b], rows_[b]); });
  if (std::is_sorted(sorted.begin(), sorted.end()))
    return;  // already in that order

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<Row> rows;
  rows.reserve(rows_.size());
  std::vector<int> place_of(rows_.size());
  for (int place = 0; place < static_cast<int>(sorted.size()); ++place) {
    rows.push_back(rows_[sorted[place]]);
    place_of[sorted[place]] = place;
  }
  rows_ = std::move(rows);
  // The selection and the current row move with their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before)
    after.push_back(index.isValid() ? this->index(place_of[index.row()], index.column())
                                    : QModelIndex());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace vls
