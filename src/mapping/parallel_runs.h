#ifndef ORV_SRC_PARALLEL_RUNS_H
#define ORV_SRC_PARALLEL_RUNS_H

// Passes over all voxels on every core: the voxels are split into one run
// per core, and each run works on its own data. Histograms count each run
// into its own table and add the tables; a range scan keeps one extreme per
// run; mapping writes each run's pixels. One core cannot do a scattered
// increment or a table look-up per voxel at the speed memory delivers them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace orv {

// Splits 0..total-1 into `runs` consecutive runs and calls run(r, begin, end)
// for each, run 0 on the calling thread and the others on threads of their own.
template <class Run>
void ForEachRun(std::size_t total, std::size_t runs, Run run) {
  std::vector<std::thread> workers;
  const std::size_t chunk = total / runs;
  for (std::size_t r = 1; r < runs; ++r) {
    const std::size_t begin = r * chunk, end = r + 1 == runs ? total : begin + chunk;
    try {
      workers.emplace_back([=, &run] { run(r, begin, end); });
    } catch (const std::system_error&) {
      run(r, begin, end);  // no thread to be had (a process limit): this one does the run
    }
  }
  run(std::size_t(0), std::size_t(0), runs == 1 ? total : chunk);
  for (std::thread& worker : workers) worker.join();
}

// How many runs a pass over `total` voxels is worth: one per core, but no
// run shorter than `minPerRun` (starting a thread costs tens of microseconds).
inline std::size_t RunsFor(std::size_t total, std::size_t minPerRun = std::size_t(1) << 21) {
  const std::size_t cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  return std::min(cores, std::max<std::size_t>(1, total / minPerRun));
}

// countRun(begin, end, table) adds the voxels begin..end-1 to `table`
// (`bins` entries, zeroed). `into` receives the sum of all runs.
template <class CountRun>
void CountInParallel(std::size_t total, std::size_t bins, unsigned* into, CountRun countRun) {
  // Huge tables are not worth a copy per core (an int histogram may have 2^24 bins).
  constexpr std::size_t kMaxBins = std::size_t(1) << 20;
  const std::size_t runs = bins > kMaxBins ? 1 : RunsFor(total);
  if (runs == 1) {
    countRun(std::size_t(0), total, into);
    return;
  }
  // Each run counts into a table of its own, a cache line away from the
  // next: two cores incrementing counts on one line would pass it to and fro.
  constexpr std::size_t kLine = 64 / sizeof(unsigned);
  const std::size_t pitch = (bins + kLine - 1) / kLine * kLine + kLine;
  std::vector<unsigned> tables(runs * pitch + kLine, 0u);
  unsigned* const first = tables.data() + (kLine - reinterpret_cast<std::uintptr_t>(tables.data()) / sizeof(unsigned) % kLine);
  ForEachRun(total, runs, [&](std::size_t r, std::size_t begin, std::size_t end) {
    countRun(begin, end, first + r * pitch);
  });
  for (std::size_t r = 0; r < runs; ++r)
    for (std::size_t b = 0; b < bins; ++b) into[b] += first[r * pitch + b];
}

}  // namespace orv

#endif
