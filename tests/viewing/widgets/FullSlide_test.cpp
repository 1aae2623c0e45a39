// The full-screen form: it covers the primary screen with its picture
// controls, and any key or click on it sets the slide stop flag, with what
// the key means to the slide show.

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
    const struct {
      Qt::Key key;
      SlideKey meaning;
    } keys[] = {
        {Qt::Key_Escape, SlideKey::Stop},     {Qt::Key_Return, SlideKey::Stop},
        {Qt::Key_Q, SlideKey::Stop},          {Qt::Key_Space, SlideKey::Pause},
        {Qt::Key_P, SlideKey::Pause},         {Qt::Key_Right, SlideKey::Next},
        {Qt::Key_PageDown, SlideKey::Next},   {Qt::Key_Left, SlideKey::Previous},
        {Qt::Key_PageUp, SlideKey::Previous},
    };
    for (const auto& k : keys) {
      SlideStop = false;
      QTest::keyClick(&form, k.key);
      QVERIFY(SlideStop);
      QCOMPARE(SlideStopKey, k.meaning);
    }
    SlideStop = false;
    QTest::mouseClick(form.MultiMedia1, Qt::LeftButton);
    QVERIFY(SlideStop);
    QCOMPARE(SlideStopKey, SlideKey::Stop);
    SlideStop = false;
    form.MultiMedia1->hide();
    form.GIFImage1->show();
    QTest::mouseClick(form.GIFImage1, Qt::LeftButton);
    QVERIFY(SlideStop);
  }
};

QTEST_MAIN(FullSlideTest)
#include "FullSlide_test.moc"
