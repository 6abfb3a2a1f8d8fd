// The in-place MSD radix sort of lines on both cores, and the sorting of a job's lines class by
// class with it (or, with Distinction, with the exact order of exact_line_order.cpp).

#include "engine/line_sort.h"

#include "engine/line_sort_parts.h"
#include "engine/two_threads.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zorbe {
using namespace line_sort_parts;
namespace {

// The class of the line at `line` (followed by a line end) as a sort files it, from its first
// two bytes at most.
int ClassAt(const char* line) {
  const std::size_t size = IsLineEnd(line[0]) ? 0 : IsLineEnd(line[1]) ? 1 : 2;
  return ClassForSort({line, size}, true);
}

// Moves every item into the bucket of its key, in place, like PermuteByKey, but reading each
// key once and in order, with memory for one block of items per bucket instead of a key per
// item. Items are gathered per bucket in blocks; a full block goes back over the items already
// read; then the blocks are put in bucket order, and each bucket's run of blocks is moved to
// where the bucket begins and its last, partial block put behind it. `begin` receives where
// each bucket starts (begin[256] is the count).
template <typename Ref, typename KeyOf, typename Prefetch>
void DistributeInBlocks(Ref* items, std::size_t count, KeyOf keyOf, Prefetch prefetch,
                        std::array<std::size_t, 257>& begin) {
  constexpr std::size_t kBlock = 256;
  constexpr std::size_t kPrefetchDistance = 16;
  std::vector<Ref> buffers(256 * kBlock);
  std::array<std::size_t, 256> fill{};
  std::array<std::size_t, 256> sizes{};
  std::vector<std::uint8_t> tags; // the bucket of each full block put back
  tags.reserve(count / kBlock);
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kPrefetchDistance < count) {
      prefetch(items[i + kPrefetchDistance]);
    }
    const std::uint8_t key = keyOf(items[i]);
    ++sizes[key];
    buffers[key * kBlock + fill[key]++] = items[i];
    if (fill[key] == kBlock) { // the items up to i are read: a block fits before i + 1
      std::copy_n(&buffers[key * kBlock], kBlock, items + tags.size() * kBlock);
      tags.push_back(key);
      fill[key] = 0;
    }
  }
  begin[0] = 0;
  std::array<std::size_t, 257> blockBegin{};
  for (std::size_t k = 0; k < 256; ++k) {
    begin[k + 1] = begin[k] + sizes[k];
    blockBegin[k + 1] = blockBegin[k] + sizes[k] / kBlock;
  }
  // Each block's place in bucket order, then the blocks moved there along their cycles.
  std::vector<std::uint32_t> place(tags.size());
  std::array<std::size_t, 256> next{};
  std::copy(blockBegin.begin(), blockBegin.end() - 1, next.begin());
  for (std::size_t b = 0; b < tags.size(); ++b) {
    place[b] = static_cast<std::uint32_t>(next[tags[b]]++);
  }
  for (std::size_t b = 0; b < place.size(); ++b) {
    while (place[b] != b) {
      const std::uint32_t to = place[b];
      std::swap_ranges(items + b * kBlock, items + (b + 1) * kBlock, items + to * kBlock);
      std::swap(place[b], place[to]);
    }
  }
  // Every bucket's blocks lie no later than the bucket begins, and the buckets behind it are
  // in place already: from the last bucket to the first, each run moves up to its bucket.
  for (std::size_t k = 256; k-- > 0;) {
    const std::size_t run = (blockBegin[k + 1] - blockBegin[k]) * kBlock;
    std::memmove(items + begin[k], items + blockBegin[k] * kBlock, run * sizeof(Ref));
    std::copy_n(&buffers[k * kBlock], fill[k], items + begin[k] + run);
  }
}

