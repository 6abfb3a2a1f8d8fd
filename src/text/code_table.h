#pragma once
// A sort job's code table: how each character of the job's inputs is held in the internal form
// (CP932 bytes) and how it is written back out, so that every character comes back as itself.
//
// A character keeps its CP932 code when CP932 has one that decodes back to it. The others get
// per-job codes from the user-defined area (lead bytes 0xF0-0xF9, 1,880 codes), assigned in
// code-point order, so they sort after the JIS X 0208 kanji and the NEC-selected IBM rows
// (0xED-0xEE) and before the IBM rows (0xFA-0xFC), and among themselves in code-point order:
// - characters CP932 can't hold at all (𠮷, é, emoji);
// - a shared code (0x8160 is reached from 〜 U+301C and ～ U+FF5E, see cp932_tables.h) decodes
//   to the form the job's inputs use; only when a job holds more than one form of it does the
//   rarer form get a per-job code (on a tie, the form CP932 decodes it to keeps the code). A
//   Shift-JIS input uses the form CP932 decodes the code to; an EUC or JIS input, when the
//   census is told so, the form iconv's EUC-JP decodes it to (0x8160 as 〜 U+301C);
// - the ASCII backslash and tilde always keep 0x5C and 0x7E, the bytes the rule syntax is made
//   of; ¥ and ‾ share them only when the job has no backslash (tilde) and no replacement or
//   dictionary file names ¥ (‾), where it would read as an escape.
// JIS X 0212 characters of EUC and JIS inputs, when the job keeps them, are characters like any
// other: those CP932 can't hold get per-job codes, and sort as their UTF-8 twins do.
// Per-job codes never take a user-defined code that a Shift-JIS, JIS or EUC input of the job
// holds itself (or a UTF-8 input reaches through U+E000-U+E757): those stay that character.
//
// The table is built from a census of every input taken before the job reads its first file
// (TCodeCensus), and then only read, from any thread.

#include "text/cp932_tables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorbe {

// The job's inputs hold more characters needing per-job codes than there are codes.
class ETooManyCharacters : public std::runtime_error {
public:
  ETooManyCharacters(std::size_t needed, std::size_t available);
  std::size_t Needed() const { return needed_; }

private:
  std::size_t needed_;
};

// What the inputs of a job hold that the code table must settle.
class TCodeCensus {
public:
  // Notes the characters of a UTF-8 text (no byte-order mark). `ruleFile`: a replacement or
  // dictionary file. Returns the offset of the first byte that is not UTF-8, or npos; the text
  // before it is noted.
  std::size_t NoteUtf8(std::string_view utf8, bool ruleFile = false);
  // Notes a text in the internal form read from a Shift-JIS, JIS or EUC input: the user-defined
  // codes it uses and how often it uses the shared codes. `eucMeanings`: the text was EUC or JIS,
  // whose shared codes mean what iconv's EUC-JP reads them as (TCp932Tables::eucMeanings).
  void NoteInternal(std::string_view internal, bool eucMeanings = false);
  // Notes a JIS X 0212 character of an EUC or JIS input (row and cell 0x21-0x7E, or with the
  // high bit set as in EUC), which the job reads as itself: the table gives it a code.
  void NoteJisX0212(unsigned char row, unsigned char cell);
  // Adds what another census noted (of other parts of the inputs).
  void Merge(const TCodeCensus& other);
  // Whether the internal texts matter: a Unicode input held a character that may need a per-job
  // code. Otherwise NoteInternal can be skipped.
  bool NeedsInternalTexts() const { return needsInternal_; }

private:
  friend class TCodeTable;
  void NoteCharacter(char32_t c, bool ruleFile);

  std::unordered_map<char32_t, std::uint64_t> unicode_; // characters worth noting, and counts
  std::array<bool, 2> asciiSeen_{};                     // '\\' and '~' in a Unicode text
  std::array<bool, 2> ruleFileSeen_{};                  // ¥ and ‾ in a rule or dictionary file
  std::unordered_map<std::uint16_t, std::uint64_t> internalShared_;
  std::unordered_map<std::uint16_t, std::uint64_t> internalEuc_; // shared codes of EUC/JIS texts
  std::vector<bool> internalUserDefined_ = std::vector<bool>(kDoubleByteSlots);
  bool needsInternal_ = false;
  bool jisX0212_ = false; // NoteJisX0212 was called
};

