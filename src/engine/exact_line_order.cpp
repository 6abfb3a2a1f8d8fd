// The exact order of Distinction: QuickSortExact with the folded compare, decided without
// reading lines where it can. The lines are put in the folded order by the radix sort first; the
// quicksort then runs on ranks (for a list not in space order) or on the lines' positions in the
// folded order, held in a second list (the fast way) or in the list itself (the lean way, for a
// list of a few runs of consecutive lines), and ranges holding no two lines of a linked group are
// placed without comparisons.

#include "engine/line_sort_parts.h"
#include "engine/two_threads.h"
#include "platform/memory.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>

namespace zorbe::line_sort_parts {
namespace {

// The number of ones in a word (without a popcount instruction, what the compiler would call is
// slower than this).
inline int Ones(std::uint64_t x) {
#if defined(__POPCNT__)
  return std::popcount(x);
#else
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<int>((x * 0x0101010101010101) >> 56);
#endif
}

// The lines of one class for QuickSortExact's steps: the references, and beside them the rank of
// each line in the folded order (equal for lines that are equal but for case), which decides
// every comparison as the folded compare would.
template <typename Ref> struct TRankedLines {
  struct Value {
    Ref rank;
    Ref ref;
  };
  Value Get(std::ptrdiff_t i) const { return {ranks[i], refs[i]}; }
  int Compare(std::ptrdiff_t i, const Value& pivot) const {
    if (ranks[i] == pivot.rank) {
      return 0;
    }
    return (ranks[i] < pivot.rank) != descending ? -1 : 1;
  }
  void Swap(std::ptrdiff_t i, std::ptrdiff_t j) const {
    std::swap(ranks[i], ranks[j]);
    std::swap(refs[i], refs[j]);
  }

  Ref* ranks;
  Ref* refs;
  bool descending;
};

// The rank of every line of the list in the folded order: the lines, with their indices, sorted
// by the folded radix sort, then numbered, lines equal but for case sharing a number.
template <typename Ref>
std::vector<Ref> FoldedRanks(const Ref* refs, std::size_t count, const TTextSpace& space) {
  std::vector<TIndexedRef<Ref>> order(count);
  for (std::size_t i = 0; i < count; ++i) {
    order[i] = {refs[i], static_cast<Ref>(i)};
  }
  SortFolded(order.data(), count, space);
  std::vector<Ref> ranks(count);
  Ref rank = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (k + 16 < count) {
      space.Prefetch(order[k + 16].ref);
    }
    if (k > 0 &&
        CompareLines<true>(space.Base() + order[k - 1].ref, space.Base() + order[k].ref) != 0) {
      ++rank;
    }
    ranks[order[k].index] = rank;
  }
  return ranks;
}

// QuickSortExact with a folded compare on both cores, on the ranks of lines whose order in the
// list is not their order in the text space: a large range is partitioned one step at a time and
// its parts are queued; a part's final order depends only on its own contents.
template <typename Ref>
void SortExactByRanks(Ref* refs, std::size_t count, const TTextSpace& space, int sortDirection) {
  std::vector<Ref> ranks = FoldedRanks(refs, count, space);
  const TRankedLines<Ref> lines{ranks.data(), refs, sortDirection == 1};
  struct Range {
    std::ptrdiff_t left;
    std::size_t count;
  };
  RunOnTwoThreads(
      std::vector<Range>{{0, count}}, ThreadThreshold(count),
      [&](Range range, std::vector<Range>& parts) {
        const std::ptrdiff_t right = range.left + static_cast<std::ptrdiff_t>(range.count) - 1;
        const auto [i, j] = PartitionExact(lines, range.left, right);
        if (j > range.left) {
          parts.push_back({range.left, static_cast<std::size_t>(j - range.left + 1)});
        }
        if (i < right) {
          parts.push_back({i, static_cast<std::size_t>(right - i + 1)});
        }
      },
      [&](Range range) {
        QuickSortExactRange(lines, range.left,
                            range.left + static_cast<std::ptrdiff_t>(range.count) - 1);
      });
}

// A fixed set of bits that counts the ones before any bit in constant time: blocks of one cache
// line, each a count of the ones in the blocks before it and 7 words of bits.
class TRankBits {
public:
  explicit TRankBits(std::size_t size) : blocks_(size / kBlockBits + 1) {}

