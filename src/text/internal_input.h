#pragma once
// Texts in every input code into a job's internal form (internal_char.h, internal_codec.h).
//
// A converter walks its input once, one character at a time (runs of ASCII 16 bytes at a time),
// and writes each character as the job's codec holds it. It works in place, writing over the
// bytes it has read: most characters take no more bytes in the internal form than in their
// code, and a text of kanji and kana leaves room behind it for the few that take more. A
// character that would overwrite bytes still to be read stops the walk (`full`); the caller
// converts the rest into a buffer of its own (ConvertInPlace does both). A walk also stops at
// bytes that are no character of the code (`fault`): nothing is ever guessed. A character the
// job's output can't write is held all the same, and the first one's place is noted: a
// replacement rule may still change it, and the job refuses the text before it writes one.
// Nothing is silently replaced, except by the one stand-in the job has always made, 〓 for a
// JIS X 0212 character in Shift-JIS output, which is counted.
//
// What each code gives:
//   Shift-JIS (CP932): every code as CP932 reads it; in the CP932 model the text is its own
//     internal form, unassigned codes included.
//   EUC-JP, JIS (ISO-2022-JP): JIS X 0208 pairs as iconv's EUC-JP reads them (〜 is U+301C),
//     or, where it reads none, as CP932 reads the same JIS code (the NEC row 13 and the IBM rows
//     89-92 that EUC files written on Windows hold); in the CP932 model simply the CP932 code of
//     the JIS code, as always. JIS X 0212 (0x8F in EUC, ESC $ ( D in JIS) as iconv reads it.
//   EUC-JIS-2004, Shift_JIS-2004, ISO-2022-JP-3: as iconv reads them; a code that is a base and
//     a combining character (か゚) gives both.
//   UTF-8: strictly (no overlong forms, no surrogates). UTF-16 is made UTF-8 first.
// JIS texts keep their escape sequences' rules: ESC $ @ and ESC $ B (JIS X 0208), ESC $ ( D
// (JIS X 0212), ESC $ ( O and ESC $ ( Q (JIS X 0213 plane 1), ESC $ ( P (plane 2), ESC ( I
// (half-width katakana as 7-bit bytes); any other ESC ( x is single-byte text copied as it is.
// In a two-byte mode a byte that starts no pair (a line end, a space) is copied by itself.

#include "text/char_code.h"
#include "text/internal_codec.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zorbe {

// Bytes a conversion stopped at: no character of the code, or a code that is none.
struct TInputFault {
  std::size_t offset = 0;
};

// How far a walk came; a walk resumes from the step it stopped at.
struct TInputStep {
  std::size_t read = 0;    // input bytes done
  std::size_t written = 0; // internal bytes written
  bool full = false;       // stopped before a character that needs more room
  std::optional<TInputFault> fault;
  std::uint8_t mode = 0; // JIS: the mode the escape sequences set
  // JIS X 0212 characters written as 〓 (Shift-JIS output only), and the first one's offset in
  // the output; the offset in the output of the first character the output can't write.
  std::uint64_t substituted = 0;
  std::size_t firstSubstituted = 0;
  std::size_t firstUnwritable = std::string::npos;
};

class TInputTables;

class TInputConverter {
public:
  // Throws EEncodingError when a code needs iconv's tables and iconv lacks them.
  TInputConverter(TCharCode code, const TInternalCodec& codec);
  ~TInputConverter();
  TInputConverter(TInputConverter&&) noexcept;
  TInputConverter& operator=(TInputConverter&&) = delete;

  // Whether a text in this code is its own internal form (Shift-JIS in the CP932 model): then
  // there is nothing to convert.
  bool Identity() const;
  // Whether a text can be cut anywhere after an LF and its parts converted apart (not JIS, whose
  // escape sequences hold across lines).
  bool Splittable() const;

  // Walks in[from.read..size), writing at out + from.written: over `in` itself when out == in
  // (the walk stops when a character would overwrite unread bytes), else into `room` bytes.
  TInputStep Run(const unsigned char* in, std::size_t size, unsigned char* out, std::size_t room,
                 TInputStep from) const;

private:
  TCharCode code_;
  const TInternalCodec& codec_;
  std::unique_ptr<TInputTables> tables_;
};

// How a conversion went: the fault that ended it, if any, and the line it is on (from 1,
// counted in what was converted before it); the JIS X 0212 characters written as 〓, and the
// offset of the first in the converted text; the offset of the first character the output
// can't write (npos when none).
struct TConversionReport {
  std::optional<TInputFault> fault;
  std::size_t faultLine = 0;
  std::uint64_t substituted = 0;
  std::size_t firstSubstituted = 0;
  std::size_t firstUnwritable = std::string::npos;
};

// A text converted in place: its first `written` bytes, then `tail` (the rest, converted after
// the text's own bytes ran out of room). A fault ends it early.
struct TConvertedText {
  std::size_t written = 0;
  std::string tail;
  TConversionReport report;
};
TConvertedText ConvertInPlace(const TInputConverter& converter, char* text, std::size_t size);

// A whole text converted into a new string (up to a fault, if any).
struct TConvertedString {
  std::string text;
  TConversionReport report;
};
TConvertedString ConvertText(const TInputConverter& converter, std::string_view text);

} // namespace zorbe
