#pragma once
// The still-picture loader: one file in, one decoded picture and its facts
// out. BMP, JPEG, GIF, PNG, PCX, TIFF and WMF are decoded by GraphicsMagick,
// with the decoder's progress passed to ProgressHook; ICO (and any other
// extension) by Qt's image reader. No widgets: the picture control draws what
// this returns.
//
// A picture may come from a file or from bytes in memory (a decrypted
// picture that must never touch the disk).
//
// This header is the loader's public interface (Thumbnail.h is the other).
// Beside PictureLoader.cpp, the loader's own units: PictureDecode (the two
// decoders), MagickLibrary (GraphicsMagick glue), MagickMemory (huge-page
// blocks for it), MagickProgress (its monitor to ProgressHook), PngScan (the
// PNG pre-scan) and PictureSizeLimit (the size bound).

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>

namespace vls {

// How many colours a decoded picture keeps.
enum class LoadResolution { ColorVga, MonoChrome, Color16, Color256, ColorTrue, AutoMatic };

// Colour depth in bits for a resolution: VGA 0, monochrome 1, 16 colours 4,
// 256 colours 8, true colour 24; AutoMatic follows the display's bits per
// pixel (up to 4 gives 4, 5 to 15 give 8, 16 and more give 24).
int ColorDepthFor(LoadResolution resolution, int display_bits_per_pixel);

// The decoder a file goes to, chosen by its extension alone.
enum class PictureKind { Bmp, Jpeg, Gif, Png, Pcx, Tiff, Wmf, Ico, Other };

// Kind of an extension such as ".jpg" or ".TIF" (letter case does not matter).
PictureKind KindOfExtension(const QString& extension);

// Kind of a file by the extension of its name (the text from the last dot).
PictureKind KindOfPath(const QString& path);

// True for the kinds GraphicsMagick decodes with progress and the two
// failure messages.
bool IsLibraryKind(PictureKind kind);

// Largest picture the loader decodes: 64 million pixels, 256 MB as a picture
// of 4 bytes a pixel (decoding holds about three times that at its peak: the
// library keeps 8 bytes a pixel). A small file may declare a picture of
// gigabytes; its header is read first and such a file is refused.
inline constexpr std::int64_t kMaxPicturePixels = 64'000'000;

struct LoadOptions {
  int color_depth = 24;  // 0 (16 VGA colours), 1, 4, 8 or 24 bits
  bool dither = true;    // dither when colours are reduced
  // Read while decoding: once it holds true the load stops as if
  // ProgressHook had answered 0 (the caller wants another picture instead).
  const bool* stop = nullptr;
};

enum class LoadOutcome {
  Loaded,     // image holds the picture
  NotFound,   // no such file
  Failed,     // the decoder refused the file
  Cancelled,  // ProgressHook answered 0, or the stop flag was raised
  // The file's header declares more than kMaxPicturePixels: refused before
  // anything was decoded, with the size in decoder_message.
  TooLarge,
  // Asked for from inside ProgressHook while GraphicsMagick decodes another
  // file (the hook processes window events): the library cannot decode two
  // files at once on one thread. Ask again once the running load is over.
  Busy,
};

struct LoadedPicture {
  LoadOutcome outcome = LoadOutcome::NotFound;
  QImage image;  // null unless Loaded
  int width = 0;
  int height = 0;
  std::int64_t file_size = 0;
  // "file not found", "Non TIF, JPeg, BMP, GIF, PNG or PCX Image" for files
  // that are not library formats, otherwise the file name in upper case.
  QString status;
  // On Failed and TooLarge: the decoder's own words (or the refused size),
  // and for the library formats the notice "Reading bmp file failed" (gif,
  // png, pcx, jpg, tif).
  QString decoder_message;
  QString failure_notice;
};

inline constexpr const char* kStatusNotFound = "file not found";
inline constexpr const char* kStatusNotLibrary = "Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

// Loads the file named path. Never throws for a bad file.
LoadedPicture LoadPicture(const QString& path, const LoadOptions& options = {});

// Loads a picture held in memory, as LoadPicture loads a file: name (the
// picture's file name, such as "holiday.JPG") chooses the decoder by its
// extension and gives the status; file_size is the number of bytes. No file
// is created anywhere: a kind that DecodesFromMemory denies is Failed. The
// bytes are only read during the call; nothing keeps a pointer into them.
LoadedPicture LoadPictureBytes(std::span<const std::uint8_t> bytes, const QString& name,
                               const LoadOptions& options = {});

// True when pictures of the kind are decoded straight from memory. False
// when the decoder would copy the bytes into a temporary file first (a plain
// copy on disk): such a picture has to be loaded from a file.
bool DecodesFromMemory(PictureKind kind);

}  // namespace vls