  void Set(std::size_t i) {
    blocks_[i / kBlockBits].words[i % kBlockBits / 64] |= std::uint64_t{1} << (i % 64);
  }
  // To be called once every bit is set, before Rank.
  void Count() {
    std::uint64_t ones = 0;
    for (Block& block : blocks_) {
      block.before = ones;
      for (std::uint64_t word : block.words) {
        ones += static_cast<std::uint64_t>(Ones(word));
      }
    }
  }
  // The number of ones before bit i.
  std::size_t Rank(std::size_t i) const {
    const Block& block = blocks_[i / kBlockBits];
    const std::size_t bit = i % kBlockBits;
    std::uint64_t ones = block.before;
    for (std::size_t w = 0; w < bit / 64; ++w) {
      ones += static_cast<std::uint64_t>(Ones(block.words[w]));
    }
    if (bit % 64 != 0) {
      ones += static_cast<std::uint64_t>(
          Ones(block.words[bit / 64] & ((std::uint64_t{1} << (bit % 64)) - 1)));
    }
    return ones;
  }
  void Prefetch(std::size_t i) const { __builtin_prefetch(&blocks_[i / kBlockBits]); }

private:
  static constexpr std::size_t kBlockBits = 7 * 64;
  struct alignas(64) Block {
    std::uint64_t before = 0;
    std::array<std::uint64_t, 7> words{};
  };
  std::vector<Block> blocks_;
};

// The line ends among the bytes [from, to) of the space, `from` on a 16-byte boundary: every LF,
// and every CR that no LF follows (a CR LF ends one line). A CR just before `to` is judged by the
// byte at `to`, which must be readable.
inline std::size_t LineEndsIn(const char* from, const char* to) {
  std::size_t ends = 0;
#if defined(__SSE2__)
  for (const char* p = from; p < to; p += 16) {
    const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    const auto lf =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    const auto cr =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
    const auto valid = static_cast<std::size_t>(std::min<std::ptrdiff_t>(to - p, 16));
    const unsigned inside = valid == 16 ? 0xFFFFU : (1U << valid) - 1;
    unsigned lfAfter = lf >> 1; // bit i: an LF follows byte i
    if (valid == 16 && (cr & 0x8000U) != 0 && p[16] == '\n') {
      lfAfter |= 0x8000U;
    }
    ends += static_cast<std::size_t>(Ones((lf | (cr & ~lfAfter)) & inside));
  }
#else
  for (const char* p = from; p < to; ++p) {
    ends += *p == '\n' || (*p == '\r' && p[1] != '\n');
  }
#endif
  return ends;
}

// The index in an ascending list of a line, when the list is a few runs of consecutive lines
// (each begins right after the line end of the one before it): the index where its run begins
// plus the number of line ends between the run's first line and it, found from a count every
// kBlock bytes and the bytes since. A few bits a line, where a bitmap of the lines' offsets
// takes one bit for every byte or two of short lines. The bytes between runs are read but
// never counted.
class TRunLineIndex {
public:
  // The runs begin at the lines runStarts (ascending offsets) with the list indices runIndices;
  // the last line of the list begins at `last`.
  TRunLineIndex(std::vector<const char*> runStarts, std::vector<std::size_t> runIndices,
                const char* last)
      : origin_(AlignDown(runStarts.front())),
        counts_(static_cast<std::size_t>(last - origin_) / kBlock + 1),
        wideCounts_(static_cast<std::size_t>(last - origin_) / kWideBlock + 1),
        runStarts_(std::move(runStarts)), runIndices_(std::move(runIndices)) {
    std::uint32_t ends = 0;
    for (std::size_t b = 0; b < counts_.size(); ++b) {
      if (b % kPerWide == 0) {
        wideCounts_[b / kPerWide] = ends;
      }
      counts_[b] = static_cast<std::uint16_t>(ends - wideCounts_[b / kPerWide]);
      const char* block = origin_ + b * kBlock;
      ends += static_cast<std::uint32_t>(LineEndsIn(block, std::min(block + kBlock, last)));
    }
    for (const char* start : runStarts_) {
      runEnds_.push_back(EndsBefore(start));
    }
  }

