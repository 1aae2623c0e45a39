// Thumbnails: fitted inside their bound with proportions kept and never
// enlarged, a JPEG decoded at a reduced scale, huge headers refused, and
// workers decoding while the window's thread loads other pictures.

#include "imaging/picture/Thumbnail.h"

#include <gtest/gtest.h>
#include <time.h>

#include <QBuffer>
#include <QFile>
#include <atomic>
#include <thread>
#include <vector>

// GraphicsMagick's C interface: its progress monitor.
#include <magick/api.h>

#include "imaging/HugePictures.h"
#include "imaging/picture/PictureLoader.h"
#include "imaging/picture/PictureState.h"

namespace vls {
namespace {

QByteArray Bytes(const char* name) {
  QFile file(QStringLiteral(VLS_TEST_DATA_DIR "/pictures/") + QString::fromUtf8(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// A width by height picture in the format, with gradients and some noise
// so a JPEG costs about what a photograph costs.
QByteArray Encoded(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * 7 + y * 13) % 256));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 90);
  return bytes;
}

double ThreadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TEST(Thumbnail, FitsInsideTheBoundWithProportionsKeptAndNeverEnlarged) {
  const struct {
    QByteArray bytes;
    const char* name;
    QSize bound;
    QSize size;
  } cases[] = {
      {Bytes("own/photo.jpg"), "photo.jpg", {16, 16}, {16, 12}},  // 64 x 48
      {Bytes("own/photo.jpg"), "photo.jpg", {32, 48}, {32, 24}},
      {Bytes("own/photo.jpg"), "photo.jpg", {200, 200}, {64, 48}},  // never enlarged
      {Bytes("own/photo.jpg"), "photo.jpg", {1, 1}, {1, 1}},
      {Encoded(1200, 300, "jpeg"), "wide.JPG", {160, 120}, {160, 40}},
      {Encoded(300, 1200, "png"), "tall.png", {160, 120}, {30, 120}},
      {Encoded(4000, 1, "png"), "line.png", {160, 120}, {160, 1}},   // at least a pixel
      {Bytes("own/screen.gif"), "screen.gif", {20, 20}, {20, 15}},   // its 40 x 30 screen
      {Bytes("bmpsuite/pal8.bmp"), "pal8.bmp", {64, 64}, {64, 32}},  // 127 x 64
      {Bytes("own/small.tif"), "small.tif", {15, 15}, {15, 10}},
      {Bytes("image-rs/smile.ico"), "smile.ico", {16, 16}, {16, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " in " + std::to_string(c.bound.width()) + "x" +
                 std::to_string(c.bound.height()));
    QString why;
    const QImage thumbnail = DecodeThumbnail(Span(c.bytes), c.name, c.bound, &why);
    EXPECT_EQ(thumbnail.size(), c.size) << why.toStdString();
  }
  // Red at the top to blue at the bottom, still.
  const QImage photo = DecodeThumbnail(Span(Bytes("own/photo.jpg")), "photo.jpg", {16, 16});
  EXPECT_GT(qRed(photo.pixel(8, 0)), 180);
  EXPECT_GT(qBlue(photo.pixel(8, 11)), 180);
}

TEST(Thumbnail, RefusesWithAReason) {
  const struct {
    QByteArray bytes;
    const char* name;
    QSize bound;
  } cases[] = {
      {test::JpegDeclaring(16000, 16000), "huge.jpg", {160, 120}},  // not decoded at 1/8
      {test::PngDeclaring(16000, 16000, true), "huge.png", {160, 120}},
      {Bytes("own/photo.jpg").left(100), "cut.jpg", {160, 120}},
      {QByteArray(), "empty.png", {160, 120}},
      {Bytes("own/photo.jpg"), "photo.jpg", {0, 120}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QString why;
    EXPECT_TRUE(DecodeThumbnail(Span(c.bytes), c.name, c.bound, &why).isNull());
    EXPECT_FALSE(why.isEmpty());
  }
}

// libjpeg decodes at 1/8 of the size when that still covers the bound.
TEST(Thumbnail, AJpegIsDecodedAtAReducedScale) {
  const QByteArray jpeg = Encoded(3000, 2000, "jpeg");
  DecodeThumbnail(Span(jpeg), "warm.jpg", {160, 120});  // the library and its coder loaded
  double start = ThreadSeconds();
  ASSERT_EQ(LoadPictureBytes(Span(jpeg), "full.jpg").outcome, LoadOutcome::Loaded);
  const double full = ThreadSeconds() - start;
  start = ThreadSeconds();
  ASSERT_EQ(DecodeThumbnail(Span(jpeg), "small.jpg", {160, 120}).size(), QSize(160, 106));
  const double thumbnail = ThreadSeconds() - start;
  EXPECT_LT(thumbnail, full / 3) << thumbnail << " s against " << full << " s";
}

// Workers make thumbnails of every kind the library decodes while the
// window's thread loads pictures with progress: each side gets its own
// pictures, only the window's thread hears of progress, and the library's
// monitor (which it reads without a lock) stays in place throughout.
TEST(Thumbnail, WorkersDecodeWhileTheWindowsThreadLoads) {
  const struct {
    QByteArray bytes;
    const char* name;
    QSize size;
  } pictures[] = {
      {Encoded(600, 400, "jpeg"), "a.jpg", {90, 60}},
      {Encoded(600, 400, "png"), "b.png", {90, 60}},
      {Encoded(600, 400, "tiff"), "c.tif", {90, 60}},
      {Bytes("own/screen.gif"), "d.gif", {40, 30}},
      {Bytes("own/small.pcx"), "e.pcx", {33, 17}},
      {Bytes("bmpsuite/rgb24.bmp"), "f.bmp", {90, 45}},
  };
  std::atomic<bool> done = false;
  std::atomic<int> made = 0, wrong = 0;
  const auto worker = [&] {
    while (!done) {
      for (const auto& p : pictures) {
        QString why;
        const QImage thumbnail = DecodeThumbnail(Span(p.bytes), p.name, {90, 60}, &why);
        (thumbnail.size() == p.size ? made : wrong) += 1;
      }
    }
  };
  std::vector<std::thread> workers;
  workers.emplace_back(worker);
  workers.emplace_back(worker);

  const QByteArray large[] = {Encoded(300, 1200, "jpeg"), Encoded(300, 1200, "tiff")};
  std::vector<std::thread::id> heard_on;
  ProgressHook = [&](int) {
    heard_on.push_back(std::this_thread::get_id());
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    return 1;
  };
  for (int round = 0; round < 10; ++round) {
    for (const QByteArray& bytes : large) {
      const LoadedPicture loaded =
          LoadPictureBytes(Span(bytes), &bytes == &large[0] ? "large.jpg" : "large.tif");
      EXPECT_EQ(loaded.outcome, LoadOutcome::Loaded);
      EXPECT_EQ(loaded.image.size(), QSize(300, 1200));
    }
  }
  done = true;
  for (std::thread& t : workers)
    t.join();
  ResetPictureState();
  const MonitorHandler monitor = SetMonitorHandler(nullptr);
  SetMonitorHandler(monitor);
  EXPECT_NE(monitor, nullptr);
  EXPECT_GT(made, 0);
  EXPECT_EQ(wrong, 0);
  ASSERT_FALSE(heard_on.empty());
  EXPECT_EQ(std::count(heard_on.begin(), heard_on.end(), std::this_thread::get_id()),
            static_cast<std::ptrdiff_t>(heard_on.size()));
}

}  // namespace
}  // namespace vls
