#include "engine/line_sort.h"

#include "text/shift_jis.h"

#include <algorithm>
#include <thread>

namespace zorbe {
namespace {

// Gives every line the write position of its class as tag and returns where each position's
// run begins (begins[k] to begins[k + 1]), the lines grouped by position in input order.
std::array<std::size_t, kClassCount + 1> GroupByWritePosition(std::vector<TLineRef>& lines,
                                                              const std::array<int, kClassCount>& writeOrder) {
  std::array<std::uint32_t, kClassCount + 1> positionOfClass{};
  for (int k = 0; k < kClassCount; ++k) {
    positionOfClass[writeOrder[k]] = static_cast<std::uint32_t>(k);
  }
  std::array<std::size_t, kClassCount + 1> begins{};
  for (TLineRef& line : lines) {
    line.tag = positionOfClass[line.tag];
    ++begins[line.tag + 1];
  }
  for (int k = 0; k < kClassCount; ++k) {
    begins[k + 1] += begins[k];
  }
  const bool grouped = std::is_sorted(lines.begin(), lines.end(),
                                      [](const TLineRef& a, const TLineRef& b) { return a.tag < b.tag; });
  if (!grouped) {
    std::vector<TLineRef> byPosition(lines.size());
    std::array<std::size_t, kClassCount + 1> next = begins;
    for (const TLineRef& line : lines) {
      byPosition[next[line.tag]++] = line;
    }
    lines.swap(byPosition);
  }
  return begins;
}

// Runs task(k) for k in [0, count) on up to two threads, largest pieces first.
template <typename Task> void RunInParallel(std::size_t count, const std::vector<std::size_t>& sizes, Task task) {
  std::vector<std::size_t> order(count);
  for (std::size_t k = 0; k < count; ++k) {
    order[k] = k;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      task(order[i]);
    }
  };
  std::thread helper(worker);
  worker();
  helper.join();
}

} // namespace

void SortClassLists(std::vector<TLineRef>& lines, const std::array<int, kClassCount>& writeOrder,
                    int sortDirection, bool distinction) {
  const auto begins = GroupByWritePosition(lines, writeOrder);
  std::vector<std::size_t> sizes(kClassCount);
  for (int k = 0; k < kClassCount; ++k) {
    sizes[k] = begins[k + 1] - begins[k];
  }
  const TLineCompare compare = CompareFor(sortDirection, distinction);
  RunInParallel(kClassCount, sizes, [&](std::size_t k) {
    TLineRef* first = lines.data() + begins[k];
    if (distinction) {
      QuickSortExact(first, sizes[k], [compare](const TLineRef& a, const TLineRef& b) {
        return compare(a.View(), b.View());
      });
      return;
    }
    std::sort(first, first + sizes[k], [compare](const TLineRef& a, const TLineRef& b) {
      return compare(a.View(), b.View()) < 0;
    });
  });
}

} // namespace zorbe
