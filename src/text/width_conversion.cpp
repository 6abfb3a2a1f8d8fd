// Width conversion, table-driven.
//
// Each conversion names the bytes it looks at (the lead bytes of the double-byte characters it
// may change, or the single bytes it may change) and has a look-up that says, for a character
// starting with such a byte, how many bytes it takes and what, if anything, replaces them. A
// line is scanned for looked-at characters until one actually changes, so a line with nothing to
// convert is never copied; after that the unchanged runs between changes are copied with memcpy.
//
// The scan (TScanner) takes 16 bytes at a time with SSE2: it finds the lead bytes among them by
// their runs (PairStarts), keeps the looked-at characters as a bit mask and visits them from it.
// Without SSE2 it steps through the line with a table of character sizes.
//
// The rules and their tables are in width_rules.h; static_asserts here tie the scan's byte
// ranges to those tables.

#include "text/width_conversion.h"

#include "text/byte_lanes.h"
#include "text/jis_code.h"
#include "text/shift_jis.h"
#include "text/width_rules.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zorbe {
namespace {

using namespace width_rules;

// --- The conversions -----------------------------------------------------------------------

// The bytes a conversion looks at, as ranges: lead bytes of the characters it may change or
// split, or single bytes it may change. Both the scan of 16 bytes at a time and the step table
// of the byte-at-a-time scan are made from them.
struct TByteRange {
  unsigned char low;
  unsigned char high;
};

template <std::size_t count>
constexpr bool InRanges(const std::array<TByteRange, count>& ranges, unsigned char b) {
  for (const TByteRange& range : ranges) {
    if (b >= range.low && b <= range.high) {
      return true;
    }
  }
  return false;
}

// Whether the ranges hold exactly the bytes for which `looked` is true.
template <std::size_t count, typename Looked>
constexpr bool SameBytes(const std::array<TByteRange, count>& ranges, Looked looked) {
  for (unsigned b = 0; b < 256; ++b) {
    if (InRanges(ranges, static_cast<unsigned char>(b)) != looked(static_cast<unsigned char>(b))) {
      return false;
    }
  }
  return true;
}

// For each byte: 0 when the conversion looks at it, else the size of the character it starts.
using TSteps = std::array<std::uint8_t, 256>;
template <std::size_t count>
constexpr TSteps MakeSteps(const std::array<TByteRange, count>& looked) {
  TSteps steps{};
  for (unsigned b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    steps[b] = InRanges(looked, c) ? 0 : (IsLeadByte(c) ? 2 : 1);
  }
  return steps;
}

// The double-byte characters a conversion to half width may change or split, as ranges of
// lead and trail bytes; the scan of 16 bytes at a time looks at these alone. Every conversion
// looks at the two ranges of row 0x24/0x25 codes whose lead byte goes alone.
struct TPairRange {
  unsigned char leadLow;
  unsigned char leadHigh;
  unsigned char trailLow;
  unsigned char trailHigh;
};
constexpr TPairRange kLoneLeadRow24 = {0x82, 0x82, 0xF5, 0xFC}; // row 0x24, cells 0x77-0x7E
constexpr TPairRange kLoneLeadRow25 = {0x83, 0x83, 0x97, 0x9E}; // row 0x25, cells 0x77-0x7E

template <TKind kind> struct THalfWidthPairs;
template <> struct THalfWidthPairs<TKind::Symbols> {
  static constexpr std::array kLookedPairs = {TPairRange{0x81, 0x81, 0x40, 0xFC}, kLoneLeadRow24,
                                              kLoneLeadRow25};
};
template <> struct THalfWidthPairs<TKind::Digits> {
  static constexpr std::array kLookedPairs = {TPairRange{0x82, 0x82, 0x4F, 0x58}, kLoneLeadRow24,
                                              kLoneLeadRow25};
};
template <> struct THalfWidthPairs<TKind::Letters> {
  static constexpr std::array kLookedPairs = {TPairRange{0x82, 0x82, 0x60, 0x79},
                                              TPairRange{0x82, 0x82, 0x81, 0x9A}, kLoneLeadRow24,
                                              kLoneLeadRow25};
};
template <> struct THalfWidthPairs<TKind::Katakana> {
  static constexpr std::array kLookedPairs = {TPairRange{0x82, 0x82, 0x9F, 0xFC},
                                              TPairRange{0x83, 0x83, 0x40, 0x9E}};
};

// Whether every pair that the table changes or splits lies in the ranges.
template <std::size_t count>
constexpr bool CoversChanges(const std::array<TPairRange, count>& ranges, const THalfTable& table) {
  for (unsigned lead = kFirstHalfLead; lead <= kLastHalfLead; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const TAction& action = table[(lead - kFirstHalfLead) * 256 + trail];
      if (action.length == 0 && action.consumed == 2) {
        continue;
      }
      bool covered = false;
      for (const TPairRange& range : ranges) {
        covered = covered || (lead >= range.leadLow && lead <= range.leadHigh &&
                              trail >= range.trailLow && trail <= range.trailHigh);
      }
      if (!covered) {
        return false;
      }
    }
  }
  return true;
}

