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
// Every table is computed at compile time from the two tables the rules are stated in: the 38
// symbols in half and full width, and the full-width letter of each half-width katakana. The
// full-width to half-width kana table is their inverse plus the six letters that have no
// half-width form of their own. static_asserts tie the scan's byte ranges to the tables.

#include "text/width_conversion.h"

#include "text/byte_lanes.h"
#include "text/jis_code.h"
#include "text/shift_jis.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zorbe {
namespace {

// What one character becomes: `consumed` input bytes are replaced by the first `length` bytes
// of `bytes`; a length of 0 keeps them as they are.
struct TAction {
  std::uint8_t consumed{1};
  std::uint8_t length{0};
  std::array<unsigned char, 4> bytes{};
};

constexpr TAction Keep(int consumed) {
  return {static_cast<std::uint8_t>(consumed), 0, {}};
}

constexpr TAction EmitBytes(int consumed, unsigned first, unsigned second = 0) {
  return {static_cast<std::uint8_t>(consumed),
          static_cast<std::uint8_t>(second != 0 ? 2 : 1),
          {static_cast<unsigned char>(first), static_cast<unsigned char>(second), 0, 0}};
}

// A double-byte character (lead * 256 + trail), optionally followed by a second one or by a
// single byte.
constexpr TAction EmitPair(int consumed, std::uint16_t pair, std::uint16_t next = 0) {
  TAction action{static_cast<std::uint8_t>(consumed),
                 2,
                 {static_cast<unsigned char>(pair >> 8), static_cast<unsigned char>(pair), 0, 0}};
  if (next > 0xFF) {
    action.bytes[2] = static_cast<unsigned char>(next >> 8);
    action.bytes[3] = static_cast<unsigned char>(next);
    action.length = 4;
  } else if (next != 0) {
    action.bytes[2] = static_cast<unsigned char>(next);
    action.length = 3;
  }
  return action;
}

// --- The source tables ---------------------------------------------------------------------

// The symbol table: the half-width byte and the full-width character at the same position.
constexpr std::string_view kHalfSymbols = " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_\xA4\xA1\xA5,./\xA2\xA3";
constexpr std::array<std::uint16_t, 38> kFullSymbols = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A,
    0x8181, 0x8165, 0x8162, 0x817C, 0x814F, 0x818F, 0x8150, 0x816F, 0x8197, 0x816D,
    0x817B, 0x8196, 0x8170, 0x8147, 0x8146, 0x816E, 0x8183, 0x8184, 0x8148, 0x8151,
    0x8141, 0x8142, 0x8145, 0x8143, 0x8144, 0x815E, 0x8175, 0x8176};
static_assert(kHalfSymbols.size() == kFullSymbols.size());

// The JIS cell in row 0x25 of the full-width letter of each half-width katakana 0xA6-0xDD; 0 for
// 0xB0 (ｰ), which is a mark of its own.
constexpr unsigned char kFirstKana = 0xA6;
constexpr unsigned char kLastKana = 0xDD;
constexpr std::array<unsigned char, kLastKana - kFirstKana + 1> kKanaCells = {
    0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43, //  ｦｧｨｩｪｫｬｭｮｯ
    0x00, 0x22, 0x24, 0x26, 0x28, 0x2A,                         //  ｰｱｲｳｴｵ
    0x2B, 0x2D, 0x2F, 0x31, 0x33, 0x35, 0x37, 0x39, 0x3B, 0x3D, //  ｶｷｸｹｺｻｼｽｾｿ
    0x3F, 0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, //  ﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉ
    0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E, 0x5F, 0x60, 0x61, 0x62, //  ﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓ
    0x64, 0x66, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x73, //  ﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ
};

constexpr unsigned char kVoicedMark = 0xDE;     // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF; // ﾟ
constexpr unsigned char kKatakanaRow = 0x25;
constexpr std::uint16_t kFullVoicedMark = 0x814A;     // ゛
constexpr std::uint16_t kFullSemiVoicedMark = 0x814B; // ゜
constexpr std::uint16_t kLongVowelMark = 0x815B;      // ー

