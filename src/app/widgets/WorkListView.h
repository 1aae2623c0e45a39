#pragma once
// The work list's view ("files"): four columns over the rows of a TWorkList
// it owns, each row with its file type's icon, names drawn as the user reads
// them, and a selection of any rows.

#include <QTreeView>
#include <vector>

namespace vls {

class TWorkList;

class WorkListView : public QTreeView {
  Q_OBJECT

 public:
  explicit WorkListView(QWidget* parent = nullptr);

  TWorkList& Rows() { return *rows_; }
  // The rows selected, in no particular order.
  std::vector<int> SelectedRows() const;

 private:
  TWorkList* rows_;
};

}  // namespace vls