// In-place sort of lines, ascending, by a sequence of keys: the write position of the line's
// class plus one (when classes are on), then the ranks of its bytes (lower-cased with Fold, as
// CompareFolded does), ending in the rank 0 of its line end. Each step buckets a range by its
// lines' keys at one depth: a large range in blocks (DistributeInBlocks), a smaller one through
// an array of its keys, so that the memory the sort needs beside the lines stays small and
// fixed. The items are the lines' offsets, or offsets that carry something along (RefOf).
template <typename Item, bool Fold> class TLineRadixSort {
public:
  struct Range {
    Item* items;
    std::size_t count;
    std::size_t depth; // index into the key sequence; the keys before it are equal in the range
    bool trail;        // the bytes at `depth` are trail bytes (only with Fold)
  };

  // With `equal`, the sort of the items at `first` sets the bit of every sorted position whose
  // line is equal to the one before it.
  TLineRadixSort(const TTextSpace& space, const TClassSortOptions& options, TBits* equal = nullptr,
                 const Item* first = nullptr)
      : space_(space), base_(space.Base()), classes_(options.charTypeOrder && !Fold),
        positionOfClass_(PositionOfClass(options)), equal_(equal), first_(first) {}

  // With `oneThread`, all on this thread (for a caller that keeps the other core busy itself).
  void Sort(Item* items, std::size_t count, bool oneThread = false) const {
    RunOnTwoThreads(
        std::vector<Range>{{items, count, classes_ ? 0U : 1U, false}},
        oneThread ? count : ThreadThreshold(count),
        [this](Range range, std::vector<Range>& parts) { Split(range, parts); },
        [this](Range range) { Finish(range); });
    ThreadBuffers() = {}; // the calling thread holds no memory of the sort after it
  }

  // The write position of the class of a sorted line.
  std::uint8_t PositionOf(Item item) const { return positionOfClass_[ClassAt(LineOf(item))]; }

private:
  static constexpr std::size_t kSmall = 32;
  static constexpr std::size_t kPrefetchDistance = 16;
  static constexpr std::size_t kKeysLimit = std::size_t{1} << 17;

  const char* LineOf(Item item) const { return base_ + RefOf(item); }

  std::uint8_t KeyAt(Item item, std::size_t depth, bool trail) const {
    if (depth == 0) {
      return static_cast<std::uint8_t>(PositionOf(item) + 1);
    }
    return RankAt<Fold>(LineOf(item)[depth - 1], trail);
  }
  void Prefetch(Item item, std::size_t depth) const {
    space_.Prefetch(RefOf(item) + (depth == 0 ? 0 : depth - 1));
  }
  // Whether the bytes after a key are trail bytes.
  static bool TrailAfter(std::size_t depth, bool trail, std::size_t key) {
    return Fold && depth > 0 && !trail && IsLeadByte(static_cast<unsigned char>(key));
  }

  // Sorts a range completely on this thread.
  void Finish(Range range) const {
    std::vector<Range> pending{range};
    while (!pending.empty()) {
      const Range next = pending.back();
      pending.pop_back();
      if (next.count <= kSmall) {
        InsertionSort(next);
      } else {
        Split(next, pending);
      }
    }
  }

  // One radix step: the lines are bucketed by their key at `depth` (the lines whose line end is
  // there come first; they are equal); buckets of two or more lines go to `parts`.
  void Split(Range range, std::vector<Range>& parts) const {
    std::array<std::size_t, 257> begin;
    for (;;) {
      if (range.count > kKeysLimit) {
        DistributeInBlocks(
            range.items, range.count,
            [&](Item item) { return KeyAt(item, range.depth, range.trail); },
            [&](Item item) { Prefetch(item, range.depth); }, begin);
      } else {
        Permute(range, begin);
      }
      const std::size_t shared = static_cast<std::size_t>(
          std::find(begin.begin() + 1, begin.end(), range.count) - begin.begin() - 1);
      if (begin[shared] == 0) { // a shared key: the range goes on at the next depth
        if (range.depth > 0 && shared == 0) {
          MarkEqual(range.items, range.count); // every line ends here: all are equal
          return;
        }
        range.trail = TrailAfter(range.depth, range.trail, shared);
        ++range.depth;
        continue;
      }
      if (range.depth > 0) {
        MarkEqual(range.items, begin[1]);
      }
      for (std::size_t k = 0; k < 256; ++k) {
        if (begin[k + 1] - begin[k] > 1 && !(range.depth > 0 && k == 0)) {
          parts.push_back({range.items + begin[k], begin[k + 1] - begin[k], range.depth + 1,
                           TrailAfter(range.depth, range.trail, k)});
        }
      }
      return;
    }
  }

  // A thread's memory for Permute, grown to the largest range it has bucketed.
  struct Buffers {
    std::vector<std::uint8_t> keys;
    std::vector<Item> moved;
  };
  static Buffers& ThreadBuffers() {
    thread_local Buffers buffers;
    return buffers;
  }

  // Buckets the range through an array of its keys: each item is copied to its bucket's place
  // in a buffer and the buffer copied back, which moves every item once and without branches
  // (following the cycles of the permutation in place costs a mispredicted branch an item).
  void Permute(Range range, std::array<std::size_t, 257>& begin) const {
    Buffers& buffers = ThreadBuffers();
    if (buffers.keys.size() < range.count) {
      buffers.keys.resize(range.count);
      buffers.moved.resize(range.count);
    }
    std::uint8_t* keys = buffers.keys.data();
    std::array<std::size_t, 256> sizes{};
    for (std::size_t i = 0; i < range.count; ++i) {
      if (i + kPrefetchDistance < range.count) {
        Prefetch(range.items[i + kPrefetchDistance], range.depth);
      }
      keys[i] = KeyAt(range.items[i], range.depth, range.trail);
      ++sizes[keys[i]];
    }
    begin[0] = 0;
    for (std::size_t k = 0; k < 256; ++k) {
      begin[k + 1] = begin[k] + sizes[k];
    }
    if (sizes[keys[0]] == range.count) {
      return; // one shared key: nothing to move
    }
    std::array<std::size_t, 256> next;
    std::copy(begin.begin(), begin.end() - 1, next.begin());
    Item* moved = buffers.moved.data();
    for (std::size_t i = 0; i < range.count; ++i) {
      moved[next[keys[i]]++] = range.items[i];
    }
    std::copy_n(moved, range.count, range.items);
  }

  // A line of a small range with its key at the range's depth.
  struct Keyed {
    std::uint8_t key;
    Item item;
  };

  // Lines with the same key are compared from the byte after it.
  int Compare(Keyed a, Keyed b, Range range) const {
    if (a.key != b.key) {
      return a.key < b.key ? -1 : 1;
    }
    if (a.key == 0) { // both lines end here
      return 0;
    }
    return CompareLines<Fold>(LineOf(a.item) + range.depth, LineOf(b.item) + range.depth,
                              TrailAfter(range.depth, range.trail, a.key));
  }

  // Sorts a range of at most kSmall lines by insertion, on their keys at its depth and then on
  // the rest of the lines. An item moved right of an inserted one is greater than it, and no
  // line goes between two equal ones, so whether each line equals the one before it is known
  // from the compare that stopped its insertion.
  void InsertionSort(Range range) const {
    for (std::size_t i = 0; i < range.count; ++i) { // all their loads start at once
      Prefetch(range.items[i], range.depth);
    }
    std::array<Keyed, kSmall> keyed;
    for (std::size_t i = 0; i < range.count; ++i) {
      keyed[i] = {KeyAt(range.items[i], range.depth, range.trail), range.items[i]};
    }
    static_assert(kSmall <= 64);
    std::uint64_t equal = 0; // bit i: the line at i is equal to the one before it
    for (std::size_t i = 1; i < range.count; ++i) {
      const Keyed item = keyed[i];
      std::size_t j = i;
      int order = -1;
      for (; j > 0; --j) {
        order = Compare(item, keyed[j - 1], range);
        if (order >= 0) {
          break;
        }
        keyed[j] = keyed[j - 1];
      }
      keyed[j] = item;
      // The bits from j on move up one with the items. The bit that comes to j + 1 is clear:
      // the item inserted before it is smaller than it and not smaller than the one at j - 1.
      const std::uint64_t below = (std::uint64_t{1} << j) - 1;
      equal = (equal & below) | (equal & ~below) << 1;
      equal |= std::uint64_t{order == 0} << j;
    }
    for (std::size_t i = 0; i < range.count; ++i) {
      range.items[i] = keyed[i].item;
    }
    if (equal_ != nullptr && equal != 0) {
      equal_->SetShared(static_cast<std::size_t>(range.items - first_), equal);
    }
  }

  // Marks the lines at items[1, count) as equal to the ones before them.
  void MarkEqual(const Item* items, std::size_t count) const {
    if (equal_ != nullptr && count > 1) {
      equal_->SetRunShared(static_cast<std::size_t>(items + 1 - first_),
                           static_cast<std::size_t>(items + count - first_));
    }
  }

  const TTextSpace& space_;
  const char* base_;
  bool classes_;
  std::array<std::uint8_t, kClassCount + 1> positionOfClass_;
  TBits* equal_;
  const Item* first_;
};

