// The picture module's one export: its entry points over GraphicsMagick.

#include "imaging/picture/MagickDecode.h"
#include "imaging/picture/MagickLibrary.h"
#include "imaging/picture/MagickModule.h"

namespace vls::picture {
namespace {

bool CoderReadsMemory(PictureKind kind) {
  InitMagickOnce();
  // A decoder without blob support gets the bytes through a temporary file:
  // a plain copy on disk. Decoders that seek need nothing more, as bytes in
  // memory can be sought.
  MagickException exception;
  const MagickInfo* coder = GetMagickInfo(MagickNameOf(kind), exception.get());
  return coder != nullptr && coder->decoder != nullptr && coder->blob_support != 0;
}

}  // namespace
}  // namespace vls::picture

extern "C" __attribute__((visibility("default"))) const vls::picture::MagickEntryPoints*
vls_magick_entry_points() {
  static const vls::picture::MagickEntryPoints entries{vls::picture::kMagickModuleVersion,
                                                       vls::picture::CoderReadsMemory,
                                                       vls::picture::MagickDecode};
  return &entries;
}