  std::size_t IndexOf(const char* line) const {
    const std::size_t run = static_cast<std::size_t>(
        std::upper_bound(runStarts_.begin(), runStarts_.end(), line) - runStarts_.begin() - 1);
    return runIndices_[run] + static_cast<std::uint32_t>(EndsBefore(line) - runEnds_[run]);
  }
  void Prefetch(const char* line) const {
    const std::size_t block = static_cast<std::size_t>(line - origin_) / kBlock;
    __builtin_prefetch(&counts_[block]);
    __builtin_prefetch(origin_ + block * kBlock);
    __builtin_prefetch(line);
  }

private:
  // A count every kBlock bytes, of the line ends since the last of the counts every kWideBlock
  // bytes (fewer than 2^16).
  static constexpr std::size_t kBlock = 128;
  static constexpr std::size_t kWideBlock = std::size_t{1} << 15;
  static constexpr std::size_t kPerWide = kWideBlock / kBlock;
  static const char* AlignDown(const char* p) {
    return reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) & ~std::uintptr_t{15});
  }
  // The line ends in [origin_, at), modulo 2^32: only differences within a run, which holds
  // fewer lines than that, are used.
  std::uint32_t EndsBefore(const char* at) const {
    const std::size_t block = static_cast<std::size_t>(at - origin_) / kBlock;
    return wideCounts_[block / kPerWide] + counts_[block] +
           static_cast<std::uint32_t>(LineEndsIn(origin_ + block * kBlock, at));
  }

  const char* origin_;
  std::vector<std::uint16_t> counts_;     // the line ends before each block, less wideCounts_
  std::vector<std::uint32_t> wideCounts_; // the line ends before each wide block, modulo 2^32
  std::vector<const char*> runStarts_;
  std::vector<std::size_t> runIndices_;
  std::vector<std::uint32_t> runEnds_; // EndsBefore of each run's first line
};

// The list indices at which runs of consecutive lines begin (see TRunLineIndex), the first
// being 0; empty when the list is more than a few runs.
template <typename Ref>
std::vector<std::size_t> ConsecutiveRuns(const Ref* refs, std::size_t count,
                                         const TTextSpace& space) {
  constexpr std::size_t kMostRuns = 64;
  if (count >= std::numeric_limits<std::uint32_t>::max()) {
    return {};
  }
  const char* base = space.Base();
  auto breaks = [&](std::size_t first, std::size_t last, std::vector<std::size_t>& runs) {
    for (std::size_t k = first; k + 1 < last && runs.size() <= kMostRuns; ++k) {
      const char* end = base + refs[k] + LineLength(base + refs[k]);
      const char* next = base + refs[k + 1];
      if (end >= next ||
          (end + 1 != next && !(end[0] == '\r' && end[1] == '\n' && end + 2 == next))) {
        runs.push_back(k + 1);
      }
    }
  };
  std::vector<std::size_t> runs{0};
  if (count <= ThreadThreshold(count)) {
    breaks(0, count, runs);
  } else {
    std::vector<std::size_t> later;
    RunBoth([&] { breaks(0, count / 2 + 1, runs); }, [&] { breaks(count / 2, count, later); });
    runs.insert(runs.end(), later.begin(), later.end());
  }
  if (runs.size() > kMostRuns) {
    runs.clear();
  }
  return runs;
}

// Whether two lines followed by line ends are the same bytes.
bool SameBytes(const char* a, const char* b) {
  for (; *a == *b; ++a, ++b) {
    if (IsLineEnd(*a)) {
      return true;
    }
  }
  return IsLineEnd(*a) && IsLineEnd(*b);
}

// The lines of one class sorted in the folded order, seen as groups of lines that are equal but
// for case: `starts` marks the first line of every group, `links` every line that is followed by
// another of the same group when that group's lines are not all the same bytes. Only lines that
// are linked can come out in another order from the exact quicksort than from any other sort.
struct TFoldedGroups {
  std::size_t count;
  TBits starts;
  TBits links;
  bool linked = false;

