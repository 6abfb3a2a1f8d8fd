#pragma once
// The pieces the line sort's two files share: the in-place radix sort on both cores (in
// line_sort.cpp) and the exact order of lines equal but for case (in exact_line_order.cpp). The
// byte ranks and compares are inline here because both files' inner loops run on them.

#include "engine/line_sort.h"
#include "engine/line_store.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorbe::line_sort_parts {

// Ranges of at most this many lines are done by one thread without splitting them further.
inline std::size_t ThreadThreshold(std::size_t count) {
  return std::max<std::size_t>(count / 32, 1 << 14);
}

// The rank of a byte in byte order with the end of a line before every byte: a CR or an LF,
// which only ever ends a line, is 0; the bytes below LF rank one above themselves, the others
// as themselves.
constexpr std::array<std::uint8_t, 256> MakeRanks() {
  std::array<std::uint8_t, 256> ranks{};
  for (int b = 0; b < 256; ++b) {
    ranks[b] = static_cast<std::uint8_t>(b < '\n' ? b + 1 : b);
  }
  ranks['\n'] = 0;
  ranks['\r'] = 0;
  return ranks;
}
inline constexpr std::array<std::uint8_t, 256> kRank = MakeRanks();

inline std::uint8_t RankOf(char c) {
  return kRank[static_cast<unsigned char>(c)];
}

// A byte as the folded compares see it: an ASCII capital letter that is not a trail byte is
// lower-cased.
constexpr char Folded(char c, bool trail) {
  return (!trail && c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The rank of a byte as the folded compares see it, by whether it is a trail byte: one table
// look-up in place of the tests of Folded and RankOf.
constexpr std::array<std::array<std::uint8_t, 256>, 2> MakeFoldedRanks() {
  std::array<std::array<std::uint8_t, 256>, 2> ranks{};
  for (int b = 0; b < 256; ++b) {
    for (const bool trail : {false, true}) {
      ranks[trail][b] = kRank[static_cast<unsigned char>(Folded(static_cast<char>(b), trail))];
    }
  }
  return ranks;
}
inline constexpr std::array<std::array<std::uint8_t, 256>, 2> kFoldedRank = MakeFoldedRanks();

// The rank of a byte in byte order or, with Fold, in the folded order.
template <bool Fold> std::uint8_t RankAt(char c, bool trail) {
  return Fold ? kFoldedRank[trail][static_cast<unsigned char>(c)] : RankOf(c);
}

// Byte order of two lines that are followed by line ends: -1, 0 or 1. With Fold, the order of
// the lower-cased lines (CompareFolded's), `trail` telling whether their first bytes are trail
// bytes; while the lines agree, their lead and trail bytes lie at the same places.
template <bool Fold> int CompareLines(const char* a, const char* b, bool trail = false) {
  for (;; ++a, ++b) {
    const std::uint8_t ra = RankAt<Fold>(*a, trail);
    const std::uint8_t rb = RankAt<Fold>(*b, trail);
    if (ra != rb) {
      return ra < rb ? -1 : 1;
    }
    if (ra == 0) {
      return 0;
    }
    if constexpr (Fold) {
      trail = !trail && IsLeadByte(static_cast<unsigned char>(*a));
    }
  }
}

// A line's offset and its index in a list.
template <typename Ref> struct TIndexedRef {
  Ref ref;
  Ref index;
};
template <typename Ref> Ref RefOf(Ref ref) {
  return ref;
}
template <typename Ref> Ref RefOf(const TIndexedRef<Ref>& item) {
  return item.ref;
}

// A fixed set of bits. Setting bits of different words from different threads is safe.
class TBits {
public:
  explicit TBits(std::size_t size) : words_(size / 64 + 1) {}

  void Set(std::size_t i) { words_[i / 64] |= std::uint64_t{1} << (i % 64); }
  // Set for threads that may set bits of the same word.
  void SetShared(std::size_t i) {
    std::atomic_ref(words_[i / 64])
        .fetch_or(std::uint64_t{1} << (i % 64), std::memory_order_relaxed);
  }
  // SetShared(at + i) for every set bit i of `bits`.
  void SetShared(std::size_t at, std::uint64_t bits) {
    const std::size_t w = at / 64;
    const unsigned shift = at % 64;
    std::atomic_ref(words_[w]).fetch_or(bits << shift, std::memory_order_relaxed);
    if (shift != 0 && (bits >> (64 - shift)) != 0) {
      std::atomic_ref(words_[w + 1]).fetch_or(bits >> (64 - shift), std::memory_order_relaxed);
    }
  }
  // Sets the bits of [from, to), for threads that may set other bits of the words at its ends;
  // the words between them hold only bits of the run, so they are simply stored.
  void SetRunShared(std::size_t from, std::size_t to) {
    if (from >= to) {
      return;
    }
    const std::size_t first = from / 64;
    const std::size_t last = (to - 1) / 64;
    const std::uint64_t head = ~std::uint64_t{0} << (from % 64);
    const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (to - 1) % 64);
    if (first == last) {
      std::atomic_ref(words_[first]).fetch_or(head & tail, std::memory_order_relaxed);
      return;
    }
    std::atomic_ref(words_[first]).fetch_or(head, std::memory_order_relaxed);
    std::fill(words_.begin() + static_cast<std::ptrdiff_t>(first) + 1,
              words_.begin() + static_cast<std::ptrdiff_t>(last), ~std::uint64_t{0});
    std::atomic_ref(words_[last]).fetch_or(tail, std::memory_order_relaxed);
  }
  // Turns every bit of the first `size` over.
  void Flip(std::size_t size) {
    for (std::uint64_t& word : words_) {
      word = ~word;
    }
    words_[size / 64] &= (std::uint64_t{1} << (size % 64)) - 1;
  }
  bool Test(std::size_t i) const { return (words_[i / 64] >> (i % 64)) & 1; }
  // The first set bit in [from, to), or `to`.
  std::size_t Next(std::size_t from, std::size_t to) const {
    if (from >= to) {
      return to;
    }
    std::size_t w = from / 64;
    std::uint64_t word = words_[w] & (~std::uint64_t{0} << (from % 64));
    while (word == 0) {
      if (++w * 64 >= to) {
        return to;
      }
      word = words_[w];
    }
    return std::min<std::size_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(word)), to);
  }
  // The last set bit at or before `at`; there must be one.
  std::size_t Previous(std::size_t at) const {
    std::size_t w = at / 64;
    std::uint64_t word = words_[w] & (~std::uint64_t{0} >> (63 - at % 64));
    while (word == 0) {
      word = words_[--w];
    }
    return w * 64 + 63 - static_cast<std::size_t>(std::countl_zero(word));
  }

private:
  std::vector<std::uint64_t> words_;
};

// Sorts the items ascending in the folded order (see TLineRadixSort), all as one class, on the
// calling thread. With `equal`, sets the bit of every sorted position whose line is equal to the
// one before it.
template <typename Item>
void SortFolded(Item* items, std::size_t count, const TTextSpace& space, TBits* equal = nullptr);

// QuickSortExact with the folded compare on the lines of one class (see exact_line_order.cpp).
template <typename Ref>
void SortExact(Ref* refs, std::size_t count, const TTextSpace& space, int sortDirection);

} // namespace zorbe::line_sort_parts
