// The work list under a real view, with Qt's model checker watching every
// change: single rows, a batch, removals of runs and of a scattered
// selection, clearing and sorting. A mistake in the change notifications
// fails here. Also the view's columns: fitted to their texts, sorted by a
// click on their headers.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "app/WorkList.h"
#include "app/widgets/WorkListView.h"

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

  // The columns fit what they show, unless the user has sized one; a click
  // on a header sorts by that column, a second reverses, a third restores
  // the order of adding. The model checker watches the sorting.
  void columnsFitTheirTextsAndHeadersSort() {
    WorkListView view;
    TWorkList& list = view.Rows();
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const std::string folder =
        "/a folder whose name is long enough to be cut in any narrow column/";
    for (const char* name : {"b-drawing-of-the-house.png", "c.txt", "a.txt"}) {
      const TFileInfo facts{4096, 0, faArchive};
      list.AddEntry(folder + name, WorkMode::Wipe, &facts);
    }
    const QFontMetrics metrics = view.fontMetrics();
    const auto shows_whole = [&](int column, const QString& text) {
      return view.columnWidth(column) > metrics.horizontalAdvance(text);
    };
    QTRY_VERIFY(shows_whole(0, "b-drawing-of-the-house.png"));
    QVERIFY(shows_whole(1, "4 KB"));
    QVERIFY(shows_whole(3, QString::fromStdString(folder)));

    // The user drags the divider after the first header: that width stays.
    QWidget* headers = view.header()->viewport();
    const int divider = view.header()->sectionViewportPosition(1) - 1;
    const int middle = view.header()->height() / 2;
    QTest::mousePress(headers, Qt::LeftButton, {}, QPoint(divider, middle));
    QTest::mouseMove(headers, QPoint(30, middle));
    QTest::mouseRelease(headers, Qt::LeftButton, {}, QPoint(30, middle));
    const int dragged = view.columnWidth(0);
    QVERIFY(dragged < 40);
    list.AddEntry(folder + "d-another-long-name.txt", WorkMode::Wipe);
    QTest::qWait(10);
    QCOMPARE(view.columnWidth(0), dragged);

    const auto click_header = [&](int column) {
      QHeaderView* header = view.header();
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    const auto names = [&] {
      QStringList shown;
      for (int row = 0; row < list.rowCount(); ++row)
        shown << list.data(list.index(row, 0)).toString();
      return shown;
    };
    const QStringList added = names();
    click_header(0);
    QCOMPARE(names(), QStringList({"a.txt", "b-drawing-of-the-house.png", "c.txt",
                                   "d-another-long-name.txt"}));
    click_header(0);
    QCOMPARE(names().first(), QString("d-another-long-name.txt"));
    click_header(0);
    QCOMPARE(names(), added);
  }
};

QTEST_MAIN(WorkListViewTest)
#include "WorkListView_test.moc"
