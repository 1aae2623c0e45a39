// TGIFImage on screen: defaults, placement (Center, Stretch, Tile,
// AutoSize), Visible, the parent showing through transparent pixels, the
// opaque decision, and the timer switched on and off by painting.

#include "imaging/widgets/GIFImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <utility>

#include "imaging/GifBuilder.h"

namespace vls {
namespace {

using gif::test::Bytes;
namespace build = gif::test;

const QColor kParent(0, 128, 128);
// Index 0 black, 1 red, 2 green, 3 blue.
const Bytes kColors = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};

// A w by h single image whose index at (x, y) comes from `index`.
template <typename F>
Bytes Picture(int w, int h, F index, int transparent = -1) {
  Bytes gif = build::Header(w, h, kColors);
  if (transparent >= 0)
    build::Append(gif, build::Control(0, 0, transparent));
  build::ImageBlock s = build::Solid(0, 0, w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      s.indices[static_cast<std::size_t>(y * w + x)] = index(x, y);
  }
  build::Append(gif, build::Image(s));
  build::Append(gif, build::Trailer());
  return gif;
}

Bytes Solid(int w, int h, std::uint8_t index) {
  return Picture(w, h, [index](int, int) { return index; });
}

// Two 2 by 2 frames, red then green, 10 ms apart, looping forever.
Bytes TwoFrames() {
  Bytes gif = build::Header(2, 2, kColors);
  build::Append(gif, build::LoopBlock(0));
  build::Append(gif, build::Control(1, 1));
  build::Append(gif, build::Image(build::Solid(0, 0, 2, 2, 1)));
  build::Append(gif, build::Control(1, 1));
  build::Append(gif, build::Image(build::Solid(0, 0, 2, 2, 2)));
  build::Append(gif, build::Trailer());
  return gif;
}

// A coloured window with the control on it, on the screen.
struct Scene {
  QWidget parent;
  TGIFImage* image;
  Scene() : image(new TGIFImage(&parent)) {
    parent.resize(200, 200);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, kParent);
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    parent.show();
    exposed = QTest::qWaitForWindowExposed(&parent);
  }
  // What the user sees of the control, parent included, painted afresh.
  QImage Shot() { return parent.grab(QRect(image->pos(), image->size())).toImage(); }
  // What the window shows once pending paints are done: the pixels Qt keeps
  // for it, so what an earlier paint left shows too.
  QImage OnScreen() {
    QTest::qWait(50);
    return parent.screen()->grabWindow(parent.winId()).toImage();
  }
  bool exposed = false;
};

}  // namespace

class GIFImageTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  int count_ = 0;
  QString Write(const Bytes& bytes) {
    const QString path = dir_.filePath(QString("p%1.gif").arg(++count_));
    build::Save(path.toStdString(), bytes);
    return path;
  }

 private slots:
  void Defaults() {
    TGIFImage image;
    QCOMPARE(image.size(), QSize(105, 105));
    QCOMPARE(image.Speed(), 100);
    QCOMPARE(image.CurrentFrame(), 1);
    QVERIFY(!image.Animate() && !image.Loop() && !image.Stretch() && !image.Tile());
    QVERIFY(!image.Center() && !image.AutoSize());
    QVERIFY(image.Visible());
    QVERIFY(image.IsEmpty());
    QVERIFY(!image.IsAnimated());
    QVERIFY(!image.autoFillBackground());
  }

  void LoadResults() {
    TGIFImage image;
    QVERIFY(image.SetFileName(Write(Solid(3, 3, 1))));
    QVERIFY(!image.SetFileName(dir_.filePath("missing.gif")));
    QCOMPARE(image.LastLoad(), gif::LoadResult::kFileNotFound);
    QCOMPARE(image.FrameCount(), 1);  // unchanged
    const QString text = dir_.filePath("text.gif");
    build::Save(text.toStdString(), Bytes{'h', 'e', 'l', 'l', 'o'});
    QVERIFY(!image.SetFileName(text));
    QCOMPARE(image.LastLoad(), gif::LoadResult::kNotGif);
    QVERIFY(image.IsEmpty());

    // From memory: the frames are the control's own once the call returns.
    Bytes two = TwoFrames();
    QVERIFY(image.LoadBytes(two, "two.gif"));
    std::fill(two.begin(), two.end(), 0);
    QCOMPARE(image.FileName(), QString("two.gif"));
    QCOMPARE(image.FrameCount(), 2);
    image.SetCurrentFrame(2);
    QCOMPARE(QColor(image.Image().pixel(1, 1)), QColor(Qt::green));
    QVERIFY(!image.LoadBytes(Bytes{'h', 'i'}, "hi.gif"));
    QCOMPARE(image.LastLoad(), gif::LoadResult::kNotGif);
    QVERIFY(image.IsEmpty());
  }

  void CenterRoundsTowardZero() {
    Scene scene;
    scene.image->SetCenter(true);
    QVERIFY(scene.image->SetFileName(Write(Solid(10, 10, 1))));
    QCOMPARE(scene.image->PictureOrigin(), QPoint(47, 47));
    QImage shot = scene.Shot();
    QCOMPARE(shot.pixelColor(46, 46), kParent);
    QCOMPARE(shot.pixelColor(47, 47), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(56, 56), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(57, 57), kParent);

    // 120 by 120: red left of x 8, green from there; drawn from (-7, -7).
    QVERIFY(scene.image->SetFileName(
        Write(Picture(120, 120, [](int x, int) { return x < 8 ? 1 : 2; }))));
    QCOMPARE(scene.image->PictureOrigin(), QPoint(-7, -7));
    shot = scene.Shot();
    QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(1, 0), QColor(Qt::green));
    QCOMPARE(shot.pixelColor(104, 104), QColor(Qt::green));

    scene.image->SetCenter(false);
    QCOMPARE(scene.image->PictureOrigin(), QPoint(0, 0));
  }

  void StretchAndTile() {
    Scene scene;
    // Left half red, right half blue, pixel (0, 0) green.
    const Bytes gif = Picture(10, 10, [](int x, int y) {
      return x == 0 && y == 0 ? 2 : x < 5 ? 1 : 3;
    });
    QVERIFY(scene.image->SetFileName(Write(gif)));
    scene.image->SetStretch(true);
    QVERIFY(scene.image->Stretching());
    QImage shot = scene.Shot();
    QCOMPARE(shot.pixelColor(30, 60), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(104, 104), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::green));
    // Stretch at the picture's own size is no stretching.
    scene.image->resize(10, 10);
    QVERIFY(!scene.image->Stretching());
    scene.image->resize(105, 105);

    scene.image->SetStretch(false);
    scene.image->SetTile(true);
    shot = scene.Shot();
    for (const QPoint p : {QPoint(0, 0), QPoint(10, 10), QPoint(100, 0), QPoint(100, 100)}) {
      QCOMPARE(shot.pixelColor(p), QColor(Qt::green));
    }
    QCOMPARE(shot.pixelColor(103, 103), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(98, 3), QColor(Qt::blue));
  }

  void AutoSizeAndVisible() {
    Scene scene;
    scene.image->SetAutoSize(true);
    QVERIFY(scene.image->SetFileName(Write(Solid(30, 20, 1))));
    QCOMPARE(scene.image->size(), QSize(30, 20));
    scene.image->SetAutoSize(false);
    scene.image->resize(105, 105);
    scene.image->SetAutoSize(true);
    QCOMPARE(scene.image->size(), QSize(30, 20));

    scene.image->SetVisible(false);
    QVERIFY(scene.image->isVisibleTo(&scene.parent));  // still there
    const QImage shot = scene.Shot();
    QCOMPARE(shot.pixelColor(10, 10), kParent);
    scene.image->SetVisible(true);
    QCOMPARE(scene.Shot().pixelColor(10, 10), QColor(Qt::red));
  }

  void TransparentPixelsShowTheParent() {
    Scene scene;
    // 4 by 4: index 0 transparent on the diagonal, blue elsewhere.
    const Bytes gif = Picture(
        4, 4, [](int x, int y) { return x == y ? 0 : 3; }, 0);
    QVERIFY(scene.image->SetFileName(Write(gif)));
    scene.image->SetStretch(true);
    const QImage shot = scene.Shot();
    // Stretched 4 -> 105: each source pixel is about 26 pixels wide.
    QCOMPARE(shot.pixelColor(10, 10), kParent);
    QCOMPARE(shot.pixelColor(90, 90), kParent);
    QCOMPARE(shot.pixelColor(90, 10), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(10, 90), QColor(Qt::blue));
    QVERIFY(!scene.image->IsOpaque());
  }

  void OpaqueDecision() {
    TGIFImage image;
    QVERIFY(!image.IsOpaque());  // empty
    image.SetFileName(Write(Solid(120, 120, 1)));
    QVERIFY(image.IsOpaque());  // covers the control
    image.SetCenter(true);
    QVERIFY(image.IsOpaque());
    image.SetVisible(false);
    QVERIFY(!image.IsOpaque());
    image.SetVisible(true);
    image.SetFileName(Write(Solid(10, 10, 1)));
    QVERIFY(!image.IsOpaque());  // the parent shows around it
    image.SetTile(true);
    QVERIFY(image.IsOpaque());
    image.SetTile(false);
    image.SetStretch(true);
    QVERIFY(image.IsOpaque());
    image.SetFileName(Write(Picture(
        10, 10, [](int, int) { return 1; }, 0)));
    QVERIFY(!image.IsOpaque());  // a transparent frame
  }

  void PaintingSwitchesTheTimer() {
    Scene scene;
    scene.image->SetAnimate(true);
    QVERIFY(scene.image->SetFileName(Write(Solid(2, 2, 1))));
    scene.Shot();
    QVERIFY(!scene.image->TimerRunning());  // a single image never animates

    QVERIFY(scene.image->SetFileName(Write(TwoFrames())));
    scene.Shot();
    QVERIFY(scene.image->TimerRunning());
    // The real timer plays the frames: red, green, red, ...
    QSignalSpy changes(scene.image, &TGIFImage::OnChange);
    QSignalSpy changing(scene.image, &TGIFImage::OnChanging);
    while (scene.image->CurrentFrame() != 2)
      QVERIFY(changes.wait(5000));
    QCOMPARE(changing.count(), changes.count());
    QCOMPARE(scene.Shot().pixelColor(1, 1), QColor(Qt::green));

    scene.image->SetAnimate(false);
    QVERIFY(!scene.image->TimerRunning());
    QCOMPARE(scene.image->CurrentFrame(), 1);
    scene.Shot();
    QVERIFY(!scene.image->TimerRunning());
  }

  // When the control stops covering its area, Qt must paint the parent under
  // it again: what the old picture left there must not stay.
  void AChangedOpaqueDecisionRepaintsTheParentUnderIt() {
    const Bytes transparent = Picture(
        10, 10, [](int, int) { return 0; }, 0);
    const std::pair<const char*, std::function<void(TGIFImage&)>> changes[] = {
        {"a transparent picture", [&](TGIFImage& c) { c.SetFileName(Write(transparent)); }},
        {"stretch off", [](TGIFImage& c) { c.SetStretch(false); }},
        {"not visible", [](TGIFImage& c) { c.SetVisible(false); }},
        {"emptied", [](TGIFImage& c) { c.Clear(); }},
    };
    for (const auto& [what, change] : changes) {
      Scene scene;
      QVERIFY(scene.exposed);
      scene.image->SetStretch(true);
      QVERIFY(scene.image->SetFileName(Write(Solid(10, 10, 1))));  // red, covering
      QCOMPARE(scene.OnScreen().pixelColor(50, 50), QColor(Qt::red));
      change(*scene.image);
      QVERIFY2(scene.OnScreen().pixelColor(50, 50) == kParent, what);
      QVERIFY2(!scene.image->testAttribute(Qt::WA_OpaquePaintEvent), what);
    }
  }

  void ClearDropsEverything() {
    Scene scene;
    scene.image->SetAnimate(true);
    QVERIFY(scene.image->SetFileName(Write(TwoFrames())));
    QVERIFY(scene.image->TimerRunning());
    scene.image->Clear();
    QVERIFY(!scene.image->TimerRunning());
    QVERIFY(scene.image->IsEmpty());
    QCOMPARE(scene.image->FrameCount(), 0);
    QVERIFY(scene.image->FileName().isEmpty());
    QVERIFY(scene.image->Image().isNull());
    QCOMPARE(scene.image->Player().Picture().Pixels().capacity(), 0u);
    QCOMPARE(scene.Shot().pixelColor(1, 1), kParent);
    // It loads and plays again afterwards.
    QVERIFY(scene.image->SetFileName(Write(TwoFrames())));
    QVERIFY(scene.image->TimerRunning());
  }

  // Nothing of a hidden control is seen, so it does not compose frames.
  void AHiddenControlDoesNotTick() {
    Scene scene;
    scene.image->SetAnimate(true);
    QVERIFY(scene.image->SetFileName(Write(TwoFrames())));
    QVERIFY(scene.image->TimerRunning());
    QSignalSpy changes(scene.image, &TGIFImage::OnChange);
    scene.image->hide();
    QVERIFY(!scene.image->TimerRunning());
    QTest::qWait(60);  // six delays of a frame
    QCOMPARE(changes.count(), 0);
    scene.image->show();
    QVERIFY(scene.image->TimerRunning());
    QVERIFY(changes.wait(5000));

    // Hidden with its window, and loaded while hidden.
    scene.parent.hide();
    QVERIFY(!scene.image->TimerRunning());
    QVERIFY(scene.image->SetFileName(Write(TwoFrames())));
    QVERIFY(!scene.image->TimerRunning());
    scene.parent.show();
    QVERIFY(scene.image->TimerRunning());
  }

  void CurrentFrameSignals() {
    TGIFImage image;
    image.SetFileName(Write(TwoFrames()));
    QSignalSpy changing(&image, &TGIFImage::OnChanging);
    QSignalSpy change(&image, &TGIFImage::OnChange);
    image.SetCurrentFrame(5);
    image.SetCurrentFrame(1);
    QCOMPARE(change.count(), 0);
    image.SetCurrentFrame(2);
    QCOMPARE(changing.count(), 1);
    QCOMPARE(change.count(), 1);
    QCOMPARE(image.CurrentFrame(), 2);
  }

  // Not a check: with VLS_GIF_SCREENSHOT set, shows an animated GIF with
  // transparency over a coloured window and saves a screenshot there.
  void Screenshot() {
    const QByteArray path = qgetenv("VLS_GIF_SCREENSHOT");
    if (path.isEmpty())
      QSKIP("VLS_GIF_SCREENSHOT not set");
    QWidget window;
    window.setWindowTitle("TGIFImage");
    window.resize(420, 240);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(40, 110, 160));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    const QString data = QString(VLS_TEST_DATA_DIR) + "/gif/";
    TGIFImage stretched(&window);
    stretched.setGeometry(10, 10, 200, 200);
    stretched.SetStretch(true);
    stretched.SetAnimate(true);
    stretched.SetLoop(true);
    QVERIFY(stretched.SetFileName(data + "peterdn/animated_transparent_frame_norestore_loop.gif"));
    TGIFImage centred(&window);
    centred.setGeometry(220, 10, 190, 200);
    centred.SetCenter(true);
    centred.SetAnimate(true);
    centred.SetLoop(true);
    centred.SetSpeed(1000);
    QVERIFY(centred.SetFileName(data + "wuffs/animated-red-blue.gif"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy changes(&stretched, &TGIFImage::OnChange);
    while (stretched.CurrentFrame() != 3)
      QVERIFY(changes.wait(10000));
    QTest::qWait(200);
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    QVERIFY(shot.save(QString::fromLocal8Bit(path)));
  }
};

}  // namespace vls

QTEST_MAIN(vls::GIFImageTest)
#include "GIFImage_test.moc"
