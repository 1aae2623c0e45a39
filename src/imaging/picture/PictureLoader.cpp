#include "imaging/picture/PictureLoader.h"

#include <malloc.h>
#include <sys/mman.h>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// GraphicsMagick's C interface.
#include <magick/api.h>

#include "imaging/picture/PictureState.h"

namespace vls {
namespace {

// A size from the library's numbers, each clamped to what QSize holds.
QSize SizeOf(unsigned long width, unsigned long height) {
  const auto side = [](unsigned long n) {
    return static_cast<int>(std::min<unsigned long>(n, INT_MAX));
  };
  return {side(width), side(height)};
}

std::int64_t Area(QSize size) {
  return std::int64_t{size.width()} * size.height();
}

bool TooManyPixels(QSize size) {
  return Area(size) > kMaxPicturePixels;
}

// The refusal of a picture beyond kMaxPicturePixels, with its size when known.
QString TooLargeMessage(QSize size = {}) {
  const QString limit = QStringLiteral("more than the %1 million pixels a picture may have")
                            .arg(kMaxPicturePixels / 1000000);
  if (size.isEmpty())
    return QStringLiteral("Picture too large: ") + limit;
  return QStringLiteral("Picture too large: %1 x %2 pixels, ")
             .arg(size.width())
             .arg(size.height()) +
         limit;
}

// The load in progress, for the decoder's progress monitor (a plain C
// callback without a user pointer). One load at a time, on the UI thread.
struct LoadProgress {
  int last_percent = 0;
  bool cancelled = false;
  const bool* stop = nullptr;
};
thread_local LoadProgress* current_load = nullptr;
// Set while GraphicsMagick works for a load. The library holds a lock while
// it calls the progress monitor, so a second decode started from inside
// ProgressHook would wait for that lock for ever.
thread_local bool magick_busy = false;

// Turns the decoder's row counts into percentages for ProgressHook. Only
// rising percentages are passed on, so the gauge never runs backwards over
// the passes of an interlaced picture.
MagickPassFail MonitorToProgressHook(const char* /*text*/, const magick_int64_t quantum,
                                     const magick_uint64_t span, ExceptionInfo* /*exception*/) {
  LoadProgress* load = current_load;
  if (load == nullptr)
    return MagickPass;
  if (load->stop != nullptr && *load->stop)
    load->cancelled = true;
  if (load->cancelled)
    return MagickFail;
  if (span == 0 || quantum < 0)
    return MagickPass;
  const auto done = static_cast<magick_uint64_t>(quantum) + 1;
  const int percent = static_cast<int>(std::min<magick_uint64_t>(100, done * 100 / span));
  if (percent <= load->last_percent)
    return MagickPass;
  load->last_percent = percent;
  if (ProgressHook && ProgressHook(percent) == 0)
    load->cancelled = true;
  if (load->stop != nullptr && *load->stop)
    load->cancelled = true;
  return load->cancelled ? MagickFail : MagickPass;
}

// Installs the monitor for the lifetime of one decode and restores what was
// there before. ProgressHook may process window events and so start
// another load inside this one; the inner load then restores the outer one's.
class MonitorScope {
 public:
  explicit MonitorScope(LoadProgress& load)
      : previous_(SetMonitorHandler(MonitorToProgressHook)), previous_load_(current_load) {
    current_load = &load;
  }
  ~MonitorScope() {
    current_load = previous_load_;
    SetMonitorHandler(previous_);
  }
  MonitorScope(const MonitorScope&) = delete;
  MonitorScope& operator=(const MonitorScope&) = delete;

