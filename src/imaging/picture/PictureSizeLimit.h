#pragma once
// The picture size bound of the loader: no picture beyond kMaxPicturePixels
// is decoded, and a file's header is read for its declared size before
// anything is decoded, because a small file may declare gigabytes of pixels.
// Internal to the loader; PictureLoader.h is the public interface.

#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

// GraphicsMagick's C interface.
#include <magick/api.h>

#include "imaging/picture/PictureLoader.h"

namespace vls::picture {

// A size from the library's numbers, each clamped to what QSize holds.
QSize PictureSize(unsigned long width, unsigned long height);

std::int64_t Area(QSize size);

bool TooManyPixels(QSize size);

// The refusal of a picture beyond kMaxPicturePixels, with its size when known.
QString TooLargeMessage(QSize size = {});

// Why the file's header makes the picture too large to decode, or nothing.
// A size already `known` comes first. Otherwise the header is read without
// decoding; the size is the picture's own, or for a GIF its logical screen
// when that is larger (the picture is composed onto it). Some decoders apply
// the library's pixel limit to the header themselves and refuse without
// giving the size. A header that cannot be read is left to the decode, which
// says why. The header is read from bytes when there are any (the decoder's
// blob support is the caller's to check), otherwise from info's file. The
// size the header declares goes to declared when asked for (empty when the
// header could not be read or was not needed).
QString HeaderRefusal(const ImageInfo* info, PictureKind kind, QSize known,
                      std::span<const std::uint8_t> bytes = {}, QSize* declared = nullptr);

}  // namespace vls::picture