// Groups the lines by the write position of their class, keeping their input order within a
// group (the exact sort depends on it), and returns where each group begins.
template <typename Ref>
std::array<std::size_t, kClassCount + 1>
GroupByClass(TLineList<Ref>& lines, const TTextSpace& space, const TClassSortOptions& options) {
  std::array<std::size_t, kClassCount + 1> begin{};
  if (!options.charTypeOrder) {
    const int position =
        static_cast<int>(std::find(options.writeOrder.begin(), options.writeOrder.end(), 1) -
                         options.writeOrder.begin());
    std::fill(begin.begin() + position + 1, begin.end(), lines.size());
    return begin;
  }
  const auto positionOfClass = PositionOfClass(options);
  std::vector<std::uint8_t> keys(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    keys[i] = positionOfClass[ClassAt(space.Base() + lines[i])];
  }
  for (std::uint8_t key : keys) {
    ++begin[key + 1];
  }
  for (int k = 0; k < kClassCount; ++k) {
    begin[k + 1] += begin[k];
  }
  TLineList<Ref> grouped(lines.size());
  std::array<std::size_t, kClassCount + 1> next = begin;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    grouped[next[keys[i]]++] = lines[i];
  }
  lines.swap(grouped);
  return begin;
}

// Sorts lines by the number-aware compare without folding, where lines compare equal only when
// they are the same bytes. An MSD radix sort on the lines' keys (NumberedKey) puts them in
// buckets first, on both cores, so that the compare runs on small buckets whose lines stay in
// the cache: a range is bucketed by its key byte at one depth, and a range of few lines, one
// whose keys stop there or one past the keys' depth is sorted by the compare.
template <typename Ref> class TNumberedSort {
public:
  TNumberedSort(const TTextSpace& space, const TNumberOrder& order)
      : space_(space), base_(space.Base()), order_(order) {}

  void Sort(Ref* items, std::size_t count) const {
    RunOnTwoThreads(
        std::vector<Range>{{items, count, 0}}, ThreadThreshold(count),
        [this](Range range, std::vector<Range>& parts) { Split(range, parts); },
        [this](Range range) { Finish(range); });
  }

private:
  struct Range {
    Ref* items;
    std::size_t count;
    int depth;
  };
  static constexpr int kDepth = 8;
  static constexpr std::size_t kSmall = 64;
  static constexpr std::size_t kKeysLimit = std::size_t{1} << 17;

  // The key byte of a line at a depth (reversed when descending), or -1 where its key stopped.
  int KeyAt(Ref ref, int depth) const {
    std::array<unsigned char, kDepth> key;
    if (NumberedKey(base_ + ref, order_, key.data(), depth + 1) <= depth) {
      return -1;
    }
    return order_.descending ? 255 - key[depth] : key[depth];
  }
  void Compared(Range range) const {
    std::sort(range.items, range.items + range.count, [this](Ref a, Ref b) {
      return CompareNumbered(base_ + a, nullptr, base_ + b, nullptr, order_) < 0;
    });
  }
  void Finish(Range range) const {
    std::vector<Range> pending{range};
    while (!pending.empty()) {
      const Range next = pending.back();
      pending.pop_back();
      Split(next, pending);
    }
  }
  // Sorts a range by the compare, or buckets it and adds its buckets of two or more lines.
  void Split(Range range, std::vector<Range>& parts) const {
    if (range.count <= kSmall || range.depth >= kDepth || KeyAt(range.items[0], range.depth) < 0) {
      Compared(range);
      return;
    }
    std::array<std::size_t, 257> begin;
    auto keyOf = [&](Ref ref) { return static_cast<std::uint8_t>(KeyAt(ref, range.depth)); };
    if (range.count > kKeysLimit) {
      DistributeInBlocks(
          range.items, range.count, keyOf, [&](Ref ref) { space_.Prefetch(ref); }, begin);
    } else {
      Permute(range, keyOf, begin);
    }
    for (std::size_t k = 0; k < 256; ++k) {
      if (begin[k + 1] - begin[k] > 1) {
        parts.push_back({range.items + begin[k], begin[k + 1] - begin[k], range.depth + 1});
      }
    }
  }
  template <typename KeyOf>
  void Permute(Range range, KeyOf keyOf, std::array<std::size_t, 257>& begin) const {
    constexpr std::size_t kPrefetchDistance = 16;
    thread_local std::vector<std::uint8_t> keys;
    thread_local std::vector<Ref> moved;
    keys.resize(std::max(keys.size(), range.count));
    moved.resize(std::max(moved.size(), range.count));
    std::array<std::size_t, 256> sizes{};
    for (std::size_t i = 0; i < range.count; ++i) {
      if (i + kPrefetchDistance < range.count) {
        space_.Prefetch(range.items[i + kPrefetchDistance]);
      }
      keys[i] = keyOf(range.items[i]);
      ++sizes[keys[i]];
    }
    begin[0] = 0;
    for (std::size_t k = 0; k < 256; ++k) {
      begin[k + 1] = begin[k] + sizes[k];
    }
    std::array<std::size_t, 256> next;
    std::copy(begin.begin(), begin.end() - 1, next.begin());
    for (std::size_t i = 0; i < range.count; ++i) {
      moved[next[keys[i]]++] = range.items[i];
    }
    std::copy_n(moved.data(), range.count, range.items);
  }

  const TTextSpace& space_;
  const char* base_;
  TNumberOrder order_;
};

