// Bytes per second of the keystream cipher over the shared 4096-byte buffer,
// next to a plain copy of the same buffer (the cheapest thing a transfer does
// with each byte).

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>

#include "cipher/Cipher.h"

namespace {

void BM_EncodeBuffer4096(benchmark::State& state) {
  vls::KeyString.Set("benchmark password");
  vls::ComputeKeySum();
  for (auto _ : state) {
    vls::EncodeBuffer(vls::kWorkBufferSize);
    benchmark::DoNotOptimize(vls::WorkBuffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * vls::kWorkBufferSize);
  vls::DropKey();
}
BENCHMARK(BM_EncodeBuffer4096);

void BM_DecodeBuffer4096(benchmark::State& state) {
  vls::KeyString.Set("benchmark password");
  vls::ComputeKeySum();
  for (auto _ : state) {
    vls::DecodeBuffer(vls::kWorkBufferSize);
    benchmark::DoNotOptimize(vls::WorkBuffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * vls::kWorkBufferSize);
  vls::DropKey();
}
BENCHMARK(BM_DecodeBuffer4096);

void BM_Memcpy4096(benchmark::State& state) {
  static std::array<std::uint8_t, vls::kWorkBufferSize> copy;
  for (auto _ : state) {
    std::memcpy(copy.data(), vls::WorkBuffer.data(), vls::kWorkBufferSize);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * vls::kWorkBufferSize);
}
BENCHMARK(BM_Memcpy4096);

}  // namespace

BENCHMARK_MAIN();
