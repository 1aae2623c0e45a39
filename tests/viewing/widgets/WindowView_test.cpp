// Picture windows: sized for the picture on opening, the height following
// the width afterwards, several open at once, each freed on close; and the
// main window's "&Window" and double-click rules.

#include <QBuffer>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "imaging/widgets/PMultiMedia.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"
#include "viewing/widgets/WindowView.h"

using namespace vls;
using namespace vls::test;

class WindowViewTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  static QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home_.path() + "/run").toUtf8());
    QDir().mkpath(home_.path() + "/run");
    SetMessageSink([](MessageKind, const QString&) {});
  }

  void opensForThePictureAndKeepsItsProportions() {
    auto* window = new TWindowView;
    QVERIFY(window->SizePictureWindow(Picture(400, 300)));
    QCOMPARE(window->size(), QSize(400, 300));
    QCOMPARE(window->windowTitle(), QString("MORVANE Veilstore 32-bit v 3.3 *Resizable Window*"));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    window->resize(600, 10);  // the user drags it wider: the height follows
    QCOMPARE(window->size(), QSize(600, 450));
    // Taller than the screen: the screen (its usable part, less the frame) less 50.
    const int screen_height = window->screen()->availableGeometry().height() -
                              (window->frameGeometry().height() - window->height());
    window->resize(screen_height * 2, 10);
    QCOMPARE(window->height(), screen_height - 50);
    QPointer<TWindowView> watch(window);
    window->close();
    QTRY_VERIFY(watch.isNull());
  }

  // A picture as large as the screen's usable area still opens inside it,
  // frame and all, with its proportions: at the designed corner it would
  // run off the edges.
  void aScreenSizedPictureOpensInsideTheUsableArea() {
    const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize picture(usable.width(), usable.height() * 15 / 16);
    TWindowView window;
    QVERIFY(window.SizePictureWindow(Picture(picture.width(), picture.height())));
    QVERIFY(usable.contains(window.frameGeometry()));
    QVERIFY(window.width() > picture.width() * 9 / 10);
    QVERIFY(qAbs(window.width() * picture.height() - window.height() * picture.width()) <=
            picture.width());
  }

  void aPictureWithoutSizeOpensNoWindow() {
    TWindowView window;
    QVERIFY(!window.SizePictureWindow(QImage()));
    QVERIFY(!window.isVisible());
  }

  void doubleClicksOpenOneWindowPerPicture() {
    QTemporaryDir folder;
    QByteArray bmp;
    QBuffer buffer(&bmp);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && Picture(200, 100).save(&buffer, "BMP"));
    const QString container = MakeContainer(folder.path(), "wide.bmp", bmp, "open sesame");
    TFmainVLS main({});
    main.show();
    ShowPage(main, kPageViewer);
    SetNextPasswordAnswer("open sesame");
    QVERIFY(main.ViewEncryptedPicture(container));
    auto* pane = Find<TPMultiMedia>(main, "View_PMultiMedia1");
    auto* window_button = Find<QPushButton>(main, "View_Maximize");
    QVERIFY(window_button->isEnabled());

    QTest::mouseDClick(pane, Qt::LeftButton);
    const QList<TWindowView*> opened = PictureWindows();
    QCOMPARE(opened.size(), 1);
    QPointer<TWindowView> first = opened[0];
    QCOMPARE(first->MultiMedia1->Picture().size(), QSize(200, 100));
    QVERIFY(!window_button->isEnabled());
    QTest::mouseDClick(pane, Qt::LeftButton);
    QCOMPARE(PictureWindows().size(), 1);

    // "&Window" opens any number; closing one leaves the others.
    QVERIFY(main.ViewEncryptedPicture(container));  // the armed key shows it again
    QVERIFY(Click(main, "View_Maximize"));
    QVERIFY(Click(main, "View_Maximize"));
    QList<QPointer<TWindowView>> others;
    for (TWindowView* window : PictureWindows()) {
      if (window != first)
        others << window;
    }
    QCOMPARE(others.size(), 2);
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!others[0].isNull() && !others[1].isNull());
    // The windows keep their copies when the viewer's picture goes.
    ShowPage(main, kPageCrypt);
    QVERIFY(pane->Picture().isNull());
    for (const QPointer<TWindowView>& window : others) {
      QCOMPARE(window->MultiMedia1->Picture().size(), QSize(200, 100));
      window->close();
    }
  }
};

QTEST_MAIN(WindowViewTest)
#include "WindowView_test.moc"