template <TKind kind> struct THalfWidth : THalfWidthPairs<kind> {
  static constexpr std::size_t kGrowth = 1;
  static constexpr bool kLooksAtLeads = true;
  static constexpr std::array kLooked = {
      TByteRange{kind == TKind::Symbols ? kFirstHalfLead : 0x82, kLastHalfLead}};
  static constexpr THalfTable kTable = MakeHalfTable(kind);
  static_assert(CoversChanges(THalfWidthPairs<kind>::kLookedPairs, kTable));
  static TAction Look(const unsigned char* p, std::size_t i, std::size_t n) {
    if (i + 1 == n) {
      return Keep(1); // a lead byte at the end is a character by itself
    }
    return kTable[(p[i] - kFirstHalfLead) * 256 + p[i + 1]];
  }
};

// Digits, letters and symbols to full width: one byte becomes one double-byte character.
constexpr std::array<std::uint16_t, 256> MakeFullOfByte(TKind kind) {
  std::array<std::uint16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    if (kind == TKind::Symbols) {
      table[b] = kFullSymbolOfByte[b];
    } else if ((kind == TKind::Digits && IsDigitCell(b)) ||
               (kind == TKind::Letters && IsLetterCell(b))) {
      table[b] = SjisOfJis(0x23, b);
    }
  }
  return table;
}

template <TKind kind> struct TFullWidthBytes;
template <> struct TFullWidthBytes<TKind::Digits> {
  static constexpr std::array kLooked = {TByteRange{'0', '9'}};
};
template <> struct TFullWidthBytes<TKind::Letters> {
  static constexpr std::array kLooked = {TByteRange{'A', 'Z'}, TByteRange{'a', 'z'}};
};
template <> struct TFullWidthBytes<TKind::Symbols> {
  static constexpr std::array kLooked = {TByteRange{0x20, 0x2F}, TByteRange{0x3A, 0x40},
                                         TByteRange{0x5B, 0x60}, TByteRange{0x7B, 0x7E},
                                         TByteRange{0xA1, 0xA5}};
};

template <TKind kind> struct TFullWidth : TFullWidthBytes<kind> {
  static constexpr std::size_t kGrowth = 2;
  static constexpr bool kLooksAtLeads = false;
  static constexpr std::array<std::uint16_t, 256> kTable = MakeFullOfByte(kind);
  static_assert(SameBytes(TFullWidthBytes<kind>::kLooked,
                          [](unsigned char b) { return kTable[b] != 0; }));
  static TAction Look(const unsigned char* p, std::size_t i, std::size_t /*n*/) {
    return EmitPair(1, kTable[p[i]]);
  }
};

