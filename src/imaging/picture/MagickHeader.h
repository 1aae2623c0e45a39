#pragma once
// The size a picture's header declares, read before anything is decoded,
// because a small file may declare gigabytes of pixels. Inside the picture
// module.

#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

// GraphicsMagick's C interface.
#include <magick/api.h>

#include "imaging/picture/PictureLoader.h"

namespace vls::picture {

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
