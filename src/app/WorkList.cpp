#include "app/WorkList.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <ctime>

#include "platform/DisplayText.h"
#include "protect/PathNames.h"

namespace vls {

namespace {

// Milliseconds of the coarse monotonic clock, a few milliseconds fine, which
// is enough to space status lines: read once per added row, the precise
// clock took longer than the rest of adding a row to the list.
std::int64_t CoarseClockMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The mode rules run once per file of a walk, so they read the path and the
// filter in place rather than through upper-case copies.

// The extension ExtensionOf gives, without the copy.
std::string_view ExtensionIn(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos)
    return {};
  const auto separator = path.rfind(kPathSeparator);
  return separator != std::string_view::npos && dot < separator ? std::string_view()
                                                                : path.substr(dot);
}

char UpperAsciiChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether UpperAscii(text) starts with upper.
bool StartsUpper(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size())
    return false;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    if (UpperAsciiChar(text[i]) != upper[i])
      return false;
  }
  return true;
}

// Whether UpperAscii(text) == upper.
bool SameUpper(std::string_view text, std::string_view upper) {
  return text.size() == upper.size() && StartsUpper(text, upper);
}

// Whether UpperAscii(text) contains upper.
bool ContainsUpper(std::string_view text, std::string_view upper) {
  for (std::size_t at = 0; at + upper.size() <= text.size(); ++at) {
    if (StartsUpper(text.substr(at), upper))
      return true;
  }
  return false;
}

bool IsEncryptedExtension(std::string_view extension) {
  return SameUpper(extension, ".VLP") || SameUpper(extension, ".VLD");
}

__extension__ typedef unsigned __int128 Wide;

// Decimal digits of count * 5^shift (at most 110 bits for shift <= 20).
std::string ExactDigits(std::int64_t count, int shift) {
  Wide value = static_cast<Wide>(count);
  for (int i = 0; i < shift; ++i)
    value *= 5;
  char buffer[40];
  char* end = buffer + sizeof buffer;
  char* at = end;
  do {
    *--at = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
  } while (value != 0);
  return std::string(at, end);
}

// count / 2^shift (count >= 2^shift) with three significant digits, halves
// rounded away from zero, trailing zeros dropped; fixed notation up to three
// integer digits, otherwise "d.ddEn". Works on the exact decimal expansion
// count * 5^shift / 10^shift, so ties such as 1.125 round as written.
QString GeneralFormat(std::int64_t count, int shift, const QString& separator) {
  const std::string digits = ExactDigits(count, shift);
  int integer_digits = static_cast<int>(digits.size()) - shift;
  std::string significant = digits.substr(0, 3);
  if (digits.size() > 3 && digits[3] >= '5') {
    int at = static_cast<int>(significant.size()) - 1;
    while (at >= 0 && significant[at] == '9')
      significant[at--] = '0';
    if (at >= 0) {
      ++significant[at];
    } else {
      significant.insert(significant.begin(), '1');
      significant.pop_back();
      ++integer_digits;
    }
  }
  while (significant.size() > 1 && significant.back() == '0')
    significant.pop_back();

  if (integer_digits <= 3) {
    std::string integer =
        significant.substr(0, std::min<std::size_t>(integer_digits, significant.size()));
    integer.resize(integer_digits, '0');
    const std::string fraction = significant.size() > static_cast<std::size_t>(integer_digits)
                                     ? significant.substr(integer_digits)
                                     : "";
    QString result = QString::fromStdString(integer);
    if (!fraction.empty())
      result += separator + QString::fromStdString(fraction);
    return result;
  }
  QString result = QString::fromStdString(significant.substr(0, 1));
  if (significant.size() > 1)
    result += separator + QString::fromStdString(significant.substr(1));
  return result + "E" + QString::number(integer_digits - 1);
}

// A byte b that is not part of a UTF-8 character stands in a path's text as
// kEscapedByte + b; only bytes from 0x80 up can be such bytes.
constexpr char16_t kEscapedByte = 0xDC00;

