#ifndef BIX_PARALLELRUNS_H
#define BIX_PARALLELRUNS_H

// Passes over many voxels on every core: the work is split into one run per
// core, and each run works on its own data. One core cannot do a table
// look-up or a neighbourhood score per voxel at the speed memory delivers
// the voxels. The library's projections use it, and so do hosts (histograms,
// mapping), so that there is one such primitive.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace bix {

// What the calling thread does while the runs go on: nothing, or GUI work
// that must stay on it (putting up a busy notice, which takes the window
// system some milliseconds).
using Meanwhile = std::function<void()>;

// Splits 0..total-1 into `runs` consecutive runs and calls run(r, begin, end)
// for each: run 0 on the calling thread and the others on threads of their
// own; with a `meanwhile`, every run on a thread of its own while the calling
// thread does meanwhile() and then waits for them.
template <class Run>
void ForEachRun(std::size_t total, std::size_t runs, Run run, const Meanwhile& meanwhile = {}) {
  std::vector<std::thread> workers;
  // Joins the threads also when this thread's own work throws (a notice
  // that cannot be made): a thread destroyed unjoined ends the process.
  struct JoinAll {
    std::vector<std::thread>& threads;
    ~JoinAll() {
      for (std::thread& thread : threads) thread.join();
    }
  } joinAll{workers};
  const std::size_t chunk = total / runs;
  for (std::size_t r = meanwhile ? 0 : 1; r < runs; ++r) {
    const std::size_t begin = r * chunk, end = r + 1 == runs ? total : begin + chunk;
    try {
      workers.emplace_back([=, &run] { run(r, begin, end); });
    } catch (const std::system_error&) {
      run(r, begin, end);  // no thread to be had (a process limit): this one does the run
    }
  }
  if (meanwhile)
    meanwhile();
  else
    run(std::size_t(0), std::size_t(0), runs == 1 ? total : chunk);
}

// How many runs a pass over `total` voxels is worth: one per core, but no
// run shorter than `minPerRun` (starting a thread costs tens of microseconds).
inline std::size_t RunsFor(std::size_t total, std::size_t minPerRun = std::size_t(1) << 21) {
  const std::size_t cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  return std::min(cores, std::max<std::size_t>(1, total / minPerRun));
}

}  // namespace bix

#endif
