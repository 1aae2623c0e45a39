// The viewer by keyboard through the real window: arrows move the highlight
// and Enter shows it, the page keys show the next and previous encrypted
// picture in the list's order, and the highlight follows every picture the
// page shows (clicks, drops, the command line).

#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

class ViewerKeysTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_, folder_;
  QStringList messages_;

  static QListView* List(TFmainVLS& window) { return Find<QListView>(window, "FileListBox1"); }

  // "highlighted row / file the page shows last"; "+" when more rows are lit.
  static QString State(TFmainVLS& window) {
    const QModelIndex current = List(window)->currentIndex();
    const QModelIndexList lit = List(window)->selectionModel()->selectedIndexes();
    return (lit.contains(current) ? FileModelOf(window).fileName(current) : QString()) +
           (lit.size() > 1 ? "+" : "") + " / " + QFileInfo(window.CurrentViewerFile()).fileName();
  }

 private slots:
  void initTestCase() {
    UsePrivateHome(home_.path());
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
      MakeContainer(folder_.path(), name, PictureBytes(), "open sesame");
  }

  void init() { DropKey(); }

  void keysMoveTheHighlightAndShowPictures() {
    TFmainVLS window({});
    window.show();
    ShowPage(window, kPageViewer);
    QVERIFY(ListFolder(window, folder_.path(), 3));
    SetNextPasswordAnswer("open sesame");
    QVERIFY(ClickFile(window, folder_.filePath("a.vlp")));
    const struct {
      Qt::Key key;
      const char* state;
    } steps[] = {
        {Qt::Key_Down, "b.vlp / a.vlp"},      {Qt::Key_Return, "b.vlp / b.vlp"},
        {Qt::Key_PageDown, "c.vlp / c.vlp"},  {Qt::Key_Space, "c.vlp / c.vlp"},  // the last stays
        {Qt::Key_Backspace, "b.vlp / b.vlp"}, {Qt::Key_PageUp, "a.vlp / a.vlp"},
        {Qt::Key_PageUp, "a.vlp / a.vlp"},
    };
    for (const auto& step : steps) {
      QTest::keyClick(List(window), step.key);
      QCOMPARE(State(window), QString(step.state));
      QVERIFY(
          StatusText(window).startsWith(QString(step.state).section(" / ", 1).left(1) + ".bmp"));
    }
    // Elsewhere the page keys launch nothing: they only move the highlight.
    ShowPage(window, kPageLauncher);
    QTest::keyClick(List(window), Qt::Key_Space);
    QTest::keyClick(List(window), Qt::Key_PageDown);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(QDir(folder_.path()).entryList(QDir::Files), QStringList({"a.vlp", "b.vlp", "c.vlp"}));
  }

  void theHighlightFollowsDroppedAndNamedPictures() {
    QTemporaryDir elsewhere;
    const QString other = MakeContainer(elsewhere.path(), "d.bmp", PictureBytes(), "open sesame");
    {
      TFmainVLS window({});
      ShowPage(window, kPageViewer);
      QVERIFY(ListFolder(window, folder_.path(), 3));
      SetNextPasswordAnswer("open sesame");
      window.FileDrag1Drop({folder_.filePath("c.vlp")});
      QCOMPARE(State(window), QString("c.vlp / c.vlp"));
      window.FileDrag1Drop({other});
      QCOMPARE(State(window), QString(" / d.vlp"));
    }
    DropKey();
    TFmainVLS started({folder_.filePath("b.vlp")});
    SetNextPasswordAnswer("open sesame");
    started.FormActivate();
    QCOMPARE(started.FileListFolder(), folder_.path());
    QTRY_COMPARE(State(started), QString("b.vlp / b.vlp"));
    for (TWindowView* picture : PictureWindows())
      picture->close();
  }
};

QTEST_MAIN(ViewerKeysTest)
#include "ViewerKeys_test.moc"