// QuickSortExact on lines by the number-aware compare. The two parts of a step are independent,
// so large ones are partitioned and the parts finished on both cores, which gives the result of
// the steps done one after another.
template <typename Ref>
void SortNumberedExact(Ref* refs, std::size_t count, const TTextSpace& space,
                       const TNumberOrder& order) {
  struct TItems {
    Ref* refs;
    const char* base;
    const TNumberOrder& order;
    Ref Get(std::ptrdiff_t i) const { return refs[i]; }
    int Compare(std::ptrdiff_t i, Ref pivot) const {
      return CompareNumbered(base + refs[i], nullptr, base + pivot, nullptr, order);
    }
    void Swap(std::ptrdiff_t i, std::ptrdiff_t j) const { std::swap(refs[i], refs[j]); }
  } items{refs, space.Base(), order};
  struct TRange {
    std::ptrdiff_t left;
    std::ptrdiff_t right;
    std::size_t count;
  };
  RunOnTwoThreads(
      std::vector<TRange>{{0, static_cast<std::ptrdiff_t>(count) - 1, count}},
      ThreadThreshold(count),
      [&items](TRange range, std::vector<TRange>& parts) {
        const auto [i, j] = PartitionExact(items, range.left, range.right);
        if (range.left < j) {
          parts.push_back({range.left, j, static_cast<std::size_t>(j - range.left + 1)});
        }
        if (i < range.right) {
          parts.push_back({i, range.right, static_cast<std::size_t>(range.right - i + 1)});
        }
      },
      [&items](TRange range) { QuickSortExactRange(items, range.left, range.right); });
}

