// The still-picture control: what it keeps after a load, the two failure
// messages in order, fitting with proportions kept on a black background,
// sharing a picture between controls, the forwarded double click, and the
// control's own message boxes.

#include <QApplication>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "imaging/HugePictures.h"
#include "imaging/picture/PictureState.h"
#include "imaging/widgets/PMultiMedia.h"
#include "platform/AnsiText.h"
#include "support/HostileNames.h"

using vls::TPMultiMedia;

namespace {

class RecordingMessages : public vls::PictureMessages {
 public:
  void ShowError(const QString& text) override { shown << QStringLiteral("error: ") + text; }
  void ShowInformation(const QString& text) override { shown << QStringLiteral("info: ") + text; }
  QStringList shown;
};

QString Data(const char* name) {
  return QStringLiteral(VLS_TEST_DATA_DIR "/pictures/") + QString::fromUtf8(name);
}

QString WriteFilled(const QTemporaryDir& dir, const char* name, QSize size, QColor color) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  const QString path = dir.filePath(QString::fromLatin1(name));
  QImageWriter writer(path);
  writer.write(image);
  return path;
}

}  // namespace

class PMultiMediaTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    control = std::make_unique<TPMultiMedia>();
    control->SetMessages(&messages);
    messages.shown.clear();
  }
  void cleanup() {
    control.reset();
    vls::ResetPictureState();
  }

  void aLoadKeepsThePictureAndItsFacts() {
    const QString path = Data("bmpsuite/pal8.bmp");
    control->SetMediaName(path);
    QCOMPARE(control->MediaName(), path);
    QCOMPARE(control->Picture().size(), QSize(127, 64));
    QCOMPARE(control->PictureWidth(), 127);
    QCOMPARE(control->PictureHeight(), 64);
    QCOMPARE(control->FileSize(), QFile(path).size());
    QCOMPARE(control->Status(), path.toUpper());
    QVERIFY(messages.shown.isEmpty());

    control->SetMediaName(QString());
    QVERIFY(control->Picture().isNull());
    QCOMPARE(control->PictureWidth(), 0);
    QCOMPARE(control->FileSize(), 0);
  }

  void aMissingFileEmptiesTheDisplayQuietly() {
    control->SetMediaName(Data("own/photo.jpg"));
    QVERIFY(!control->Picture().isNull());
    control->SetMediaName(Data("own/no-such.jpg"));
    QVERIFY(control->Picture().isNull());
    QCOMPARE(control->Status(), QStringLiteral("file not found"));
    QVERIFY(messages.shown.isEmpty());
  }

  void aFailedDecodeShowsTheErrorThenTheNoticeAndNoPicture() {
    control->SetMediaName(Data("own/photo.jpg"));
    control->SetMediaName(Data("bmpsuite/shortfile.bmp"));
    QCOMPARE(messages.shown.size(), 2);
    QVERIFY(messages.shown[0].startsWith("error: "));
    QVERIFY(messages.shown[0].size() > 7);
    QCOMPARE(messages.shown[1], QStringLiteral("info: Reading bmp file failed"));
    QVERIFY(control->Picture().isNull());

    messages.shown.clear();
    control->SetMediaName(Data("pngsuite/xcsn0g01.png"));
    QCOMPARE(messages.shown.value(1), QStringLiteral("info: Reading png file failed"));
  }

  void aPictureTooLargeIsRefusedWithItsSize() {
    QTemporaryDir dir;
    QFile huge(dir.filePath("huge.png"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    huge.write(vls::test::PngDeclaring(16000, 16000, false));
    huge.close();
    control->SetMediaName(Data("own/photo.jpg"));
    control->SetMediaName(huge.fileName());
    QCOMPARE(messages.shown,
             QStringList({"error: Picture too large: 16000 x 16000 pixels, more than the 64 "
                          "million pixels a picture may have",
                          "info: Reading png file failed"}));
    QVERIFY(control->Picture().isNull());
    QCOMPARE(control->Status(), huge.fileName().toUpper());
  }

  void aFailedIconShowsOnlyTheError() {
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.ico"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not an icon");
    bad.close();
    control->SetMediaName(bad.fileName());
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].startsWith("error: "));
    QCOMPARE(control->Status(), QStringLiteral("Non TIF, JPeg, BMP, GIF, PNG or PCX Image"));
  }

  void stretchRatioFitsCentredWithProportionsKept() {
    QTemporaryDir dir;
    control->resize(200, 100);
    control->SetStretchRatio(true);
    const struct {
      QSize picture;
      QRect drawn;
    } cases[] = {
        {{400, 100}, {0, 25, 200, 50}},  // wide: scaled down, bands above and below
        {{50, 100}, {75, 0, 50, 100}},   // tall: bands left and right
        {{20, 10}, {0, 0, 200, 100}},    // small: scaled up to fill
        {{10, 10}, {50, 0, 100, 100}},
    };
    for (const auto& c : cases) {
      control->SetPicture(QImage(c.picture, QImage::Format_RGB32));
      QCOMPARE(control->PictureRect(), c.drawn);
    }
    control->SetStretch(true);
    QVERIFY(!control->StretchRatio());
    QCOMPARE(control->PictureRect(), QRect(0, 0, 200, 100));
    control->SetStretchRatio(true);
    QVERIFY(!control->Stretch());
  }

  void drawsThePictureOnBlack() {
    QTemporaryDir dir;
    control->resize(120, 60);
    control->SetStretchRatio(true);
    control->SetMediaName(WriteFilled(dir, "white.png", {30, 30}, Qt::white));
    const QImage shot = control->grab().toImage();
    QCOMPARE(QColor(shot.pixel(5, 30)), QColor(Qt::black));    // left band
    QCOMPARE(QColor(shot.pixel(114, 30)), QColor(Qt::black));  // right band
    QCOMPARE(QColor(shot.pixel(60, 30)), QColor(Qt::white));   // the picture
    QCOMPARE(QColor(shot.pixel(31, 1)), QColor(Qt::white));
    QCOMPARE(QColor(shot.pixel(28, 1)), QColor(Qt::black));

    // Transparent parts of a picture show the background.
    control->SetMediaName(Data("own/screen.gif"));
    const QImage gif = control->grab().toImage();
    QCOMPARE(QColor(gif.pixel(60, 2)), QColor(Qt::black));
    QCOMPARE(QColor(gif.pixel(50, 20)), QColor(Qt::red));
  }

  void aCopiedPictureSharesThePixels() {
    control->SetMediaName(Data("own/photo.jpg"));
    TPMultiMedia other;
    other.SetPicture(control->Picture());
    QCOMPARE(other.Picture().size(), QSize(64, 48));
    QCOMPARE(other.PictureWidth(), 64);
    QCOMPARE(other.Picture().constBits(), control->Picture().constBits());
    control->SetMediaName(QString());
    QCOMPARE(other.Picture().size(), QSize(64, 48));  // the copy lives on
  }

  void theLoadHonoursReadResAndTheProgressHook() {
    QTemporaryDir dir;
    QImage gradient(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x)
        gradient.setPixel(x, y, qRgb(x * 4, y * 4, 128));
    }
    const QString path = dir.filePath("gradient.png");
    QVERIFY(gradient.save(path));
    QList<int> seen;
    vls::ProgressHook = [&seen](int percent) {
      seen << percent;
      return 1;
    };
    control->SetImageReadRes(vls::LoadResolution::MonoChrome);
    QCOMPARE(control->ColorDepth(), 1);
    control->SetMediaName(path);
    QSet<QRgb> colours;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x)
        colours.insert(control->Picture().pixel(x, y));
    }
    QVERIFY(colours.size() <= 2);
    QCOMPARE(seen.value(0, -1), 0);
    QCOMPARE(seen.value(seen.size() - 1, -1), 100);

    control->SetImageReadRes(vls::LoadResolution::AutoMatic);
    QCOMPARE(control->ColorDepth(), 24);  // the offscreen display has 32 bits
  }

  // The progress hook processes window events, which may set another name
  // while a file decodes: the running load stops, and the later name wins
  // once the decoder is free again (never a deadlock inside the decoder).
  void aNameSetDuringALoadWins() {
    QTemporaryDir dir;
    const QString big = WriteFilled(dir, "big.bmp", {200, 900}, Qt::blue);
    const QString small = Data("own/photo.jpg");
    QList<int> seen;
    vls::ProgressHook = [&](int percent) {
      seen << percent;
      if (percent > 0 && seen.count() == 2)
        control->SetMediaName(small);
      return 1;
    };
    control->SetMediaName(big);
    QCOMPARE(control->MediaName(), small);
    QVERIFY(control->Picture().isNull());
    QVERIFY(seen.size() < 10);  // the big file stopped early
    QTRY_COMPARE(control->Picture().size(), QSize(64, 48));
    QCOMPARE(control->Status(), small.toUpper());
    QVERIFY(messages.shown.isEmpty());
  }

  // Bytes given while the library is busy are loaded once it is free, from
  // the control's own copy: the caller has wiped its buffer by then.
  void bytesGivenDuringALoadWinFromACopy() {
    QTemporaryDir dir;
    const QString big = WriteFilled(dir, "big.bmp", {200, 900}, Qt::blue);
    QFile file(Data("own/photo.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    bool given = false;
    vls::ProgressHook = [&](int percent) {
      if (percent > 0 && !given) {
        given = true;
        control->LoadBytes({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())},
                           "photo.jpg");
        bytes.fill('\0');
      }
      return 1;
    };
    control->SetMediaName(big);
    QVERIFY(control->Picture().isNull());
    QTRY_COMPARE(control->Picture().size(), QSize(64, 48));
    QVERIFY(qRed(control->Picture().pixel(10, 0)) > 200);  // red to blue: the real bytes
    QCOMPARE(control->Status(), QString("PHOTO.JPG"));
    QCOMPARE(control->FileSize(), file.size());
    QVERIFY(control->MediaName().isEmpty());
    QVERIFY(messages.shown.isEmpty());
  }

  void aPictureSetDuringALoadWins() {
    QTemporaryDir dir;
    const QString big = WriteFilled(dir, "big.bmp", {200, 900}, Qt::blue);
    const QImage copy(7, 5, QImage::Format_RGB32);
    vls::ProgressHook = [&](int percent) {
      if (percent == 5)
        control->SetPicture(copy);
      return 1;
    };
    control->SetMediaName(big);
    QCOMPARE(control->Picture().size(), QSize(7, 5));
  }

  // Messages name the picture's file: the box takes no markup and shows
  // each name with its hidden characters made visible.
  void itsOwnBoxesShowNamesAsPlainText() {
    vls::BoxPictureMessages boxes(nullptr);
    for (const auto& name : vls::test::HostileNames()) {
      if (!vls::IsValidUtf8(name.raw) || name.raw.find('\n') != std::string::npos)
        continue;  // a QString holds no such bytes; a message keeps its line breaks
      bool plain = false;
      QString text;
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        plain = label->textFormat() == Qt::PlainText;
        text = label->text();
        box->accept();
      });
      boxes.ShowError("Cannot read " + QString::fromStdString(name.raw));
      QVERIFY2(plain, name.what);
      QVERIFY2(text == QString::fromStdString("Cannot read " + name.shown), name.what);
    }
  }

  void doubleClickIsForwarded() {
    QSignalSpy spy(control.get(), &TPMultiMedia::OnDblClick);
    control->resize(50, 50);
    QTest::mouseDClick(control.get(), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
  }

 private:
  std::unique_ptr<TPMultiMedia> control;
  RecordingMessages messages;
};

QTEST_MAIN(PMultiMediaTest)
#include "PMultiMedia_test.moc"
