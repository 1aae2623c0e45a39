#include "imaging/picture/Thumbnail.h"

#include <algorithm>

#include "imaging/picture/PictureDecode.h"
#include "imaging/picture/PictureLoader.h"

namespace vls {
namespace {

QImage Refuse(QString* why, const QString& reason) {
  if (why != nullptr)
    *why = reason;
  return {};
}

// Fits picture inside bound, proportions kept, at least one pixel a side.
QImage Fit(const QImage& picture, QSize bound) {
  if (picture.width() <= bound.width() && picture.height() <= bound.height())
    return picture;
  const QSize fitted = picture.size().scaled(bound, Qt::KeepAspectRatio);
  // The decoder has already brought a JPEG near the bound, so a smooth
  // scale of what is left costs little.
  return picture.scaled(std::max(fitted.width(), 1), std::max(fitted.height(), 1),
                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QImage DecodeThumbnail(std::span<const std::uint8_t> bytes, const QString& name, QSize bound,
                       QString* why) {
  if (bound.width() <= 0 || bound.height() <= 0)
    return Refuse(why, QStringLiteral("No room for a thumbnail"));
  const PictureKind kind = KindOfPath(name);
  if (!DecodesFromMemory(kind)) {
    return Refuse(why, picture::NotFromMemoryReason());
  }
  const picture::PictureSource source{name, bytes, true};
  LoadedPicture decoded;
  if (kind == PictureKind::Ico || kind == PictureKind::Other) {
    picture::DecodeWithQt(source, kind, decoded);
  } else {
    picture::DecodeSettings settings;
    settings.report_progress = false;
    settings.scale_hint = bound;
    picture::DecodeWithMagick(source, kind, settings, decoded);
  }
  switch (decoded.outcome) {
    case LoadOutcome::Loaded:
      break;
    case LoadOutcome::Busy:
      return Refuse(why, QStringLiteral("The picture library is busy on this thread"));
    default:
      return Refuse(why, decoded.decoder_message);
  }
  return Fit(decoded.image, bound);
}

}  // namespace vls
