// The best of several timed runs: the one least disturbed by the rest of the
// machine. Ratios of two such times, taken in one process, are what the
// benchmarks report.
#pragma once

#include <algorithm>
#include <chrono>

namespace oddments::bench {

template <class Work>
double BestSeconds(int runs, Work&& work) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace oddments::bench