struct TKatakanaFullWidth {
  static constexpr std::size_t kGrowth = 2;
  static constexpr bool kLooksAtLeads = false;
  static constexpr std::array kLooked = {TByteRange{0xA1, 0xDD}};
  static constexpr TKatakanaTables kTables = MakeKatakanaTables();
  static_assert(SameBytes(kLooked, [](unsigned char b) { return kTables.plain[b].length != 0; }));
  static TAction Look(const unsigned char* p, std::size_t i, std::size_t n) {
    const unsigned char next = i + 1 < n ? p[i + 1] : 0;
    if (next == kVoicedMark) {
      return kTables.voiced[p[i]];
    }
    if (next == kSemiVoicedMark) {
      return kTables.semiVoiced[p[i]];
    }
    return kTables.plain[p[i]];
  }
};

#if defined(__SSE2__)

// The looked-at characters among the 16 bytes at p[i] (fewer at the end of the line), which
// start at a character boundary, and the position after the block: one more when lane 15 holds
// a lead byte, whose trail byte lies past the block.
struct TBlock {
  unsigned looked;
  std::size_t end;
};

template <typename Op> TBlock AnalyzeBlock(const unsigned char* p, std::size_t i, std::size_t n) {
  using namespace lanes;
  const __m128i v = i + 16 <= n ? Load(p + i) : LoadPartial(p + i, n - i);
  const unsigned leads =
      PairStarts(Bits(_mm_or_si128(InRange(v, 0x81, 0x9F), InRange(v, 0xE0, 0xFC))));
  const std::size_t end = i + 16 + (leads >> 15);
  __m128i looked = _mm_setzero_si128();
  if constexpr (Op::kLooksAtLeads) {
    // The byte after each lane: past the line it reads as 0, which no trail range holds.
    const __m128i next = i + 17 <= n ? Load(p + i + 1) : _mm_srli_si128(v, 1);
    for (const TPairRange& range : Op::kLookedPairs) {
      looked = _mm_or_si128(looked, _mm_and_si128(InRange(v, range.leadLow, range.leadHigh),
                                                  InRange(next, range.trailLow, range.trailHigh)));
    }
    return {Bits(looked) & leads, end};
  } else {
    for (const TByteRange& range : Op::kLooked) {
      looked = _mm_or_si128(looked, InRange(v, range.low, range.high));
    }
    return {Bits(looked) & ~(leads | leads << 1) & 0xFFFF, end};
  }
}

#endif

// Finds, from left to right, the characters of a line that a conversion looks at.
//
// With SSE2 it takes 16 bytes at a time from a character boundary (AnalyzeBlock) and then
// visits the looked-at characters from the block's bit mask. The mask stays valid while the
// conversion consumes whole characters; when it consumes a lead byte alone, Realign makes the
// next call start over from there. Without SSE2 it steps through the line with a table of
// character sizes.
template <typename Op> class TScanner {
public:
  TScanner(const unsigned char* p, std::size_t n) : p_(p), n_(n) {}

  // The position of the first looked-at character at or after i, a character boundary; n when
  // there is none.
  [[gnu::always_inline]] std::size_t Next(std::size_t i) {
#if defined(__SSE2__)
    for (;;) {
      if (i >= start_ && i < end_) {
        const auto offset = static_cast<unsigned>(i - start_);
        const unsigned left = offset < 16 ? looked_ & (~0u << offset) : 0;
        if (left != 0) {
          return start_ + static_cast<std::size_t>(__builtin_ctz(left));
        }
        i = end_;
      }
      if (i >= n_) {
        return n_;
      }
      const TBlock block = AnalyzeBlock<Op>(p_, i, n_);
      start_ = i;
      end_ = block.end;
      looked_ = block.looked;
    }
#else
    static constexpr TSteps kSteps = MakeSteps(Op::kLooked);
    while (i < n_) {
      const std::uint8_t step = kSteps[p_[i]];
      if (step == 0) {
        return i;
      }
      i += step;
    }
    return n_;
#endif
  }

  void Realign() {
#if defined(__SSE2__)
    end_ = 0;
#endif
  }

private:
#if defined(__SSE2__)
  std::size_t start_{0};
  std::size_t end_{0};
  unsigned looked_{0};
#endif
  const unsigned char* p_;
  std::size_t n_;
};

