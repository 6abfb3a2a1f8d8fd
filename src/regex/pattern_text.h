#pragma once
// Character-level reading of patterns: the 16-bit character codes of Shift-JIS text, escapes,
// and the way back from a code to text.
//
// A lead byte (0x81-0x9F, 0xE0-0xFC) and the byte after it form one character whose code is
// lead * 256 + trail; every other byte is a character whose code is the byte. Code 0 ends a
// pattern, so a NUL byte inside one ends it too. The three highest codes never come from text:
// they label the automaton's line-start, line-end and empty moves. Positions are 1-based byte
// indexes of the next unread byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace zorbe {

using TRECode = std::uint16_t;

inline constexpr TRECode kLineStartCode = 0xFFFD;
inline constexpr TRECode kLineEndCode = 0xFFFE;
inline constexpr TRECode kEmptyCode = 0xFFFF;
// The highest code a pattern character may match; codes 0 and above this one match nothing.
inline constexpr TRECode kMaxCharacterCode = 0xFFFC;

// The code at pos, advancing pos by 1 or 2. Past the end: 0, pos unchanged. A lead byte that is
// the last byte of the text raises ERegExpParser (bad double-byte character) at its position.
TRECode ReadCharacter(std::string_view text, std::uint32_t& pos);

// Moves pos back over the character before it. Whether that character is double-byte follows
// from the run of lead-valued bytes before its last byte, counted back no further than floor,
// which must be a character boundary (1, the start of the text, by default).
void StepBack(std::string_view text, std::uint32_t& pos, std::uint32_t floor = 1);

// Decodes the escape whose backslash was just read: \b \n \r \t, \x with up to 4 hexadecimal
// digits, up to 6 octal digits (at most 0xFFFF), or any other character as itself. The first
// character that does not belong to the escape is left unread. Raises ERegExpParser.
TRECode DecodeEscape(std::string_view text, std::uint32_t& pos);

// The text of a code: two bytes when the high byte is a lead byte, else the low byte alone.
std::string CodeToText(TRECode code);

// The text with a backslash before each of the metacharacters ^ ( | ) + * ? . [ ] $ and \, so
// that it matches itself. Double-byte characters (whose trail byte may look like a
// metacharacter) are copied whole.
std::string QuoteRegExp(std::string_view text);

} // namespace zorbe
