#include "app/widgets/NameDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <algorithm>

#include "app/WorkList.h"
#include "platform/DisplayText.h"

namespace vls {
namespace {

// Room for the text of a row as the style draws it.
int TextRoom(const QStyleOptionViewItem& option) {
  const QWidget* widget = option.widget;
  const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  return text.width() - 2 * margin;
}

// The longest start of text (whole characters) no wider than room.
qsizetype FittingHead(const QString& text, const QFontMetrics& metrics, int room) {
  qsizetype low = 0, high = text.size();
  while (low < high) {
    const qsizetype middle = (low + high + 1) / 2;
    if (metrics.horizontalAdvance(text.left(middle)) <= room) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  if (low > 0 && low < text.size() && text.at(low).isLowSurrogate())
    --low;
  return low;
}

// The longest end of text (whole characters) no wider than room.
qsizetype FittingTail(const QString& text, const QFontMetrics& metrics, int room) {
  qsizetype low = 0, high = text.size();
  while (low < high) {
    const qsizetype middle = (low + high + 1) / 2;
    if (metrics.horizontalAdvance(text.right(middle)) <= room) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  if (low > 0 && low < text.size() && text.at(text.size() - low).isLowSurrogate())
    --low;
  return low;
}

// The text cut to room pixels by leaving out its middle. The end that stays
// takes half the room, or more to hold the whole type of the name (from its
// last "."), up to the whole room: Qt's own middle cut keeps half, and in a
// narrow column that is "…df" of "x.pdf".
QString Elided(const QString& text, const QFontMetrics& metrics, int room) {
  if (metrics.horizontalAdvance(text) <= room)
    return text;
  const QString ellipsis(QChar(0x2026));
  const int budget = room - metrics.horizontalAdvance(ellipsis);
  if (budget <= 0)
    return ellipsis;
  constexpr qsizetype kLongestType = 16;  // a longer part after a "." is no type
  const qsizetype dot = text.lastIndexOf(u'.');
  const bool typed = dot > text.lastIndexOf(u'/') && dot > 0 && text.size() - dot <= kLongestType;
  const int type = typed ? metrics.horizontalAdvance(text.mid(dot)) : 0;
  const int tail_room = std::max(budget / 2, std::min(type, budget));
  const QString tail = text.right(FittingTail(text, metrics, tail_room));
  QString head = text.left(FittingHead(text, metrics, budget - metrics.horizontalAdvance(tail)));
  // The style cuts again what it measures as too wide, and it measures a
  // text with its ellipsis a pixel wider now and then: that cut would take
  // the type, so the head gives way until the style keeps the text whole.
  const auto fits = [&](const QString& cut) {
    return metrics.horizontalAdvance(cut) <= room &&
           metrics.elidedText(cut, Qt::ElideMiddle, room) == cut;
  };
  while (!head.isEmpty() && !fits(head + ellipsis + tail))
    head.chop(1);
  return head + ellipsis + tail;
}

}  // namespace

NameDelegate::NameDelegate(RowWidth width, QObject* parent)
    : QStyledItemDelegate(parent), width_(width) {}

QString NameDelegate::displayText(const QVariant& value, const QLocale& locale) const {
  // Not through the base class for texts: it turns line breaks into line
  // separators, which would then show as such.
  if (value.typeId() == QMetaType::QString)
    return QString::fromStdString(DisplayText(PathBytes(value.toString())));
  return QStyledItemDelegate::displayText(value, locale);
}

void NameDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->textElideMode = Qt::ElideMiddle;
}

void NameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  QStyleOptionViewItem row = option;
  initStyleOption(&row, index);
  row.text = Elided(row.text, row.fontMetrics, TextRoom(row));
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);
}

QSize NameDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  if (width_ == RowWidth::View && view != nullptr)
    size.setWidth(std::min(size.width(), view->viewport()->width()));
  return size;
}

bool NameDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  // The only tooltip a row has: its whole name when the row shows only part.
  QStyleOptionViewItem row = option;
  initStyleOption(&row, index);
  QString tip;
  if (index.isValid() && row.fontMetrics.horizontalAdvance(row.text) > TextRoom(row)) {
    // Tooltips take markup; the name goes in escaped, its blanks kept.
    tip = "<p style=\"white-space:pre-wrap\">" + row.text.toHtmlEscaped() + "</p>";
  }
  const QRect rect = view->visualRect(index);
  QToolTip::showText(event->globalPos(), tip, view,
                     QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size()));
  event->setAccepted(!tip.isEmpty());
  return !tip.isEmpty();
}

}  // namespace vls
