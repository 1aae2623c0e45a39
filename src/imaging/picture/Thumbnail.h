#pragma once
// Small copies of pictures held in memory, for lists of thumbnails: the
// picture decoded from its bytes and scaled to fit a box. Safe to call from
// worker threads while the window's thread loads other pictures (see
// DecodeThumbnail for the one rule that keeps it so).

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <span>

namespace vls {

// The picture in bytes, its kind chosen by the extension of name as
// LoadPictureBytes chooses it, scaled to fit inside bound with its
// proportions kept and never enlarged; or a null picture and, in why, the
// reason. A JPEG is decoded at 1/2, 1/4 or 1/8 of its size when that still
// covers bound, which is many times faster than a full decode; other kinds
// are decoded whole (their first frame) and then scaled. The size bound of
// the loader holds (a header declaring more than kMaxPicturePixels is
// refused before decoding), no file is created (kinds that DecodesFromMemory
// denies are refused), and nothing keeps a pointer into bytes.
//
// Any thread may call it, several at once; it reports no progress and reads
// no window state. The decoder takes a lock of the library's while the
// window's thread is inside ProgressHook, so the window's thread must not
// wait for a thumbnail while it loads a picture (from inside ProgressHook).
// Called on a thread that is inside a load already, it refuses at once.
QImage DecodeThumbnail(std::span<const std::uint8_t> bytes, const QString& name, QSize bound,
                       QString* why = nullptr);

}  // namespace vls
