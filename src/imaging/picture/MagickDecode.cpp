// GraphicsMagick's decode, inside the picture module: the checks before
// decoding (the library busy on this thread, the PNG scan, the size bound),
// the decode itself from a file or from memory, and the picture as a QImage.

#include "imaging/picture/MagickDecode.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cstring>
#include <string>
#include <utility>

#include "imaging/picture/MagickHeader.h"
#include "imaging/picture/MagickLibrary.h"
#include "imaging/picture/MagickProgress.h"
#include "imaging/picture/PictureSizeLimit.h"
#include "imaging/picture/PngScan.h"

namespace vls::picture {
namespace {

// A GIF frame may be smaller than the GIF's logical screen or lie off its
// origin: the picture is the screen, transparent where the frame does not
// cover it, as other viewers show it.
QImage OnLogicalScreen(QImage frame, const Image* image) {
  const auto& page = image->page;
  const bool fills = page.x == 0 && page.y == 0 &&
                     (page.width == 0 || page.width == image->columns) &&
                     (page.height == 0 || page.height == image->rows);
  if (fills || page.width == 0 || page.height == 0 ||
      TooManyPixels(PictureSize(page.width, page.height))) {
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

// Names the decoder and, for a file, the file. The extension alone chooses
// the decoder: naming the format stops the library from guessing it from the
// contents. Bytes in memory get no name at all, so nothing in the stored
// name (a size in brackets, a "-" for standard input) can reach the library.
bool NameTheSource(ImageInfo* info, const PictureSource& source, PictureKind kind) {
  std::string name = std::string(MagickNameOf(kind)) + ":";
  if (!source.in_memory)
    name += QFile::encodeName(QFileInfo(source.path).absoluteFilePath()).toStdString();
  if (name.size() >= MaxTextExtent)
    return false;
  std::memcpy(info->filename, name.c_str(), name.size() + 1);
  return true;
}

Image* Read(const ImageInfo* info, const PictureSource& source, ExceptionInfo* exception) {
  if (source.in_memory)
    return BlobToImage(info, source.bytes.data(), source.bytes.size(), exception);
  return ReadImage(info, exception);
}

}  // namespace

void MagickDecode(const PictureSource& source, PictureKind kind, const DecodeSettings& settings,
                  LoadedPicture& result) {
  // The library holds its monitor lock while the progress hook runs, so a decode
  // asked for from inside the hook would wait for itself.
  if (MagickBusy()) {
    result.outcome = LoadOutcome::Busy;
    return;
  }
  InitMagickOnce();
  const ProgressProc* hook = settings.progress;
  const bool with_progress = hook != nullptr;
  LoadProgress load;
  load.stop = settings.stop;
  load.hook = hook;
  if ((with_progress && *hook && (*hook)(0) == 0) || (settings.stop != nullptr && *settings.stop)) {
    result.outcome = LoadOutcome::Cancelled;
    return;
  }
  if (source.in_memory && source.bytes.empty()) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("The picture holds no data");
    return;
  }

  PngScan png;
  if (kind == PictureKind::Png)
    png = source.in_memory ? ScanPng(source.bytes) : ScanPng(source.path);
  if (!png.intact) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("PNG file corrupted: a critical chunk fails its CRC");
    return;
  }

  ImageInfoPtr info(CloneImageInfo(nullptr));
  if (!NameTheSource(info.get(), source, kind)) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("File name too long");
    return;
  }
  info->subimage = 0;  // first frame only
  info->subrange = 1;

  // A small file may declare a picture of gigabytes: its header decides
  // before anything is decoded (and before the scale hint, which makes the
  // JPEG header report the scaled size).
  QString refusal;
  QSize declared;
  {
    const MagickBusyScope busy;
    refusal =
        HeaderRefusal(info.get(), kind, png.size,
                      source.in_memory ? source.bytes : std::span<const std::uint8_t>(), &declared);
  }
  if (!refusal.isEmpty()) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = std::move(refusal);
    return;
  }
  // The decoder scales by the whole ratio of the declared size to the hint,
  // and enlarges below 1: only a picture twice the hint or more gets it.
  const QSize hint = settings.scale_hint;
  if (kind == PictureKind::Jpeg && !hint.isEmpty() &&
      std::int64_t{declared.width()} >= 2 * std::int64_t{hint.width()} &&
      std::int64_t{declared.height()} >= 2 * std::int64_t{hint.height()}) {
    const std::string size = std::to_string(hint.width()) + "x" + std::to_string(hint.height());
    CloneString(&info->size, size.c_str());
  }

  MagickException exception;
  ImagePtr image;
  {
    const MagickBusyScope busy;
    if (with_progress) {
      const MonitorScope monitor(load);
      image.reset(Read(info.get(), source, exception.get()));
    } else {
      image.reset(Read(info.get(), source, exception.get()));
    }
  }
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
  if (with_progress && load.last_percent < 100 && *hook)
    (*hook)(100);

  ReduceColors(image.get(), settings.color_depth, settings.dither);
  QImage picture = ToQImage(image.get(), exception);
  if (kind == PictureKind::Gif && !picture.isNull())
    picture = OnLogicalScreen(std::move(picture), image.get());
  if (png.has_color_key && settings.color_depth >= 24 && !picture.isNull())
    picture = ApplyColorKey(picture, png.color_key);
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

}  // namespace vls::picture
