#include "engine/line_sort.h"

#include "text/shift_jis.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace zorbe {
namespace {

// Ranges of work shared by two threads: a range above the threshold is split one step and its
// parts go back to the queue; smaller ranges are finished by the thread that takes them.
template <typename Range, typename Split, typename Finish>
void RunOnTwoThreads(std::vector<Range> ranges, std::size_t threshold, Split split, Finish finish) {
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

// Moves every item into the bucket of its key (keys[i], 0 to buckets - 1), in place, the keys
// moving along. `begin` receives where each bucket starts (begin[buckets] is the count).
template <std::size_t Buckets>
void PermuteByKey(TLineRef* items, std::uint8_t* keys, std::size_t count,
                  std::array<std::size_t, Buckets + 1>& begin) {
  std::array<std::size_t, Buckets> sizes{};
  for (std::size_t i = 0; i < count; ++i) {
    ++sizes[keys[i]];
  }
  begin[0] = 0;
  for (std::size_t k = 0; k < Buckets; ++k) {
    begin[k + 1] = begin[k] + sizes[k];
  }
  std::array<std::size_t, Buckets> next{};
  std::copy(begin.begin(), begin.end() - 1, next.begin());
  for (std::size_t k = 0; k < Buckets; ++k) {
    while (next[k] < begin[k + 1]) {
      std::size_t at = next[k];
      TLineRef item = items[at];
      std::uint8_t key = keys[at];
      while (key != k) { // follow the cycle until an item of bucket k comes back
        const std::size_t target = next[key]++;
        std::swap(item, items[target]);
        std::swap(key, keys[target]);
      }
      items[at] = item;
      keys[at] = key;
      ++next[k];
    }
  }
}

// In-place MSD radix sort of line references by their bytes, ascending.
class TRadixSort {
public:
  struct Range {
    TLineRef* items;
    std::size_t count;
    std::size_t depth; // the bytes before depth are equal in the whole range
  };

  explicit TRadixSort(const TTextSpace& space) : space_(space) {}

  void Sort(TLineRef* items, std::size_t count) {
    const std::size_t threshold = std::max<std::size_t>(count / 32, 1 << 14);
    RunOnTwoThreads(
        std::vector<Range>{{items, count, 0}}, threshold,
        [this](Range range, std::vector<Range>& parts) {
          thread_local std::vector<std::uint8_t> keys;
          Split(range, keys, parts);
        },
        [this](Range range) { Finish(range); });
  }

private:
  static constexpr std::size_t kSmall = 32;
  static constexpr std::size_t kPrefetchDistance = 16;

  std::string_view View(TLineRef line) const { return space_.View(line); }

  // Sorts a range completely on this thread.
  void Finish(Range range) const {
    thread_local std::vector<std::uint8_t> keys;
    std::vector<Range> pending{range};
    while (!pending.empty()) {
      const Range next = pending.back();
      pending.pop_back();
      if (next.count <= kSmall) {
        InsertionSort(next);
      } else {
        Split(next, keys, pending);
      }
    }
  }

  // One radix step: the lines that end at `depth` come first (they are equal), the others are
  // bucketed by their byte at `depth`; buckets of two or more lines are appended to `parts`.
  void Split(Range range, std::vector<std::uint8_t>& keys, std::vector<Range>& parts) const {
    for (;;) {
      TLineRef* rest = std::partition(range.items, range.items + range.count, [&](TLineRef line) {
        return (line.IsLong() ? View(line).size() : line.ShortSize()) <= range.depth;
      });
      range.count -= static_cast<std::size_t>(rest - range.items);
      range.items = rest;
      if (range.count <= 1) {
        return;
      }
      keys.resize(range.count);
      for (std::size_t i = 0; i < range.count; ++i) {
        if (i + kPrefetchDistance < range.count) {
          space_.Prefetch(range.items[i + kPrefetchDistance]);
        }
        keys[i] = static_cast<std::uint8_t>(View(range.items[i])[range.depth]);
      }
      if (std::all_of(keys.begin(), keys.begin() + range.count,
                      [&](std::uint8_t k) { return k == keys[0]; })) {
        ++range.depth; // a shared byte: no need to move anything
        continue;
      }
      std::array<std::size_t, 257> begin;
      PermuteByKey<256>(range.items, keys.data(), range.count, begin);
      for (std::size_t k = 0; k < 256; ++k) {
        if (begin[k + 1] - begin[k] > 1) {
          parts.push_back({range.items + begin[k], begin[k + 1] - begin[k], range.depth + 1});
        }
      }
      return;
    }
  }

  void InsertionSort(Range range) const {
    auto tail = [&](TLineRef line) { return View(line).substr(range.depth); };
    for (std::size_t i = 1; i < range.count; ++i) {
      const TLineRef item = range.items[i];
      const std::string_view key = tail(item);
      std::size_t j = i;
      for (; j > 0 && CompareBytes(key, tail(range.items[j - 1])) < 0; --j) {
        range.items[j] = range.items[j - 1];
      }
      range.items[j] = item;
    }
  }

  const TTextSpace& space_;
};

// QuickSortExact on both cores: a large range is partitioned one step at a time and its parts
// are queued; a part's final order depends only on its own contents.
void SortExact(TLineRef* items, std::size_t count, const TTextSpace& space, TLineCompare compare) {
  auto less = [&](TLineRef a, TLineRef b) { return compare(space.View(a), space.View(b)); };
  struct Range {
    TLineRef* items;
    std::size_t count;
  };
  RunOnTwoThreads(
      std::vector<Range>{{items, count}}, std::max<std::size_t>(count / 32, 1 << 14),
      [&](Range range, std::vector<Range>& parts) {
        std::ptrdiff_t i = 0;
        std::ptrdiff_t j = static_cast<std::ptrdiff_t>(range.count) - 1;
        const TLineRef pivot = range.items[j / 2];
        do {
          while (less(range.items[i], pivot) < 0) {
            ++i;
          }
          while (less(range.items[j], pivot) > 0) {
            --j;
          }
          if (i <= j) {
            std::swap(range.items[i], range.items[j]);
            ++i;
            --j;
          }
        } while (i <= j);
        if (j > 0) {
          parts.push_back({range.items, static_cast<std::size_t>(j + 1)});
        }
        if (i < static_cast<std::ptrdiff_t>(range.count) - 1) {
          parts.push_back({range.items + i, range.count - static_cast<std::size_t>(i)});
        }
      },
      [&](Range range) { QuickSortExact(range.items, range.count, less); });
}

// Groups the lines by the write position of their class and returns where each group begins.
// `stable` keeps the input order within a group (the exact sort needs it) at the cost of a
// second list; otherwise the lines are moved in place.
std::array<std::size_t, kClassCount + 1> GroupByClass(std::vector<TLineRef>& lines,
                                                      const TTextSpace& space,
                                                      const TClassSortOptions& options,
                                                      bool stable) {
  std::array<std::size_t, kClassCount + 1> begin{};
  if (!options.charTypeOrder) {
    const int position =
        static_cast<int>(std::find(options.writeOrder.begin(), options.writeOrder.end(), 1) -
                         options.writeOrder.begin());
    std::fill(begin.begin() + position + 1, begin.end(), lines.size());
    return begin;
  }
  std::array<std::uint8_t, kClassCount + 1> positionOfClass{};
  for (int k = 0; k < kClassCount; ++k) {
    positionOfClass[options.writeOrder[k]] = static_cast<std::uint8_t>(k);
  }
  std::vector<std::uint8_t> keys(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    keys[i] = positionOfClass[ClassForSort(space.View(lines[i]), true, options.codes)];
  }
  if (!stable) {
    PermuteByKey<kClassCount>(lines.data(), keys.data(), lines.size(), begin);
    return begin;
  }
  for (std::uint8_t key : keys) {
    ++begin[key + 1];
  }
  for (int k = 0; k < kClassCount; ++k) {
    begin[k + 1] += begin[k];
  }
  std::vector<TLineRef> grouped(lines.size());
  std::array<std::size_t, kClassCount + 1> next = begin;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    grouped[next[keys[i]]++] = lines[i];
  }
  lines.swap(grouped);
  return begin;
}

} // namespace

void SortClassLists(std::vector<TLineRef>& lines, const TTextSpace& space,
                    const TClassSortOptions& options) {
  const auto begin = GroupByClass(lines, space, options, options.distinction);
  const TLineCompare compare = CompareFor(options.sortDirection, options.distinction);
  for (int k = 0; k < kClassCount; ++k) {
    TLineRef* first = lines.data() + begin[k];
    const std::size_t count = begin[k + 1] - begin[k];
    if (count < 2) {
      continue;
    }
    if (options.distinction) {
      SortExact(first, count, space, compare);
      continue;
    }
    TRadixSort(space).Sort(first, count);
    if (options.sortDirection == 1) {
      std::reverse(first, first + count);
    }
  }
}

} // namespace zorbe
