#pragma once
// GraphicsMagick's decode, inside the picture module (MagickModule.h).

#include "imaging/picture/PictureDecode.h"

namespace vls::picture {

// DecodeWithMagick's work; settings.progress is the hook it reports to.
void MagickDecode(const PictureSource& source, PictureKind kind, const DecodeSettings& settings,
                  LoadedPicture& result);

}  // namespace vls::picture
