#pragma once
// The tables the input converters read legacy codes through (internal_input.cpp): for one input
// code and one codec, each code of a plane (or each Shift-JIS byte and pair) has an entry
// holding the internal bytes it becomes, made once by asking the codec about the characters
// iconv reads the code as.

#include "text/char_code.h"
#include "text/euc_lanes.h"
#include "text/internal_char.h"
#include "text/internal_codec.h"
#include "text/legacy_charsets.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace zorbe {

// What one code becomes: up to two characters (a base and a combining one), or nothing (the
// code is no character).
struct TEntry {
  static constexpr std::uint8_t kSame = 1;        // the bytes are the code's own (Shift-JIS form)
  static constexpr std::uint8_t kSubstituted = 2; // 〓 for a JIS X 0212 character
  static constexpr std::uint8_t kUnwritable = 4;  // a character the output can't write
  std::uint8_t length = 0;
  std::uint8_t flags = 0;
  unsigned char bytes[2 * kMaxEscapeLength] = {};
};

using TPlane = std::vector<TEntry>; // by PlaneIndex

// The tables of one input code for one codec.
class TInputTables {
public:
  // JIS X 0212 becomes 〓 where the output can't write it, in Shift-JIS output only.
  TInputTables(TCharCode code, const TInternalCodec& codec);

  const TEntry& Kana(unsigned char b) const { return kana_[b - 0xA1]; }
  const TEntry& Plane1(unsigned char row, unsigned char cell) const {
    return plane1_[PlaneIndex(row, cell)];
  }
  // Plane 1 as one double-byte internal code per cell, 0 where the entry is anything else (no
  // character, a single byte, an escape, two characters, flagged): 18 KB that the EUC walk reads
  // a run of pairs through.
  const std::uint16_t* Plane1Codes() const { return plane1Codes_.data(); }
  // Where plane 1's codes are those of the JIS arithmetic (EUC codes only).
  const lanes::TEucBoxes& ArithmeticBoxes() const { return arithmeticBoxes_; }
  const TEntry& Plane2(unsigned char row, unsigned char cell) const {
    return plane2_[PlaneIndex(row, cell)];
  }
  const TEntry& Single(unsigned char b) const { return singles_[b]; }
  const TEntry& Pair(unsigned char lead, unsigned char trail) const {
    const int slot = DoubleByteSlot(lead, trail);
    return slot == kNoSlot ? noCharacter_ : pairs_[static_cast<std::size_t>(slot)];
  }
  // The planes a JIS text's escape sequences switch to: JIS X 0212 and JIS X 0213's two. Those
  // that aren't the code's own are made the first time a text asks.
  const TEntry& Jis0212Plane(unsigned char row, unsigned char cell) const;
  const TEntry& Jis2004Plane(bool second, unsigned char row, unsigned char cell) const;
  // Bytes 0x80-0xFC in a JIS text's single-byte stretch, read as the Shift-JIS (CP932) they
  // always were taken for; the tables are made the first time a text has one.
  const TEntry& StraySingle(unsigned char b) const {
    MakeStrayTables();
    return Single(b);
  }
  const TEntry& StrayPair(unsigned char lead, unsigned char trail) const {
    MakeStrayTables();
    return Pair(lead, trail);
  }
  // Whether single bytes below 0x80 are ASCII as they are (not in Shift_JIS-2004, whose 0x5C
  // and 0x7E are ¥ and ‾).
  bool AsciiAsItIs() const { return asciiAsItIs_; }

private:
  void Jis2004Planes(TPlane& first, TPlane& second) const;
  void SjisForm(const std::vector<TDecoded>& singles, const std::vector<TDecoded>& pairs);
  // CP932 text outside the CP932 model: each code as CP932 reads it.
  void Cp932Form();
  void MakeStrayTables() const;

  const TInternalCodec& codec_;
  std::array<TEntry, 0xDF - 0xA1 + 1> kana_;
  TPlane plane1_;
  std::vector<std::uint16_t> plane1Codes_;
  lanes::TEucBoxes arithmeticBoxes_;
  TPlane plane2_;
  std::vector<TEntry> singles_;
  std::vector<TEntry> pairs_;
  TEntry noCharacter_;
  bool asciiAsItIs_ = true;
  bool jis2004_ = false;    // plane 1 and 2 are JIS X 0213's
  bool substitute_ = false; // JIS X 0212 characters the output can't write become 〓
  mutable std::once_flag otherMade_;
  mutable TPlane otherPlane1_;
  mutable TPlane otherPlane2_;
  mutable std::once_flag strayMade_; // JIS codes: singles_ and pairs_ are made on first use
};

} // namespace zorbe
