#pragma once
// The picture as the animation shows it: a colour buffer of the logical size
// that frames are drawn into and disposed of, and, when some frame of the
// file is transparent, a mask of the same size telling which pixels let the
// background through.

#include <cstdint>
#include <vector>

#include "imaging/gif/GifDecoder.h"

namespace vls::gif {

class Composition {
 public:
  // Sizes the buffers for `gif` and clears them: black colour, and a fully
  // transparent mask when some frame is transparent. Keeps a reference to
  // `gif`, which must outlive the composition or the next Reset.
  void Reset(const GifFile& gif);
  // Empties the picture and gives its memory back.
  void Clear();

  // Draws frame n (0-based) over what is there. A "restore previous" frame
  // first saves the area it covers.
  void Draw(int n);
  // Undoes frame n as its disposal says: 2 clears its area to transparent
  // (or black without a mask), 3 restores the saved area, 0 and 1 keep it.
  void Dispose(int n);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool HasMask() const { return has_mask_; }
  // 0xFFRRGGBB per pixel, rows top first.
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  // One byte a pixel: 1 = transparent, 0 = opaque. Empty without a mask.
  const std::vector<std::uint8_t>& Mask() const { return mask_; }
  std::uint32_t PixelAt(int x, int y) const { return pixels_[Index(x, y)]; }
  bool TransparentAt(int x, int y) const { return has_mask_ && mask_[Index(x, y)] != 0; }

 private:
  struct Saved {
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> mask;
  };
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  const GifFile* gif_ = nullptr;
  int width_ = 0, height_ = 0;
  bool has_mask_ = false;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint8_t> mask_;
  std::vector<Saved> saved_;  // one per frame, filled for disposal 3
};

}  // namespace vls::gif
