// Decoding a large animated GIF (100 frames of 800 by 600, written once by
// giflib's encoder so the LZW streams are those of a common encoder), by the
// program's own decoder and by giflib's DGifSlurp, each alone and followed by
// a composition of every frame onto a 32-bit picture.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "imaging/gif/GifPlayer.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kFrames = 100;

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + size);
  return size;
}

// Bands that move from frame to frame with a little noise, as in a dithered
// video clip; every frame but the first lets the previous one through where
// its index is 0.
const std::vector<std::uint8_t>& TestFile() {
  static const std::vector<std::uint8_t> file = [] {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (gif == nullptr)
      throw std::runtime_error("EGifOpen");
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i) {
      map->Colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                        static_cast<GifByteType>((i * 7) & 255)};
    }
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    const unsigned char loop[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> line(kWidth);
    std::uint32_t seed = 1;
    for (int t = 0; t < kFrames; ++t) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = DISPOSE_DO_NOT;
      gcb.DelayTime = 4;
      gcb.TransparentColor = t == 0 ? NO_TRANSPARENT_COLOR : 0;
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
      EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          seed = seed * 1103515245u + 12345u;
          const int band = ((x + 4 * t) / 16 + y / 16) % 60;
          line[static_cast<std::size_t>(x)] =
              static_cast<GifPixelType>(band * 4 + ((seed >> 16) & 3));
        }
        EGifPutLine(gif, line.data(), kWidth);
      }
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return out;
  }();
  return file;
}

struct Reader {
  const std::vector<std::uint8_t>* data;
  std::size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* bytes, int size) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(size), r->data->size() - r->pos);
  std::memcpy(bytes, r->data->data() + r->pos, n);
  r->pos += n;
  return static_cast<int>(n);
}

GifFileType* Slurp(Reader& reader) {
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (gif == nullptr || DGifSlurp(gif) != GIF_OK)
    throw std::runtime_error("DGifSlurp");
  return gif;
}

void Report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(TestFile().size()));
  state.counters["file_bytes"] = static_cast<double>(TestFile().size());
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                                                  benchmark::Counter::kIsRate);
}

void BM_OwnDecode(benchmark::State& state) {
  const auto& file = TestFile();
  for (auto _ : state) {
    vls::gif::GifFile gif = vls::gif::DecodeGif(file);
    if (gif.frames.size() != kFrames)
      state.SkipWithError("frames");
    benchmark::DoNotOptimize(gif.frames.back().indices.data());
  }
  Report(state);
}
BENCHMARK(BM_OwnDecode)->Unit(benchmark::kMillisecond);

void BM_GiflibSlurp(benchmark::State& state) {
  const auto& file = TestFile();
  for (auto _ : state) {
    Reader reader{&file};
    GifFileType* gif = Slurp(reader);
    if (gif->ImageCount != kFrames)
      state.SkipWithError("frames");
    benchmark::DoNotOptimize(gif->SavedImages[kFrames - 1].RasterBits);
    int error = 0;
    DGifCloseFile(gif, &error);
  }
  Report(state);
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond);

// Load, then play every frame as the animation does (dispose, draw with the
// transparency mask).
void BM_OwnDecodeAndCompose(benchmark::State& state) {
  const auto& file = TestFile();
  for (auto _ : state) {
    vls::gif::ManualTimer timer;
    vls::gif::GifPlayer player(timer);
    player.SetLoop(true);
    player.LoadData(file);
    player.Tick();
    for (int n = 2; n <= kFrames; ++n)
      player.Tick();
    benchmark::DoNotOptimize(player.Picture().Pixels().data());
  }
  Report(state);
}
BENCHMARK(BM_OwnDecodeAndCompose)->Unit(benchmark::kMillisecond);

// DGifSlurp, then every frame drawn onto a 32-bit canvas through its colour
// map, skipping its transparent index.
void BM_GiflibSlurpAndCompose(benchmark::State& state) {
  const auto& file = TestFile();
  std::vector<std::uint32_t> canvas;
  for (auto _ : state) {
    Reader reader{&file};
    GifFileType* gif = Slurp(reader);
    canvas.assign(static_cast<std::size_t>(gif->SWidth) * static_cast<std::size_t>(gif->SHeight),
                  0xFF000000u);
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const GifImageDesc& d = image.ImageDesc;
      const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = NO_TRANSPARENT_COLOR;
      DGifSavedExtensionToGCB(gif, i, &gcb);
      std::uint32_t colors[256] = {};
      for (int c = 0; c < map->ColorCount; ++c) {
        colors[c] = 0xFF000000u | (std::uint32_t{map->Colors[c].Red} << 16) |
                    (std::uint32_t{map->Colors[c].Green} << 8) | map->Colors[c].Blue;
      }
      for (int y = 0; y < d.Height; ++y) {
        const GifByteType* in = image.RasterBits + static_cast<std::size_t>(y) * d.Width;
        std::uint32_t* out =
            canvas.data() + static_cast<std::size_t>(d.Top + y) * gif->SWidth + d.Left;
        for (int x = 0; x < d.Width; ++x) {
          if (in[x] != gcb.TransparentColor)
            out[x] = colors[in[x]];
        }
      }
    }
    benchmark::DoNotOptimize(canvas.data());
    int error = 0;
    DGifCloseFile(gif, &error);
  }
  Report(state);
}
BENCHMARK(BM_GiflibSlurpAndCompose)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
