#include "engine/parallel.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace quorin {

int part_count(long items, long least_per_part) {
  const long cores = std::max(1u, std::thread::hardware_concurrency());
  const long most = least_per_part > 0 ? items / least_per_part : items;
  return static_cast<int>(std::clamp(most, 1L, cores));
}

void for_each_part(long first, long last, int parts, const std::function<void(int part, long first, long last)>& work) {
  const long items = last - first + 1;
  parts = static_cast<int>(std::clamp<long>(parts, 1, std::max(1L, items)));
  auto range_first = [&](int part) { return first + items * part / parts; };
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(parts));
  auto run = [&](int part) {
    try {
      work(part, range_first(part), range_first(part + 1) - 1);
    } catch (...) {
      failures[static_cast<std::size_t>(part)] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(parts - 1));
  int started = 1;
  try {
    for (; started < parts; ++started) threads.emplace_back(run, started);
  } catch (const std::system_error&) {  // no more threads: the calling thread does the rest
  }
  run(0);
  for (int part = started; part < parts; ++part) run(part);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace quorin
