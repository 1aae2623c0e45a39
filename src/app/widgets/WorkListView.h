#pragma once
// The work list's view ("files"): four columns over the rows of a TWorkList
// it owns, each row with its file type's icon, names drawn as the user reads
// them, and a selection of any rows. The columns fit their contents as rows
// come and go, except those the user has sized; a click on a header sorts
// the list by that column (a third click restores the order of adding). The
// Delete key asks for the selected rows to go, as "&Remove" does.

#include <QTreeView>
#include <bitset>
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

 signals:
  // The Delete key was pressed in the list.
  void RemoveRequested();

 protected:
  // Tells the user's drags between the headers from Qt's own sizing.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Fits the columns the user has not sized, once the events in hand are done.
  void FitColumnsSoon();
  void FitColumns();

  TWorkList* rows_;
  std::bitset<4> sized_by_user_;
  bool dragging_divider_ = false;
  bool fit_due_ = false;
};

}  // namespace vls
