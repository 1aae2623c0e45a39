#pragma once
// The picture module: GraphicsMagick and the code that drives it, built as a
// shared module of its own and loaded on the first decode. The library and
// its forty-odd codec libraries cost about a sixth of the program's start-up
// when linked into it, and most sessions never decode a still picture.
// Program and module are built and installed together; the version guards
// against a stray module of another build. Internal to the loader.

#include <QString>

#include "imaging/picture/PictureDecode.h"
#include "imaging/picture/PictureLoader.h"

namespace vls::picture {

inline constexpr int kMagickModuleVersion = 1;

// What the module offers, as plain functions over the loader's own types.
struct MagickEntryPoints {
  int version = kMagickModuleVersion;
  // As DecodesFromMemory, for the kinds the library decodes.
  bool (*decodes_from_memory)(PictureKind kind);
  // As DecodeWithMagick; settings.progress is the only hook it calls.
  void (*decode)(const PictureSource& source, PictureKind kind, const DecodeSettings& settings,
                 LoadedPicture& result);
};

// The module's entries, loading it on the first call; null when it cannot
// be loaded, with the reason in MagickModuleError.
const MagickEntryPoints* MagickModule();
QString MagickModuleError();

}  // namespace vls::picture

// The one symbol the module exports.
extern "C" const vls::picture::MagickEntryPoints* vls_magick_entry_points();