// Length of the well-formed UTF-8 character at bytes[at] (shortest form, no
// surrogates, at most U+10FFFF), or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80)
    return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0;
    if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - at < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80)
      return 0;
  }
  return length;
}

}  // namespace

QString FileNameText(std::string_view path) {
  std::string_view name = path;
  while (name.size() > 1 && name.back() == kPathSeparator)
    name.remove_suffix(1);
  const auto slash = name.rfind(kPathSeparator);
  if (slash != std::string_view::npos && slash + 1 < name.size())
    name.remove_prefix(slash + 1);
  return PathDisplayText(name);
}

bool AcceptForAdd(WorkMode mode, const std::string& path) {
  return mode != WorkMode::Encrypt || !IsEncryptedExtension(ExtensionIn(path));
}

bool AcceptForMode(WorkMode mode, const std::string& filter_description, const std::string& path) {
  const std::string_view extension = ExtensionIn(path);
  const auto is = [extension](std::string_view upper) { return SameUpper(extension, upper); };
  bool can_add = false;
  switch (mode) {
    case WorkMode::Decrypt:
      return IsEncryptedExtension(extension);
    case WorkMode::SlideShow:
      return is(".VLP");
    case WorkMode::Encrypt:
      if (IsEncryptedExtension(extension))
        return false;
      can_add = true;
      break;
    case WorkMode::Wipe:
      break;
  }
  // Encrypt and Wipe: the first key the filter's description contains decides.
  const auto has = [&filter_description](std::string_view key) {
    return ContainsUpper(filter_description, key);
  };
  if (has("ALL F"))
    return true;
  if (has("ALL P")) {
    return is(".JPG") || is(".GIF") || is(".BMP") || is(".PCX") || is(".TIF") || is(".PNG");
  }
  if (has("JPEG"))
    return is(".JPG");
  if (has("GIF"))
    return is(".GIF");
  if (has("WIN"))
    return is(".BMP");
  if (has("PCX"))
    return is(".PCX");
  if (has("PNG"))
    return is(".PNG");
  if (has("TIF"))
    return is(".TIF");
  return can_add;
}

bool AcceptForDrop(WorkMode mode, const std::string& path) {
  const bool encrypted = IsEncryptedExtension(ExtensionIn(path));
  switch (mode) {
    case WorkMode::Encrypt:
      return !encrypted;
    case WorkMode::Decrypt:
      return encrypted;
    case WorkMode::Wipe:
    case WorkMode::SlideShow:
      break;
  }
  return true;
}

QString RowSizeText(std::int64_t size, std::uint32_t attributes) {
  if ((attributes & faDirectory) != 0)
    return {};
  if (size > 0 && size < 1024)
    size = 1024;
  return QString::number(size / 1024) + " KB";
}

QString SizeText(std::int64_t count) {
  return SizeText(count, QLocale().decimalPoint());
}

QString SizeText(std::int64_t count, const QString& decimal_separator) {
  if (count < 0)
    return {};
  if (count < 1024)
    return QString::number(count) + " Byte(s)";
  if (count < 1048576)
    return GeneralFormat(count, 10, decimal_separator) + " KByte";
  return GeneralFormat(count, 20, decimal_separator) + " MByte";
}

QString DateText(DosDateTime time) {
  return DateText(time, QLocale());
}

QString DateText(DosDateTime time, const QLocale& locale) {
  const std::uint32_t date = time >> 16;
  const std::uint32_t clock = time & 0xFFFF;
  const QDate day(1980 + static_cast<int>(date >> 9), static_cast<int>((date >> 5) & 0x0F),
                  static_cast<int>(date & 0x1F));
  const QTime minute(static_cast<int>(clock >> 11), static_cast<int>((clock >> 5) & 0x3F));
  if (!day.isValid() || !minute.isValid())
    return {};
  // Short time formats seldom carry seconds; drop them where one does.
  static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
  QString time_format = locale.timeFormat(QLocale::ShortFormat);
  time_format.remove(seconds);
  return locale.toString(day, QLocale::ShortFormat) + "  " + locale.toString(minute, time_format);
}