constexpr unsigned KanaCell(unsigned char b) {
  return b >= kFirstKana && b <= kLastKana ? kKanaCells[b - kFirstKana] : 0;
}
// ｶ-ﾄ and ﾊ-ﾎ: the voiced letter is one JIS code after the plain one.
constexpr bool TakesVoicedMark(unsigned char b) {
  return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
}
// ﾊ-ﾎ: the semi-voiced letter is two JIS codes after the plain one.
constexpr bool TakesSemiVoicedMark(unsigned char b) {
  return b >= 0xCA && b <= 0xCE;
}

// --- Derived tables ------------------------------------------------------------------------

constexpr std::array<std::uint16_t, 256> MakeFullSymbolOfByte() {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t i = 0; i < kHalfSymbols.size(); ++i) {
    table[static_cast<unsigned char>(kHalfSymbols[i])] = kFullSymbols[i];
  }
  return table;
}
constexpr auto kFullSymbolOfByte = MakeFullSymbolOfByte();

// Every full-width symbol has the lead byte 0x81, so its trail byte finds its half-width byte.
constexpr unsigned char kSymbolLead = 0x81;
constexpr std::array<unsigned char, 256> MakeHalfSymbolOfTrail() {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < kFullSymbols.size(); ++i) {
    table[kFullSymbols[i] & 0xFF] = static_cast<unsigned char>(kHalfSymbols[i]);
  }
  return table;
}
constexpr auto kHalfSymbolOfTrail = MakeHalfSymbolOfTrail();
static_assert([] {
  for (std::uint16_t symbol : kFullSymbols) {
    if (symbol >> 8 != kSymbolLead) {
      return false;
    }
  }
  return true;
}());

// The half-width form of each kana cell 0x21-0x76 (rows 0x24 and 0x25 alike): a letter and
// the mark after it, or 0 for none.
struct THalfKana {
  unsigned char letter{0};
  unsigned char mark{0};
};
constexpr unsigned char kFirstKanaCell = 0x21;
constexpr unsigned char kLastKanaCell = 0x76;

constexpr std::array<THalfKana, kLastKanaCell - kFirstKanaCell + 1> MakeHalfKanaOfCell() {
  std::array<THalfKana, kLastKanaCell - kFirstKanaCell + 1> table{};
  for (unsigned b = kFirstKana; b <= kLastKana; ++b) {
    const unsigned cell = KanaCell(static_cast<unsigned char>(b));
    if (cell == 0) {
      continue;
    }
    const auto letter = static_cast<unsigned char>(b);
    table[cell - kFirstKanaCell] = {letter, 0};
    if (TakesVoicedMark(letter)) {
      table[cell + 1 - kFirstKanaCell] = {letter, kVoicedMark};
    }
    if (TakesSemiVoicedMark(letter)) {
      table[cell + 2 - kFirstKanaCell] = {letter, kSemiVoicedMark};
    }
  }
  // Letters without a half-width form of their own.
  table[0x6E - kFirstKanaCell] = {0xDC, 0};           // ヮ -> ﾜ
  table[0x70 - kFirstKanaCell] = {0xB2, 0};           // ヰ -> ｲ
  table[0x71 - kFirstKanaCell] = {0xB4, 0};           // ヱ -> ｴ
  table[0x74 - kFirstKanaCell] = {0xB3, kVoicedMark}; // ヴ -> ｳﾞ
  table[0x75 - kFirstKanaCell] = {0xB6, 0};           // ヵ -> ｶ
  table[0x76 - kFirstKanaCell] = {0xB9, 0};           // ヶ -> ｹ
  return table;
}
constexpr auto kHalfKanaOfCell = MakeHalfKanaOfCell();
static_assert([] {
  for (THalfKana kana : kHalfKanaOfCell) {
    if (kana.letter == 0) {
      return false;
    }
  }
  return true;
}());

// --- To half width: the tests the four conversions share ------------------------------------

enum class TKind { Symbols, Digits, Letters, Katakana };

constexpr bool IsLetterCell(unsigned cell) {
  return (cell >= 0x41 && cell <= 0x5A) || (cell >= 0x61 && cell <= 0x7A);
}
constexpr bool IsDigitCell(unsigned cell) {
  return cell >= 0x30 && cell <= 0x39;
}

