// Click to picture on the "&Viewer" page: a container holding a 24-megapixel
// JPEG (6000 x 4000) is decrypted into memory and decoded from there into the
// picture control, through the main window as a click runs it. The steps are
// also timed alone. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/PMultiMedia.h"
#include "protect/Container.h"
#include "protect/MemoryDecrypt.h"
#include "protect/ProtectState.h"

namespace {

const char* const kKey = "open sesame";

struct Fixture {
  QTemporaryDir home, folder;
  QString container;
  qint64 jpeg_bytes = 0;

  Fixture() {
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    // A photograph-like picture: smooth gradients with fine detail over them.
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        line[x] = qRgb((x / 24 + (x * y) % 17) & 255, (y / 16 + (x ^ y) % 13) & 255,
                       ((x + y) / 40 + x % 7) & 255);
      }
    }
    const QString plain = folder.filePath("photo.jpg");
    image.save(plain, "JPG", 90);
    jpeg_bytes = QFileInfo(plain).size();
    vls::KeyString.Set(kKey);
    vls::SilentFeedback feedback;
    vls::KernelVolumeFacts volumes;
    vls::CryptFile(vls::PathBytes(plain), vls::kModeEncrypt, false,
                   {feedback, volumes, vls::CryptPurpose::Batch});
    container = folder.filePath("photo.vlp");
  }
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

void BM_ClickToPicture(benchmark::State& state) {
  Fixture& files = Files();
  vls::TFmainVLS window({});
  const auto* picture = window.findChild<vls::TPMultiMedia*>("View_PMultiMedia1");
  for (auto _ : state) {
    vls::KeyString.Set(kKey);
    window.ViewEncryptedPicture(files.container, vls::ViewTarget::Viewer);
    if (picture->PictureWidth() != 6000)
      state.SkipWithError("no picture");
  }
  state.counters["jpeg_bytes"] = static_cast<double>(files.jpeg_bytes);
}

void BM_DecryptIntoMemory(benchmark::State& state) {
  Fixture& files = Files();
  for (auto _ : state) {
    vls::KeyString.Set(kKey);
    vls::CurrentKey key;
    const vls::PlainInMemory plain =
        vls::DecryptIntoMemory(vls::PathBytes(files.container), key, {});
    if (!plain.done())
      state.SkipWithError("not decrypted");
  }
}

void BM_LoadOnly(benchmark::State& state) {
  Fixture& files = Files();
  vls::KeyString.Set(kKey);
  vls::CurrentKey key;
  const vls::PlainInMemory plain = vls::DecryptIntoMemory(vls::PathBytes(files.container), key, {});
  vls::TPMultiMedia control;
  control.SetImageDither(true);
  for (auto _ : state) {
    control.LoadBytes(plain.bytes.span(), "photo.jpg");
    control.SetMediaName(QString());
  }
}

BENCHMARK(BM_ClickToPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_DecryptIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
