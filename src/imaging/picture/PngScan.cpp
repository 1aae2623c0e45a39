#include "imaging/picture/PngScan.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/picture/PictureSizeLimit.h"

namespace vls::picture {
namespace {

// CRC-32 of PNG chunks (ISO 3309, reflected, polynomial 0xEDB88320).
class Crc32 {
 public:
  Crc32() {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      table_[n] = c;
    }
  }
  std::uint32_t Update(std::uint32_t crc, const unsigned char* bytes, std::size_t size) const {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
      crc = table_[(crc ^ bytes[i]) & 0xFFU] ^ (crc >> 8);
    return ~crc;
  }

 private:
  std::array<std::uint32_t, 256> table_{};
};

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

}  // namespace

PngScan ScanPng(QIODevice& file) {
  static const Crc32 crc;
  PngScan scan;
  unsigned char head[8];
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.read(reinterpret_cast<char*>(head), 8) != 8 || std::memcmp(head, kSignature, 8) != 0) {
    return scan;
  }
  bool truecolor8 = false;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    if (file.read(reinterpret_cast<char*>(head), 8) != 8)
      return scan;
    const std::uint32_t length = BigEndian32(head);
    if (length > 0x7FFFFFFFU) {
      scan.intact = false;
      return scan;
    }
    const bool critical = head[4] >= 'A' && head[4] <= 'Z';
    std::uint32_t sum = crc.Update(0, head + 4, 4);
    for (std::uint32_t left = length; left > 0;) {
      const auto want = std::min<std::uint32_t>(left, static_cast<std::uint32_t>(buffer.size()));
      if (file.read(reinterpret_cast<char*>(buffer.data()), want) != want)
        return scan;
      sum = crc.Update(sum, buffer.data(), want);
      left -= want;
    }
    unsigned char stored[4];
    if (file.read(reinterpret_cast<char*>(stored), 4) != 4)
      return scan;
    if (critical && BigEndian32(stored) != sum) {
      scan.intact = false;
      return scan;
    }
    if (std::memcmp(head + 4, "IHDR", 4) == 0 && length >= 13) {
      truecolor8 = buffer[8] == 8 && buffer[9] == 2;  // bit depth 8, colour type 2
      scan.size = PictureSize(BigEndian32(buffer.data()), BigEndian32(buffer.data() + 4));
    } else if (std::memcmp(head + 4, "tRNS", 4) == 0 && truecolor8 && length == 6) {
      scan.has_color_key = true;
      scan.color_key = qRgb(buffer[1], buffer[3], buffer[5]);
    } else if (std::memcmp(head + 4, "IEND", 4) == 0) {
      return scan;
    }
  }
}

PngScan ScanPng(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return ScanPng(file);
}

PngScan ScanPng(std::span<const std::uint8_t> bytes) {
  // Read in place: the buffer is the caller's and is not copied.
  const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
  QBuffer buffer;
  buffer.setData(view);
  if (!buffer.open(QIODevice::ReadOnly))
    return {};
  return ScanPng(buffer);
}

QImage ApplyColorKey(const QImage& picture, QRgb key) {
  QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((line[x] & 0x00FFFFFFU) == (key & 0x00FFFFFFU))
        line[x] = 0;
    }
  }
  keyed.convertTo(QImage::Format_ARGB32_Premultiplied);
  return keyed;
}

}  // namespace vls::picture
