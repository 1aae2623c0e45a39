// The full-screen form: it covers the primary screen with its picture
// controls, and any key or click on it sets the slide stop flag.

#include <QScreen>
#include <QTest>

#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "viewing/widgets/FullSlide.h"

using namespace vls;

class FullSlideTest : public QObject {
  Q_OBJECT

 private slots:
  void coversThePrimaryScreen() {
    TFullSlide form;
    form.FormShow();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(form.geometry(), screen);
    QCOMPARE(form.MultiMedia1->geometry(), QRect(QPoint(0, 0), screen.size()));
    QCOMPARE(form.GIFImage1->geometry(), QRect(QPoint(0, 0), screen.size()));
    QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(form.findChild<TPMultiMedia*>("MultiMedia1") != nullptr);
  }

  void anyKeyOrClickStopsTheShow() {
    TFullSlide form;
    form.FormShow();
    SlideStop = false;
    QTest::keyClick(&form, Qt::Key_Space);
    QVERIFY(SlideStop);
    SlideStop = false;
    QTest::mouseClick(form.MultiMedia1, Qt::LeftButton);
    QVERIFY(SlideStop);
    SlideStop = false;
    form.MultiMedia1->hide();
    form.GIFImage1->show();
    QTest::mouseClick(form.GIFImage1, Qt::LeftButton);
    QVERIFY(SlideStop);
  }
};

QTEST_MAIN(FullSlideTest)
#include "FullSlide_test.moc"
