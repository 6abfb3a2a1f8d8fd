#pragma once
// The rules of the width conversions as compile-time tables. Internal to width_conversion.cpp.
//
// Every table is computed from the two tables the rules are stated in: the 38 symbols in half
// and full width, and the full-width letter of each half-width katakana. The full-width to
// half-width kana table is their inverse plus the six letters that have no half-width form of
// their own. Each character's outcome is a TAction: how many bytes it takes and what replaces
// them.

#include "text/jis_code.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace zorbe::width_rules {

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

} // namespace zorbe::width_rules