 private:
  MonitorHandler previous_;
  LoadProgress* previous_load_;
};

struct ImageInfoDeleter {
  void operator()(ImageInfo* info) const { DestroyImageInfo(info); }
};
struct ImageListDeleter {
  void operator()(Image* image) const { DestroyImageList(image); }
};
using ImageInfoPtr = std::unique_ptr<ImageInfo, ImageInfoDeleter>;
using ImagePtr = std::unique_ptr<Image, ImageListDeleter>;

class Exception {
 public:
  Exception() { GetExceptionInfo(&info_); }
  ~Exception() { DestroyExceptionInfo(&info_); }
  Exception(const Exception&) = delete;
  Exception& operator=(const Exception&) = delete;
  ExceptionInfo* get() { return &info_; }
  bool IsError() const { return info_.severity >= ErrorException; }
  bool IsResourceLimit() const {
    return info_.severity == ResourceLimitError || info_.severity == ResourceLimitFatalError;
  }
  QString Message() const {
    QString text = QString::fromLocal8Bit(info_.reason ? info_.reason : "");
    if (info_.description != nullptr && *info_.description != '\0') {
      text += QStringLiteral(" (") + QString::fromLocal8Bit(info_.description) + QLatin1Char(')');
    }
    return text.isEmpty() ? QStringLiteral("The picture could not be decoded") : text;
  }

 private:
  ExceptionInfo info_;
};

const char* MagickNameOf(PictureKind kind) {
  switch (kind) {
    case PictureKind::Bmp:
      return "BMP";
    case PictureKind::Jpeg:
      return "JPEG";
    case PictureKind::Gif:
      return "GIF";
    case PictureKind::Png:
      return "PNG";
    case PictureKind::Pcx:
      return "PCX";
    case PictureKind::Tiff:
      return "TIFF";
    case PictureKind::Wmf:
      return "WMF";
    default:
      return "";
  }
}

QString FailureNotice(PictureKind kind) {
  switch (kind) {
    case PictureKind::Bmp:
      return QStringLiteral("Reading bmp file failed");
    case PictureKind::Jpeg:
      return QStringLiteral("Reading jpg file failed");
    case PictureKind::Gif:
      return QStringLiteral("Reading gif file failed");
    case PictureKind::Png:
      return QStringLiteral("Reading png file failed");
    case PictureKind::Pcx:
      return QStringLiteral("Reading pcx file failed");
    case PictureKind::Tiff:
      return QStringLiteral("Reading tif file failed");
    default:
      return QString();
  }
}

// CRC-32 of PNG chunks (ISO 3309, reflected, polynomial 0xEDB88320).
class Crc32 {
 public:
  Crc32() {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      table_[n] = c;
    }
  }
  std::uint32_t Update(std::uint32_t crc, const unsigned char* bytes, std::size_t size) const {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
      crc = table_[(crc ^ bytes[i]) & 0xFFU] ^ (crc >> 8);
    return ~crc;
  }

 private:
  std::array<std::uint32_t, 256> table_{};
};

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// What the loader checks itself in a PNG before and after decoding.
struct PngScan {
  // The PNG decoder underneath accepts chunks whose checksum is wrong. A
  // critical chunk (IHDR, PLTE, IDAT, IEND: upper-case first letter) with a
  // bad checksum means a damaged file, refused before decoding. Files that
  // end early are left to the decoder.
  bool intact = true;
  // The decoder marks 8-bit truecolour files with a transparent colour
  // (tRNS) as having alpha but leaves every pixel opaque; the loader applies
  // the colour itself.
  bool has_color_key = false;
  QRgb color_key = 0;
  // From IHDR: the size is known before the library reads the file (its
  // header reader refuses a size past its pixel limit without telling it).
  QSize size;
};

PngScan ScanPng(const QString& path) {
  static const Crc32 crc;
  PngScan scan;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return scan;
  unsigned char head[8];
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.read(reinterpret_cast<char*>(head), 8) != 8 || std::memcmp(head, kSignature, 8) != 0) {
    return scan;
  }
  bool truecolor8 = false;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    if (file.read(reinterpret_cast<char*>(head), 8) != 8)
      return scan;
    const std::uint32_t length = BigEndian32(head);
    if (length > 0x7FFFFFFFU) {
      scan.intact = false;
      return scan;
    }
    const bool critical = head[4] >= 'A' && head[4] <= 'Z';
    std::uint32_t sum = crc.Update(0, head + 4, 4);
    for (std::uint32_t left = length; left > 0;) {
      const auto want = std::min<std::uint32_t>(left, static_cast<std::uint32_t>(buffer.size()));
      if (file.read(reinterpret_cast<char*>(buffer.data()), want) != want)
        return scan;
      sum = crc.Update(sum, buffer.data(), want);
      left -= want;
    }
    unsigned char stored[4];
    if (file.read(reinterpret_cast<char*>(stored), 4) != 4)
      return scan;
    if (critical && BigEndian32(stored) != sum) {
      scan.intact = false;
      return scan;
    }
    if (std::memcmp(head + 4, "IHDR", 4) == 0 && length >= 13) {
      truecolor8 = buffer[8] == 8 && buffer[9] == 2;  // bit depth 8, colour type 2
      scan.size = SizeOf(BigEndian32(buffer.data()), BigEndian32(buffer.data() + 4));
    } else if (std::memcmp(head + 4, "tRNS", 4) == 0 && truecolor8 && length == 6) {
      scan.has_color_key = true;
      scan.color_key = qRgb(buffer[1], buffer[3], buffer[5]);
    } else if (std::memcmp(head + 4, "IEND", 4) == 0) {
      return scan;
    }
  }
}

