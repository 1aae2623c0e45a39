// The viewer by keyboard through the real window: arrows move the highlight
// and Enter shows it, the page keys show the next and previous encrypted
// picture in the list's order, and the highlight follows every picture the
// page shows (clicks, drops, the command line).

#include <QBuffer>
#include <QDir>
#include <QImage>
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

namespace {

const QString kKey = "open sesame";

QByteArray Picture() {
  QImage image(40, 30, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes;
}

}  // namespace

class ViewerKeysTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir xdg_;
  QTemporaryDir folder_;
  QStringList messages_;

  QListView* List(TFmainVLS& window) { return Find<QListView>(window, "FileListBox1"); }

  // The row highlighted in the list (with "+" when others are too), and the
  // file the page shows last.
  QString State(TFmainVLS& window) {
    QListView* list = List(window);
    const QModelIndex current = list->currentIndex();
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    QString lit = current.isValid() && selected.contains(current)
                      ? FileModelOf(window).fileName(current)
                      : QString();
    if (selected.size() > 1)
      lit += "+";
    return lit + " / " + QFileInfo(window.CurrentViewerFile()).fileName();
  }

  void Press(TFmainVLS& window, Qt::Key key) { QTest::keyClick(List(window), key); }

 private slots:
  void initTestCase() {
    qputenv("HOME", xdg_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (xdg_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (xdg_.path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (xdg_.path() + "/run").toUtf8());
    QDir().mkpath(xdg_.path() + "/run");
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
      MakeContainer(folder_.path(), name, Picture(), kKey);
  }

  void init() {
    DropKey();
    messages_.clear();
  }

  void arrowsMoveTheHighlightAndEnterShowsIt() {
    TFmainVLS window({});
    window.show();
    ShowPage(window, kPageViewer);
    QVERIFY(ListFolder(window, folder_.path(), 3));
    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, folder_.filePath("a.vlp")));
    QCOMPARE(State(window), QString("a.vlp / a.vlp"));
    Press(window, Qt::Key_Down);
    QCOMPARE(State(window), QString("b.vlp / a.vlp"));
    Press(window, Qt::Key_Return);
    QCOMPARE(State(window), QString("b.vlp / b.vlp"));
    QVERIFY(StatusText(window).startsWith("b.bmp 40x30"));
    QVERIFY(messages_.isEmpty());
  }

  void pageKeysShowTheNextAndPreviousPicture() {
    TFmainVLS window({});
    window.show();
    ShowPage(window, kPageViewer);
    QVERIFY(ListFolder(window, folder_.path(), 3));
    SetNextPasswordAnswer(kKey);
    Press(window, Qt::Key_PageDown);  // no row yet: the first picture
    QCOMPARE(State(window), QString("a.vlp / a.vlp"));
    const struct {
      Qt::Key key;
      const char* state;
    } steps[] = {
        {Qt::Key_PageDown, "b.vlp / b.vlp"},  {Qt::Key_Space, "c.vlp / c.vlp"},
        {Qt::Key_Space, "c.vlp / c.vlp"},  // the last one stays
        {Qt::Key_Backspace, "b.vlp / b.vlp"}, {Qt::Key_PageUp, "a.vlp / a.vlp"},
        {Qt::Key_PageUp, "a.vlp / a.vlp"},
    };
    for (const auto& step : steps) {
      Press(window, step.key);
      QCOMPARE(State(window), QString(step.state));
      QVERIFY(StatusText(window).startsWith(State(window).left(1) + ".bmp"));
    }
    // Elsewhere the page keys only move the highlight, as they always did.
    ShowPage(window, kPageLauncher);
    QVERIFY(ListFolder(window, folder_.path(), 3));
    List(window)->setCurrentIndex(FileModelOf(window).index(folder_.filePath("a.vlp")));
    Press(window, Qt::Key_Space);
    Press(window, Qt::Key_PageDown);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(QDir(folder_.path()).entryList(QDir::Files), QStringList({"a.vlp", "b.vlp", "c.vlp"}));
  }

  void theHighlightFollowsDroppedAndNamedPictures() {
    QTemporaryDir elsewhere;
    const QString other = MakeContainer(elsewhere.path(), "d.bmp", Picture(), kKey);
    {
      TFmainVLS window({});
      ShowPage(window, kPageViewer);
      QVERIFY(ListFolder(window, folder_.path(), 3));
      SetNextPasswordAnswer(kKey);
      window.FileDrag1Drop({folder_.filePath("c.vlp")});
      QCOMPARE(State(window), QString("c.vlp / c.vlp"));
      window.FileDrag1Drop({other});
      QCOMPARE(State(window), QString(" / d.vlp"));
    }
    DropKey();
    TFmainVLS started({folder_.filePath("b.vlp")});
    SetNextPasswordAnswer(kKey);
    started.FormActivate();
    QCOMPARE(started.FileListFolder(), folder_.path());
    QTRY_COMPARE(State(started), QString("b.vlp / b.vlp"));
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top != &started && top->isVisible())
        top->close();  // the picture window of the named picture
    }
  }
};

QTEST_MAIN(ViewerKeysTest)
#include "ViewerKeys_test.moc"
