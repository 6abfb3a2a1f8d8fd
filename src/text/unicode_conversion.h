#pragma once
// UTF-8 and UTF-16 to the internal form and back, and the internal form to Shift-JIS or EUC-JP
// output, through a job's code table (code_table.h).
//
// Reading: UTF-16 is first made UTF-8; UTF-8 becomes the internal form one character at a time
// through the table, with runs of ASCII copied 16 bytes at a time. No character takes more bytes
// in the internal form than in UTF-8, so the conversion can run in place over the bytes read.
// A byte that is not UTF-8 stops it with its offset: nothing is ever guessed.
//
// Writing: each line is appended to an output buffer in the output code. A character the output
// code can't hold stops the append with its offset in the line: nothing is ever replaced by a
// stand-in.

#include "text/code_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorbe {

enum class TOutputCode { ShiftJis, Utf8, EucJp };

// "Shift-JIS", "UTF-8" or "EUC-JP", for messages.
const char* OutputCodeName(TOutputCode code);

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Where a conversion stopped: the byte offset in its input, and the character that has no code
// there (kNoCharacter when the bytes are no character at all).
struct TConversionFault {
  std::size_t offset = 0;
  char32_t character = kNoCharacter;
};

struct TConversion {
  std::size_t size = 0; // bytes written
  std::optional<TConversionFault> fault;
};

// UTF-8 (without its byte-order mark) to the internal form. `out` may be `in` itself; the output
// is never longer. On a fault, `size` counts what was written before it.
TConversion Utf8ToInternal(const char* in, std::size_t size, char* out, const TCodeTable& table);

// UTF-16 text (after its byte-order mark) as UTF-8, appended to out. A lone surrogate or a last
// odd byte is a fault, at its offset in the UTF-16 bytes.
std::optional<TConversionFault> Utf16ToUtf8(std::string_view utf16, bool bigEndian,
                                            std::string& out);

// The room InternalToOutputCode needs for an internal text of `size` bytes, in any output code:
// no byte becomes more than three (half-width katakana in UTF-8), and the UTF-8 converter may
// store 16 bytes past its last one.
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

// An internal text in the output code at `out`, which has room for OutputCapacity(size) bytes:
// the writer's form, one call per line with no setup. Stops at a character the output code
// can't hold (as AppendInOutputCode below).
TWritten InternalToOutputCode(std::string_view internal, TOutputCode code, char* out,
                              const TCodeTable& table);

// Appends an internal text in the output code. Returns the offset in `internal` of the first
// character the output code can't hold (npos when none); what came before it is appended.
//   UTF-8: every character the table decodes; not a byte that is no CP932 character.
//   Shift-JIS: every byte as it is, a per-job code as the CP932 code of its character; not a
//     character CP932 can't hold.
//   EUC-JP: as Shift-JIS, then JIS X 0208 codes (lead bytes 0x81-0x9F, 0xE0-0xEF) as their EUC
//     pair and half-width katakana after 0x8E; not lead bytes 0xF0-0xFC (user-defined and IBM
//     rows), which EUC-JP has no place for. Bytes that are no character are copied.
std::size_t AppendInOutputCode(std::string& out, std::string_view internal, TOutputCode code,
                               const TCodeTable& table);

// The first character of an internal text that the output code can't hold, as above (npos when
// none), without writing anything: the job refuses such a text before it writes.
std::size_t FindUnwritable(std::string_view internal, TOutputCode code, const TCodeTable& table);

// The character of an internal text at an offset, as UTF-8, and its "U+XXXX" name: for
// messages. A byte that is no character is named by its value ("0x85 0x40").
std::string CharacterAt(std::string_view internal, std::size_t offset, const TCodeTable& table);

} // namespace zorbe
