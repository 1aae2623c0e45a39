#include "app/widgets/WorkListView.h"

#include <QHeaderView>
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
  // The first three columns are as wide as their headers, the path as its contents.
  header()->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column)
    header()->resizeSection(column, header()->sectionSizeHint(column));
  header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
  setUniformRowHeights(true);
  rows_->IconOf = [icons = std::make_shared<RowIcons>()](const QString& path, bool folder) {
    return QVariant(icons->Of(path, folder));
  };
}

std::vector<int> WorkListView::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    rows.push_back(index.row());
  return rows;
}

}  // namespace vls
