#pragma once
// Work shared by the two cores the sort engine counts on.

#include "platform/run_both.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zorbe {

// Ranges of work shared by two threads: a range above the threshold is split one step and its
// parts go back to the queue; smaller ranges are finished by the thread that takes them. When no
// range is above the threshold, they are all finished on this thread: a helper thread would cost
// more than it saves. A Range has a `count`.
template <typename Range, typename Split, typename Finish>
void RunOnTwoThreads(std::vector<Range> ranges, std::size_t threshold, Split split, Finish finish) {
  if (std::none_of(ranges.begin(), ranges.end(),
                   [&](const Range& range) { return range.count > threshold; })) {
    for (const Range& range : ranges) {
      finish(range);
    }
    return;
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t busy = 0;
  std::exception_ptr failure;
  auto worker = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return !ranges.empty() || busy == 0; });
      if (ranges.empty()) {
        return;
      }
      Range range = ranges.back();
      ranges.pop_back();
      ++busy;
      lock.unlock();
      std::vector<Range> parts;
      try {
        if (range.count > threshold) {
          split(range, parts);
        } else {
          finish(range);
        }
      } catch (...) {
        lock.lock();
        failure = std::current_exception();
        ranges.clear(); // nothing more is started; both threads wind down
        parts.clear();
        lock.unlock();
      }
      lock.lock();
      if (!failure) {
        ranges.insert(ranges.end(), parts.begin(), parts.end());
      }
      --busy;
      changed.notify_all();
    }
  };
  std::thread helper(worker);
  worker();
  helper.join();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

} // namespace zorbe
