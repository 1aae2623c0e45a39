#include "imaging/picture/PictureSizeLimit.h"

#include <algorithm>
#include <climits>

#include "imaging/picture/PictureLoader.h"

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

}  // namespace vls::picture
