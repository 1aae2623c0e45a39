#include "imaging/picture/PictureSizeLimit.h"

#include <algorithm>
#include <climits>

#include "imaging/picture/MagickLibrary.h"

namespace vls::picture {

QSize PictureSize(unsigned long width, unsigned long height) {
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

QString TooLargeMessage(QSize size) {
  const QString limit = QStringLiteral("more than the %1 million pixels a picture may have")
                            .arg(kMaxPicturePixels / 1000000);
  if (size.isEmpty())
    return QStringLiteral("Picture too large: ") + limit;
  return QStringLiteral("Picture too large: %1 x %2 pixels, ")
             .arg(size.width())
             .arg(size.height()) +
         limit;
}

QString HeaderRefusal(const ImageInfo* info, PictureKind kind, QSize known,
                      std::span<const std::uint8_t> bytes, QSize* declared) {
  if (TooManyPixels(known))
    return TooLargeMessage(known);
  ImageInfoPtr ping(CloneImageInfo(info));
  MagickException exception;
  const ImagePtr header(bytes.empty()
                            ? PingImage(ping.get(), exception.get())
                            : PingBlob(ping.get(), bytes.data(), bytes.size(), exception.get()));
  if (!header)
    return exception.IsResourceLimit() ? TooLargeMessage() : QString();
  const QSize picture = PictureSize(header->columns, header->rows);
  const QSize screen = PictureSize(header->page.width, header->page.height);
  const QSize size = kind == PictureKind::Gif && Area(screen) > Area(picture) ? screen : picture;
  if (declared != nullptr)
    *declared = picture;
  return TooManyPixels(size) ? TooLargeMessage(size) : QString();
}

}  // namespace vls::picture
