#ifndef ORV_SRC_PARALLEL_COUNT_H
#define ORV_SRC_PARALLEL_COUNT_H

// Histogram counting on every core: the voxels are split into one run per
// core, each run is counted into its own table, and the tables are added.
// A scattered increment per voxel is the whole cost of a histogram, and one
// core cannot do it at the speed memory delivers the voxels.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace orv {

// countRun(begin, end, table) adds the voxels begin..end-1 to `table`
// (`bins` entries, zeroed). `into` receives the sum of all runs.
template <class CountRun>
void CountInParallel(std::size_t total, std::size_t bins, unsigned* into, CountRun countRun) {
  // Small images are not worth a thread; huge tables are not worth a copy
  // per core (an int histogram may have 2^24 bins).
  constexpr std::size_t kMinVoxelsPerThread = std::size_t(1) << 21;
  constexpr std::size_t kMaxBins = std::size_t(1) << 20;
  const std::size_t cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  const std::size_t threads = std::min(cores, std::max<std::size_t>(1, total / kMinVoxelsPerThread));
  if (threads < 2 || bins > kMaxBins) {
    countRun(std::size_t(0), total, into);
    return;
  }
  std::vector<std::vector<unsigned>> tables(threads - 1, std::vector<unsigned>(bins, 0u));
  std::vector<std::thread> workers;
  const std::size_t chunk = total / threads;
  for (std::size_t t = 1; t < threads; ++t) {
    const std::size_t begin = t * chunk, end = t + 1 == threads ? total : begin + chunk;
    unsigned* table = tables[t - 1].data();
    workers.emplace_back([=, &countRun] { countRun(begin, end, table); });
  }
  countRun(std::size_t(0), chunk, into);
  for (std::thread& worker : workers) worker.join();
  for (const std::vector<unsigned>& table : tables)
    for (std::size_t b = 0; b < bins; ++b) into[b] += table[b];
}

}  // namespace orv

#endif
