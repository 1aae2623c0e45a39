#include "imaging/picture/MagickHeader.h"

#include "imaging/picture/MagickLibrary.h"
#include "imaging/picture/PictureSizeLimit.h"

namespace vls::picture {

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
