// The still-picture loader: every format to one picture of the right size,
// failures with the decoder's words and the format's notice, the progress
// hook (0 first, rising, 100 last, and a stop), colour reduction, and a sweep
// over the public image suites when they are at hand.

#include "imaging/picture/PictureLoader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "imaging/HugePictures.h"
#include "imaging/picture/PictureState.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

// QImageReader's plug-ins and font-free painting want an application object.
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "picture_tests";
      static char* argv[] = {name, nullptr};
      app_ = new QGuiApplication(argc, argv);
    }
  }
  void TearDown() override { delete app_; }

 private:
  QGuiApplication* app_ = nullptr;
};
const auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

QString Data(const char* name) {
  return QStringLiteral(VLS_TEST_DATA_DIR "/pictures/") + QString::fromUtf8(name);
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

int DistinctColors(const QImage& image) {
  QSet<QRgb> colors;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      colors.insert(image.pixel(x, y));
  }
  return static_cast<int>(colors.size());
}

class PictureLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetPictureState(); }
  QString Temp(const char* name) const { return QString::fromStdString(dir / name); }
  // Records every percentage; answers go on until the stop percentage.
  void RecordProgress(int stop_at = 1000) {
    ProgressHook = [this, stop_at](int percent) {
      progress.push_back(percent);
      return percent >= stop_at ? 0 : 1;
    };
  }

  test::TempDir dir;
  std::vector<int> progress;
};

