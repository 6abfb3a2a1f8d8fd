#pragma once
// Conversion of EUC-JP and JIS (ISO-2022-JP style, JIS83 and JIS78) text to Shift-JIS.
//
// The converters take a whole file's text and never fail: every input gives an output, and a
// byte that is not part of a well-formed character is passed through unchanged, so that nothing
// the file holds disappears. Neither produces more bytes than it reads, and no output byte is
// written before the input bytes it replaces have been read. So each converter comes in two
// forms: one that builds a new text in a TMiniString created with the input's length (one
// allocation), and one that converts a buffer in place and returns the new size (none), for a
// caller that owns the file's buffer anyway.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorbe {

// EUC-JP to Shift-JIS:
// - two bytes 0xA1-0xFE are a JIS X 0208 code (each byte less 0x80) and give its two bytes;
// - 0x8E and a byte 0xA1-0xDF (half-width katakana) give that byte;
// - 0x8F and two bytes 0xA1-0xFE (a JIS X 0212 character, which Shift-JIS can't hold) give the
//   geta mark 〓 (0x81 0xAC), the usual stand-in for a character that can't be shown (a sort job
//   reads EUC through internal_input.h, which keeps them);
// - every other byte is copied, among them a byte 0xA1-0xFE that has no partner (at the end of
//   the text, or before a byte outside 0xA1-0xFE) and an 0x8E or 0x8F that starts no character.
std::string EucToSjis(std::string_view text);
std::size_t EucToSjisInPlace(char* text, std::size_t size);

// JIS text with escape sequences to Shift-JIS. ESC and the bytes after it are dropped and switch
// the mode, which starts as single-byte:
// - ESC $ x (x any byte, such as "B" or "@") switches to double-byte mode; the four-byte form
//   ESC $ ( x does the same, except that ESC $ ( D (JIS X 0212) and ESC $ ( P (JIS X 0213 plane
//   2) switch to a mode in which each pair gives 〓: neither has a Shift-JIS form;
// - ESC ( I switches to half-width katakana: bytes 0x21-0x5F become 0xA1-0xDF;
// - ESC ( x for any other x switches to single-byte mode; ESC and any other byte are three bytes
//   that change nothing. An escape sequence cut off by the end of the text is dropped.
// In single-byte mode every byte is copied. In double-byte mode two bytes 0x21-0x7E are a JIS
// code and give its two bytes; any other byte (a line break, a space, an 8-bit byte, a last
// byte without a partner) is copied by itself and the mode stays.
std::string JisToSjis(std::string_view text);
std::size_t JisToSjisInPlace(char* text, std::size_t size);

} // namespace zorbe
