#pragma once
// How a sort job holds its characters in the internal form (internal_char.h), and what they
// are in Unicode.
//
// Two characters are one to the job exactly when its output writes them alike, so that the
// order and the removal of duplicates see what is written. The output code therefore decides how
// a character is held (the model):
//  - Shift-JIS and EUC-JP output (CP932 model): a character is the CP932 code CP932 reaches it
//    from (〜 and ～ are both 0x8160, ¥ is 0x5C); a character CP932 lacks is an escape, which
//    EUC-JP writes when JIS X 0212 holds it (as 0x8F and a pair) and Shift-JIS never. A CP932
//    code from a Shift-JIS text is kept as it is, assigned or not: both outputs write every one.
//  - UTF-8 and UTF-16 output (Unicode model): every character is itself. A CP932 code stands for
//    the character CP932 gives back for it, and a character CP932 reaches from more than one
//    code is held as the one it encodes to (髙 is 0xFBFC, never the NEC-selected 0xEEE0); the
//    other character of a shared code is the code and the alternate mark; anything else is an
//    escape.
//  - EUC-JIS-2004 and Shift_JIS-2004 output (JIS X 0213 model): as Unicode, except that
//    characters the code writes alike are one (Shift_JIS-2004 writes ¥ and the backslash as
//    0x5C: both are the backslash), and a character the code can't write is refused.
// A codec is built once per process and output code, and then only read, from any thread.

#include "text/cp932_tables.h"
#include "text/legacy_charsets.h"
#include "text/output_code.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zorbe {

enum class TCharModel : std::uint8_t { Cp932, Unicode, Jis2004 };

TCharModel ModelOf(TOutputCode output);

class TInternalCodec {
public:
  static const TInternalCodec& For(TOutputCode output);
  explicit TInternalCodec(TOutputCode output);

  TOutputCode Output() const { return output_; }
  TCharModel Model() const { return model_; }

  // The CP932 code (a single byte below 0x100, else lead * 256 + trail) a character below
  // U+10000 is held as when the output writes it, or kNoCode when it is held otherwise (an
  // escape, a marked code) or can't be written: Put says which. The table of all of them, for
  // converters' inner loops.
  std::uint16_t PlainCode(char32_t c) const { return c < 0x10000 ? plain_[c] : kNoCode; }
  const std::uint16_t* PlainCodes() const { return plain_.data(); }

  // Stores a character as the job holds it, at most kMaxInternalCharLength bytes at d; returns
  // its length, or 0 (storing nothing) when it is no character (a surrogate, beyond
  // U+10FFFF). A character the output can't write is held all the same (a replacement rule may
  // still turn it into another): the job checks before it writes.
  std::size_t Put(char32_t c, unsigned char* d) const;
  // Whether the output writes the character.
  bool WritesCharacter(char32_t c) const;

  // The character at p (p < end), its length in `length`: what the output writes for it, in
  // Unicode; kNoCharacter for bytes that are no character (a CP932 code that has none).
  char32_t Decode(const unsigned char* p, const unsigned char* end, std::size_t& length) const;

  // Whether the output can write the character at p (its length in `length`).
  bool Writable(const unsigned char* p, const unsigned char* end, std::size_t& length) const;

  // The UTF-8 of each CP932 code as the job holds it (below 0x100 a single byte, else lead *
  // 256 + trail), packed with the first byte lowest, or kNoUtf8: a code that is no character,
  // and the first bytes of escapes and the mark, which the writer decodes by themselves.
  static constexpr std::uint32_t kNoUtf8 = 0xFFFFFFFF;
  const std::uint32_t* Utf8Table() const { return utf8_.data(); }

  // The JIS X 0213 code a model writes (Jis2004 model only), else nullptr.
  const TLegacyCharset* Jis2004() const { return jis2004_; }

private:
  bool WritesCp932Code(std::uint16_t code) const;
  std::size_t PutUnicode(char32_t c, unsigned char* d) const;

  TOutputCode output_;
  TCharModel model_;
  const TLegacyCharset* jis2004_ = nullptr;
  std::vector<std::uint16_t> plain_;             // 65,536 entries
  std::vector<std::uint32_t> utf8_;              // 65,536 entries
  std::unordered_map<char32_t, char32_t> alike_; // JIS X 0213: a character written as another
  std::unordered_set<char32_t> combining_;       // JIS X 0213: second halves of composed codes
};

// The other character of a shared code (〜 for 0x8160), or kNoCharacter when the code is none.
char32_t AlternateOf(std::uint16_t sharedCode);
// The shared code whose other character this is (0x8160 for 〜), or kNoCode.
std::uint16_t SharedCodeOf(char32_t alternate);

} // namespace zorbe
