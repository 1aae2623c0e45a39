// Pictures decoded from memory: the same result as from the file, hostile
// buffers and names refused cleanly, and no file created anywhere on the way
// (the library would otherwise copy bytes it cannot read in memory into a
// temporary file, a plain copy on disk).

#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>

// GraphicsMagick's C interface: the coder table and a coder that spills.
#include <magick/api.h>

#include "imaging/HugePictures.h"
#include "imaging/picture/PictureLoader.h"
#include "imaging/picture/Thumbnail.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

QString Data(const char* name) {
  return QStringLiteral(VLS_TEST_DATA_DIR "/pictures/") + QString::fromUtf8(name);
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

const char* const kOneOfEachKind[] = {
    "pngsuite/basn2c08.png",  "pngsuite/basn6a08.png", "pngsuite/xcsn0g01.png", "bmpsuite/pal8.bmp",
    "bmpsuite/shortfile.bmp", "own/photo.jpg",         "own/screen.gif",        "own/small.pcx",
    "own/small.tif",          "pillow/drawing.wmf",    "image-rs/smile.ico",
};

TEST(PictureBytes, LoadLikeTheFileTheyCameFrom) {
  for (const char* file : kOneOfEachKind) {
    SCOPED_TRACE(file);
    const QString path = Data(file);
    const QString name = QFileInfo(path).fileName();
    const QByteArray bytes = Bytes(path);
    const LoadedPicture from_file = LoadPicture(path);
    const LoadedPicture from_memory = LoadPictureBytes(Span(bytes), name);
    EXPECT_EQ(from_memory.outcome, from_file.outcome);
    EXPECT_EQ(from_memory.image, from_file.image);  // every pixel
    EXPECT_EQ(from_memory.width, from_file.width);
    EXPECT_EQ(from_memory.height, from_file.height);
    EXPECT_EQ(from_memory.file_size, from_file.file_size);
    EXPECT_EQ(from_memory.failure_notice, from_file.failure_notice);
    EXPECT_EQ(from_memory.decoder_message.isEmpty(), from_file.decoder_message.isEmpty());
    const bool library = IsLibraryKind(KindOfPath(name));
    EXPECT_EQ(from_memory.status, library ? name.toUpper() : from_file.status);
  }
}

TEST(PictureBytes, HostileBuffersAreRefusedCleanly) {
  const QByteArray jpeg = Bytes(Data("own/photo.jpg"));
  const QByteArray png = Bytes(Data("pngsuite/basn2c08.png"));
  const struct {
    const char* name;
    QByteArray bytes;
    LoadOutcome outcome;
  } cases[] = {
      {"empty.jpg", {}, LoadOutcome::Failed},
      {"empty.ico", {}, LoadOutcome::Failed},
      {"cut.jpg", jpeg.left(jpeg.size() / 3), LoadOutcome::Failed},
      {"cut.png", png.left(40), LoadOutcome::Failed},
      {"signature.gif", QByteArray("GIF89a"), LoadOutcome::Failed},
      {"noise.tif", QByteArray("II*\0\xff\xff\xff\x7f", 8), LoadOutcome::Failed},
      {"noise.pcx", QByteArray(40, '\x0A'), LoadOutcome::Failed},
      {"jpeg-named.png", jpeg, LoadOutcome::Failed},  // the name picks the decoder
      {"huge.png", test::PngDeclaring(16000, 16000, true), LoadOutcome::TooLarge},
      {"huge.jpg", test::JpegDeclaring(16000, 16000), LoadOutcome::TooLarge},
      {"huge.gif", test::GifDeclaring(65535, 65535), LoadOutcome::TooLarge},
      {"huge.bmp", test::BmpDeclaring(16000, 16000), LoadOutcome::TooLarge},
      {"huge.pcx", test::PcxDeclaring(16000, 16000), LoadOutcome::TooLarge},
      {"huge.tif", test::TiffDeclaring(16000, 16000), LoadOutcome::TooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    const LoadedPicture loaded = LoadPictureBytes(Span(c.bytes), QString::fromLatin1(c.name));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(loaded.outcome, c.outcome);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_FALSE(loaded.decoder_message.isEmpty());
    EXPECT_EQ(loaded.file_size, c.bytes.size());
  }
}

// The stored name is anyone's: the library must see only its extension, never
// a file to open, a size to apply or standard input to read.
TEST(PictureBytes, HostileNamesOnlyChooseTheDecoder) {
  const QByteArray jpeg = Bytes(Data("own/photo.jpg"));
  const QImage expected = LoadPicture(Data("own/photo.jpg")).image;
  for (const char* name : {"photo[2x2].jpg", "-.jpg", "|true.jpg", "@list.jpg", "%d%s.jpg",
                           "../../../etc/passwd.jpg", "PNG:photo.jpg", "photo.jpg\n.jpg"}) {
    SCOPED_TRACE(name);
    const LoadedPicture loaded = LoadPictureBytes(Span(jpeg), QString::fromLatin1(name));
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.decoder_message.toStdString();
    EXPECT_EQ(loaded.image, expected);
    EXPECT_EQ(loaded.status, QString::fromLatin1(name).toUpper());
  }
}

// Watches a private folder, made the library's temporary folder, for any
// file created in it.
class TemporaryFolderWatch {
 public:
  explicit TemporaryFolderWatch(const std::string& folder)
      : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO);
  }
  ~TemporaryFolderWatch() { ::close(fd_); }
  TemporaryFolderWatch(const TemporaryFolderWatch&) = delete;
  TemporaryFolderWatch& operator=(const TemporaryFolderWatch&) = delete;
  bool Valid() const { return fd_ >= 0; }
  // Files created since the last call.
  int Created() {
    alignas(inotify_event) char buffer[4096];
    int count = 0;
    for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        ++count;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return count;
  }

 private:
  int fd_;
};