// Makes every pixel of the transparent colour transparent.
QImage ApplyColorKey(const QImage& picture, QRgb key) {
  QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((line[x] & 0x00FFFFFFU) == (key & 0x00FFFFFFU))
        line[x] = 0;
    }
  }
  keyed.convertTo(QImage::Format_ARGB32_Premultiplied);
  return keyed;
}

// Reduces the colours of a decoded picture to what the colour depth allows.
void ReduceColors(Image* image, int depth, bool dither) {
  if (depth >= 24)
    return;
  QuantizeInfo quantize;
  GetQuantizeInfo(&quantize);
  quantize.number_colors = depth == 0 ? 16 : (1UL << depth);
  quantize.dither = dither ? 1U : 0U;
  if (depth == 1)
    quantize.colorspace = GRAYColorspace;
  QuantizeImage(&quantize, image);
}

// Large blocks of memory backed by transparent huge pages where the kernel
// offers them. Decoding a big picture touches hundreds of megabytes of fresh
// memory (the library's 16-bit pixel cache and the picture), and in 4 KiB
// pages those faults cost more than the decoding itself.
class HugeBlocks {
 public:
  static constexpr std::size_t kHugePage = 2 * 1024 * 1024;
  static constexpr std::size_t kThreshold = 4 * kHugePage;

  // A block of at least size bytes aligned to a huge page, or null.
  static void* Allocate(std::size_t size) {
    const std::size_t total = size + kHugePage;
    void* base = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
      return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(base);
    void* block = reinterpret_cast<void*>((start + kHugePage - 1) & ~(kHugePage - 1));
    ::madvise(block, size, MADV_HUGEPAGE);
    State& state = Blocks();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.blocks.push_back({block, base, total, size});
    return block;
  }
  // Releases a block of Allocate and answers true, or answers false for
  // memory that came from elsewhere.
  static bool Release(void* block) {
    Block found{};
    {
      State& state = Blocks();
      const std::lock_guard<std::mutex> lock(state.mutex);
      const auto it = std::find_if(state.blocks.begin(), state.blocks.end(),
                                   [block](const Block& b) { return b.block == block; });
      if (it == state.blocks.end())
        return false;
      found = *it;
      state.blocks.erase(it);
    }
    ::munmap(found.base, found.total);
    return true;
  }
  // Size of a block of Allocate, or 0 for memory that came from elsewhere.
  static std::size_t SizeOf(void* block) {
    State& state = Blocks();
    const std::lock_guard<std::mutex> lock(state.mutex);
    for (const Block& b : state.blocks) {
      if (b.block == block)
        return b.size;
    }
    return 0;
  }

 private:
  struct Block {
    void* block;
    void* base;
    std::size_t total;
    std::size_t size;
  };
  struct State {
    std::mutex mutex;
    std::vector<Block> blocks;
  };
  // Never destroyed: the library and pictures may free blocks during exit.
  static State& Blocks() {
    static State* state = new State;
    return *state;
  }
};

// The library's allocator: large blocks from HugeBlocks, the rest from malloc.
void* MagickAllocate(std::size_t size) {
  if (size >= HugeBlocks::kThreshold) {
    if (void* block = HugeBlocks::Allocate(size))
      return block;
  }
  return std::malloc(size);
}

