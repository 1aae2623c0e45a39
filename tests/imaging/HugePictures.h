#pragma once
// Small picture files whose headers declare a huge size, one per format the
// still-picture loader reads, for tests that a load refuses them before it
// decodes anything.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>
#include <array>
#include <cstdint>

namespace vls::test {

inline std::uint32_t Crc32(const QByteArray& bytes) {
  std::uint32_t crc = 0xFFFFFFFFU;
  for (const char byte : bytes) {
    crc ^= static_cast<unsigned char>(byte);
    for (int k = 0; k < 8; ++k)
      crc = (crc & 1U) != 0 ? 0xEDB88320U ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

inline QByteArray Be32(std::uint32_t v) {
  QByteArray out(4, '\0');
  qToBigEndian(v, out.data());
  return out;
}

inline QByteArray Le16(std::uint16_t v) {
  QByteArray out(2, '\0');
  qToLittleEndian(v, out.data());
  return out;
}

inline QByteArray Le32(std::uint32_t v) {
  QByteArray out(4, '\0');
  qToLittleEndian(v, out.data());
  return out;
}

inline QByteArray PngChunk(const char* type, const QByteArray& data) {
  const QByteArray body = QByteArray(type, 4) + data;
  return Be32(static_cast<std::uint32_t>(data.size())) + body + Be32(Crc32(body));
}

// A valid 1-bit grey PNG of width by height black pixels. With all_rows the
// image data holds every row (a 16000 by 16000 picture is about 31 KB);
// otherwise only a few bytes, which ends the data early.
inline QByteArray PngDeclaring(int width, int height, bool all_rows) {
  QByteArray header =
      Be32(static_cast<std::uint32_t>(width)) + Be32(static_cast<std::uint32_t>(height));
  header += QByteArray("\x01\x00\x00\x00\x00", 5);  // 1 bit, grey, no interlace
  const qsizetype raw = all_rows ? qsizetype{height} * (1 + (width + 7) / 8) : 16;
  const QByteArray zlib = qCompress(QByteArray(raw, '\0'), 9).mid(4);  // without Qt's length
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
         PngChunk("IEND", {});
}

// A small real JPEG whose frame header is changed to say width by height.
inline QByteArray JpegDeclaring(int width, int height) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::gray);
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG");
  const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  if (sof >= 0) {
    qToBigEndian(static_cast<std::uint16_t>(height), jpeg.data() + sof + 5);
    qToBigEndian(static_cast<std::uint16_t>(width), jpeg.data() + sof + 7);
  }
  return jpeg;
}

// A GIF whose logical screen is width by height, holding one 1 by 1 frame.
inline QByteArray GifDeclaring(int width, int height) {
  return QByteArray("GIF89a") + Le16(static_cast<std::uint16_t>(width)) +
         Le16(static_cast<std::uint16_t>(height)) + QByteArray("\x80\x00\x00", 3) +
         QByteArray(6, '\0') + QByteArray("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0\x3B", 16);
}

// A 24-bit BMP header of width by height and a few bytes of pixels.
inline QByteArray BmpDeclaring(int width, int height) {
  return QByteArray("BM") + Le32(54 + 64) + Le32(0) + Le32(54) + Le32(40) +
         Le32(static_cast<std::uint32_t>(width)) + Le32(static_cast<std::uint32_t>(height)) +
         Le16(1) + Le16(24) + QByteArray(24, '\0') + QByteArray(64, '\0');
}

// An 8-bit one-plane PCX header of width by height and a few bytes of pixels.
inline QByteArray PcxDeclaring(int width, int height) {
  QByteArray pcx(128, '\0');
  pcx[0] = 0x0A;  // maker
  pcx[1] = 5;     // version
  pcx[2] = 1;     // run-length encoded
  pcx[3] = 8;     // bits a pixel
  qToLittleEndian(static_cast<std::uint16_t>(width - 1), pcx.data() + 8);
  qToLittleEndian(static_cast<std::uint16_t>(height - 1), pcx.data() + 10);
  pcx[65] = 1;  // planes
  qToLittleEndian(static_cast<std::uint16_t>(width), pcx.data() + 66);
  return pcx + QByteArray(64, '\0');
}

// An uncompressed 8-bit grey TIFF directory of width by height whose one
// strip lies past the end of the file.
inline QByteArray TiffDeclaring(int width, int height) {
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const std::array<Entry, 8> entries = {{{256, 4, w},
                                         {257, 4, h},
                                         {258, 3, 8},
                                         {259, 3, 1},
                                         {262, 3, 1},
                                         {273, 4, 200},
                                         {278, 4, h},
                                         {279, 4, w * h}}};
  QByteArray tiff = QByteArray("II*\0", 4) + Le32(8) + Le16(entries.size());
  for (const Entry& e : entries) {
    tiff += Le16(e.tag) + Le16(e.type) + Le32(1);
    tiff += e.type == 3 ? Le16(static_cast<std::uint16_t>(e.value)) + Le16(0) : Le32(e.value);
  }
  return tiff + Le32(0) + QByteArray(64, '\0');
}

}  // namespace vls::test