class TCodeTable {
public:
  // CP932 as it is: no per-job codes; every shared code decodes to CP932's own character.
  TCodeTable();
  // Settles the census. Throws ETooManyCharacters.
  explicit TCodeTable(const TCodeCensus& census);

  // The internal code of a character: below 0x100 a single byte, else lead * 256 + trail;
  // kNoCode when the job has none for it (it was not in the census and CP932 can't hold it).
  std::uint16_t Encode(char32_t codePoint) const {
    return codePoint < 0x10000 ? encode_[codePoint] : EncodeAstral(codePoint);
  }
  // The character of an internal code (single byte: the byte), or kNoCharacter.
  char32_t DecodeSingle(unsigned char byte) const { return decodeSingle_[byte]; }
  char32_t DecodeDouble(unsigned char lead, unsigned char trail) const {
    const int slot = DoubleByteSlot(lead, trail);
    return slot == kNoSlot ? kNoCharacter : decodeDouble_[static_cast<std::size_t>(slot)];
  }

  // The UTF-8 bytes of the character of an internal code, packed with the first byte lowest
  // (a character's length follows from its first byte), or kNoUtf8: the writer's table.
  static constexpr std::uint32_t kNoUtf8 = 0xFFFFFFFF;
  // `code`: a single byte (below 0x100) or lead * 256 + trail; one lookup without branches.
  std::uint32_t Utf8(std::uint16_t code) const { return utf8_[code]; }
  // The whole table, for loops that keep it in a register.
  const std::uint32_t* Utf8Table() const { return utf8_.data(); }

  // Whether every ASCII byte decodes to itself (unless ¥ or ‾ took 0x5C or 0x7E).
  bool KeepsAscii() const { return keepsAscii_; }
  bool HasJobCodes() const { return !jobCodes_.empty(); }
  bool IsJobCode(unsigned char lead, unsigned char trail) const {
    const int slot = DoubleByteSlot(lead, trail);
    return slot != kNoSlot && isJobCode_[static_cast<std::size_t>(slot)];
  }
  // The CP932 code a per-job code is written as in Shift-JIS (the shared code of a form that
  // lost it), or kNoCode when CP932 can't hold its character.
  std::uint16_t Cp932OfJobCode(std::uint16_t jobCode) const;
  // The per-job codes and their characters, in code order.
  const std::vector<std::pair<std::uint16_t, char32_t>>& JobCodes() const { return jobCodes_; }

  // The internal code of each JIS X 0212 character, for the EUC and JIS converters
  // (code_conversion.h), when the census noted such characters; else nullptr. A character that
  // got no code (an empty cell) is the geta mark 〓.
  const std::uint16_t* JisX0212Codes() const {
    return jisX0212_.empty() ? nullptr : jisX0212_.data();
  }

  // A Shift-JIS text in the internal form holds each shared code as the character CP932 decodes
  // it to, an EUC or JIS text as the character iconv's EUC-JP decodes it to (`eucMeanings`);
  // where that character lost the code to another form, the text must use its per-job code
  // instead. Rewrites the text in place (never changing its length).
  bool RewritesInternal(bool eucMeanings = false) const { return !Rewrites(eucMeanings).empty(); }
  void RewriteInternal(char* text, std::size_t size, bool eucMeanings = false) const;

private:
  using TRewrites = std::vector<std::pair<std::uint16_t, std::uint16_t>>; // shared -> job code
  const TRewrites& Rewrites(bool eucMeanings) const {
    return eucMeanings ? eucRewrites_ : internalRewrites_;
  }
  std::uint16_t EncodeAstral(char32_t codePoint) const;
  void Assign(std::vector<char32_t> characters, const TCodeCensus& census);
  void FillUtf8();

  std::vector<std::uint16_t> encode_;
  std::vector<std::pair<char32_t, std::uint16_t>> astral_; // sorted by code point
  std::vector<char32_t> decodeSingle_;
  std::vector<char32_t> decodeDouble_;
  std::vector<std::uint32_t> utf8_; // by code, 65,536 entries
  bool keepsAscii_ = true;
  std::vector<bool> isJobCode_;
  std::vector<std::pair<std::uint16_t, char32_t>> jobCodes_;
  TRewrites internalRewrites_; // of Shift-JIS texts
  TRewrites eucRewrites_;      // of EUC and JIS texts
  std::vector<std::uint16_t> jisX0212_;
};

// The user-defined codes in order: the codes a job can hand out.
std::vector<std::uint16_t> UserDefinedCodes();

} // namespace zorbe