  // The positions [first, end) of the group of the line at a position.
  struct Bounds {
    std::size_t first;
    std::size_t end;
  };
  Bounds GroupAt(std::size_t position) const {
    return {starts.Previous(position), starts.Next(position + 1, count)};
  }
  bool AnyLink(std::size_t first, std::size_t last) const { return links.Next(first, last) < last; }
};

// The groups of sorted lines, from the marks of the lines equal to the ones before them.
// The marks become the starts of the groups (their opposite), so that they are not held twice.
template <typename Ref>
TFoldedGroups GroupsOfSorted(const Ref* sorted, std::size_t count, const TTextSpace& space,
                             TBits equal) {
  TFoldedGroups groups{count, std::move(equal), TBits(count)};
  groups.starts.Flip(count);
  const TBits& starts = groups.starts;
  TBits differs(count); // lines equal to the ones before them but for case
  auto check = [&](std::size_t first, std::size_t last) {
    for (std::size_t k = std::max<std::size_t>(first, 1); k < last; ++k) {
      if (k + 16 < last && !starts.Test(k + 16)) {
        space.Prefetch(sorted[k + 15]);
        space.Prefetch(sorted[k + 16]);
      }
      if (!starts.Test(k) && !SameBytes(space.Base() + sorted[k - 1], space.Base() + sorted[k])) {
        differs.Set(k);
      }
    }
  };
  // The halves meet at a word boundary, so the threads never write to the same word.
  const std::size_t half = count / 128 * 64;
  if (count > ThreadThreshold(count)) {
    RunBoth([&] { check(0, half); }, [&] { check(half, count); });
  } else {
    check(0, count);
  }
  for (std::size_t k = differs.Next(1, count); k < count;) {
    const std::size_t end = groups.starts.Next(k + 1, count);
    groups.linked = true;
    for (std::size_t link = groups.starts.Previous(k); link + 1 < end; ++link) {
      groups.links.Set(link);
    }
    k = differs.Next(end, count);
  }
  return groups;
}

// The marks of equal lines for the same lines in reverse order.
TBits Mirrored(const TBits& equal, std::size_t count) {
  TBits mirrored(count);
  for (std::size_t k = equal.Next(1, count); k < count; k = equal.Next(k + 1, count)) {
    mirrored.Set(count - k);
  }
  return mirrored;
}

// The items of QuickSortExact: the positions of the lines in the folded order, compared by the
// bounds of their groups, which gives exactly the results of the folded compare.
template <typename Ref> struct TGroupedPositions {
  TFoldedGroups::Bounds Get(std::ptrdiff_t i) const { return groups.GroupAt(positions[i]); }
  int Compare(std::ptrdiff_t i, const TFoldedGroups::Bounds& pivot) const {
    const std::size_t position = positions[i];
    return position < pivot.first ? -1 : position >= pivot.end ? 1 : 0;
  }
  void Swap(std::ptrdiff_t i, std::ptrdiff_t j) const { std::swap(positions[i], positions[j]); }

  Ref* positions;
  const TFoldedGroups& groups;
};