std::string PathBytes(const QString& path) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(path.size()));
  qsizetype run = 0;  // start of the text not yet converted
  const auto flush = [&](qsizetype end) {
    const QByteArray utf8 = QStringView(path).sliced(run, end - run).toUtf8();
    bytes.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  };
  for (qsizetype at = 0; at < path.size(); ++at) {
    const char16_t unit = path[at].unicode();
    if (QChar::isHighSurrogate(unit) && at + 1 < path.size() &&
        QChar::isLowSurrogate(path[at + 1].unicode())) {
      ++at;  // a character beyond the basic plane, not an escaped byte
      continue;
    }
    if (unit < kEscapedByte + 0x80 || unit > kEscapedByte + 0xFF)
      continue;
    flush(at);
    bytes.push_back(static_cast<char>(unit - kEscapedByte));
    run = at + 1;
  }
  flush(path.size());
  return bytes;
}

QString PathText(std::string_view path) {
  QString text;
  std::size_t run = 0;  // start of the bytes not yet converted
  std::size_t at = 0;
  while (at < path.size()) {
    if (const std::size_t length = Utf8SequenceLength(path, at); length > 0) {
      at += length;
      continue;
    }
    text += QString::fromUtf8(path.data() + run, static_cast<qsizetype>(at - run));
    text += QChar(static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(path[at])));
    run = ++at;
  }
  text += QString::fromUtf8(path.data() + run, static_cast<qsizetype>(at - run));
  return text;
}

QString PathDisplayText(std::string_view path) {
  return QString::fromStdString(DisplayText(path));
}

// A row keeps the attributes in eight bits.
static_assert((faReadOnly | faHidden | faSysFile | faVolumeID | faDirectory | faArchive) < 0x100);

TWorkList::TWorkList(QObject* parent) : QAbstractTableModel(parent) {}
TWorkList::~TWorkList() = default;

TWorkList::Added TWorkList::AddEntry(const std::string& path, WorkMode mode,
                                     const TFileInfo* facts) {
  if (mode == WorkMode::Encrypt) {
    const std::string_view extension = ExtensionIn(path);
    if (extension == ".AS1" || extension == ".AS2")
      return Added::Refused;
  }
  // One hash look-up serves as the duplicate test and the insertion.
  const auto [id, is_new] = paths_.Insert(path);
  if (!is_new)
    return Added::Duplicate;
  const TFileInfo info = facts != nullptr ? *facts : ReadFileInfo(path).value_or(TFileInfo{});
  const Row row{id, info.Time, info.Size, added_++, info.Attr};
  // Outside a batch a row goes straight to its place in a sorted list; a
  // batch appends, and its end sorts the list once.
  const bool notify = batch_depth_ == 0;
  const int place = notify && sort_column_ >= 0 ? SortedPlace(row) : Count();
  if (notify)
    beginInsertRows(QModelIndex(), place, place);
  try {
    rows_.insert(rows_.begin() + place, row);
  } catch (...) {
    paths_.Erase(id);
    throw;
  }
  total_bytes_ += info.Size;
  if (notify) {
    shown_ = Count();
    endInsertRows();
  }
  TellAdded(id);
  return Added::Yes;
}

void TWorkList::TellAdded(PathSet::Id path) {
  if (!StatusLine)
    return;
  const std::int64_t now = CoarseClockMs();
  if (batch_depth_ > 0 && status_told_ms_ >= 0 && now - status_told_ms_ < kStatusIntervalMs) {
    untold_ = path;
    return;
  }
  untold_ = PathSet::kNone;
  status_told_ms_ = now;
  StatusLine(EntryLine(paths_.View(path)));
}

void TWorkList::TellLastAdded() {
  const PathSet::Id path = untold_;
  untold_ = PathSet::kNone;
  if (path != PathSet::kNone && StatusLine)
    StatusLine(EntryLine(paths_.View(path)));
}

bool TWorkList::Contains(const std::string& path) const {
  return paths_.Contains(path);
}

