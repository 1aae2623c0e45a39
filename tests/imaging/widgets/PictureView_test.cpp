// PictureView: which control shows what a file holds, what the view keeps
// of it, emptying it (also from inside a decode), and the mouse.

#include "imaging/widgets/PictureView.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "imaging/picture/PictureState.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"

namespace vls {
namespace {

QString Data(const char* name) {
  return QStringLiteral(VLS_TEST_DATA_DIR "/") + QString::fromUtf8(name);
}

const QString kAnimated = Data("gif/wuffs/animated-red-blue.gif");  // 64 x 48, several frames
const QColor kOwnerColor(0, 128, 128);

class CountingMessages : public PictureMessages {
 public:
  void ShowError(const QString&) override { ++count; }
  void ShowInformation(const QString&) override { ++count; }
  int count = 0;
};

}  // namespace

class PictureViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QImage still(20, 10, QImage::Format_RGB32);
    still.fill(Qt::green);
    QVERIFY(still.save(dir_.filePath("still.png")));
    QFile broken(dir_.filePath("broken.gif"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("no picture in here at all");
    broken.close();
    QCOMPARE(::mkfifo(QFile::encodeName(dir_.filePath("fifo.gif")).constData(), 0600), 0);
  }

  void init() {
    view_ = std::make_unique<PictureView>("Still", "Gif");
    still_ = view_->findChild<TPMultiMedia*>("Still");
    gif_ = view_->findChild<TGIFImage*>("Gif");
    QVERIFY(still_ != nullptr && gif_ != nullptr);
    messages_.count = 0;
    still_->SetMessages(&messages_);
  }

  void cleanup() {
    view_.reset();
    ResetPictureState();
  }

  void eachFileGoesToItsControl_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("animated");
    QTest::addColumn<QSize>("still");
    QTest::addColumn<int>("messages");
    QTest::newRow("still png") << dir_.filePath("still.png") << false << QSize(20, 10) << 0;
    QTest::newRow("one-frame gif")
        << Data("gif/wuffs/hippopotamus.regular.gif") << false << QSize(36, 28) << 0;
    QTest::newRow("animated gif") << kAnimated << true << QSize(0, 0) << 0;
    QTest::newRow("missing") << dir_.filePath("missing.gif") << false << QSize(0, 0) << 0;
    // The still control tells why: the decoder's words and the format's notice.
    QTest::newRow("broken gif") << dir_.filePath("broken.gif") << false << QSize(0, 0) << 2;
    QTest::newRow("fifo named gif") << dir_.filePath("fifo.gif") << false << QSize(0, 0) << 0;
  }

  void eachFileGoesToItsControl() {
    QFETCH(QString, path);
    QFETCH(bool, animated);
    QFETCH(QSize, still);
    QFETCH(int, messages);
    // Each file follows an animation, so the way back from one is proven too.
    view_->Load(kAnimated);
    view_->Load(path);
    QCOMPARE(view_->IsAnimated(), animated);
    QCOMPARE(gif_->isHidden(), !animated);
    QCOMPARE(still_->isHidden(), animated);
    QCOMPARE(gif_->IsEmpty(), !animated);  // no hidden frames behind a still
    QCOMPARE(view_->StillPicture().size(), still);
    QCOMPARE(view_->ShowsStill(), !still.isEmpty());
    QCOMPARE(messages_.count, messages);
  }