// Sorts each class of the grouped lines by the number-aware compare: with Distinction by the
// steps of QuickSortExact, which fix the order of lines equal but for case; otherwise by
// TNumberedSort.
template <typename Ref>
void SortNumbered(TLineList<Ref>& lines, const TTextSpace& space,
                  const TClassSortOptions& options) {
  const auto begin = GroupByClass(lines, space, options);
  const TNumberOrder order = NumberOrderOf(options);
  for (int k = 0; k < kClassCount; ++k) {
    Ref* first = lines.data() + begin[k];
    const std::size_t count = begin[k + 1] - begin[k];
    if (count < 2) {
      continue;
    }
    if (options.distinction) {
      SortNumberedExact(first, count, space, order);
    } else {
      TNumberedSort<Ref>(space, order).Sort(first, count);
    }
  }
}

} // namespace

TNumberOrder NumberOrderOf(const TClassSortOptions& options) {
  const int mode = options.numberOrder == noDigits || options.numberOrder == noKanji
                       ? options.numberOrder
                       : noCodes;
  return {mode, options.distinction, options.numberCommas, options.sortDirection == 1};
}

namespace line_sort_parts {

template <typename Item>
void SortFolded(Item* items, std::size_t count, const TTextSpace& space, TBits* equal) {
  TLineRadixSort<Item, true>(space, {ClassWriteOrder(""), false, 0, true}, equal, items)
      .Sort(items, count, true);
}

template void SortFolded(TIndexedRef<TNarrowRef>*, std::size_t, const TTextSpace&, TBits*);
template void SortFolded(TIndexedRef<TWideRef>*, std::size_t, const TTextSpace&, TBits*);

} // namespace line_sort_parts

