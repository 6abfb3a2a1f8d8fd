#pragma once
// The internal form (internal_char.h) written in a job's output code (internal_codec.h).
//
// Each line is appended to an output buffer, one call per line with no setup:
//   Shift-JIS: every byte as it is (the CP932 model holds Shift-JIS itself);
//   EUC-JP: JIS X 0208 codes (lead bytes up to 0xEF, NEC and IBM rows included) as their EUC
//     pair, half-width katakana after 0x8E, and the characters JIS X 0212 holds (the IBM rows
//     and escapes) after 0x8F;
//   UTF-8 and UTF-16 (little-endian): every character as itself; runs of ASCII and of
//     double-byte codes go through a table of their UTF-8, 16 bytes at a time where they can;
//   EUC-JIS-2004 and Shift_JIS-2004: every character as iconv writes it, a base character and
//     a combining one that JIS X 0213 has as one code (か゚) as that code.
// A character the output code can't hold stops the append with its offset in the line: nothing
// is ever replaced by a stand-in. The job refuses such characters when it reads them, so a
// writer only meets one that a replacement rule brought in.

#include "text/internal_codec.h"
#include "text/unicode_conversion.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zorbe {

// The room InternalToOutputCode needs for an internal text of `size` bytes, in any output code:
// no byte becomes more than three (half-width katakana in UTF-8), and the UTF-8 writer may store
// 16 bytes past its last one.
constexpr std::size_t OutputCapacity(std::size_t size) {
  return 3 * size + 16;
}

// What InternalToOutputCode wrote: its bytes, and the offset in its input of the first
// character the output code can't hold (npos when none), before which it stopped. Two words,
// returned in registers: the writer calls it once per line.
struct TWritten {
  std::size_t size;
  std::size_t unwritableAt;
};

// An internal text in the codec's output code at `out`, which has room for
// OutputCapacity(size) bytes.
TWritten InternalToOutputCode(std::string_view internal, const TInternalCodec& codec, char* out);

// Appends an internal text in the output code. Returns the offset in `internal` of the first
// character the output code can't hold (npos when none); what came before it is appended.
std::size_t AppendInOutputCode(std::string& out, std::string_view internal,
                               const TInternalCodec& codec);

// The first character of an internal text that the output code can't hold (npos when none),
// without writing anything.
std::size_t FindUnwritable(std::string_view internal, const TInternalCodec& codec);

// A line end in the output code ("\r\n" or "\n" as the setting chose).
std::string LineEndInOutputCode(std::string_view lineEnd, TOutputCode code);

// "「𠮷」(U+20BB7)": a character for messages, itself and its code point (which names it even
// when it can't be seen, a joiner or a variation selector).
std::string CharacterName(char32_t c);
// The character of an internal text at an offset, as CharacterName does; bytes that are no
// character are named by their values ("0x85 0x40").
std::string CharacterAt(std::string_view internal, std::size_t offset, const TInternalCodec& codec);

} // namespace zorbe