void MagickRelease(void* memory) {
  if (memory != nullptr && !HugeBlocks::Release(memory))
    std::free(memory);
}

void* MagickResize(void* memory, std::size_t size) {
  if (memory == nullptr)
    return MagickAllocate(size);
  const std::size_t huge_size = HugeBlocks::SizeOf(memory);
  if (huge_size == 0 && size < HugeBlocks::kThreshold)
    return std::realloc(memory, size);
  if (size == 0) {
    MagickRelease(memory);
    return nullptr;
  }
  void* resized = MagickAllocate(size);
  if (resized == nullptr)
    return nullptr;
  const std::size_t old_size = huge_size != 0 ? huge_size : ::malloc_usable_size(memory);
  std::memcpy(resized, memory, std::min(old_size, size));
  MagickRelease(memory);
  return resized;
}

QImage NewImage(int width, int height, QImage::Format format) {
  const auto bytes_per_line = static_cast<std::size_t>(width) * 4;
  const std::size_t size = bytes_per_line * static_cast<std::size_t>(height);
  if (size < HugeBlocks::kThreshold)
    return QImage(width, height, format);
  void* pixels = HugeBlocks::Allocate(size);
  if (pixels == nullptr)
    return QImage(width, height, format);
  return QImage(
      static_cast<uchar*>(pixels), width, height, static_cast<qsizetype>(bytes_per_line), format,
      [](void* block) { HugeBlocks::Release(block); }, pixels);
}

void InitMagickOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    MagickAllocFunctions(MagickRelease, MagickAllocate, MagickResize);
    InitializeMagick(nullptr);
    // The library's own refusal, should a decoder get past the header check.
    SetMagickResourceLimit(PixelsResource, kMaxPicturePixels);
    // Decoded pixels stay in memory: the library would otherwise move a
    // large picture's pixels into a temporary file, a plain copy on disk.
    SetMagickResourceLimit(DiskResource, 0);
    SetMagickResourceLimit(MapResource, 0);
  });
}

// Copies GraphicsMagick's pixels into a QImage, row by row; the result is
// the only copy that outlives the load. (The library's generic DispatchImage
// is ten times slower than this loop for the common 8-bit cases.)
QImage ToQImage(Image* image, Exception& exception) {
  if (!IsRGBCompatibleColorspace(image->colorspace) &&
      TransformColorspace(image, RGBColorspace) != MagickPass) {
    return QImage();
  }
  const auto columns = image->columns;
  const auto rows = image->rows;
  const bool alpha = image->matte != 0;
  QImage out = NewImage(static_cast<int>(columns), static_cast<int>(rows),
                        alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out.isNull())
    return out;
  for (unsigned long y = 0; y < rows; ++y) {
    const PixelPacket* pixels =
        AcquireImagePixels(image, 0, static_cast<long>(y), columns, 1, exception.get());
    if (pixels == nullptr)
      return QImage();
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y)));
    if (alpha) {
      // The library keeps opacity (0 = opaque), Qt keeps alpha.
      for (unsigned long x = 0; x < columns; ++x) {
        const PixelPacket& p = pixels[x];
        line[x] = qRgba(ScaleQuantumToChar(p.red), ScaleQuantumToChar(p.green),
                        ScaleQuantumToChar(p.blue), 255 - ScaleQuantumToChar(p.opacity));
      }
    } else {
      for (unsigned long x = 0; x < columns; ++x) {
        const PixelPacket& p = pixels[x];
        line[x] = qRgb(ScaleQuantumToChar(p.red), ScaleQuantumToChar(p.green),
                       ScaleQuantumToChar(p.blue));
      }
    }
  }
  if (alpha)
    out.convertTo(QImage::Format_ARGB32_Premultiplied);
  return out;
}

