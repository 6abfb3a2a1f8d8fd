// The exact order of Distinction: QuickSortExact with the folded compare, decided without
// reading lines where it can. Large ranges are partitioned on the lines themselves, most
// comparisons decided by a coarse key kept in the references' free bits and the scans' stops
// found many lines at a time. Each small range is put in the folded order by the radix sort and
// the quicksort runs on the lines' positions in that order, placing parts that hold no two lines
// of a linked group without comparisons.

#include "engine/line_sort_parts.h"
#include "engine/two_threads.h"

#include <algorithm>
#include <bit>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorbe::line_sort_parts {
namespace {

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
template <typename Item>
TFoldedGroups GroupsOfSorted(const Item* sorted, std::size_t count, const TTextSpace& space,
                             TBits equal) {
  TFoldedGroups groups{count, std::move(equal), TBits(count)};
  groups.starts.Flip(count);
  const TBits& starts = groups.starts;
  TBits differs(count); // lines equal to the ones before them but for case
  for (std::size_t k = 1; k < count; ++k) {
    if (k + 16 < count && !starts.Test(k + 16)) {
      space.Prefetch(RefOf(sorted[k + 15]));
      space.Prefetch(RefOf(sorted[k + 16]));
    }
    if (!starts.Test(k) &&
        !SameBytes(space.Base() + RefOf(sorted[k - 1]), space.Base() + RefOf(sorted[k]))) {
      differs.Set(k);
    }
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
    std::vector<Range> pending{{0, count_}};
    while (!pending.empty()) {
      const Range next = pending.back();
      pending.pop_back();
      Step(next, pending);
    }
  }

private:
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

// A coarse key of each line, carried in the high bits of its reference that no offset into the
// space uses: the quantile of the ranks of the line's first two bytes in the folded order, among
// a sample of the lines being sorted. Lines whose keys differ compare as their keys do, so the
// partitions of large ranges decide most comparisons without reading the lines.
template <typename Ref> class TCoarseKeys {
public:
  // Puts the keys into the references (on both cores).
  TCoarseKeys(Ref* refs, std::size_t count, const TTextSpace& space) : base_(space.Base()) {
    constexpr int kRefBits = std::numeric_limits<Ref>::digits;
    const int bits = std::min(16, kRefBits - static_cast<int>(std::bit_width(space.Used())));
    if (bits <= 0 || count < 2) {
      return;
    }
    shift_ = kRefBits - bits;
    constexpr std::size_t kSample = std::size_t{1} << 16;
    const std::size_t step = std::max<std::size_t>(count / kSample, 1);
    std::vector<std::uint32_t> counts(kPrefixes);
    std::size_t sampled = 0;
    for (std::size_t k = 0; k < count; k += step, ++sampled) {
      ++counts[PrefixOf(base_ + refs[k])];
    }
    // keys_[p]: the share of the sample whose prefix is below p, in 2^bits steps; it ascends
    // with p.
    keys_.resize(kPrefixes);
    std::uint64_t below = 0;
    for (std::size_t p = 0; p < kPrefixes; ++p) {
      keys_[p] = static_cast<std::uint16_t>((below << bits) / sampled);
      below += counts[p];
    }
    auto mark = [&](std::size_t first, std::size_t last) {
      for (std::size_t k = first; k < last; ++k) {
        refs[k] |= static_cast<Ref>(static_cast<Ref>(keys_[PrefixOf(base_ + refs[k])]) << shift_);
      }
    };
    SplitInTwo(
        count, [&] { mark(0, count / 2); }, [&] { mark(count / 2, count); });
  }

  Ref KeyOf(Ref ref) const { return shift_ == 0 ? 0 : ref >> shift_; }
  // Sets bit k of `below` (`above`) where the key of refs[k] is below (above) `key`, for the
  // first `count` references, at most 64.
  void CompareKeys(const Ref* refs, std::size_t count, Ref key, std::uint64_t& below,
                   std::uint64_t& above) const {
    below = 0;
    above = 0;
    std::size_t k = shift_ == 0 ? count : 0; // no keys: all are equal
#if defined(__SSE2__)
    if constexpr (sizeof(Ref) == 4) {
      const __m128i shift = _mm_cvtsi32_si128(shift_);
      const __m128i pivot = _mm_set1_epi32(static_cast<int>(key)); // keys stay below 2^16
      for (; k + 4 <= count; k += 4) {
        const __m128i keys =
            _mm_srl_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(refs + k)), shift);
        below |= static_cast<std::uint64_t>(
                     _mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(keys, pivot))))
                 << k;
        above |= static_cast<std::uint64_t>(
                     _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(keys, pivot))))
                 << k;
      }
    }
