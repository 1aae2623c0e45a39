// Thumbnails of large JPEGs: DecodeThumbnail over each file's bytes (read
// into memory first, as a decrypted picture would be) against Qt's
// QImageReader with a scaled size over the same files. One reader per
// process, so each reports its own peak memory.
//
//   thumbnail_bench make FOLDER [COUNT]   write COUNT (100) 6000 x 4000 JPEGs
//                                         into FOLDER, keeping those there
//   thumbnail_bench run loader|qt FOLDER  thumbnail every JPEG in FOLDER into
//                                         160 x 120; prints the count, the
//                                         seconds and the peak memory in KiB

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "imaging/picture/Thumbnail.h"

namespace {

constexpr QSize kBound(160, 120);

// Something like a photograph for the coder: soft shapes of colour that vary
// from file to file, with sensor-like grain, so a file is a few megabytes.
QImage Photo(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double fx = 2 + 6 * unit(random), fy = 2 + 6 * unit(random), phase = 6.3 * unit(random);
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const double v = static_cast<double>(y) / height;
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double light = 0.5 + 0.5 * std::sin(fx * u * 6.28 + phase) * std::cos(fy * v * 6.28);
      const int grain = static_cast<int>(random() % 12) - 6;
      const auto channel = [&](double base) {
        return std::clamp(static_cast<int>(base * 255) + grain, 0, 255);
      };
      line[x] = qRgb(channel(light * (0.6 + 0.4 * u)), channel(light * 0.8 + 0.2 * v),
                     channel((1 - light) * (0.5 + 0.5 * v)));
    }
  }
  return image;
}

int Make(const QString& folder, int count) {
  if (!QDir().mkpath(folder))
    return 1;
  for (int n = 0; n < count; ++n) {
    const QString path = QDir(folder).filePath(QString("photo-%1.jpg").arg(n, 3, 10, QChar('0')));
    if (QFile(path).size() > 0)
      continue;
    // Written under another name first: an interrupted run leaves no half file.
    const QString part = path + ".part";
    QImageWriter writer(part, "jpeg");
    writer.setQuality(90);
    if (!writer.write(Photo(6000, 4000, static_cast<unsigned>(n) + 1)) ||
        !QFile::rename(part, path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}

int Run(const char* reader_name, const QString& folder) {
  const bool loader = std::strcmp(reader_name, "loader") == 0;
  const QStringList names = QDir(folder).entryList({"*.jpg"}, QDir::Files, QDir::Name);
  const auto start = std::chrono::steady_clock::now();
  int made = 0;
  for (const QString& name : names) {
    const QString path = QDir(folder).filePath(name);
    QImage thumbnail;
    if (loader) {
      QFile file(path);
      if (!file.open(QIODevice::ReadOnly))
        continue;
      const QByteArray bytes = file.readAll();
      thumbnail = vls::DecodeThumbnail({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())},
                                       name, kBound);
    } else {
      QImageReader reader(path);
      reader.setScaledSize(reader.size().scaled(kBound, Qt::KeepAspectRatio));
      thumbnail = reader.read();
    }
    if (thumbnail.width() > kBound.width() || thumbnail.height() > kBound.height() ||
        thumbnail.isNull()) {
      std::fprintf(stderr, "%s: no thumbnail of %s\n", reader_name, qPrintable(name));
      return 1;
    }
    ++made;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%s %d %.4f %ld\n", reader_name, made, seconds, usage.ru_maxrss);
  return made > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // for the image plug-ins; no display needed
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "make") == 0)
    return Make(QString::fromLocal8Bit(argv[2]), argc == 4 ? std::atoi(argv[3]) : 100);
  if (argc == 4 && std::strcmp(argv[1], "run") == 0)
    return Run(argv[2], QString::fromLocal8Bit(argv[3]));
  std::fprintf(stderr, "usage: %s make FOLDER [COUNT] | run loader|qt FOLDER\n", argv[0]);
  return 2;
}
