// What a desktop user expects of the main window: F1 opens the help of the
// page shown; every control of the shell has a tooltip and a name a screen
// reader reads; the help shows captions as the window does, without their
// "&"; the banner's link leads to the help.

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

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
  void initTestCase() { UsePrivateHome(home_.path()); }

  void everyShellControlSaysWhatItIs() {
    TFmainVLS window({});
    for (const char* name : {"PTGroup1", "FilterComboBox1", "UpOneLevelBtn", "FolderPathLb",
                             "PTShellTree1", "FileListBox1", "TabNotebook1", "Panel2",
                             "TransparentButton1", "TransparentButton2", "UrlLabel1"}) {
      QWidget* control = Find<QWidget>(window, name);
      QVERIFY2(!control->toolTip().isEmpty(), name);
      QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
      QVERIFY2(reader != nullptr && !reader->text(QAccessible::Name).isEmpty(), name);
    }
    // The "?" says more than its glyph.
    QCOMPARE(Find<QWidget>(window, "TransparentButton1")->accessibleName(), QString("Help"));
    auto* tabs = Find<QTabWidget>(window, "TabNotebook1");
    for (int i = 0; i < tabs->count(); ++i)
      QVERIFY(!tabs->tabToolTip(i).isEmpty());
  }

  void helpPagesShowCaptionsWithoutTheirAmpersand() {
    const QDir help(HelpFolder());
    const QStringList pages = help.entryList({"*.html"});
    QVERIFY(pages.contains("index.html"));
    const QRegularExpression accelerator("&\\w");
    for (const QString& name : pages) {
      QFile file(help.filePath(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QTextDocument page;
      page.setHtml(QString::fromUtf8(file.readAll()));
      const QRegularExpressionMatch found = accelerator.match(page.toPlainText());
      QVERIFY2(!found.hasMatch(),
               qPrintable(name + ": " + page.toPlainText().mid(found.capturedStart() - 20, 40)));
    }
  }

  void theBannerLinkOpensTheHelp() {
    TFmainVLS window({});
    auto* link = Find<QLabel>(window, "UrlLabel1");
    const QString target = QRegularExpression("href=\"([^\"]*)\"").match(link->text()).captured(1);
    QVERIFY2(!target.isEmpty() && !target.contains(".invalid"), qPrintable(target));
    QVERIFY(!link->openExternalLinks());
    emit link->linkActivated(target);
    QTextBrowser* help = ShownHelp();
    QVERIFY(help != nullptr);
    QCOMPARE(help->source().fileName(), QString("index.html"));
    help->window()->close();
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
