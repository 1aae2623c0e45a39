// Bytes per second of the keystream cipher over the shared 4096-byte buffer.

#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
