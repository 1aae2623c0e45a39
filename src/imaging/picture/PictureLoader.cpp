// The loader itself: which decoder a file goes to, the checks before and
// after decoding, and the one result its callers see. The library glue, the
// PNG scan and the size bound are units of their own beside it.

#include "imaging/picture/PictureLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <cstring>
#include <string>
#include <utility>

#include "imaging/picture/MagickLibrary.h"
#include "imaging/picture/MagickProgress.h"
#include "imaging/picture/PictureSizeLimit.h"
#include "imaging/picture/PictureState.h"
#include "imaging/picture/PngScan.h"

namespace vls {
namespace {

using picture::ImageInfoPtr;
using picture::ImagePtr;
using picture::MagickException;

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

// A GIF frame may be smaller than the GIF's logical screen or lie off its
// origin: the picture is the screen, transparent where the frame does not
// cover it, as other viewers show it.
QImage OnLogicalScreen(QImage frame, const Image* image) {
  const auto& page = image->page;
  const bool fills = page.x == 0 && page.y == 0 &&
                     (page.width == 0 || page.width == image->columns) &&
                     (page.height == 0 || page.height == image->rows);
  if (fills || page.width == 0 || page.height == 0 ||
      picture::TooManyPixels(picture::PictureSize(page.width, page.height))) {
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

void LoadWithMagick(const QString& path, PictureKind kind, const LoadOptions& options,
                    LoadedPicture& result) {
  if (picture::MagickBusy()) {
    result.outcome = LoadOutcome::Busy;
    return;
  }
  picture::InitMagickOnce();
  const bool with_progress = IsLibraryKind(kind);
  picture::LoadProgress load;
  load.stop = options.stop;
  if ((with_progress && ProgressHook && ProgressHook(0) == 0) ||
      (options.stop != nullptr && *options.stop)) {
    result.outcome = LoadOutcome::Cancelled;
    return;
  }

  const picture::PngScan png =
      kind == PictureKind::Png ? picture::ScanPng(path) : picture::PngScan{};
  if (!png.intact) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = QStringLiteral("PNG file corrupted: a critical chunk fails its CRC");
    return;
  }

  ImageInfoPtr info(CloneImageInfo(nullptr));
  // The extension alone chooses the decoder: naming the format stops the
  // library from guessing it from the contents.
  const std::string name = std::string(picture::MagickNameOf(kind)) + ":" +
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
  QString refusal;
  {
    const picture::MagickBusyScope busy;
    refusal = picture::HeaderRefusal(info.get(), kind, png.size);
  }
  if (!refusal.isEmpty()) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = std::move(refusal);
    return;
  }

  MagickException exception;
  ImagePtr image;
  {
    const picture::MagickBusyScope busy;
    if (with_progress) {
      picture::MonitorScope monitor(load);
      image.reset(ReadImage(info.get(), exception.get()));
    } else {
      image.reset(ReadImage(info.get(), exception.get()));
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
  if (with_progress && load.last_percent < 100 && ProgressHook)
    ProgressHook(100);

  picture::ReduceColors(image.get(), options.color_depth, options.dither);
  QImage picture = picture::ToQImage(image.get(), exception);
  if (kind == PictureKind::Gif && !picture.isNull()) {
    picture = OnLogicalScreen(std::move(picture), image.get());
  }
  if (png.has_color_key && options.color_depth >= 24 && !picture.isNull()) {
    picture = picture::ApplyColorKey(picture, png.color_key);
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
  if (const QSize declared = reader.size(); picture::TooManyPixels(declared)) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = picture::TooLargeMessage(declared);
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

PictureKind KindOfPath(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  return KindOfExtension(dot < 0 ? QString() : name.mid(dot));
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
  const PictureKind kind = KindOfPath(path);
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
