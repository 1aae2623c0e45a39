#include "imaging/picture/MagickLibrary.h"

#include <mutex>

#include "imaging/picture/MagickMemory.h"
#include "imaging/picture/MagickProgress.h"

namespace vls::picture {

void InitMagickOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    MagickAllocFunctions(MagickRelease, MagickAllocate, MagickResize);
    InitializeMagick(nullptr);
    // The library's own refusal, should a decoder get past the header check.
    SetMagickResourceLimit(PixelsResource, kMaxPicturePixels);
    // Decoded pixels stay in memory: the library would otherwise move a
    // large picture's pixels into a temporary file, a plain copy on disk.
    SetMagickResourceLimit(DiskResource, 0);
    SetMagickResourceLimit(MapResource, 0);
    InstallMonitor();
  });
}

QString MagickException::Message() const {
  QString text = QString::fromLocal8Bit(info_.reason ? info_.reason : "");
  if (info_.description != nullptr && *info_.description != '\0') {
    text += QStringLiteral(" (") + QString::fromLocal8Bit(info_.description) + QLatin1Char(')');
  }
  return text.isEmpty() ? QStringLiteral("The picture could not be decoded") : text;
}

const char* MagickNameOf(PictureKind kind) {
  switch (kind) {
    case PictureKind::Bmp:
      return "BMP";
    case PictureKind::Jpeg:
      return "JPEG";
    case PictureKind::Gif:
      return "GIF";
    case PictureKind::Png:
      return "PNG";
    case PictureKind::Pcx:
      return "PCX";
    case PictureKind::Tiff:
      return "TIFF";
    case PictureKind::Wmf:
      return "WMF";
    default:
      return "";
  }
}

void ReduceColors(Image* image, int depth, bool dither) {
  if (depth >= 24)
    return;
  QuantizeInfo quantize;
  GetQuantizeInfo(&quantize);
  quantize.number_colors = depth == 0 ? 16 : (1UL << depth);
  quantize.dither = dither ? 1U : 0U;
  if (depth == 1)
    quantize.colorspace = GRAYColorspace;
  QuantizeImage(&quantize, image);
}

// (The library's generic DispatchImage is ten times slower than this loop
// for the common 8-bit cases.)
QImage ToQImage(Image* image, MagickException& exception) {
  if (!IsRGBCompatibleColorspace(image->colorspace) &&
      TransformColorspace(image, RGBColorspace) != MagickPass) {
    return QImage();
  }
  const auto columns = image->columns;
  const auto rows = image->rows;
  const bool alpha = image->matte != 0;
  QImage out = NewImage(static_cast<int>(columns), static_cast<int>(rows),
                        alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out.isNull())
    return out;
  for (unsigned long y = 0; y < rows; ++y) {
    const PixelPacket* pixels =
        AcquireImagePixels(image, 0, static_cast<long>(y), columns, 1, exception.get());
    if (pixels == nullptr)
      return QImage();
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y)));
    if (alpha) {
      // The library keeps opacity (0 = opaque), Qt keeps alpha.
      for (unsigned long x = 0; x < columns; ++x) {
        const PixelPacket& p = pixels[x];
        line[x] = qRgba(ScaleQuantumToChar(p.red), ScaleQuantumToChar(p.green),
                        ScaleQuantumToChar(p.blue), 255 - ScaleQuantumToChar(p.opacity));
      }
    } else {
      for (unsigned long x = 0; x < columns; ++x) {
        const PixelPacket& p = pixels[x];
        line[x] = qRgb(ScaleQuantumToChar(p.red), ScaleQuantumToChar(p.green),
                       ScaleQuantumToChar(p.blue));
      }
    }
  }
  if (alpha)
    out.convertTo(QImage::Format_ARGB32_Premultiplied);
  return out;
}

}  // namespace vls::picture
