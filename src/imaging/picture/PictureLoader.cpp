// The loader itself: which decoder a picture goes to and the one result its
// callers see. The decoders (PictureDecode), the library glue, the PNG scan
// and the size bound are units of their own beside it.

#include "imaging/picture/PictureLoader.h"

#include <QFileInfo>

#include "imaging/picture/MagickModule.h"
#include "imaging/picture/PictureDecode.h"

namespace vls {
namespace {

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

bool DecodesFromMemory(PictureKind kind) {
  if (kind == PictureKind::Ico || kind == PictureKind::Other)
    return true;  // Qt's reader over a buffer
  const picture::MagickEntryPoints* module = picture::MagickModule();
  return module != nullptr && module->decodes_from_memory(kind);
}

namespace {

// Both loads once the picture is at hand (source.path is the file or the
// picture's name): the decoder its kind calls for, then the facts.
LoadedPicture Load(const picture::PictureSource& source, std::int64_t file_size,
                   const LoadOptions& options) {
  const PictureKind kind = KindOfPath(source.path);
  LoadedPicture result;
  result.file_size = file_size;
  result.status =
      IsLibraryKind(kind) ? source.path.toUpper() : QString::fromLatin1(kStatusNotLibrary);
  if (source.in_memory && !DecodesFromMemory(kind)) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = picture::NotFromMemoryReason();
  } else if (kind == PictureKind::Ico || kind == PictureKind::Other) {
    picture::DecodeWithQt(source, kind, result);
  } else {
    picture::DecodeSettings settings;
    settings.color_depth = options.color_depth;
    settings.dither = options.dither;
    settings.stop = options.stop;
    picture::DecodeWithMagick(source, kind, settings, result);
  }
  if (result.outcome == LoadOutcome::Failed || result.outcome == LoadOutcome::TooLarge)
    result.failure_notice = FailureNotice(kind);
  if (result.outcome == LoadOutcome::Loaded) {
    result.width = result.image.width();
    result.height = result.image.height();
  }
  return result;
}

}  // namespace

LoadedPicture LoadPicture(const QString& path, const LoadOptions& options) {
  const QFileInfo file(path);
  if (path.isEmpty() || !file.isFile()) {
    LoadedPicture result;
    result.outcome = LoadOutcome::NotFound;
    result.status = QString::fromLatin1(kStatusNotFound);
    return result;
  }
  return Load({path, {}, false}, file.size(), options);
}

LoadedPicture LoadPictureBytes(std::span<const std::uint8_t> bytes, const QString& name,
                               const LoadOptions& options) {
  return Load({name, bytes, true}, static_cast<std::int64_t>(bytes.size()), options);
}

}  // namespace vls
