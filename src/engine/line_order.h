#pragma once
// How the lines of a sort job are put in order: the eleven character classes, the order in
// which the classes are written, the four compares, and the exact quicksort that fixes the
// order of lines that compare equal without being identical (case-folded compares).

#include <array>
#include <cstddef>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace zorbe {

inline constexpr int kClassCount = 11;

// The class names in class order (class n is kClassNames[n - 1]).
extern const std::array<std::string_view, kClassCount> kClassNames;

// The class (1 to 11) of a non-empty line, from its first byte and, after the lead bytes 0x82,
// 0x83, 0xEE and 0xFA, its second byte (0 for a line of one byte).
int ClassOfLine(std::string_view line);

// The class minus one (0 to 10) of the name at `slot` (from 0) of the separated text, or -1 when
// the text is empty or that entry is not a class name.
int ClassIndexOfName(std::string_view text, std::string_view separator, int slot);

// The classes (1 to 11) in the order they are written: the classes named at the slots 0 to 10
// of OrderOfRow, each at its first slot, then every class it doesn't name in class order. So a
// text that misses, repeats or misspells a name still writes every line exactly once.
std::array<int, kClassCount> ClassWriteOrder(std::string_view orderOfRow);

int CompareAscending(std::string_view a, std::string_view b);
int CompareDescending(std::string_view a, std::string_view b);
int CompareAscendingFolded(std::string_view a, std::string_view b);
int CompareDescendingFolded(std::string_view a, std::string_view b);

using TLineCompare = int (*)(std::string_view, std::string_view);

// The compare for a SortDirection (1 descending, anything else ascending) and Distinction.
TLineCompare CompareFor(int sortDirection, bool distinction);

// The quicksort whose steps decide the order of equal items: pivot the middle item of the
// range, move I up while C(item I, pivot) < 0 and J down while C(item J, pivot) > 0, swap when
// I <= J, then sort [L, J] and [I, R]. It works on any `Items` that provides
//   Value Get(i)                        a copy of item i (the pivot),
//   int Compare(i, const Value& pivot)  C(item i, pivot): -1, 0 or 1,
//   void Swap(i, j),
// so that one set of steps serves plain arrays and parallel arrays alike.

// One partition step of [left, right] (left < right); returns {I, J}: [left, J] and [I, right]
// remain to be sorted.
template <typename Items>
std::pair<std::ptrdiff_t, std::ptrdiff_t> PartitionExact(Items& items, std::ptrdiff_t left,
                                                         std::ptrdiff_t right) {
  std::ptrdiff_t i = left;
  std::ptrdiff_t j = right;
  const auto pivot = items.Get((left + right) / 2);
  do {
    while (items.Compare(i, pivot) < 0) {
      ++i;
    }
    while (items.Compare(j, pivot) > 0) {
      --j;
    }
    if (i <= j) {
      items.Swap(i, j);
      ++i;
      --j;
    }
  } while (i <= j);
  return {i, j};
}

// Sorts [left, right]. The two parts of a step are independent, so the smaller is done first
// with the larger on an explicit stack: the result is the same and the stack stays O(log n)
// deep.
template <typename Items>
void QuickSortExactRange(Items& items, std::ptrdiff_t left, std::ptrdiff_t right) {
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending{{left, right}};
  while (!pending.empty()) {
    std::tie(left, right) = pending.back();
    pending.pop_back();
    while (left < right) {
      const auto [i, j] = PartitionExact(items, left, right);
      // A part of one item or none is done.
      if (j - left < right - i) {
        if (i < right) {
          pending.emplace_back(i, right);
        }
        right = j;
      } else {
        if (left < j) {
          pending.emplace_back(left, j);
        }
        left = i;
      }
    }
  }
}

// The same quicksort on a plain array with a compare of two items.
template <typename T, typename ItemCompare>
void QuickSortExact(T* items, std::size_t count, ItemCompare compare) {
  struct TArray {
    T* items;
    ItemCompare& compare;
    T Get(std::ptrdiff_t i) const { return items[i]; }
    int Compare(std::ptrdiff_t i, const T& pivot) const { return compare(items[i], pivot); }
    void Swap(std::ptrdiff_t i, std::ptrdiff_t j) const { std::swap(items[i], items[j]); }
  } array{items, compare};
  if (count >= 2) {
    QuickSortExactRange(array, 0, static_cast<std::ptrdiff_t>(count) - 1);
  }
}

} // namespace zorbe