// QuickSortExact on the positions of the lines in the folded order. A range of the quicksort
// ends up holding the lines of the same positions; one that holds no two lines of a linked
// group comes out the same however it is sorted, and is finished without comparisons: every
// group that lies inside it wholly takes its own positions, and a group that it shares with a
// neighbouring range (at most one line of it when the group is linked) takes the range's
// positions of that group.
template <typename Ref> class TExactPositionSort {
public:
  struct Range {
    std::size_t left;
    std::size_t count;
  };

  TExactPositionSort(Ref* positions, std::size_t count, const TFoldedGroups& groups)
      : positions_(positions), count_(count), items_{positions, groups}, groups_(groups) {}

  void Sort() const {
    RunOnTwoThreads(
        std::vector<Range>{{0, count_}}, ThreadThreshold(count_),
        [this](Range range, std::vector<Range>& parts) { Step(range, parts); },
        [this](Range range) { Finish(range); });
  }

private:
  void Finish(Range range) const {
    std::vector<Range> pending{range};
    while (!pending.empty()) {
      const Range next = pending.back();
      pending.pop_back();
      Step(next, pending);
    }
  }

  // Finishes a range that needs no comparisons, or partitions it once into `parts`.
  void Step(Range range, std::vector<Range>& parts) const {
    if (range.count < 2) {
      return;
    }
    const std::size_t last = range.left + range.count - 1;
    if (!groups_.AnyLink(range.left, last)) {
      PlaceUnlinked(range);
      return;
    }
    const auto left = static_cast<std::ptrdiff_t>(range.left);
    const auto right = static_cast<std::ptrdiff_t>(last);
    const auto [i, j] = PartitionExact(items_, left, right);
    if (j > left) {
      parts.push_back({range.left, static_cast<std::size_t>(j - left + 1)});
    }
    if (i < right) {
      parts.push_back({static_cast<std::size_t>(i), static_cast<std::size_t>(right - i + 1)});
    }
  }

  void PlaceUnlinked(Range range) const {
    const std::size_t first = range.left;
    const std::size_t end = first + range.count;
    // [first, inner) belong to a group that began before the range, [outer, end) to one that
    // goes on after it; the groups in between lie wholly inside.
    const TBits& starts = groups_.starts;
    const std::size_t inner = starts.Test(first) ? first : starts.Next(first + 1, end);
    const std::size_t outer =
        (end == count_ || starts.Test(end)) ? end : std::max(starts.Previous(end - 1), inner);
    if (inner == end) {
      return; // one group, whose lines are all the same bytes
    }
    thread_local std::vector<Ref> before;
    thread_local std::vector<Ref> after;
    before.clear();
    after.clear();
    for (std::size_t k = first; k < end; ++k) {
      if (positions_[k] < inner) {
        before.push_back(positions_[k]);
      } else if (positions_[k] >= outer) {
        after.push_back(positions_[k]);
      }
    }
    std::copy(before.begin(), before.end(), positions_ + first);
    for (std::size_t k = inner; k < outer; ++k) {
      positions_[k] = static_cast<Ref>(k);
    }
    std::copy(after.begin(), after.end(), positions_ + outer);
  }

  Ref* positions_;
  std::size_t count_;
  TGroupedPositions<Ref> items_;
  const TFoldedGroups& groups_;
};

// The largest shift, up to 4, that maps no two of the ascending references to the same value.
template <typename Ref> int CellShift(const Ref* refs, std::size_t count) {
  int shift = 4;
  for (std::size_t k = 1; k < count && shift > 0; ++k) {
    while (shift > 0 && ((refs[k] - refs[0]) >> shift) == ((refs[k - 1] - refs[0]) >> shift)) {
      --shift;
    }
  }
  return shift;
}

// Whether the references ascend: the list's order is the order of its lines in the space.
template <typename Ref> bool Ascending(const Ref* refs, std::size_t count) {
  return std::adjacent_find(refs, refs + count, std::greater_equal<Ref>()) == refs + count;
}

// Calls visit(first, end) for the positions of every linked group, in order.
template <typename Visit> void ForEachLinkedGroup(const TFoldedGroups& groups, Visit visit) {
  const std::size_t count = groups.count;
  for (std::size_t first = groups.links.Next(0, count); first < count;) {
    const std::size_t end = groups.starts.Next(first + 1, count);
    visit(first, end);
    first = groups.links.Next(end, count);
  }
}

