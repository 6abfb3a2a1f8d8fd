#pragma once
// CP932 as the system's iconv defines it, held as tables: the Unicode character of every CP932
// code, and the CP932 code of every Unicode character CP932 can hold.
//
// The tables are built once per process, on first use, by asking iconv about every code and
// every character; afterwards a conversion is a lookup. Codes: a single byte is itself (below
// 0x100), a double-byte character is lead * 256 + trail.
//
// CP932 is not one to one. Several codes decode to one character (the NEC and IBM rows repeat
// symbols and kanji), which is harmless: a text read in Unicode only ever uses the code that
// character encodes to. And a few characters encode to a code that decodes to another one
// (〜 U+301C to 0x8160, which decodes to ～ U+FF5E): those codes are "shared", and the groups
// of characters that share them are listed here for the job's code table to settle.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zorbe {

inline constexpr char32_t kNoCharacter = 0xFFFFFFFF; // a code that decodes to nothing
inline constexpr std::uint16_t kNoCode = 0xFFFF;     // a character that has no code

// Double-byte codes as a dense index: 60 lead bytes (0x81-0x9F, 0xE0-0xFC) of 192 trail slots
// (0x40-0xFF; the slots that are no trail byte never hold a character).
inline constexpr std::size_t kDoubleByteSlots = 60 * 192;
inline constexpr int kNoSlot = -1;
constexpr int DoubleByteSlot(unsigned char lead, unsigned char trail) {
  if (trail < 0x40) {
    return kNoSlot;
  }
  if (lead >= 0x81 && lead <= 0x9F) {
    return (lead - 0x81) * 192 + (trail - 0x40);
  }
  if (lead >= 0xE0 && lead <= 0xFC) {
    return (lead - 0xE0 + 31) * 192 + (trail - 0x40);
  }
  return kNoSlot;
}

// Calls visit(slot, bytes) for every pair a lead byte and a trail byte 0x40-0xFC (less 0x7F)
// make, with its two bytes.
template <typename Visit> void ForEachDoubleByteCode(Visit visit) {
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                     static_cast<unsigned char>(trail)};
      const int slot = DoubleByteSlot(pair[0], pair[1]);
      if (slot != kNoSlot && trail != 0x7F) {
        visit(static_cast<std::size_t>(slot), pair);
      }
    }
  }
}

// The user-defined area: lead bytes 0xF0-0xF9, the codes CP932 maps to U+E000-U+E757.
inline constexpr std::uint16_t kUserDefinedFirst = 0xF040;
inline constexpr std::uint16_t kUserDefinedLast = 0xF9FC;

// Characters that encode to one shared code: the character it decodes to, and the others.
struct TSharedCode {
  std::uint16_t code;
  char32_t decoded;
  std::vector<char32_t> others;
};

struct TCp932Tables {
  std::vector<std::uint16_t> encode;  // [code point 0-0xFFFF] -> code, or kNoCode
  std::vector<char32_t> decodeSingle; // [byte] -> character, or kNoCharacter
  std::vector<char32_t> decodeDouble; // [DoubleByteSlot] -> character, or kNoCharacter
  std::vector<TSharedCode> shared;    // in code order
  // The shared codes that iconv's EUC-JP (and ISO-2022-JP) read as one of the other characters
  // (0x8160 as 〜 U+301C where CP932 reads ～ U+FF5E; also ‖ − ¢ £ ¬), with that character, in
  // code order: what a JIS X 0208 character of an EUC or JIS file means in Unicode.
  std::vector<std::pair<std::uint16_t, char32_t>> eucMeanings;
  // A bit per code point 0-0xFFFF (bit c % 64 of word c / 64), set when the character is
  // encoded, decodes back to itself and is neither shared nor user-defined: a job need not note
  // it. 8 KiB, which stays in the first-level cache while a text is looked at.
  std::vector<std::uint64_t> plainBits;
  bool IsPlain(char32_t c) const { return (plainBits[c >> 6] >> (c & 63) & 1) != 0; }

  static const TCp932Tables& Get();

  char32_t Decode(std::uint16_t code) const {
    if (code < 0x100) {
      return decodeSingle[code];
    }
    const int slot = DoubleByteSlot(static_cast<unsigned char>(code >> 8),
                                    static_cast<unsigned char>(code & 0xFF));
    return slot == kNoSlot ? kNoCharacter : decodeDouble[static_cast<std::size_t>(slot)];
  }
  std::uint16_t Encode(char32_t codePoint) const {
    return codePoint < 0x10000 ? encode[codePoint] : kNoCode;
  }
};

} // namespace zorbe