// A GIF frame may be smaller than the GIF's logical screen or lie off its
// origin: the picture is the screen, transparent where the frame does not
// cover it, as other viewers show it.
QImage OnLogicalScreen(QImage frame, const Image* image) {
  const auto& page = image->page;
  const bool fills = page.x == 0 && page.y == 0 &&
                     (page.width == 0 || page.width == image->columns) &&
                     (page.height == 0 || page.height == image->rows);
  if (fills || page.width == 0 || page.height == 0 ||
      TooManyPixels(SizeOf(page.width, page.height))) {
    return frame;
  }
  QImage screen(static_cast<int>(page.width), static_cast<int>(page.height),
                QImage::Format_ARGB32_Premultiplied);
  if (screen.isNull())
    return frame;
  screen.fill(Qt::transparent);
  QPainter painter(&screen);
  painter.drawImage(QPoint(static_cast<int>(page.x), static_cast<int>(page.y)), frame);
  painter.end();
  return screen;
}

// Why the file's header makes the picture too large to decode, or nothing.
// A size already `known` comes first. Otherwise the header is read without
// decoding; the size is the picture's own, or for a GIF its logical screen
// when that is larger (the picture is composed onto it). Some decoders apply
// the library's pixel limit to the header themselves and refuse without
// giving the size. A header that cannot be read is left to the decode, which
// says why.
QString HeaderRefusal(const ImageInfo* info, PictureKind kind, QSize known) {
  if (TooManyPixels(known))
    return TooLargeMessage(known);
  ImageInfoPtr ping(CloneImageInfo(info));
  Exception exception;
  const ImagePtr header(PingImage(ping.get(), exception.get()));
  if (!header)
    return exception.IsResourceLimit() ? TooLargeMessage() : QString();
  const QSize picture = SizeOf(header->columns, header->rows);
  const QSize screen = SizeOf(header->page.width, header->page.height);
  const QSize size = kind == PictureKind::Gif && Area(screen) > Area(picture) ? screen : picture;
  return TooManyPixels(size) ? TooLargeMessage(size) : QString();
}

void LoadWithMagick(const QString& path, PictureKind kind, const LoadOptions& options,
                    LoadedPicture& result) {
  if (magick_busy) {
    result.outcome = LoadOutcome::Busy;
    return;
  }
  InitMagickOnce();
  const bool with_progress = IsLibraryKind(kind);
  LoadProgress load;
  load.stop = options.stop;
  if ((with_progress && ProgressHook && ProgressHook(0) == 0) ||
      (options.stop != nullptr && *options.stop)) {
    result.outcome = LoadOutcome::Cancelled;
    return;
  }

  const PngScan png = kind == PictureKind::Png ? ScanPng(path) : PngScan{};
  if (!png.intact) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("PNG file corrupted: a critical chunk fails its CRC");
    return;
  }

  ImageInfoPtr info(CloneImageInfo(nullptr));
  // The extension alone chooses the decoder: naming the format stops the
  // library from guessing it from the contents.
  const std::string name = std::string(MagickNameOf(kind)) + ":" +
                           QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
  if (name.size() >= MaxTextExtent) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("File name too long");
    return;
  }
  std::memcpy(info->filename, name.c_str(), name.size() + 1);
  info->subimage = 0;  // first frame only
  info->subrange = 1;

  // A small file may declare a picture of gigabytes: its header decides
  // before anything is decoded.
  magick_busy = true;
  QString refusal = HeaderRefusal(info.get(), kind, png.size);
  magick_busy = false;
  if (!refusal.isEmpty()) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = std::move(refusal);
    return;
  }

  Exception exception;
  ImagePtr image;
  magick_busy = true;
  if (with_progress) {
    MonitorScope monitor(load);
    image.reset(ReadImage(info.get(), exception.get()));
  } else {
    image.reset(ReadImage(info.get(), exception.get()));
  }
  magick_busy = false;
  if (load.cancelled) {
    result.outcome = LoadOutcome::Cancelled;
    return;
  }
  if (!image || exception.IsError() || image->columns == 0 || image->rows == 0) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = exception.Message();
    return;
  }
  // The decoder reports its last row; a decoder that reports nothing still
  // ends the gauge at 100.
  if (with_progress && load.last_percent < 100 && ProgressHook)
    ProgressHook(100);

  ReduceColors(image.get(), options.color_depth, options.dither);
  QImage picture = ToQImage(image.get(), exception);
  if (kind == PictureKind::Gif && !picture.isNull()) {
    picture = OnLogicalScreen(std::move(picture), image.get());
  }
  if (png.has_color_key && options.color_depth >= 24 && !picture.isNull()) {
    picture = ApplyColorKey(picture, png.color_key);
  }
  image.reset();
  if (picture.isNull()) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = exception.IsError()
                                 ? exception.Message()
                                 : QStringLiteral("Not enough memory for the picture");
    return;
  }
  result.outcome = LoadOutcome::Loaded;
  result.image = std::move(picture);
}