// Turns a permutation of 0 to count - 1 into its inverse where it stands: values[values[p]]
// becomes p. The values go to buckets of 512 by their high bits, each carrying the place it came
// from in the bits its bucket makes redundant (so every value must leave 9 bits free); then each
// bucket is inverted on its own. The move follows the cycles of the permutation: a chain takes a
// slot of a bucket (its hole) and the value there in hand, puts the value in hand at the next
// free slot of the value's bucket and takes the one found there, until a value of its hole's
// bucket comes. Many chains take turns, so that the memory waits of one overlap with the others'.
template <typename Ref> void InvertInPlace(Ref* values, std::size_t count) {
  constexpr int kBucketBits = 9;
  constexpr std::size_t kBucket = std::size_t{1} << kBucketBits;
  const std::size_t buckets = (count + kBucket - 1) / kBucket;
  auto carried = [](std::size_t from, std::size_t value) {
    return static_cast<Ref>(from << kBucketBits | (value & (kBucket - 1)));
  };
  auto endOf = [&](std::size_t bucket) { return std::min(count, (bucket + 1) * kBucket); };
  // Before next[b] in bucket b, the slots hold values that carry where they came from, or are
  // the hole of a chain; from it on, the values have not moved.
  std::vector<std::size_t> next(buckets);
  for (std::size_t b = 0; b < buckets; ++b) {
    next[b] = b * kBucket;
  }
  struct Chain {
    std::size_t hole;
    std::size_t from; // where the value in hand came from
    std::size_t value;
  };
  constexpr std::size_t kChains = 32;
  std::array<Chain, kChains> chains;
  std::size_t active = 0;
  std::size_t scan = 0; // no bucket before it has a free slot
  auto start = [&](Chain& chain) {
    while (scan < buckets && next[scan] == endOf(scan)) {
      ++scan;
    }
    if (scan == buckets) {
      return false;
    }
    chain.hole = next[scan]++;
    chain.from = chain.hole;
    chain.value = values[chain.hole];
    return true;
  };
  while (active < kChains && start(chains[active])) {
    ++active;
  }
  while (active > 0) {
    for (std::size_t i = 0; i < active;) {
      Chain& chain = chains[i];
      const std::size_t to = chain.value >> kBucketBits;
      bool ended = true;
      if (to == chain.hole >> kBucketBits) {
        values[chain.hole] = carried(chain.from, chain.value);
      } else if (next[to] < endOf(to)) {
        const std::size_t target = next[to]++;
        const std::size_t displaced = values[target];
        values[target] = carried(chain.from, chain.value);
        chain.from = target;
        chain.value = displaced;
        __builtin_prefetch(&values[next[displaced >> kBucketBits]]);
        ended = false;
      } else {
        // Every slot of the value's bucket is taken: one is the hole of another chain, which
        // gets the value and goes on with this chain's hole.
        std::size_t other = 0;
        while (other == i || chains[other].hole >> kBucketBits != to) {
          ++other;
        }
        values[chains[other].hole] = carried(chain.from, chain.value);
        chains[other].hole = chain.hole;
      }
      if (ended && !start(chain)) {
        chain = chains[--active];
        continue;
      }
      ++i;
    }
  }
  auto invertBuckets = [&](std::size_t first, std::size_t last) {
    std::array<Ref, kBucket> inverse;
    for (std::size_t b = first; b < last; ++b) {
      const std::size_t begin = b * kBucket;
      const std::size_t end = std::min(count, begin + kBucket);
      for (std::size_t i = begin; i < end; ++i) {
        inverse[values[i] & (kBucket - 1)] = static_cast<Ref>(values[i] >> kBucketBits);
      }
      std::copy_n(inverse.begin(), end - begin, values + begin);
    }
  };
  if (count > ThreadThreshold(count)) {
    RunBoth([&] { invertBuckets(0, buckets / 2); }, [&] { invertBuckets(buckets / 2, buckets); });
  } else {
    invertBuckets(0, buckets);
  }
}

// The start of the line after the one at `line` (followed by a line end, CR LF counting as one).
inline const char* NextLineStart(const char* line) {
  const char* end = line + LineLength(line);
  return end + (end[0] == '\r' && end[1] == '\n' ? 2 : 1);
}