#endif
    for (; k < count; ++k) {
      const Ref own = KeyOf(refs[k]);
      below |= static_cast<std::uint64_t>(own < key) << k;
      above |= static_cast<std::uint64_t>(own > key) << k;
    }
  }
  Ref OffsetOf(Ref ref) const {
    return shift_ == 0 ? ref : ref & ((Ref{1} << shift_) - 1);
  }
  const char* LineOf(Ref ref) const {
    return base_ + OffsetOf(ref);
  }
  // Takes the keys out of the references again, on this thread.
  void Remove(Ref* refs, std::size_t count) const {
    for (std::size_t k = 0; shift_ != 0 && k < count; ++k) {
      refs[k] = OffsetOf(refs[k]);
    }
  }
  // The same on both cores.
  void RemoveAll(Ref* refs, std::size_t count) const {
    SplitInTwo(
        count, [&] { Remove(refs, count / 2); },
        [&] { Remove(refs + count / 2, count - count / 2); });
  }

private:
  static constexpr std::size_t kPrefixes = std::size_t{1} << 16;
  // The ranks of the first two bytes of a line in the folded order (0 past its end).
  static std::size_t PrefixOf(const char* line) {
    const std::uint8_t first = RankAt<true>(line[0], false);
    if (first == 0) {
      return 0;
    }
    const bool trail = IsLeadByte(static_cast<unsigned char>(line[0]));
    return std::size_t{first} << 8 | RankAt<true>(line[1], trail);
  }
  // Runs the two halves of a pass on both cores when the pass is large.
  template <typename First, typename Second>
  static void SplitInTwo(std::size_t count, First first, Second second) {
    if (count > ThreadThreshold(count)) {
      RunBoth(first, second);
    } else {
      first();
      second();
    }
  }

  const char* base_;
  int shift_ = 0;
  std::vector<std::uint16_t> keys_;
};

// The lines of a range of QuickSortExact's steps, compared folded: by their coarse keys where
// those differ, else by their bytes.
template <typename Ref> struct TFoldedLines {
  struct Value {
    Ref key;
    const char* line;
  };
  Value Get(std::ptrdiff_t i) const { return {keys.KeyOf(refs[i]), keys.LineOf(refs[i])}; }
  int Compare(std::ptrdiff_t i, const Value& pivot) const {
    const int order = CompareLines<true>(keys.LineOf(refs[i]), pivot.line);
    return descending ? -order : order;
  }
  void Swap(std::ptrdiff_t i, std::ptrdiff_t j) const { std::swap(refs[i], refs[j]); }

  Ref* refs;
  const TCoarseKeys<Ref>& keys;
  bool descending;
};

