// Benchmark main with the memory-bandwidth baselines every figure is read
// against: memcpy of a given number of bytes, and one streaming read of them.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

void BM_Memcpy(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0));
  std::vector<unsigned char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
// Output sizes of the cuts: 1024 x 256 and 1024 x 1024 16-bit pixels, 512 MiB.
BENCHMARK(BM_Memcpy)->Arg(1024 * 256 * 2)->Arg(1024 * 1024 * 2)->Arg(512 << 20)->Unit(benchmark::kMicrosecond);

void BM_StreamRead(benchmark::State& state) {
  const std::size_t words = static_cast<std::size_t>(state.range(0)) / sizeof(std::uint64_t);
  std::vector<std::uint64_t> data(words, 3);
  for (auto _ : state) benchmark::DoNotOptimize(std::accumulate(data.begin(), data.end(), std::uint64_t(0)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * words * sizeof(std::uint64_t)));
}
BENCHMARK(BM_StreamRead)->Arg(512 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
