// Picture windows: sized for the picture on opening, the height following
// the width afterwards, several open at once, each freed on close; and the
// main window's "&Window" and double-click rules.

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "imaging/widgets/PMultiMedia.h"
#include "support/WindowTestSupport.h"
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

  // The picture windows on the screen.
  static QList<TWindowView*> OpenWindows() {
    QList<TWindowView*> windows;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<TWindowView*>(top); window != nullptr && window->isVisible())
        windows << window;
    }
    return windows;
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
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
    const int screen_height = window->screen()->geometry().height();
    window->resize(screen_height * 2, 10);  // taller than the screen: screen less 50
    QCOMPARE(window->height(), screen_height - 50);
    QPointer<TWindowView> watch(window);
    window->close();
    QTRY_VERIFY(watch.isNull());
  }

  void aPictureWithoutSizeOpensNoWindow() {
    TWindowView window;
    QVERIFY(!window.SizePictureWindow(QImage()));
    QVERIFY(!window.isVisible());
  }

  void doubleClicksOpenOneWindowPerPicture() {
    TFmainVLS main({});
    Find<TPMultiMedia>(main, "View_PMultiMedia1")->SetPicture(Picture(200, 100));
    Find<QPushButton>(main, "View_Maximize")->setEnabled(true);
    emit Find<TPMultiMedia>(main, "View_PMultiMedia1")->OnDblClick();
    QCOMPARE(OpenWindows().size(), 1);
    QPointer<TWindowView> first = OpenWindows().first();
    QCOMPARE(first->MultiMedia1->Picture().size(), QSize(200, 100));
    QVERIFY(!Find<QPushButton>(main, "View_Maximize")->isEnabled());
    emit Find<TPMultiMedia>(main, "View_PMultiMedia1")->OnDblClick();
    QCOMPARE(OpenWindows().size(), 1);

    // "&Window" opens any number; closing one leaves the others.
    Find<QPushButton>(main, "View_Maximize")->setEnabled(true);
    Find<QPushButton>(main, "View_Maximize")->click();
    QCOMPARE(OpenWindows().size(), 2);
    QPointer<TWindowView> second =
        OpenWindows().first() == first ? OpenWindows().last() : OpenWindows().first();
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!second.isNull());
    // The window keeps its copy when the viewer's picture goes.
    Find<TPMultiMedia>(main, "View_PMultiMedia1")->SetPicture(QImage());
    QCOMPARE(second->MultiMedia1->Picture().size(), QSize(200, 100));
    second->close();
  }
};

QTEST_MAIN(WindowViewTest)
#include "WindowView_test.moc"
