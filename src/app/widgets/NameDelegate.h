#pragma once
// Draws the rows of the views that list names from the disk: the file list,
// the folder tree and the work list. Anyone may have chosen those names, so
// each is drawn with whatever could hide, reorder or push away characters
// made visible (DisplayText), and a name too long for its row loses its
// middle, never its end with the real type (Qt's own middle cut keeps half
// of the row for the end, which in a narrow column is less than the type). A row cut short tells
// its whole shown name in its tooltip, as escaped text.

#include <QStyledItemDelegate>

namespace vls {

class NameDelegate : public QStyledItemDelegate {
 public:
  enum class RowWidth {
    Name,  // a row is as wide as its name (a table column decides)
    View,  // no row is wider than the view, so a long name is cut, not scrolled away
  };
  explicit NameDelegate(RowWidth width, QObject* parent = nullptr);

  // A text (names travel as PathText) as the rows draw it.
  QString displayText(const QVariant& value, const QLocale& locale) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  RowWidth width_;
};

}  // namespace vls
