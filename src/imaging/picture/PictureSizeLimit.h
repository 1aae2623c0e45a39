#pragma once
// The picture size bound of the loader: no picture beyond kMaxPicturePixels
// is decoded (MagickHeader.h reads a file's declared size before anything is
// decoded). Internal to the loader; PictureLoader.h is the public interface.

#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

namespace vls::picture {

// A size from the library's numbers, each clamped to what QSize holds.
QSize PictureSize(unsigned long width, unsigned long height);

std::int64_t Area(QSize size);

bool TooManyPixels(QSize size);

// The refusal of a picture beyond kMaxPicturePixels, with its size when known.
QString TooLargeMessage(QSize size = {});

}  // namespace vls::picture