// Lists a few runs of consecutive lines again in their order: runs[r] is the list index at which
// run r begins, runStarts[r] its first line; `middle` is the line at index count / 2.
template <typename Ref>
void ListRuns(Ref* refs, std::size_t count, const std::vector<std::size_t>& runs,
              const std::vector<const char*>& runStarts, const char* middle,
              const TTextSpace& space) {
  auto list = [&](std::size_t first, std::size_t last, const char* line) {
    std::size_t run =
        static_cast<std::size_t>(std::upper_bound(runs.begin(), runs.end(), first) - runs.begin());
    for (std::size_t k = first; k < last; ++k) {
      if (k > first) {
        line = run < runs.size() && runs[run] == k ? runStarts[run++] : NextLineStart(line);
      }
      refs[k] = static_cast<Ref>(space.OffsetOf(line));
    }
  };
  if (count > ThreadThreshold(count)) {
    RunBoth([&] { list(0, count / 2, runStarts[0]); }, [&] { list(count / 2, count, middle); });
  } else {
    list(0, count, runStarts[0]);
  }
}

// Runs of at most this many lines that are equal but for case are ordered in place (see
// SortExactInPlace).
constexpr std::size_t kMostLinkedGroup = std::size_t{1} << 16;

// SortExact for a list of a few runs of consecutive lines, with no memory beside the list but a
// few bits a line. The lines are sorted in the folded order (lines of a linked group in the order
// of their offsets), then each line's reference is replaced by its position in that order and the
// positions are put in list order (InvertInPlace); the quicksort runs on them, and where it puts
// each line of a linked group is kept as its place in the group. The list is then made again and
// sorted in the folded order again, which gives the same result, and the lines of the linked
// groups are put where the quicksort put them. Returns false, with the list as it was, when the
// list is not such a list.
template <typename Ref>
bool SortExactInPlace(Ref* refs, std::size_t count, const TTextSpace& space, int sortDirection) {
  if (count > (std::numeric_limits<Ref>::max() >> 9)) {
    return false;
  }
  const std::vector<std::size_t> runs = ConsecutiveRuns(refs, count, space);
  if (runs.empty()) {
    return false;
  }
  std::vector<const char*> runStarts;
  for (std::size_t run : runs) {
    runStarts.push_back(space.Base() + refs[run]);
  }
  const char* middle = space.Base() + refs[count / 2];
  const char* last = space.Base() + refs[count - 1];
  auto sortFolded = [&](TBits* equal) {
    SortFolded(refs, count, space, equal);
    if (sortDirection == 1) {
      std::reverse(refs, refs + count);
    }
  };
  TBits equal(count);
  sortFolded(&equal);
  if (sortDirection == 1) {
    equal = Mirrored(equal, count);
  }
  const TFoldedGroups groups = GroupsOfSorted(refs, count, space, std::move(equal));
  if (!groups.linked) {
    return true;
  }
  std::size_t linkedLines = 0;
  std::size_t largest = 0;
  ForEachLinkedGroup(groups, [&](std::size_t first, std::size_t end) {
    linkedLines += end - first;
    largest = std::max(largest, end - first);
  });
  if (largest > kMostLinkedGroup) {
    ListRuns(refs, count, runs, runStarts, middle, space);
    return false;
  }
  auto orderLinkedGroups = [&] {
    ForEachLinkedGroup(
        groups, [&](std::size_t first, std::size_t end) { std::sort(refs + first, refs + end); });
  };
  orderLinkedGroups();
  {
    const TRunLineIndex index(runStarts, runs, last);
    auto indexOf = [&](std::size_t first, std::size_t end) {
      for (std::size_t p = first; p < end; ++p) {
        if (p + 16 < end) {
          index.Prefetch(space.Base() + refs[p + 16]);
        }
        refs[p] = static_cast<Ref>(index.IndexOf(space.Base() + refs[p]));
      }
    };
    if (count > ThreadThreshold(count)) {
      RunBoth([&] { indexOf(0, count / 2); }, [&] { indexOf(count / 2, count); });
    } else {
      indexOf(0, count);
    }
  }
  InvertInPlace(refs, count);
  TExactPositionSort<Ref>(refs, count, groups).Sort();
  std::vector<std::uint16_t> places;
  places.reserve(linkedLines);
  ForEachLinkedGroup(groups, [&](std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i) {
      places.push_back(static_cast<std::uint16_t>(refs[i] - first));
    }
  });
  ListRuns(refs, count, runs, runStarts, middle, space);
  sortFolded(nullptr);
  orderLinkedGroups();
  std::vector<Ref> group;
  const std::uint16_t* place = places.data();
  ForEachLinkedGroup(groups, [&](std::size_t first, std::size_t end) {
    group.assign(refs + first, refs + end);
    for (std::size_t i = first; i < end; ++i) {
      refs[i] = group[*place++];
    }
  });
  return true;
}