TEST_F(PictureLoaderTest, LoadsEveryFormatWithItsSizeAndFacts) {
  const struct {
    const char* file;
    int width, height;
    bool library;
  } cases[] = {
      {"pngsuite/basn2c08.png", 32, 32, true},
      {"pngsuite/basn6a08.png", 32, 32, true},
      {"pngsuite/basi0g01.png", 32, 32, true},
      {"bmpsuite/pal8.bmp", 127, 64, true},
      {"bmpsuite/rgb24.bmp", 127, 64, true},
      {"own/photo.jpg", 64, 48, true},
      {"own/plain.gif", 24, 16, true},
      {"own/small.pcx", 33, 17, true},
      {"commons-imaging/3plane8bppCompressed.pcx", 10, 10, true},
      {"own/small.tif", 30, 20, true},
      {"libtiffpic/flower-rgb-contig-08.tif", 73, 43, true},
      {"image-rs/smile.ico", 32, 32, false},
      {"own/icon.ico", 32, 32, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const QString path = Data(c.file);
    const LoadedPicture loaded = LoadPicture(path);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.decoder_message.toStdString();
    EXPECT_EQ(loaded.image.size(), QSize(c.width, c.height));
    EXPECT_EQ(loaded.width, c.width);
    EXPECT_EQ(loaded.height, c.height);
    EXPECT_EQ(loaded.file_size, QFileInfo(path).size());
    EXPECT_EQ(loaded.status, c.library ? path.toUpper() : QString(kStatusNotLibrary));
    EXPECT_TRUE(loaded.failure_notice.isEmpty());
  }
}

TEST_F(PictureLoaderTest, MetafilesGoThroughTheNonLibraryPath) {
  RecordProgress();
  const LoadedPicture loaded = LoadPicture(Data("pillow/drawing.wmf"));
  ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.decoder_message.toStdString();
  EXPECT_GT(loaded.width, 0);
  EXPECT_GT(loaded.height, 0);
  EXPECT_EQ(loaded.status, kStatusNotLibrary);
  EXPECT_TRUE(progress.empty());  // only the library formats report progress
}

TEST_F(PictureLoaderTest, PixelsComeThroughInTheirColours) {
  // A red 20x10 frame at (5,5) on a 40x30 GIF screen: the picture is the
  // screen, transparent outside the frame.
  const QImage screen = LoadPicture(Data("own/screen.gif")).image;
  ASSERT_EQ(screen.size(), QSize(40, 30));
  EXPECT_EQ(qAlpha(screen.pixel(0, 0)), 0);
  EXPECT_EQ(screen.pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(screen.pixel(24, 14), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(screen.pixel(25, 15)), 0);

  // Red to blue from top to bottom.
  const QImage photo = LoadPicture(Data("own/photo.jpg")).image;
  EXPECT_GT(qRed(photo.pixel(10, 0)), 200);
  EXPECT_LT(qBlue(photo.pixel(10, 0)), 60);
  EXPECT_GT(qBlue(photo.pixel(10, 47)), 200);

  // Alpha survives, and the picture matches Qt's own decoding of the file
  // (colours compared where the pixel is mostly opaque: premultiplied
  // storage rounds the colour of faint pixels).
  const QImage loaded = LoadPicture(Data("pngsuite/basn6a08.png")).image;
  EXPECT_TRUE(loaded.hasAlphaChannel());
  const QImage alpha = loaded.convertToFormat(QImage::Format_ARGB32);
  const QImage reference =
      QImage(Data("pngsuite/basn6a08.png")).convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(alpha.size(), reference.size());
  int compared = 0;
  for (int y = 0; y < alpha.height(); ++y) {
    for (int x = 0; x < alpha.width(); ++x) {
      const QRgb got = alpha.pixel(x, y);
      const QRgb want = reference.pixel(x, y);
      ASSERT_EQ(qAlpha(got), qAlpha(want)) << x << "," << y;
      if (qAlpha(want) < 128)
        continue;
      ++compared;
      EXPECT_NEAR(qRed(got), qRed(want), 2) << x << "," << y;
      EXPECT_NEAR(qGreen(got), qGreen(want), 2) << x << "," << y;
      EXPECT_NEAR(qBlue(got), qBlue(want), 2) << x << "," << y;
    }
  }
  EXPECT_GT(compared, 400);
}

TEST_F(PictureLoaderTest, FailuresCarryTheDecoderWordsAndTheFormatNotice) {
  const QByteArray jpeg = Bytes(Data("own/photo.jpg"));
  Write(Temp("cut.jpg"), jpeg.left(jpeg.size() / 3));
  Write(Temp("noise.gif"), QByteArray("GIF89a\x01"));
  Write(Temp("noise.pcx"), QByteArray(40, '\x0A'));
  Write(Temp("noise.tif"), QByteArray("II*\0\xff\xff\xff\x7f", 8));
  Write(Temp("png-named.bmp"), Bytes(Data("pngsuite/basn2c08.png")));
  Write(Temp("empty.png"), QByteArray());
  const struct {
    QString path;
    const char* notice;
  } cases[] = {
      {Data("pngsuite/xcsn0g01.png"), "Reading png file failed"},  // IDAT checksum
      {Data("pngsuite/xs1n0g01.png"), "Reading png file failed"},  // signature
      {Temp("empty.png"), "Reading png file failed"},
      {Data("bmpsuite/shortfile.bmp"), "Reading bmp file failed"},
      {Temp("png-named.bmp"), "Reading bmp file failed"},  // the extension picks the decoder
      {Temp("cut.jpg"), "Reading jpg file failed"},
      {Temp("noise.gif"), "Reading gif file failed"},
      {Temp("noise.pcx"), "Reading pcx file failed"},
      {Temp("noise.tif"), "Reading tif file failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    const LoadedPicture loaded = LoadPicture(c.path);
    EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_EQ(loaded.width, 0);
    EXPECT_EQ(loaded.height, 0);
    EXPECT_FALSE(loaded.decoder_message.isEmpty());
    EXPECT_EQ(loaded.failure_notice, QString::fromLatin1(c.notice));
    EXPECT_EQ(loaded.status, c.path.toUpper());
    EXPECT_EQ(loaded.file_size, QFileInfo(c.path).size());
  }
}

TEST_F(PictureLoaderTest, NonLibraryFailuresHaveNoNotice) {
  Write(Temp("noise.ico"), QByteArray("\0\0\1\0\1\0", 6));
  const LoadedPicture loaded = LoadPicture(Temp("noise.ico"));
  EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
  EXPECT_TRUE(loaded.image.isNull());
  EXPECT_FALSE(loaded.decoder_message.isEmpty());
  EXPECT_TRUE(loaded.failure_notice.isEmpty());
  EXPECT_EQ(loaded.status, kStatusNotLibrary);
}

TEST_F(PictureLoaderTest, MissingFilesAreNotFound) {
  ::mkdir((dir / "folder.png").c_str(), 0700);
  for (const QString& path : {Temp("gone.png"), QString(), Temp("folder.png")}) {
    RecordProgress();
    const LoadedPicture loaded = LoadPicture(path);
    EXPECT_EQ(loaded.outcome, LoadOutcome::NotFound);
    EXPECT_EQ(loaded.status, QString(kStatusNotFound));
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_EQ(loaded.file_size, 0);
    EXPECT_TRUE(progress.empty());
  }
}

// A picture tall enough that the decoders report many rows.
QString WriteLargePicture(const QString& path, const char* format) {
  QImage image(300, 1200, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgb(x % 256, y % 256, 77));
  }
  QImageWriter writer(path, format);
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return path;
}

TEST_F(PictureLoaderTest, ProgressStartsAtZeroRisesAndEndsAtHundred) {
  const QString files[] = {WriteLargePicture(Temp("large.png"), "png"),
                           WriteLargePicture(Temp("large.jpg"), "jpeg"),
                           WriteLargePicture(Temp("large.bmp"), "bmp"),
                           WriteLargePicture(Temp("large.tif"), "tiff"), Data("own/small.pcx")};
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    progress.clear();
    RecordProgress();
    ASSERT_EQ(LoadPicture(path).outcome, LoadOutcome::Loaded);
    ASSERT_GE(progress.size(), 2U);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_TRUE(std::adjacent_find(progress.begin(), progress.end()) == progress.end());
  }
  // The decoders report rows as they go, not only the end (PNG excepted: its
  // decoder reports once per interlace pass).
  progress.clear();
  RecordProgress();
  LoadPicture(Temp("large.jpg"));
  EXPECT_GT(progress.size(), 3U);
}

TEST_F(PictureLoaderTest, AHookAnsweringZeroStopsTheLoad) {
  const QString path = WriteLargePicture(Temp("large.jpg"), "jpeg");
  RecordProgress(1);
  LoadedPicture loaded = LoadPicture(path);
  EXPECT_EQ(loaded.outcome, LoadOutcome::Cancelled);
  EXPECT_TRUE(loaded.image.isNull());
  EXPECT_TRUE(loaded.failure_notice.isEmpty());
  ASSERT_FALSE(progress.empty());
  EXPECT_LT(progress.back(), 100);  // nothing asked after the stop
  EXPECT_EQ(std::count_if(progress.begin(), progress.end(), [](int p) { return p >= 1; }), 1);

  progress.clear();
  RecordProgress(0);  // stop before decoding starts
  loaded = LoadPicture(path);
  EXPECT_EQ(loaded.outcome, LoadOutcome::Cancelled);
  EXPECT_EQ(progress, std::vector<int>{0});

  // The next load after a stop runs normally, and so does one without a hook.
  progress.clear();
  RecordProgress();
  EXPECT_EQ(LoadPicture(path).outcome, LoadOutcome::Loaded);
  ProgressHook = nullptr;
  EXPECT_EQ(LoadPicture(path).outcome, LoadOutcome::Loaded);
}

// ProgressHook processes window events, which may ask for another picture
// while the library decodes: that load must not wait on the library's lock.
TEST_F(PictureLoaderTest, ALoadAskedForInsideTheHookIsBusyNotStuck) {
  const QString path = WriteLargePicture(Temp("large.jpg"), "jpeg");
  std::vector<LoadOutcome> inner;
  bool stop = false;
  ProgressHook = [&](int percent) {
    if (percent == 10) {
      inner.push_back(LoadPicture(Data("own/small.pcx")).outcome);
      inner.push_back(LoadPicture(Data("pillow/drawing.wmf")).outcome);
      inner.push_back(LoadPicture(Data("image-rs/smile.ico")).outcome);  // no library needed
    }
    if (percent == 20)
      stop = true;
    return 1;
  };
  const LoadedPicture outer = LoadPicture(path, {24, true, &stop});
  EXPECT_EQ(inner,
            (std::vector<LoadOutcome>{LoadOutcome::Busy, LoadOutcome::Busy, LoadOutcome::Loaded}));
  EXPECT_EQ(outer.outcome, LoadOutcome::Cancelled);  // the stop flag
  // Once the outer load is over, the library is free again.
  EXPECT_EQ(LoadPicture(Data("own/small.pcx")).outcome, LoadOutcome::Loaded);
}

// What picture_load printed for a file, loaded in a process of its own held
// to 1 GiB of address space (a 16000 by 16000 picture takes over 3 GiB to
// decode), and how long it ran.
struct ChildLoad {
  std::string line;
  double seconds = 0;
};

// Everything command writes, its error output included.
std::string OutputOf(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr)
    return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    out += buffer;
  ::pclose(pipe);
  return out;
}