void TWorkList::RemoveRows(std::vector<int> rows) {
  Flush();
  untold_ = PathSet::kNone;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::erase_if(rows, [this](int row) { return row < 0 || row >= Count(); });
  // Runs of neighbouring rows, each removed with one notification, last
  // first; a scattered selection of many runs resets the view instead.
  std::vector<std::pair<int, int>> runs;
  for (int row : rows) {
    if (!runs.empty() && runs.back().second + 1 == row) {
      runs.back().second = row;
    } else {
      runs.emplace_back(row, row);
    }
  }
  constexpr std::size_t kMostRuns = 64;
  if (runs.size() <= kMostRuns) {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
      beginRemoveRows(QModelIndex(), run->first, run->second);
      for (int row = run->first; row <= run->second; ++row)
        paths_.Erase(rows_[row].path);
      rows_.erase(rows_.begin() + run->first, rows_.begin() + run->second + 1);
      shown_ = Count();
      endRemoveRows();
    }
  } else {
    beginResetModel();
    std::vector<Row> kept;
    kept.reserve(rows_.size() - rows.size());
    auto next = rows.begin();
    for (int row = 0; row < Count(); ++row) {
      if (next != rows.end() && *next == row) {
        paths_.Erase(rows_[row].path);
        ++next;
      } else {
        kept.push_back(rows_[row]);
      }
    }
    rows_ = std::move(kept);
    shown_ = Count();
    endResetModel();
  }
  total_bytes_ = 0;
  for (const Row& row : rows_)
    total_bytes_ += row.size;
}

void TWorkList::Clear() {
  untold_ = PathSet::kNone;
  beginResetModel();
  std::vector<Row>().swap(rows_);  // gives the memory back, as clear() would not
  paths_.Clear();
  shown_ = 0;
  total_bytes_ = 0;
  endResetModel();
}

TWorkList::Batch::Batch(TWorkList& list) : list_(list) {
  ++list_.batch_depth_;
}

TWorkList::Batch::~Batch() {
  if (--list_.batch_depth_ == 0) {
    list_.Flush();
    list_.TellLastAdded();
  }
}

void TWorkList::Flush() {
  if (shown_ >= Count())
    return;
  beginInsertRows(QModelIndex(), shown_, Count() - 1);
  shown_ = Count();
  endInsertRows();
  if (sort_column_ >= 0)
    SortRows();
}

std::vector<std::string> TWorkList::Paths() const {
  std::vector<std::string> paths;
  paths.reserve(rows_.size());
  for (const Row& row : rows_)
    paths.emplace_back(PathOf(row));
  return paths;
}

QString TWorkList::Summary() const {
  return QString::number(Count()) + " File(s) " + SizeText(total_bytes_);
}

QString TWorkList::EntryLine(std::string_view path) const {
  return Summary() + " " + PathDisplayText(path) + QString(10, u' ');
}

int TWorkList::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int TWorkList::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TWorkList::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_)
    return {};
  const Row& row = rows_[index.row()];
  const bool folder = (row.attr & faDirectory) != 0;
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case ColName:
          return FileNameText(PathOf(row));
        case ColSize:
          return RowSizeText(row.size, row.attr);
        case ColModified:
          return DateText(row.time);
        case ColPath:
          return PathDisplayText(PathOf(row));
        default:
          return {};
      }
    case Qt::DecorationRole:
      if (index.column() == ColName && IconOf)
        return IconOf(PathText(PathOf(row)), folder);
      return {};
    case KindRole:
      return folder ? QStringLiteral("dir") : QStringLiteral("file");
    case SizeRole:
      return QVariant::fromValue<qint64>(row.size);
    case PathRole:
      return PathText(PathOf(row));
    default:
      return {};
  }
}

QVariant TWorkList::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return {};
  switch (section) {
    case ColName:
      return QStringLiteral("File Name");
    case ColSize:
      return QStringLiteral("Size");
    case ColModified:
      return QStringLiteral("Modified");
    case ColPath:
      return QStringLiteral("Full Path Name");
    default:
      return {};
  }
}

Qt::ItemFlags TWorkList::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace vls
