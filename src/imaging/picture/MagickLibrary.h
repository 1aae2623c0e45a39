#pragma once
// The loader's glue to GraphicsMagick's C interface: starting the library
// once, owners that free what it hands out, its errors as text, and its
// pixels turned into a QImage. Internal to the loader.

#include <QImage>
#include <QString>
#include <memory>

// GraphicsMagick's C interface.
#include <magick/api.h>

#include "imaging/picture/PictureLoader.h"

namespace vls::picture {

// Starts the library on first use, once, whichever thread comes first (the
// others wait): its allocator (MagickMemory.h), the limits that keep a
// picture within kMaxPicturePixels and off the disk, and the progress monitor.
void InitMagickOnce();

struct ImageInfoDeleter {
  void operator()(ImageInfo* info) const { DestroyImageInfo(info); }
};
struct ImageListDeleter {
  void operator()(Image* image) const { DestroyImageList(image); }
};
using ImageInfoPtr = std::unique_ptr<ImageInfo, ImageInfoDeleter>;
using ImagePtr = std::unique_ptr<Image, ImageListDeleter>;

// The library's report of one call, owned and freed here.
class MagickException {
 public:
  MagickException() { GetExceptionInfo(&info_); }
  ~MagickException() { DestroyExceptionInfo(&info_); }
  MagickException(const MagickException&) = delete;
  MagickException& operator=(const MagickException&) = delete;
  ExceptionInfo* get() { return &info_; }
  bool IsError() const { return info_.severity >= ErrorException; }
  bool IsResourceLimit() const {
    return info_.severity == ResourceLimitError || info_.severity == ResourceLimitFatalError;
  }
  // The reason and the description, or a plain sentence when both are empty.
  QString Message() const;

 private:
  ExceptionInfo info_;
};

// The library's name of the decoder for a kind ("" for kinds it does not decode).
const char* MagickNameOf(PictureKind kind);

// Reduces the colours of a decoded picture to what the colour depth allows.
void ReduceColors(Image* image, int depth, bool dither);

// Copies the library's pixels into a QImage, row by row; the result is the
// only copy that outlives the load. Null when the pixels cannot be had.
QImage ToQImage(Image* image, MagickException& exception);

}  // namespace vls::picture