// Whether the exact sort of a list of `count` lines is to be done the lean way.
template <typename Ref> bool Lean(TExactSortMemory memory, std::size_t count) {
  if (memory != TExactSortMemory::kAsAvailable) {
    return memory == TExactSortMemory::kLean;
  }
  // The fast way's second list, and at most about as much again for the index of offsets.
  const std::uint64_t extra = std::uint64_t{count} * (sizeof(Ref) + 2);
  const std::uint64_t available = AvailableMemory();
  return available != 0 && extra > available / 2;
}

} // namespace

// QuickSortExact with the folded compare. The lines are sorted in the folded order first (with
// descending order, that order reversed); unless some lines are equal but for case, that is the
// result. Otherwise the quicksort runs on the lines' positions in that order, which stand for
// the lines: their place in the space gives each line's place in the list. The fast way holds the
// positions in a second list; the lean way, in the list itself (SortExactInPlace).
template <typename Ref>
void SortExact(Ref* refs, std::size_t count, const TTextSpace& space, int sortDirection,
               TExactSortMemory memory) {
  if (!Ascending(refs, count)) {
    SortExactByRanks(refs, count, space, sortDirection);
    return;
  }
  if (Lean<Ref>(memory, count) && SortExactInPlace(refs, count, space, sortDirection)) {
    return;
  }
  // The list holds the lines in the order of their offsets: the rank of a line's offset among
  // them is its index in the list. The offsets are counted in cells of the space in which no
  // two of the lines begin.
  const Ref lowest = refs[0];
  const int shift = CellShift(refs, count);
  auto cell = [lowest, shift](Ref ref) { return static_cast<std::size_t>(ref - lowest) >> shift; };
  TRankBits offsets(cell(refs[count - 1]) + 1);
  for (std::size_t k = 0; k < count; ++k) {
    offsets.Set(cell(refs[k]));
  }
  offsets.Count();
  TBits equal(count);
  SortFolded(refs, count, space, &equal);
  if (sortDirection == 1) {
    std::reverse(refs, refs + count);
    equal = Mirrored(equal, count);
  }
  const TFoldedGroups groups = GroupsOfSorted(refs, count, space, std::move(equal));
  if (!groups.linked) {
    return;
  }
  TLineList<Ref> positions(count);
  // The loop's own copies of what it reads, which its stores can't be taken to change.
  auto place = [&, cell, refs](std::size_t first, std::size_t last) {
    Ref* const to = positions.data();
    for (std::size_t k = first; k < last; ++k) {
      if (k + 16 < last) {
        offsets.Prefetch(cell(refs[k + 16]));
      }
      to[offsets.Rank(cell(refs[k]))] = static_cast<Ref>(k);
    }
  };
  if (count > ThreadThreshold(count)) {
    RunBoth([&] { place(0, count / 2); }, [&] { place(count / 2, count); });
  } else {
    place(0, count);
  }
  offsets = TRankBits(0);
  TExactPositionSort<Ref>(positions.data(), count, groups).Sort();
  auto gather = [&](std::size_t first, std::size_t last) {
    for (std::size_t k = first; k < last; ++k) {
      positions[k] = refs[positions[k]];
    }
  };
  if (count > ThreadThreshold(count)) {
    RunBoth([&] { gather(0, count / 2); }, [&] { gather(count / 2, count); });
  } else {
    gather(0, count);
  }
  std::copy(positions.begin(), positions.end(), refs);
}

template void SortExact(TNarrowRef*, std::size_t, const TTextSpace&, int, TExactSortMemory);
template void SortExact(TWideRef*, std::size_t, const TTextSpace&, int, TExactSortMemory);

} // namespace zorbe::line_sort_parts
