#include "imaging/gif/Composition.h"

#include <algorithm>
#include <array>

namespace vls::gif {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

// The part of a frame that lies on the picture (all of it for frames of a
// decoded file, whose logical size covers every frame).
struct Area {
  int x0, y0, x1, y1;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Area Clip(const TFrame& f, int width, int height) {
  return {std::min(f.left, width), std::min(f.top, height), std::min(f.left + f.width, width),
          std::min(f.top + f.height, height)};
}

}  // namespace

void Composition::Reset(const GifFile& gif) {
  gif_ = &gif;
  width_ = gif.logical_width;
  height_ = gif.logical_height;
  has_mask_ = gif.any_transparent;
  const std::size_t area = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  pixels_.assign(area, kBlack);
  mask_.assign(has_mask_ ? area : 0, 1);
  saved_.assign(gif.frames.size(), Saved{});
}

void Composition::Clear() {
  gif_ = nullptr;
  width_ = height_ = 0;
  has_mask_ = false;
  // Replaced by empty buffers: clear() would keep the memory.
  pixels_ = std::vector<std::uint32_t>();
  mask_ = std::vector<std::uint8_t>();
  saved_ = std::vector<Saved>();
}

void Composition::Draw(int n) {
  if (gif_ == nullptr || n < 0 || n >= static_cast<int>(gif_->frames.size()))
    return;
  const TFrame& f = gif_->frames[static_cast<std::size_t>(n)];
  const Area a = Clip(f, width_, height_);
  if (a.Empty())
    return;
  const std::size_t w = static_cast<std::size_t>(a.x1 - a.x0);

  if (f.disposal == 3) {
    Saved& s = saved_[static_cast<std::size_t>(n)];
    s.pixels.resize(w * static_cast<std::size_t>(a.y1 - a.y0));
    s.mask.resize(has_mask_ ? s.pixels.size() : 0);
    for (int y = a.y0; y < a.y1; ++y) {
      const std::size_t row = static_cast<std::size_t>(y - a.y0) * w;
      std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)), w,
                  s.pixels.begin() + static_cast<std::ptrdiff_t>(row));
      if (has_mask_) {
        std::copy_n(mask_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)), w,
                    s.mask.begin() + static_cast<std::ptrdiff_t>(row));
      }
    }
  }

  std::array<std::uint32_t, 256> colors;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    colors[i] = kBlack | (std::uint32_t{f.colors[3 * i]} << 16) |
                (std::uint32_t{f.colors[3 * i + 1]} << 8) | f.colors[3 * i + 2];
  }
  for (int y = a.y0; y < a.y1; ++y) {
    const std::uint8_t* in =
        f.indices.data() + static_cast<std::size_t>(y - f.top) * static_cast<std::size_t>(f.width) +
        static_cast<std::size_t>(a.x0 - f.left);
    std::uint32_t* out = pixels_.data() + Index(a.x0, y);
    std::uint8_t* mask = has_mask_ ? mask_.data() + Index(a.x0, y) : nullptr;
    if (!f.transparent) {
      for (std::size_t x = 0; x < w; ++x)
        out[x] = colors[in[x]];
      if (mask != nullptr)
        std::fill_n(mask, w, 0);
    } else {
      const std::uint8_t key = f.transparent_index;
      for (std::size_t x = 0; x < w; ++x) {
        if (in[x] != key) {
          out[x] = colors[in[x]];
          mask[x] = 0;
        }
      }
    }
  }
}

void Composition::Dispose(int n) {
  if (gif_ == nullptr || n < 0 || n >= static_cast<int>(gif_->frames.size()))
    return;
  const TFrame& f = gif_->frames[static_cast<std::size_t>(n)];
  const Area a = Clip(f, width_, height_);
  if (a.Empty())
    return;
  const std::size_t w = static_cast<std::size_t>(a.x1 - a.x0);
  if (f.disposal == 2) {
    for (int y = a.y0; y < a.y1; ++y) {
      std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)), w, kBlack);
      if (has_mask_)
        std::fill_n(mask_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)), w, 1);
    }
  } else if (f.disposal == 3) {
    const Saved& s = saved_[static_cast<std::size_t>(n)];
    if (s.pixels.size() != w * static_cast<std::size_t>(a.y1 - a.y0))
      return;  // never drawn
    for (int y = a.y0; y < a.y1; ++y) {
      const std::size_t row = static_cast<std::size_t>(y - a.y0) * w;
      std::copy_n(s.pixels.begin() + static_cast<std::ptrdiff_t>(row), w,
                  pixels_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)));
      if (has_mask_) {
        std::copy_n(s.mask.begin() + static_cast<std::ptrdiff_t>(row), w,
                    mask_.begin() + static_cast<std::ptrdiff_t>(Index(a.x0, y)));
      }
    }
  }
}

}  // namespace vls::gif
