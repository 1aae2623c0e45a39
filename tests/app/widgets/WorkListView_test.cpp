// The work list under a real view, with Qt's model checker watching every
// change: single rows, a batch, removals of runs and of a scattered
// selection, and clearing. A mistake in the change notifications fails here.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "app/WorkList.h"

using namespace vls;

class WorkListViewTest : public QObject {
  Q_OBJECT

 private slots:
  void viewFollowsEveryChange() {
    QTemporaryDir dir;
    TWorkList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTreeView view;
    view.setModel(&list);
    view.setRootIsDecorated(false);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.resize(600, 300);
    view.show();

    const auto path = [&](int i) { return PathBytes(dir.filePath(QString("f%1.txt").arg(i))); };
    for (int i = 0; i < 5; ++i)
      list.AddEntry(path(i), WorkMode::Wipe);
    {
      TWorkList::Batch batch(list);
      for (int i = 5; i < 400; ++i)
        list.AddEntry(path(i), WorkMode::Wipe);
      QCOMPARE(view.model()->rowCount(), 5);
    }
    QCOMPARE(view.model()->rowCount(), 400);
    QCOMPARE(view.model()->headerData(3, Qt::Horizontal).toString(), "Full Path Name");

    // Rows chosen in the view, as "&Remove" reads them.
    view.selectionModel()->select(QItemSelection(list.index(1, 0), list.index(3, 3)),
                                  QItemSelectionModel::Select);
    std::vector<int> chosen;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
      chosen.push_back(index.row());
    list.RemoveRows(chosen);
    QCOMPARE(list.rowCount(), 397);
    QCOMPARE(list.data(list.index(1, 3)).toString(), QString::fromStdString(path(4)));

    std::vector<int> every_other;
    for (int row = 0; row < list.rowCount(); row += 2)
      every_other.push_back(row);
    list.RemoveRows(every_other);
    QCOMPARE(list.rowCount(), 198);
    QCOMPARE(list.PathAt(0), path(4));

    list.Clear();
    QCOMPARE(view.model()->rowCount(), 0);
    list.AddEntry(path(0), WorkMode::Wipe);
    QCOMPARE(view.model()->rowCount(), 1);
  }
};

QTEST_MAIN(WorkListViewTest)
#include "WorkListView_test.moc"
