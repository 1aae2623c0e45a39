// Thumbnails of large JPEGs: DecodeThumbnail over each file's bytes (read
// into memory first, as a decrypted picture would be) against Qt's
// QImageReader with a scaled size over the same files, and the viewer's
// thumbnail strip over the same pictures encrypted: every container decrypted
// into memory and thumbnailed on the strip's worker thread, timed from the
// start until the last thumbnail is kept. One reader per process, so each
// reports its own peak memory.
//
//   thumbnail_bench make FOLDER [COUNT]   write COUNT (100) 6000 x 4000 JPEGs
//                                         into FOLDER, and each encrypted
//                                         beside it, keeping those there
//   thumbnail_bench run loader|qt|strip FOLDER
//                                         thumbnail every picture in FOLDER
//                                         into 160 x 120; prints the count,
//                                         the seconds and the peak memory in KiB

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include <thread>

#include "cipher/Cipher.h"
#include "imaging/picture/Thumbnail.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "viewing/Thumbnails.h"
#include "viewing/widgets/ThumbnailStrip.h"

namespace {

constexpr QSize kBound(160, 120);
const char* const kPassword = "thumbnail bench";

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
  // The same pictures encrypted (classic containers), the JPEGs kept.
  vls::KeyString.Set(kPassword);
  vls::KeepOriginals = true;
  vls::SilentFeedback feedback;
  vls::KernelVolumeFacts volumes;
  for (const QString& name : QDir(folder).entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
    const QString container = QDir(folder).filePath(QFileInfo(name).completeBaseName() + ".vlp");
    if (QFile::exists(container))
      continue;
    if (!vls::CryptFile(QDir(folder).filePath(name).toStdString(), vls::kModeEncrypt, false,
                        {feedback, volumes, vls::CryptPurpose::Batch})) {
      std::fprintf(stderr, "cannot encrypt %s\n", qPrintable(name));
      return 1;
    }
  }
  vls::DropKey();
  return 0;
}

// The strip's worker over the containers, as the "&Viewer" page runs it.
int RunStrip(const QString& folder) {
  std::vector<std::string> paths;
  for (const QString& name : QDir(folder).entryList({"*.vlp"}, QDir::Files, QDir::Name))
    paths.push_back(QDir(folder).filePath(name).toStdString());
  std::atomic<int> kept = 0;
  vls::ThumbnailMaker maker(vls::DecodeThumbnailInto, [&](const std::string&) { ++kept; });
  vls::KeyString.Set(kPassword);
  const auto start = std::chrono::steady_clock::now();
  maker.Start(paths);
  while (maker.Busy())
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  int shown = 0;
  for (const std::string& path : paths)
    maker.With(path, [&](const vls::Thumbnail& thumbnail) { shown += thumbnail.shown; });
  vls::DropKey();
  if (shown != static_cast<int>(paths.size())) {
    std::fprintf(stderr, "strip: %d of %zu thumbnails\n", shown, paths.size());
    return 1;
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("strip %d %.4f %ld\n", shown, seconds, usage.ru_maxrss);
  return 0;
}

int Run(const char* reader_name, const QString& folder) {
  if (std::strcmp(reader_name, "strip") == 0)
    return RunStrip(folder);
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
  std::fprintf(stderr, "usage: %s make FOLDER [COUNT] | run loader|qt|strip FOLDER\n", argv[0]);
  return 2;
}