  // Bytes in memory go where their file goes and leave the same picture and
  // facts; the caller wipes its buffer at once and the view keeps showing.
  void bytesShowAsTheirFileDoes_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("still png") << dir_.filePath("still.png");
    QTest::newRow("one-frame gif") << Data("gif/wuffs/hippopotamus.regular.gif");
    QTest::newRow("animated gif") << kAnimated;
    QTest::newRow("broken gif") << dir_.filePath("broken.gif");
  }

  void bytesShowAsTheirFileDoes() {
    QFETCH(QString, path);
    PictureView from_file("Still", "Gif");
    from_file.Still()->SetMessages(&messages_);
    from_file.SetFirstFrameAsStill(true);
    from_file.Load(path);
    const int file_messages = messages_.count;
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();

    view_->SetFirstFrameAsStill(true);
    view_->Load(kAnimated);
    view_->LoadBytes({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size())},
                     QFileInfo(path).fileName());
    bytes.fill('\0');
    QCOMPARE(messages_.count, 2 * file_messages);
    QCOMPARE(view_->IsAnimated(), from_file.IsAnimated());
    QCOMPARE(view_->StillPicture(), from_file.StillPicture());
    QCOMPARE(view_->FileSize(), from_file.FileSize());
    QCOMPARE(still_->Status(), QFileInfo(path).fileName().toUpper());
    QVERIFY(still_->MediaName().isEmpty());
    QCOMPARE(gif_->FrameCount(), from_file.Animation()->FrameCount());
    if (gif_->FrameCount() > 1) {
      gif_->SetCurrentFrame(3);
      from_file.Animation()->SetCurrentFrame(3);
      QCOMPARE(gif_->Image(), from_file.Animation()->Image());
    }
  }

  void theFirstFrameOfAnAnimationCanBeKeptAsTheStill() {
    view_->SetFirstFrameAsStill(true);
    view_->Load(kAnimated);
    QVERIFY(view_->IsAnimated());
    QVERIFY(!view_->ShowsStill());
    QCOMPARE(QSize(view_->PictureWidth(), view_->PictureHeight()), QSize(64, 48));
    QCOMPARE(view_->FileSize(), QFileInfo(kAnimated).size());
  }

  void emptyingDropsTheAnimation_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QSize>("still");
    QTest::addColumn<bool>("text_kept");
    QTest::newRow("clear") << 0 << QSize(0, 0) << false;
    QTest::newRow("show a copy") << 1 << QSize(7, 5) << true;
    QTest::newRow("drop the animation") << 2 << QSize(64, 48) << true;  // its first frame
  }

  void emptyingDropsTheAnimation() {
    QFETCH(int, action);
    QFETCH(QSize, still);
    QFETCH(bool, text_kept);
    view_->resize(80, 60);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    gif_->SetAnimate(true);
    view_->SetFirstFrameAsStill(true);
    view_->Load(kAnimated);
    still_->SetText("text");
    QTRY_VERIFY(gif_->TimerRunning());
    switch (action) {
      case 0:
        view_->Clear();
        break;
      case 1:
        view_->ShowCopy(QImage(7, 5, QImage::Format_RGB32));
        break;
      default:
        view_->DropAnimation();
    }
    QVERIFY(gif_->IsEmpty());
    QVERIFY(!gif_->TimerRunning());
    QVERIFY(gif_->isHidden());
    QVERIFY(still_->isVisible());
    QCOMPARE(view_->StillPicture().size(), still);
    QCOMPARE(still_->Text().isEmpty(), !text_kept);
  }

  // The still decode processes window events (ProgressHook): a Clear made
  // then stands, and the animation decided before it does not come back.
  void aClearDuringTheStillDecodeStands() {
    view_->SetFirstFrameAsStill(true);
    ProgressHook = [this](int) {
      view_->Clear();
      return 1;
    };
    view_->Load(kAnimated);
    QVERIFY(!view_->IsAnimated());
    QVERIFY(gif_->IsEmpty());
    QVERIFY(view_->StillPicture().isNull());
  }

  // The GIF control draws no background, and neither does the view: the
  // owner shows around the animation (and through its transparent pixels).
  void theOwnerShowsAroundAnAnimation() {
    struct Owner : QWidget {
      void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kOwnerColor); }
    } owner;
    auto* view = new PictureView("Still", "Gif", &owner);
    owner.resize(100, 100);
    view->setGeometry(owner.rect());
    view->Load(kAnimated);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QCOMPARE(QColor(owner.grab().toImage().pixel(90, 90)), kOwnerColor);
  }

  void doubleClicksAreAnnouncedAndPressesGoToTheOwner() {
    struct Owner : QWidget {
      int presses = 0;
      void mousePressEvent(QMouseEvent*) override { ++presses; }
    } owner;
    auto* view = new PictureView("Still", "Gif", &owner);
    owner.resize(100, 100);
    view->setGeometry(owner.rect());
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QSignalSpy double_clicks(view, &PictureView::DoubleClicked);

    QTest::mouseDClick(view->Still(), Qt::LeftButton);
    view->Load(kAnimated);
    QTest::mouseDClick(view->Animation(), Qt::LeftButton);
    owner.presses = 0;
    QTest::mouseClick(view->Animation(), Qt::LeftButton);
    view->Clear();
    QTest::mouseClick(view->Still(), Qt::LeftButton);
    QCOMPARE(double_clicks.count(), 2);
    QCOMPARE(owner.presses, 2);
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<PictureView> view_;
  TPMultiMedia* still_ = nullptr;
  TGIFImage* gif_ = nullptr;
  CountingMessages messages_;
};

}  // namespace vls

QTEST_MAIN(vls::PictureViewTest)
#include "PictureView_test.moc"
