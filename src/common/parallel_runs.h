#ifndef ORV_SRC_PARALLEL_RUNS_H
#define ORV_SRC_PARALLEL_RUNS_H

// Passes over all voxels on every core: the voxels are split into one run
// per core, and each run works on its own data. Histograms count each run
// into its own table and add the tables; a range scan keeps one extreme per
// run; mapping writes each run's pixels. One core cannot do a scattered
// increment or a table look-up per voxel at the speed memory delivers them.

#include <bix/ParallelRuns.h>

#include <cstddef>
#include <vector>

namespace orv {

using bix::ForEachRun;
using bix::Meanwhile;
using bix::RunsFor;

// countRun(begin, end, table) adds the voxels begin..end-1 to `table`
// (`bins` entries, zeroed). `into` receives the sum of all runs.
template <class CountRun>
void CountInParallel(std::size_t total, std::size_t bins, unsigned* into, CountRun countRun,
                     const Meanwhile& meanwhile = {}) {
  // Huge tables are not worth a copy per core (an int histogram may have 2^24 bins).
  constexpr std::size_t kMaxBins = std::size_t(1) << 20;
  const std::size_t runs = bins > kMaxBins ? 1 : RunsFor(total);
  std::vector<std::vector<unsigned>> tables(runs - 1, std::vector<unsigned>(bins, 0u));
  ForEachRun(
      total, runs,
      [&](std::size_t r, std::size_t begin, std::size_t end) { countRun(begin, end, r == 0 ? into : tables[r - 1].data()); },
      meanwhile);
  for (const std::vector<unsigned>& table : tables)
    for (std::size_t b = 0; b < bins; ++b) into[b] += table[b];
}

}  // namespace orv

#endif