// PartitionExact on lines, with the same result, working out the order of many lines to the
// pivot at a time. The scan up stops at a line not below the pivot, the scan down at one not
// above it. Until the scans meet, the lines between them are where they were when the step
// began: the orders of the lines ahead of each scan are worked out a window at a time, the lines
// whose keys don't decide being read together. A scan that finds no stop before the other
// scan's place goes just past it, where the lines that scan has passed or put there stop it as
// they would stop the quicksort's scan.
template <typename Ref> class TLinePartition {
public:
  explicit TLinePartition(const TFoldedLines<Ref>& lines) : lines_(lines) {}

  std::pair<std::ptrdiff_t, std::ptrdiff_t> operator()(std::ptrdiff_t left, std::ptrdiff_t right) {
    pivot_ = lines_.Get((left + right) / 2);
    up_ = {left, left, {}};
    down_ = {right + 1, right + 1, {}};
    std::ptrdiff_t i = left;
    std::ptrdiff_t j = right;
    do {
      i = NextUp(i, j);
      j = NextDown(j, i);
      if (i <= j) {
        lines_.Swap(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    return {i, j};
  }

private:
  static constexpr std::ptrdiff_t kWindow = 256;
  // The stops among the lines [first, end), a bit each.
  struct Window {
    std::ptrdiff_t first;
    std::ptrdiff_t end;
    std::array<std::uint64_t, kWindow / 64> stops;
    void Set(std::ptrdiff_t p) {
      stops[(p - first) / 64] |= std::uint64_t{1} << ((p - first) % 64);
    }
  };

  // Marks the lines [first, end) at which the scan up (`up`) or down stops.
  void Fill(Window& window, std::ptrdiff_t first, std::ptrdiff_t end, bool up) {
    window = {first, end, {}};
    for (std::ptrdiff_t word = 0; first + word * 64 < end; ++word) {
      const std::ptrdiff_t from = first + word * 64;
      const auto count = static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - from, 64));
      std::uint64_t below = 0;
      std::uint64_t above = 0;
      lines_.keys.CompareKeys(lines_.refs + from, count, pivot_.key, below, above);
      if (lines_.descending) {
        std::swap(below, above);
      }
      const std::uint64_t all = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
      window.stops[word] = up ? above : below;
      std::uint64_t undecided = all & ~(below | above);
      for (std::uint64_t rest = undecided; rest != 0; rest &= rest - 1) {
        __builtin_prefetch(lines_.keys.LineOf(lines_.refs[from + std::countr_zero(rest)]));
      }
      for (; undecided != 0; undecided &= undecided - 1) {
        const int bit = std::countr_zero(undecided);
        const int order = lines_.Compare(from + bit, pivot_);
        if (up ? order >= 0 : order <= 0) {
          window.stops[word] |= std::uint64_t{1} << bit;
        }
      }
    }
  }

  // The first stop of the scan up from i, the lines after j being the other scan's.
  std::ptrdiff_t NextUp(std::ptrdiff_t i, std::ptrdiff_t j) {
    while (i <= j) {
      if (i >= up_.end) {
        Fill(up_, i, std::min(i + kWindow, j + 1), true);
      }
      const std::ptrdiff_t limit = std::min(up_.end, j + 1);
      for (std::ptrdiff_t w = (i - up_.first) / 64; up_.first + w * 64 < limit; ++w) {
        std::uint64_t word = up_.stops[w];
        if (up_.first + w * 64 < i) {
          word &= ~std::uint64_t{0} << ((i - up_.first) % 64);
        }
        if (word != 0) {
          const std::ptrdiff_t p = up_.first + w * 64 + std::countr_zero(word);
          if (p < limit) {
            return p;
          }
          break;
        }
      }
      i = limit;
    }
    return j + 1;
  }

  // The first stop of the scan down from j, the lines before i being the other scan's.
  std::ptrdiff_t NextDown(std::ptrdiff_t j, std::ptrdiff_t i) {
    while (j >= i) {
      if (j < down_.first) {
        Fill(down_, std::max(j - kWindow + 1, i), j + 1, false);
      }
      const std::ptrdiff_t limit = std::max(down_.first, i);
      for (std::ptrdiff_t w = (j - down_.first) / 64; w >= 0 && down_.first + w * 64 + 63 >= limit;
           --w) {
        std::uint64_t word = down_.stops[w];
        if (down_.first + w * 64 + 63 > j) {
          word &= ~std::uint64_t{0} >> (63 - (j - down_.first) % 64);
        }
        if (word != 0) {
          const std::ptrdiff_t p = down_.first + w * 64 + 63 - std::countl_zero(word);
          if (p >= limit) {
            return p;
          }
          break;
        }
      }
      j = limit - 1;
    }
    return i - 1;
  }

  const TFoldedLines<Ref>& lines_;
  typename TFoldedLines<Ref>::Value pivot_{};
  Window up_{};
  Window down_{};
};

// Ranges of QuickSortExact of at most this many lines are finished on their positions in the
// folded order (SortOnPositions); larger ones are partitioned on the lines themselves.
constexpr std::size_t kPositionRange = std::size_t{96} << 10;

// QuickSortExact of a range on one thread: the range's lines are sorted in the folded order
// with their indices in the range beside them (`order`), the quicksort runs on the positions of
// the lines in that order, held in the range itself, and the lines are put where their positions
// came. Needs 2 Refs a line beside the range while it runs.
template <typename Ref>
void SortOnPositions(Ref* refs, std::size_t count, const TTextSpace& space, bool descending) {
  std::vector<TIndexedRef<Ref>> order(count);
  for (std::size_t i = 0; i < count; ++i) {
    order[i] = {refs[i], static_cast<Ref>(i)};
  }
  TBits equal(count);
  SortFolded(order.data(), count, space, &equal);
  if (descending) {
    std::reverse(order.begin(), order.end());
    equal = Mirrored(equal, count);
  }
  const TFoldedGroups groups = GroupsOfSorted(order.data(), count, space, std::move(equal));
  if (groups.linked) {
    for (std::size_t k = 0; k < count; ++k) {
      refs[order[k].index] = static_cast<Ref>(k);
    }
    TExactPositionSort<Ref>(refs, count, groups).Sort();
    for (std::size_t k = 0; k < count; ++k) {
      refs[k] = order[refs[k]].ref;
    }
  } else {
    for (std::size_t k = 0; k < count; ++k) {
      refs[k] = order[k].ref;
    }
  }
}

} // namespace