// The position of the next character from i on that the conversion changes, with its action
// in `action`; n when there is none.
template <typename Op>
[[gnu::always_inline]] inline std::size_t NextChange(TScanner<Op>& scanner, const unsigned char* p,
                                                     std::size_t i, std::size_t n,
                                                     TAction& action) {
  while ((i = scanner.Next(i)) < n) {
    action = Op::Look(p, i, n);
    if (action.length != 0) {
      return i;
    }
    if (Op::kLooksAtLeads && action.consumed == 1) {
      scanner.Realign(); // a lead byte went alone: the byte after it starts a character
    }
    i += action.consumed;
  }
  return n;
}

template <typename Op> bool Convert(std::string_view line, std::string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  TScanner<Op> scanner(p, n);
  TAction action;
  std::size_t i = NextChange(scanner, p, 0, n, action);
  if (i == n) {
    return false;
  }
  // Room for the longest result, plus slack so that every action can store its 4 bytes.
  out.resize(n * Op::kGrowth + 4);
  auto* const begin = reinterpret_cast<unsigned char*>(out.data());
  unsigned char* d = begin;
  std::size_t copied = 0; // the input before this position is in the output
  while (i < n) {
    if (i != copied) {
      std::memcpy(d, p + copied, i - copied);
      d += i - copied;
    }
    std::memcpy(d, action.bytes.data(), action.bytes.size());
    d += action.length;
    copied = i + action.consumed;
    i = NextChange(scanner, p, copied, n, action);
  }
  std::memcpy(d, p + copied, n - copied);
  d += n - copied;
  out.resize(static_cast<std::size_t>(d - begin));
  return true;
}

template <typename Op> std::string Converted(std::string_view text) {
  std::string out;
  if (!Convert<Op>(text, out)) {
    out.assign(text);
  }
  return out;
}

} // namespace

bool SymbolsToHalfWidth(std::string_view line, std::string& out) {
  return Convert<THalfWidth<TKind::Symbols>>(line, out);
}
bool SymbolsToFullWidth(std::string_view line, std::string& out) {
  return Convert<TFullWidth<TKind::Symbols>>(line, out);
}
bool DigitsToHalfWidth(std::string_view line, std::string& out) {
  return Convert<THalfWidth<TKind::Digits>>(line, out);
}
bool DigitsToFullWidth(std::string_view line, std::string& out) {
  return Convert<TFullWidth<TKind::Digits>>(line, out);
}
bool LettersToHalfWidth(std::string_view line, std::string& out) {
  return Convert<THalfWidth<TKind::Letters>>(line, out);
}
bool LettersToFullWidth(std::string_view line, std::string& out) {
  return Convert<TFullWidth<TKind::Letters>>(line, out);
}
bool KatakanaToHalfWidth(std::string_view line, std::string& out) {
  return Convert<THalfWidth<TKind::Katakana>>(line, out);
}
bool KatakanaToFullWidth(std::string_view line, std::string& out) {
  return Convert<TKatakanaFullWidth>(line, out);
}

std::string SymbolsToHalfWidth(std::string_view text) {
  return Converted<THalfWidth<TKind::Symbols>>(text);
}
std::string SymbolsToFullWidth(std::string_view text) {
  return Converted<TFullWidth<TKind::Symbols>>(text);
}
std::string DigitsToHalfWidth(std::string_view text) {
  return Converted<THalfWidth<TKind::Digits>>(text);
}
std::string DigitsToFullWidth(std::string_view text) {
  return Converted<TFullWidth<TKind::Digits>>(text);
}
std::string LettersToHalfWidth(std::string_view text) {
  return Converted<THalfWidth<TKind::Letters>>(text);
}
std::string LettersToFullWidth(std::string_view text) {
  return Converted<TFullWidth<TKind::Letters>>(text);
}
std::string KatakanaToHalfWidth(std::string_view text) {
  return Converted<THalfWidth<TKind::Katakana>>(text);
}
std::string KatakanaToFullWidth(std::string_view text) {
  return Converted<TKatakanaFullWidth>(text);
}

} // namespace zorbe