// The library's coder table, for a coder that spills (a proof that the
// watch sees a spill) and for faking a coder without blob support.
MagickInfo* Coder(const char* name) {
  ExceptionInfo exception;
  GetExceptionInfo(&exception);
  auto* coder = const_cast<MagickInfo*>(GetMagickInfo(name, &exception));
  DestroyExceptionInfo(&exception);
  return coder;
}

// Sets an environment variable for its lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PictureBytes, NoFileIsCreatedOnTheWay) {
  const test::TempDir folder;
  const ScopedVariable magick_tmpdir("MAGICK_TMPDIR", folder.path());
  const ScopedVariable tmpdir("TMPDIR", folder.path());
  TemporaryFolderWatch watch(folder.path());
  ASSERT_TRUE(watch.Valid());
  ASSERT_TRUE(DecodesFromMemory(PictureKind::Bmp));  // starts the library

  // The watch sees the library spill: its MATLAB reader has no blob support.
  ASSERT_NE(Coder("MAT"), nullptr);
  ASSERT_EQ(Coder("MAT")->blob_support, 0U);
  ImageInfo* info = CloneImageInfo(nullptr);
  std::strcpy(info->filename, "MAT:");
  ExceptionInfo exception;
  GetExceptionInfo(&exception);
  const char noise[] = "MATLAB 5.0 MAT-file, hostile";
  DestroyImageList(BlobToImage(info, noise, sizeof noise, &exception));
  DestroyExceptionInfo(&exception);
  DestroyImageInfo(info);
  ASSERT_GT(watch.Created(), 0) << "the watch does not see the library's temporary files";

  for (const char* file : kOneOfEachKind) {
    SCOPED_TRACE(file);
    const QString name = QFileInfo(Data(file)).fileName();
    const QByteArray bytes = Bytes(Data(file));
    const bool memory = DecodesFromMemory(KindOfPath(name));
    const LoadedPicture loaded = LoadPictureBytes(Span(bytes), name);
    DecodeThumbnail(Span(bytes), name, {16, 16});
    EXPECT_EQ(watch.Created(), 0);
    if (!memory) {
      EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    }
  }

  // A coder the table says cannot read memory is refused, not given a file.
  MagickInfo* pcx = Coder("PCX");
  ASSERT_NE(pcx, nullptr);
  pcx->blob_support = 0;
  EXPECT_FALSE(DecodesFromMemory(PictureKind::Pcx));
  const QByteArray bytes = Bytes(Data("own/small.pcx"));
  const LoadedPicture loaded = LoadPictureBytes(Span(bytes), "small.pcx");
  QString why;
  EXPECT_TRUE(DecodeThumbnail(Span(bytes), "small.pcx", {16, 16}, &why).isNull());
  pcx->blob_support = 1;
  EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
  EXPECT_EQ(loaded.failure_notice, "Reading pcx file failed");
  EXPECT_FALSE(why.isEmpty());
  EXPECT_EQ(watch.Created(), 0);
}

}  // namespace
}  // namespace vls
