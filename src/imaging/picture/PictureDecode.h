#pragma once
// The two decoders under the loader and the thumbnail maker: GraphicsMagick
// for the library kinds and WMF, Qt's image reader for the rest, each reading
// a file or bytes in memory. Internal to the loader; PictureLoader.h and
// Thumbnail.h are the public interfaces.

#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

#include "imaging/picture/PictureLoader.h"
#include "imaging/picture/PictureState.h"

namespace vls::picture {

// Where the encoded picture comes from: the file at path, or bytes in memory
// (then no file is opened or written: the caller has checked
// DecodesFromMemory for the kind, and path is only the picture's name).
struct PictureSource {
  QString path;
  std::span<const std::uint8_t> bytes;
  bool in_memory = false;
};

struct DecodeSettings {
  int color_depth = 24;  // as LoadOptions
  bool dither = true;
  const bool* stop = nullptr;
  // Passes the decoder's progress to ProgressHook (loads on the window's
  // thread). Off, the decode reads no process-wide value of the loader and
  // may run on any thread.
  bool report_progress = true;
  // The hook the decoder itself calls, set by DecodeWithMagick from
  // report_progress (ProgressHook for the library kinds); null for none.
  const ProgressProc* progress = nullptr;
  // JPEG only: decode at the smallest of 1/2, 1/4 and 1/8 of the size that
  // still covers this size, which spares most of the decoding work.
  QSize scale_hint;
};

// Decodes with GraphicsMagick into result's outcome, image and
// decoder_message (first frame only; a GIF frame placed on its screen). The
// library is loaded on the first call; should it fail to load, the picture
// fails with the reason.
void DecodeWithMagick(const PictureSource& source, PictureKind kind, const DecodeSettings& settings,
                      LoadedPicture& result);

// Why bytes of a kind that DecodesFromMemory denies are refused: the picture
// module is missing, or the kind's decoder would need a temporary file.
QString NotFromMemoryReason();

// Decodes with Qt's image reader into result's outcome, image and
// decoder_message; an ICO is read as ICO whatever its contents look like.
void DecodeWithQt(const PictureSource& source, PictureKind kind, LoadedPicture& result);

}  // namespace vls::picture