// Only the lead bytes 0x81 (symbols), 0x82 (row 0x23, row 0x24) and 0x83 (row 0x25) hold
// characters that any of the four conversions changes or splits.
constexpr unsigned char kFirstHalfLead = 0x81;
constexpr unsigned char kLastHalfLead = 0x83;

constexpr TAction ToHalfWidth(TKind kind, unsigned char lead, unsigned char trail) {
  const TJisCode code = JisOfSjis(lead, trail);
  if (code.row == 0x24 || code.row == 0x25) {
    if (code.cell < kFirstKanaCell || code.cell > kLastKanaCell) {
      return Keep(1); // no kana has this code: the lead byte goes alone
    }
    if (kind != TKind::Katakana) {
      return Keep(2);
    }
    const THalfKana kana = kHalfKanaOfCell[code.cell - kFirstKanaCell];
    return EmitBytes(2, kana.letter, kana.mark);
  }
  if (lead == kSymbolLead && kHalfSymbolOfTrail[trail] != 0) {
    return kind == TKind::Symbols ? EmitBytes(2, kHalfSymbolOfTrail[trail]) : Keep(2);
  }
  // Row 0x23 holds only the digits and the letters; its unassigned codes are kept.
  if (code.row == 0x23 && ((kind == TKind::Letters && IsLetterCell(code.cell)) ||
                           (kind == TKind::Digits && IsDigitCell(code.cell)))) {
    return EmitBytes(2, code.cell);
  }
  return Keep(2);
}

using THalfTable = std::array<TAction, (kLastHalfLead - kFirstHalfLead + 1) * 256>;
constexpr THalfTable MakeHalfTable(TKind kind) {
  THalfTable table{};
  for (unsigned lead = kFirstHalfLead; lead <= kLastHalfLead; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      table[(lead - kFirstHalfLead) * 256 + trail] =
          ToHalfWidth(kind, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
    }
  }
  return table;
}

// --- To full width -------------------------------------------------------------------------

// KatakanaToFullWidth for byte b followed by `next` (a mark or anything else).
constexpr TAction KatakanaToFull(unsigned char b, unsigned char next) {
  const bool marked = next == kVoicedMark || next == kSemiVoicedMark;
  if (const unsigned cell = KanaCell(b); cell != 0) {
    if (!marked) {
      return EmitPair(1, SjisOfJis(kKatakanaRow, cell));
    }
    if (next == kVoicedMark && TakesVoicedMark(b)) {
      return EmitPair(2, SjisOfJis(kKatakanaRow, cell + 1));
    }
    if (next == kSemiVoicedMark && TakesSemiVoicedMark(b)) {
      return EmitPair(2, SjisOfJis(kKatakanaRow, cell + 2));
    }
    // No combined letter (ｳﾞ, and ﾟ after ｶ-ﾄ): the letter, then the full-width mark.
    return EmitPair(2, SjisOfJis(kKatakanaRow, cell),
                    next == kVoicedMark ? kFullVoicedMark : kFullSemiVoicedMark);
  }
  if (b >= 0xA0 && kFullSymbolOfByte[b] != 0) {
    return marked ? EmitPair(2, kFullSymbolOfByte[b], next) : EmitPair(1, kFullSymbolOfByte[b]);
  }
  if (b == 0xB0 && !marked) {
    return EmitPair(1, kLongVowelMark);
  }
  return Keep(marked ? 2 : 1); // 0xA0, ｰ with a mark, a mark by itself
}

// Indexed by the byte; one table for each of: no mark after it, ﾞ after it, ﾟ after it.
struct TKatakanaTables {
  std::array<TAction, 256> plain{};
  std::array<TAction, 256> voiced{};
  std::array<TAction, 256> semiVoiced{};
};
constexpr TKatakanaTables MakeKatakanaTables() {
  TKatakanaTables tables;
  for (unsigned b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    tables.plain[b] = KatakanaToFull(c, 0);
    tables.voiced[b] = KatakanaToFull(c, kVoicedMark);
    tables.semiVoiced[b] = KatakanaToFull(c, kSemiVoicedMark);
  }
  return tables;
}

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
