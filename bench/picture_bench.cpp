// Load time of large pictures through the still-picture loader (GraphicsMagick
// underneath) against Qt's own QImageReader, on the same files in one run: a
// 24-megapixel JPEG and a 12-megapixel PNG, generated at start into a
// temporary folder.
//
//   picture_bench [benchmark options]     time both readers on both files
//   picture_bench make FOLDER             only write the files into FOLDER
//   picture_bench load loader|qt FILE     load FILE once (for peak memory)

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <random>

#include "imaging/picture/PictureLoader.h"

namespace {

QString jpeg_path;
QString png_path;

// Smooth gradients with fine noise, so the coders work about as hard as on a
// photograph (flat colour would compress to almost nothing).
QImage Scene(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 noise(seed);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int grain = static_cast<int>(noise() % 24);
      line[x] = qRgb((x * 255 / width + grain) & 0xFF, (y * 255 / height + grain) & 0xFF,
                     ((x + y) / 16 + grain) & 0xFF);
    }
  }
  return image;
}

bool MakeFiles(const QString& folder) {
  jpeg_path = QDir(folder).filePath("photo-24mp.jpg");
  png_path = QDir(folder).filePath("scan-12mp.png");
  QImageWriter jpeg(jpeg_path, "jpeg");
  jpeg.setQuality(90);
  QImageWriter png(png_path, "png");
  return jpeg.write(Scene(6000, 4000, 1)) && png.write(Scene(4000, 3000, 2));
}

void BM_Loader(benchmark::State& state, const QString* path) {
  for (auto _ : state) {
    const vls::LoadedPicture picture = vls::LoadPicture(*path);
    if (picture.outcome != vls::LoadOutcome::Loaded) {
      state.SkipWithError(picture.decoder_message.toStdString().c_str());
      break;
    }
    benchmark::DoNotOptimize(picture.image.constBits());
  }
}

void BM_QImageReader(benchmark::State& state, const QString* path) {
  for (auto _ : state) {
    QImageReader reader(*path);
    reader.setAllocationLimit(0);
    const QImage image = reader.read();
    if (image.isNull()) {
      state.SkipWithError(reader.errorString().toStdString().c_str());
      break;
    }
    benchmark::DoNotOptimize(image.constBits());
  }
}

int LoadOnce(const char* which, const char* file) {
  const QString path = QString::fromLocal8Bit(file);
  QImage image;
  if (std::strcmp(which, "loader") == 0) {
    image = vls::LoadPicture(path).image;
  } else {
    QImageReader reader(path);
    reader.setAllocationLimit(0);
    image = reader.read();
  }
  std::printf("%s %dx%d\n", which, image.width(), image.height());
  return image.isNull() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "make") == 0)
    return MakeFiles(argv[2]) ? 0 : 1;
  if (argc == 4 && std::strcmp(argv[1], "load") == 0)
    return LoadOnce(argv[2], argv[3]);

  QTemporaryDir folder;
  if (!folder.isValid() || !MakeFiles(folder.path())) {
    std::fprintf(stderr, "cannot write the sample pictures\n");
    return 1;
  }
  for (const auto& [name, path] : {std::pair{"jpeg_24mp", &jpeg_path}, {"png_12mp", &png_path}}) {
    benchmark::RegisterBenchmark((std::string("Loader/") + name).c_str(), BM_Loader, path)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string("QImageReader/") + name).c_str(), BM_QImageReader,
                                 path)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