// QuickSortExact with the folded compare on both cores, with little memory beside the list: the
// large ranges are partitioned one step at a time on the lines themselves, and each range of
// at most kPositionRange lines is finished on positions by the thread that takes it. A range's
// final order depends only on its own contents, so the ranges may be done in any order.
template <typename Ref>
void SortExact(Ref* refs, std::size_t count, const TTextSpace& space, int sortDirection) {
  const bool descending = sortDirection == 1;
  if (count <= kPositionRange) {
    SortOnPositions(refs, count, space, descending);
    return;
  }
  const TCoarseKeys<Ref> keys(refs, count, space);
  const TFoldedLines<Ref> lines{refs, keys, descending};
  struct Range {
    std::ptrdiff_t left;
    std::size_t count;
  };
  RunOnTwoThreads(
      std::vector<Range>{{0, count}}, kPositionRange,
      [&](Range range, std::vector<Range>& parts) {
        const std::ptrdiff_t right = range.left + static_cast<std::ptrdiff_t>(range.count) - 1;
        const auto [i, j] = TLinePartition<Ref>(lines)(range.left, right);
        if (j > range.left) {
          parts.push_back({range.left, static_cast<std::size_t>(j - range.left + 1)});
        }
        if (i < right) {
          parts.push_back({i, static_cast<std::size_t>(right - i + 1)});
        }
      },
      [&](Range range) {
        keys.Remove(refs + range.left, range.count);
        SortOnPositions(refs + range.left, range.count, space, descending);
      });
  // The lines no range holds (each alone between two ranges) have their keys yet.
  keys.RemoveAll(refs, count);
}

template void SortExact(TNarrowRef*, std::size_t, const TTextSpace&, int);
template void SortExact(TWideRef*, std::size_t, const TTextSpace&, int);

} // namespace zorbe::line_sort_parts