void LoadWithQt(const QString& path, PictureKind kind, LoadedPicture& result) {
  QImageReader reader(path);
  if (kind == PictureKind::Ico) {
    reader.setFormat("ico");
    reader.setDecideFormatFromContent(false);
  }
  if (const QSize declared = reader.size(); TooManyPixels(declared)) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = TooLargeMessage(declared);
    return;
  }
  QImage picture = reader.read();
  if (picture.isNull()) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = reader.errorString();
    return;
  }
  result.outcome = LoadOutcome::Loaded;
  result.image = std::move(picture);
}

}  // namespace

int ColorDepthFor(LoadResolution resolution, int display_bits_per_pixel) {
  switch (resolution) {
    case LoadResolution::ColorVga:
      return 0;
    case LoadResolution::MonoChrome:
      return 1;
    case LoadResolution::Color16:
      return 4;
    case LoadResolution::Color256:
      return 8;
    case LoadResolution::ColorTrue:
      return 24;
    case LoadResolution::AutoMatic:
      break;
  }
  if (display_bits_per_pixel <= 4)
    return 4;
  if (display_bits_per_pixel < 16)
    return 8;
  return 24;
}

PictureKind KindOfExtension(const QString& extension) {
  const QString upper = extension.toUpper();
  if (upper == QLatin1String(".BMP"))
    return PictureKind::Bmp;
  if (upper == QLatin1String(".JPG") || upper == QLatin1String(".JPEG"))
    return PictureKind::Jpeg;
  if (upper == QLatin1String(".GIF"))
    return PictureKind::Gif;
  if (upper == QLatin1String(".PNG"))
    return PictureKind::Png;
  if (upper == QLatin1String(".PCX"))
    return PictureKind::Pcx;
  if (upper == QLatin1String(".TIF") || upper == QLatin1String(".TIFF"))
    return PictureKind::Tiff;
  if (upper == QLatin1String(".WMF"))
    return PictureKind::Wmf;
  if (upper == QLatin1String(".ICO"))
    return PictureKind::Ico;
  return PictureKind::Other;
}

bool IsLibraryKind(PictureKind kind) {
  return kind == PictureKind::Bmp || kind == PictureKind::Jpeg || kind == PictureKind::Gif ||
         kind == PictureKind::Png || kind == PictureKind::Pcx || kind == PictureKind::Tiff;
}

LoadedPicture LoadPicture(const QString& path, const LoadOptions& options) {
  LoadedPicture result;
  const QFileInfo file(path);
  if (path.isEmpty() || !file.isFile()) {
    result.outcome = LoadOutcome::NotFound;
    result.status = QString::fromLatin1(kStatusNotFound);
    return result;
  }
  const int dot = file.fileName().lastIndexOf(QLatin1Char('.'));
  const PictureKind kind = KindOfExtension(dot < 0 ? QString() : file.fileName().mid(dot));
  result.file_size = file.size();
  result.status = IsLibraryKind(kind) ? path.toUpper() : QString::fromLatin1(kStatusNotLibrary);

  if (kind == PictureKind::Ico || kind == PictureKind::Other) {
    LoadWithQt(path, kind, result);
  } else {
    LoadWithMagick(path, kind, options, result);
  }
  if (result.outcome == LoadOutcome::Failed || result.outcome == LoadOutcome::TooLarge)
    result.failure_notice = FailureNotice(kind);
  if (result.outcome == LoadOutcome::Loaded) {
    result.width = result.image.width();
    result.height = result.image.height();
  }
  return result;
}

}  // namespace vls
