// What a desktop user expects of the main window: F1 opens the help of the
// page shown.

#include <QApplication>
#include <QTest>
#include <QTextBrowser>

#include "app/widgets/HelpWindow.h"
#include "app/widgets/MainWindow.h"
#include "support/WindowTestSupport.h"

using namespace vls;
using namespace vls::test;

class ShellConventionsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  static QTextBrowser* ShownHelp() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == "HelpWindow" && top->isVisible())
        return top->findChild<QTextBrowser*>("HelpBrowser");
    }
    return nullptr;
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
  }

  void f1OpensTheHelpOfThePageShown() {
    QVERIFY(!HelpFolder().isEmpty());
    TFmainVLS window({});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const struct {
      int page;
      const char *file, *anchor;
    } pages[] = {
        {kPageViewer, "viewer.html", ""},
        {kPageLauncher, "launcher.html", ""},
        {kPageCrypt, "index.html", "crypt"},
    };
    for (const auto& p : pages) {
      ShowPage(window, p.page);
      QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                      Qt::Key_F1);
      QTextBrowser* help = ShownHelp();
      QVERIFY(help != nullptr);
      QCOMPARE(help->source().fileName(), QString(p.file));
      QCOMPARE(help->source().fragment(), QString(p.anchor));
      help->window()->close();
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
    }
  }
};

QTEST_MAIN(ShellConventionsTest)
#include "ShellConventions_test.moc"
