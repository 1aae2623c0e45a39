// Where the window is and how it was left: the folder shown on the path
// line, home at the first start and the last folder after it, and the size,
// the maximised state and the splitter panes coming back with the position.

#include <QDir>
#include <QLabel>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "app/WindowPosition.h"
#include "app/widgets/MainWindow.h"
#include "support/WindowTestSupport.h"

using namespace vls;
using namespace vls::test;

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  static QList<int> Panes(QWidget& window, const char* name) {
    return Find<QSplitter>(window, name)->sizes();
  }

 private slots:
  void initTestCase() { UsePrivateHome(home_.path()); }

  void init() { ProgramSettings().clear(); }

  void startsAtHomeThenWhereTheUserLeftOff() {
    QTemporaryDir pictures;
    {
      TFmainVLS window({});
      QCOMPARE(window.FileListFolder(), QDir::homePath());
      // The tree shows the folder, not its top.
      window.show();
      auto* tree = Find<QTreeView>(window, "PTShellTree1");
      // A shortcut pressed meanwhile (Alt+V, the viewer's tab) is no move in the tree.
      QTest::keyClick(tree, Qt::Key_V, Qt::AltModifier);
      QCOMPARE(FolderModelOf(window).filePath(tree->currentIndex()), QDir::homePath());
      // Once the folders above it have loaded, which moves its row down.
      QTest::qWait(1000);
      QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
      window.SetFileListFolder(pictures.path());
      auto* path = Find<QLabel>(window, "FolderPathLb");
      QCOMPARE(path->toolTip(), pictures.path());
      QVERIFY(pictures.path().endsWith(path->text().section(QChar(0x2026), -1)));
      window.close();
    }
    {
      TFmainVLS window({});
      QCOMPARE(window.FileListFolder(), pictures.path());
      QCOMPARE(Find<QLabel>(window, "FolderPathLb")->toolTip(), pictures.path());
      window.close();
    }
    QVERIFY(QDir(pictures.path()).removeRecursively());
    TFmainVLS window({});
    QCOMPARE(window.FileListFolder(), QDir::homePath());
  }

  void aFolderNameCannotBreakThePathLine() {
    QTemporaryDir dir;
    const QString odd = dir.filePath("two\nlines\u202Egpj.exe");
    QVERIFY(QDir().mkpath(odd));
    TFmainVLS window({});
    window.SetFileListFolder(odd);
    const QString shown = Find<QLabel>(window, "FolderPathLb")->toolTip();
    QVERIFY2(shown.endsWith("two\\nlines<U+202E>gpj.exe"), qPrintable(shown));
  }

  void sizeStateAndPanesComeBackWithThePosition() {
    QList<int> sides, folders;
    {
      TFmainVLS window({});
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.resize(760, 560);
      Find<QSplitter>(window, "SplitterWnd1")->setSizes({300, 457});
      Find<QSplitter>(window, "SplitterWnd2")->setSizes({300, 180});
      QTRY_COMPARE(window.size(), QSize(760, 560));
      sides = Panes(window, "SplitterWnd1");
      folders = Panes(window, "SplitterWnd2");
      window.close();
    }
    QCOMPARE(ProgramSettings().value("FmainVLS/Width").toString(), QString("760"));
    {
      TFmainVLS window({});
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QCOMPARE(window.size(), QSize(760, 560));
      QCOMPARE(Panes(window, "SplitterWnd1"), sides);
      QCOMPARE(Panes(window, "SplitterWnd2"), folders);
      window.showMaximized();
      QTRY_VERIFY(window.isMaximized());
      window.close();
    }
    // Maximised it comes back maximised, and keeps its normal size for later.
    TFmainVLS window({});
    window.show();
    QVERIFY(window.isMaximized());
    QCOMPARE(ProgramSettings().value("FmainVLS/Width").toString(), QString("760"));
  }

  void aStoredSizeFitsTheScreen() {
    ProgramSettings().setValue("FmainVLS/Width", "100000");
    ProgramSettings().setValue("FmainVLS/Height", "80000");
    TFmainVLS window({});
    const QSize screen = QGuiApplication::primaryScreen()->availableSize();
    QVERIFY(window.width() <= screen.width() && window.height() <= screen.height());
  }
};

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayout_test.moc"
