// The key indicators: the gauge's size, range and start, the green part it
// draws for each value, and the captionless "Put the Key off" button.

#include <QImage>
#include <QToolButton>
#include <QtTest>

#include "viewing/widgets/KeyIndicators.h"

using vls::TKeyGauge;

namespace {

bool IsGreen(QRgb pixel) {
  return qRed(pixel) == 0 && qGreen(pixel) == 0x80 && qBlue(pixel) == 0;
}

// Columns of the gauge's middle row drawn in the fill colour.
int GreenColumns(TKeyGauge& gauge) {
  const QImage image = gauge.grab().toImage();
  int count = 0;
  for (int x = 0; x < image.width(); ++x) {
    count += IsGreen(image.pixel(x, image.height() / 2)) ? 1 : 0;
  }
  return count;
}

}  // namespace

class KeyIndicatorsTest : public QObject {
  Q_OBJECT

 private slots:
  void gaugeStartsFullAndHidden() {
    QWidget page;
    TKeyGauge gauge(QStringLiteral("GaugeKey2"), &page);
    QCOMPARE(page.findChild<QProgressBar*>("GaugeKey2"), &gauge);
    QCOMPARE(gauge.size(), QSize(52, 7));
    QCOMPARE(gauge.minimum(), 0);
    QCOMPARE(gauge.maximum(), 6);
    QCOMPARE(gauge.value(), 6);
    QVERIFY(!gauge.isTextVisible());
    QVERIFY(!gauge.isVisibleTo(&page));
  }

  void gaugeFillsInProportionToWhatIsLeft() {
    TKeyGauge gauge(QStringLiteral("GaugeKey"));
    gauge.setValue(6);
    QCOMPARE(GreenColumns(gauge), 50);  // all but the frame
    gauge.setValue(3);
    QCOMPARE(GreenColumns(gauge), 25);
    gauge.setValue(1);
    QCOMPARE(GreenColumns(gauge), 50 / 6);
    gauge.setValue(0);
    QCOMPARE(GreenColumns(gauge), 0);
  }

  void keyOffButtonIsAHiddenPictureWithItsHint() {
    QWidget page;
    QToolButton* button = vls::MakeKeyOffButton(QStringLiteral("ButKeyOff"), &page);
    QCOMPARE(page.findChild<QToolButton*>("ButKeyOff"), button);
    QCOMPARE(button->toolTip(), QStringLiteral("Put the Key off"));
    QVERIFY(button->text().isEmpty());
    QVERIFY(!button->icon().isNull());
    QVERIFY(!button->isVisibleTo(&page));
    QCOMPARE(button->width(), TKeyGauge::kWidth);
  }
};

QTEST_MAIN(KeyIndicatorsTest)
#include "KeyIndicators_test.moc"
