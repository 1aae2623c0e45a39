#include "app/widgets/WorkListView.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <memory>

#include "app/WorkList.h"
#include "app/widgets/NameDelegate.h"
#include "app/widgets/RowIcons.h"

namespace vls {

WorkListView::WorkListView(QWidget* parent) : QTreeView(parent), rows_(new TWorkList(this)) {
  setObjectName("files");
  setModel(rows_);
  setItemDelegate(new NameDelegate(NameDelegate::RowWidth::Name, this));
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformRowHeights(true);
  rows_->IconOf = [icons = std::make_shared<RowIcons>()](const QString& path, bool folder) {
    return QVariant(icons->Of(path, folder));
  };

  QHeaderView* columns = header();
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  // Unsorted at first: the rows in the order they were added.
  columns->setSortIndicatorClearable(true);
  columns->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);
  // Only a drag between the headers is the user's sizing: Qt sizes sections
  // too (a change of style, a double click on the divider to fit).
  columns->viewport()->installEventFilter(this);
  connect(columns, &QHeaderView::sectionResized, this, [this](int column) {
    if (dragging_divider_ && column >= 0 && column < static_cast<int>(sized_by_user_.size()))
      sized_by_user_.set(static_cast<std::size_t>(column));
  });
  for (const auto change : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(rows_, change, this, [this] { FitColumnsSoon(); });
  connect(rows_, &QAbstractItemModel::modelReset, this, [this] { FitColumnsSoon(); });
  connect(rows_, &QAbstractItemModel::layoutChanged, this, [this] { FitColumnsSoon(); });
  FitColumns();
}

std::vector<int> WorkListView::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    rows.push_back(index.row());
  return rows;
}

bool WorkListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == header()->viewport()) {
    if (event->type() == QEvent::MouseButtonPress)
      dragging_divider_ = true;
    else if (event->type() == QEvent::MouseButtonRelease)
      dragging_divider_ = false;
  }
  return QTreeView::eventFilter(watched, event);
}

void WorkListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    emit RemoveRequested();
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void WorkListView::FitColumnsSoon() {
  // A walk or a drop adds rows one by one: the columns are measured once.
  if (fit_due_)
    return;
  fit_due_ = true;
  QTimer::singleShot(0, this, [this] { FitColumns(); });
}

void WorkListView::FitColumns() {
  fit_due_ = false;
  // As wide as the widest text among the rows in sight (and the header's);
  // the rows shown decide, so a list of 100,000 rows is measured quickly.
  for (int column = 0; column < TWorkList::ColumnCount; ++column) {
    if (!sized_by_user_.test(static_cast<std::size_t>(column)))
      resizeColumnToContents(column);
  }
}

}  // namespace vls