ChildLoad LoadInSmallProcess(const QString& path, const char* environment = "") {
  const auto start = std::chrono::steady_clock::now();
  ChildLoad run;
  run.line = OutputOf(std::string("ulimit -v 1048576 && ") + environment + " exec " +
                      VLS_BIN_DIR "/picture_load '" + path.toStdString() + "'");
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

TEST_F(PictureLoaderTest, HugeDeclaredSizesAreRefusedFromTheHeaderAtOnce) {
  const struct {
    const char* file;
    QByteArray bytes;
    const char* size;  // as the refusal names it
  } cases[] = {
      {"huge.png", test::PngDeclaring(16000, 16000, true), "16000 x 16000 pixels, "},
      // The JPEG header reader applies the pixel limit itself and gives no size.
      {"huge.jpg", test::JpegDeclaring(16000, 16000), ""},
      // One pixel of picture on a screen it is composed onto.
      {"huge.gif", test::GifDeclaring(65535, 65535), "65535 x 65535 pixels, "},
      {"huge.bmp", test::BmpDeclaring(16000, 16000), "16000 x 16000 pixels, "},
      {"huge.pcx", test::PcxDeclaring(16000, 16000), "16000 x 16000 pixels, "},
      {"huge.tif", test::TiffDeclaring(16000, 16000), "16000 x 16000 pixels, "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Write(Temp(c.file), c.bytes);
    const ChildLoad run = LoadInSmallProcess(Temp(c.file));
    EXPECT_EQ(run.line, std::string("too-large Picture too large: ") + c.size +
                            "more than the 64 million pixels a picture may have\n");
    EXPECT_LT(run.seconds, 2.0);
  }
}

// The library would move the pixels of a picture that passes its memory
// limit into a temporary file: a plain copy on disk. It refuses instead.
TEST_F(PictureLoaderTest, PixelsNeverSpillToATemporaryFile) {
  const QString path = WriteLargePicture(Temp("large.png"), "png");
  EXPECT_EQ(LoadInSmallProcess(path).line, "loaded 300 1200\n");
  const std::string spill = "MAGICK_LIMIT_MEMORY=1MB MAGICK_TMPDIR='" + dir.path() + "'";
  EXPECT_EQ(LoadInSmallProcess(path, spill.c_str()).line.rfind("failed ", 0), 0u);
}

// The library comes in a module loaded by the first decode that needs it. A
// program copied away from its module, or beside a module that is not one,
// fails those pictures with the reason and still shows the rest.
TEST_F(PictureLoaderTest, TheLibraryModuleIsLoadedByTheFirstDecodeThatNeedsIt) {
  const std::string program = VLS_BIN_DIR "/picture_load --library ";
  const std::string jpeg = Data("own/photo.jpg").toStdString();
  const std::string ico = Data("image-rs/smile.ico").toStdString();
  const std::string jpeg_loaded = LoadInSmallProcess(Data("own/photo.jpg")).line;
  const std::string ico_loaded = LoadInSmallProcess(Data("image-rs/smile.ico")).line;
  ASSERT_EQ(jpeg_loaded.rfind("loaded ", 0), 0u);
  ASSERT_EQ(ico_loaded.rfind("loaded ", 0), 0u);
  EXPECT_EQ(OutputOf(program + "'" + jpeg + "'"), "library: no\n" + jpeg_loaded + "library: yes\n");
  EXPECT_EQ(OutputOf(program + "'" + ico + "'"), "library: no\n" + ico_loaded + "library: no\n");

  // Copies of the program: beside no module, and beside a file that is not one.
  for (const bool garbage : {false, true}) {
    SCOPED_TRACE(garbage ? "not a module" : "no module");
    const test::TempDir root;
    std::filesystem::create_directories(root / "bin");
    std::filesystem::copy_file(VLS_BIN_DIR "/picture_load", root / "bin/picture_load");
    if (garbage) {
      std::filesystem::create_directories(root / "lib/veilstore");
      Write(QString::fromStdString(root / "lib/veilstore/veilstore-picture.so"), "MZ not a module");
    }
    const std::string copy = root / "bin/picture_load --library ";
    const std::string failed = OutputOf(copy + "'" + jpeg + "'");
    EXPECT_EQ(failed.rfind("library: no\nfailed The picture library could not be loaded: ", 0), 0u)
        << failed;
    EXPECT_EQ(OutputOf(copy + "'" + ico + "'"), "library: no\n" + ico_loaded + "library: no\n");
  }
}

TEST_F(PictureLoaderTest, ColourDepthFollowsTheResolution) {
  EXPECT_EQ(ColorDepthFor(LoadResolution::ColorVga, 32), 0);
  EXPECT_EQ(ColorDepthFor(LoadResolution::MonoChrome, 32), 1);
  EXPECT_EQ(ColorDepthFor(LoadResolution::Color16, 32), 4);
  EXPECT_EQ(ColorDepthFor(LoadResolution::Color256, 32), 8);
  EXPECT_EQ(ColorDepthFor(LoadResolution::ColorTrue, 1), 24);
  for (const auto& [bits, depth] : std::vector<std::pair<int, int>>{
           {1, 4}, {4, 4}, {5, 8}, {8, 8}, {15, 8}, {16, 24}, {24, 24}, {32, 24}}) {
    EXPECT_EQ(ColorDepthFor(LoadResolution::AutoMatic, bits), depth) << bits;
  }

  const QString path = WriteLargePicture(Temp("colours.png"), "png");
  const struct {
    int depth;
    int most;
  } cases[] = {{1, 2}, {0, 16}, {4, 16}, {8, 256}};
  for (const auto& c : cases) {
    for (bool dither : {false, true}) {
      const QImage image = LoadPicture(path, {c.depth, dither}).image;
      ASSERT_FALSE(image.isNull());
      EXPECT_LE(DistinctColors(image), c.most) << c.depth << " dither " << dither;
    }
  }
  EXPECT_GT(DistinctColors(LoadPicture(path, {24, true}).image), 256);
}

// ---- The public image suites, when this checkout has them -----------------

QString Shared(const char* folder) {
  return QStringLiteral(VLS_SHARED_TESTDATA_DIR "/") + QString::fromUtf8(folder);
}

QStringList FilesUnder(const QString& folder, const QStringList& patterns) {
  QStringList files;
  QDirIterator it(folder, patterns, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    files << it.next();
  files.sort();
  return files;
}

// Width and height of a PCX file from its header, read independently of
// the decoder under test.
QSize PcxSize(const QString& path) {
  const QByteArray head = Bytes(path).left(12);
  const auto word = [&](int at) {
    return static_cast<unsigned char>(head[at]) | (static_cast<unsigned char>(head[at + 1]) << 8);
  };
  return QSize(word(8) - word(4) + 1, word(10) - word(6) + 1);
}

// Width and height of a BMP file from its header (negative heights mark
// top-down files; the old OS/2 header holds 16-bit sides).
QSize BmpSize(const QString& path) {
  const QByteArray head = Bytes(path).left(26);
  const auto byte = [&](int at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(head[at]));
  };
  const auto word = [&](int at) { return byte(at) | (byte(at + 1) << 8); };
  const auto dword = [&](int at) { return word(at) | (word(at + 2) << 16); };
  if (dword(14) == 12)
    return QSize(static_cast<int>(word(18)), static_cast<int>(word(20)));
  const auto height = static_cast<std::int32_t>(dword(22));
  return QSize(static_cast<int>(dword(18)), height < 0 ? -height : height);
}

// Width and height of the first icon of an ICO directory (0 means 256).
QSize IcoSize(const QString& path) {
  const QByteArray head = Bytes(path).left(8);
  const auto side = [&](int at) {
    const int value = static_cast<unsigned char>(head[at]);
    return value == 0 ? 256 : value;
  };
  return QSize(side(6), side(7));
}

class PictureSuiteTest : public PictureLoaderTest {
 protected:
  void SetUp() override {
    if (!QFileInfo(Shared("")).isDir())
      GTEST_SKIP() << "no shared test data at " VLS_SHARED_TESTDATA_DIR;
  }
  void ExpectLoads(const QString& path, QSize expected) {
    SCOPED_TRACE(path.toStdString());
    const LoadedPicture loaded = LoadPicture(path);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.decoder_message.toStdString();
    EXPECT_EQ(QSize(loaded.width, loaded.height), expected);
    EXPECT_EQ(loaded.image.size(), expected);
  }
  // A bad file either fails cleanly (or is refused as too large) with both
  // messages and no picture, or (lenient decoders) yields a picture with a
  // real size. Never a crash.
  void ExpectCleanOutcome(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    const LoadedPicture loaded = LoadPicture(path);
    if (loaded.outcome == LoadOutcome::Loaded) {
      EXPECT_GT(loaded.width, 0);
      EXPECT_GT(loaded.height, 0);
      EXPECT_EQ(loaded.image.size(), QSize(loaded.width, loaded.height));
      return;
    }
    ASSERT_TRUE(loaded.outcome == LoadOutcome::Failed || loaded.outcome == LoadOutcome::TooLarge);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_EQ(loaded.width, 0);
    EXPECT_FALSE(loaded.decoder_message.isEmpty());
    const PictureKind kind = KindOfExtension(QLatin1Char('.') + QFileInfo(path).suffix());
    EXPECT_EQ(loaded.failure_notice.isEmpty(), !IsLibraryKind(kind));
  }
};

TEST_F(PictureSuiteTest, EveryValidPngBmpTiffAndGifLoadsWithTheRightSize) {
  // Qt's own readers, and the header for BMP (Qt reads no top-down BMP),
  // serve as the independent reference for the size.
  QStringList files = FilesUnder(Shared("pngsuite/png"), {"*.png"});
  files.removeIf([](const QString& f) { return QFileInfo(f).fileName().startsWith('x'); });
  files << FilesUnder(Shared("bmpsuite/g"), {"*.bmp"});
  files << FilesUnder(Shared("libtiffpic"), {"*.tif", "*.tiff"});
  files << FilesUnder(Shared("libtiff-test-images"), {"*.tif", "*.tiff"});
  files << FilesUnder(Shared("peterdn-gif-test-suite/gifs"), {"*.gif"});
  files << FilesUnder(Shared("commons-imaging"), {"*.gif"}).filter("/single/");
  // ThunderScan text.tif stops short of its last rows for every decoder.
  files.removeIf([](const QString& f) { return f.endsWith("/libtiffpic/text.tif"); });
  ASSERT_GT(files.size(), 250);
  for (const QString& path : files) {
    const QSize size = path.endsWith(".bmp") ? BmpSize(path) : QImageReader(path).size();
    if (!size.isValid()) {
      ADD_FAILURE() << "Qt cannot size " << path.toStdString();
      continue;
    }
    ExpectLoads(path, size);
  }
}

// PngSuite publishes every picture as [r,g,b,a,...]; 16-bit pictures in
// 16-bit numbers unless a "_to8" copy exists.
TEST_F(PictureSuiteTest, EveryValidPngMatchesTheSuitesPixels) {
  QStringList files = FilesUnder(Shared("pngsuite/png"), {"*.png"});
  files.removeIf([](const QString& f) { return QFileInfo(f).fileName().startsWith('x'); });
  ASSERT_GT(files.size(), 150);
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    const QString base = Shared("pngsuite/json/") + QFileInfo(path).completeBaseName();
    const bool to8 = QFileInfo::exists(base + "_to8.json");
    const QJsonArray expected =
        QJsonDocument::fromJson(Bytes(to8 ? base + "_to8.json" : base + ".json")).array();
    const int scale = !to8 && base.endsWith("16") ? 257 : 1;
    const QImage image = LoadPicture(path).image.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(expected.size(), qsizetype{4} * image.width() * image.height());
    int wrong = 0;
    for (int i = 0; i < image.width() * image.height() && wrong < 3; ++i) {
      const QRgb got = image.pixel(i % image.width(), i / image.width());
      const auto want = [&](int channel) {
        return (expected[4 * i + channel].toInt() + scale / 2) / scale;
      };
      const bool opaque_enough = want(3) >= 128;  // faint pixels lose colour precision
      if (std::abs(qAlpha(got) - want(3)) > 2 ||
          (opaque_enough &&
           (std::abs(qRed(got) - want(0)) > 2 || std::abs(qGreen(got) - want(1)) > 2 ||
            std::abs(qBlue(got) - want(2)) > 2))) {
        ADD_FAILURE() << "pixel " << i << ": " << std::hex << got;
        ++wrong;
      }
    }
  }
}

TEST_F(PictureSuiteTest, EveryValidPcxAndIconLoads) {
  QStringList pcx = FilesUnder(Shared("commons-imaging"), {"*.pcx"});
  // One plane of 24 or 32 bits is no standard PCX layout.
  pcx.removeIf(
      [](const QString& f) { return f.contains("1plane24bpp") || f.contains("1plane32bpp"); });
  pcx << Shared("pillow/Tests/images/pil184.pcx") << Shared("pillow/Tests/images/odd_stride.pcx");
  ASSERT_GE(pcx.size(), 12);
  for (const QString& path : pcx)
    ExpectLoads(path, PcxSize(path));

  const QStringList icons = FilesUnder(Shared("image-rs/tests/images/ico/images"), {"*.ico"});
  ASSERT_GE(icons.size(), 10);
  for (const QString& path : icons)
    ExpectLoads(path, IcoSize(path));
}

TEST_F(PictureSuiteTest, CorruptPngsAllFail) {
  const QStringList files = FilesUnder(Shared("pngsuite/png"), {"x*.png"});
  ASSERT_EQ(files.size(), 14);
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    const LoadedPicture loaded = LoadPicture(path);
    EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_EQ(loaded.failure_notice, QStringLiteral("Reading png file failed"));
  }
}

TEST_F(PictureSuiteTest, BadAndFuzzedFilesEndCleanly) {
  QStringList files = FilesUnder(Shared("bmpsuite/b"), {"*.bmp"});
  files << FilesUnder(Shared("bmpsuite/q"), {"*.bmp"});
  files << FilesUnder(Shared("libnsgif"), {"*.gif"});
  files << FilesUnder(Shared("image-gif/tests"), {"*.gif"});
  files << FilesUnder(Shared("wuffs-gif"), {"*.gif"});
  files << FilesUnder(Shared("image-rs/tests/bad"), {"*.*"});
  files << FilesUnder(Shared("pillow/Tests/images"), {"*.gif", "*.pcx", "*.tif", "*.ico", "*.wmf"});
  files << FilesUnder(Shared("commons-imaging"), {"*.gif", "*.ico"});
  ASSERT_GT(files.size(), 400);
  for (const QString& path : files)
    ExpectCleanOutcome(path);
}

}  // namespace
}  // namespace vls
