#pragma once
// The legacy codes beside CP932 as the system's iconv defines them, held as tables: EUC-JP
// (iconv's, with its JIS X 0212 plane) and the two byte forms of JIS X 0213, EUC-JIS-2004 and
// Shift_JIS-2004. ISO-2022-JP and ISO-2022-JP-3 are read with the EUC tables (their pairs are
// the EUC pairs less 0x80).
//
// Each table says what every code means in Unicode (one character, or a base character and a
// combining one: JIS X 0213 has か゚ as one code) and, for writing, the bytes of every
// character the code holds. They are built once per process, on first use, by asking iconv
// about every code and every character of the planes JIS X 0213 uses; afterwards a conversion
// is a lookup.

#include "text/cp932_tables.h"

#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorbe {

enum class TLegacyCode : std::uint8_t { EucJp, EucJis2004, ShiftJis2004 };

// What a code means: kNoCharacter for nothing; `second` is 0 unless the code is a base
// character with a combining character after it.
struct TDecoded {
  char32_t first = kNoCharacter;
  char32_t second = 0;
};

// A code's bytes, the first byte lowest; length 0 when the code has no such character.
struct TEncoded {
  std::uint32_t bytes = 0;
  std::uint8_t length = 0;
};

inline constexpr std::size_t kPlaneCells = 94 * 94;
// The cell of a pair of a plane, each byte 0x21-0x7E or 0xA1-0xFE (the high bit is ignored).
constexpr std::size_t PlaneIndex(unsigned char row, unsigned char cell) {
  return static_cast<std::size_t>(((row & 0x7F) - 0x21) * 94 + ((cell & 0x7F) - 0x21));
}

struct TLegacyCharset {
  // The EUC form (EUC-JP, EUC-JIS-2004): plane 1 is two bytes 0xA1-0xFE, plane 2 the same after
  // 0x8F (JIS X 0212 in EUC-JP, JIS X 0213 plane 2 in EUC-JIS-2004), by PlaneIndex. Single
  // bytes are ASCII, and 0x8E with 0xA1-0xDF half-width katakana, in both.
  std::vector<TDecoded> plane1;
  std::vector<TDecoded> plane2;
  // The Shift-JIS form (Shift_JIS-2004): every single byte, and pairs by DoubleByteSlot.
  std::vector<TDecoded> singles;
  std::vector<TDecoded> pairs;
  // The bytes of each character the code holds; in EUC-JP only those of JIS X 0212 (the rest is
  // written as JIS X 0208 from CP932). Where the code writes two characters alike (Shift_JIS-2004
  // writes the backslash and ¥ as 0x5C), both are here. Empty in the JIS X 0213 codes' tables
  // for reading (Get), full in those for writing (ForWriting).
  std::unordered_map<char32_t, TEncoded> encode;
  // A base and a combining character that the code writes as one code.
  std::map<std::pair<char32_t, char32_t>, TEncoded> composed;

  TEncoded Encode(char32_t c) const {
    const auto found = encode.find(c);
    return found != encode.end() ? found->second : TEncoded{};
  }
  // The tables for reading a code, and those for writing it.
  static const TLegacyCharset& Get(TLegacyCode code);
  static const TLegacyCharset& ForWriting(TLegacyCode code);
};

} // namespace zorbe
