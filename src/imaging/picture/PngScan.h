#pragma once
// The loader's own look at a PNG file, before and after GraphicsMagick
// decodes it: checksums of the critical chunks, the size IHDR declares and
// the transparent colour of 8-bit truecolour files. Internal to the loader.

#include <QIODevice>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

namespace vls::picture {

struct PngScan {
  // The PNG decoder underneath accepts chunks whose checksum is wrong. A
  // critical chunk (IHDR, PLTE, IDAT, IEND: upper-case first letter) with a
  // bad checksum means a damaged file, refused before decoding. Files that
  // end early are left to the decoder.
  bool intact = true;
  // The decoder marks 8-bit truecolour files with a transparent colour
  // (tRNS) as having alpha but leaves every pixel opaque; the loader applies
  // the colour itself.
  bool has_color_key = false;
  QRgb color_key = 0;
  // From IHDR: the size is known before the library reads the file (its
  // header reader refuses a size past its pixel limit without telling it).
  QSize size;
};

// Reads the chunks of a PNG up to IEND, from an open device, the file at
// path or bytes in memory. What cannot be opened or is no PNG gives the
// defaults (intact, no key, no size).
PngScan ScanPng(QIODevice& device);
PngScan ScanPng(const QString& path);
PngScan ScanPng(std::span<const std::uint8_t> bytes);

// Makes every pixel of the transparent colour transparent.
QImage ApplyColorKey(const QImage& picture, QRgb key);

}  // namespace vls::picture
