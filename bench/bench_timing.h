#pragma once
// Timing helpers shared by the benchmark programs: the median of several runs of a step.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace quorin::bench {

// Runs `step` `runs` times and returns the median wall time in milliseconds.
template <typename Step>
double median_ms(int runs, Step&& step) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    step();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline void report(const char* what, double ms, double goal_ms) {
  std::printf("%-48s %10.3f ms   (goal %.0f ms%s)\n", what, ms, goal_ms, ms <= goal_ms ? "" : ", MISSED");
}

}  // namespace quorin::bench