std::array<std::uint8_t, kClassCount + 1> PositionOfClass(const TClassSortOptions& options) {
  std::array<std::uint8_t, kClassCount + 1> position{};
  for (int k = 0; k < kClassCount; ++k) {
    position[options.writeOrder[k]] = static_cast<std::uint8_t>(k);
  }
  return position;
}

template <typename Ref>
void SortClassLists(TLineList<Ref>& lines, const TTextSpace& space,
                    const TClassSortOptions& options) {
  if (NumberOrderOf(options).mode != noCodes) {
    SortNumbered(lines, space, options);
    return;
  }
  if (options.distinction) {
    const auto begin = GroupByClass(lines, space, options);
    for (int k = 0; k < kClassCount; ++k) {
      if (begin[k + 1] - begin[k] > 1) {
        SortExact(lines.data() + begin[k], begin[k + 1] - begin[k], space, options.sortDirection);
      }
    }
    return;
  }
  if (lines.size() < 2) {
    return;
  }
  const TLineRadixSort<Ref, false> sort(space, options);
  sort.Sort(lines.data(), lines.size());
  if (options.sortDirection != 1) {
    return;
  }
  // Descending: each class's run, ascending so far, is reversed.
  for (auto first = lines.begin(); first != lines.end();) {
    const std::uint8_t position = sort.PositionOf(*first);
    const auto last =
        options.charTypeOrder
            ? std::partition_point(first, lines.end(),
                                   [&](Ref line) { return sort.PositionOf(line) == position; })
            : lines.end();
    std::reverse(first, last);
    first = last;
  }
}

template void SortClassLists(TLineList<TNarrowRef>&, const TTextSpace&, const TClassSortOptions&);
template void SortClassLists(TLineList<TWideRef>&, const TTextSpace&, const TClassSortOptions&);

} // namespace zorbe
