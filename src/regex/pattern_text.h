#pragma once
// Character-level reading of patterns: the character codes of the internal form (text/
// internal_char.h), escapes, and the way back from a code to text.
//
// Every character of a pattern or a text is one 32-bit code:
//   - a byte that is a character of its own (ASCII, half-width katakana, a lead byte cut off by
//     the end of the text): the byte, 0x01-0xFF;
//   - a CP932 pair, a lead byte (0x81-0x9F, 0xE0-0xFC) and the byte after it: lead * 256 +
//     trail, 0x8140-0xFCFC;
//   - a CP932 character followed by the alternate mark 0xFF (the other character of a shared
//     code, such as 〜 = 81 60 FF beside ～ = 81 60, ¥ = 5C FF beside the backslash):
//     0x10000 | its code, 0x10001-0x1FCFC;
//   - an escape, 0xFD + 3 or 0xFE + 4 trail bytes: 0x200000 + its code point, 0x200000-0x30FFFF
//     (Hangul 가-힣 is 0x20AC00-0x20D7A3);
//   - an escape followed by the mark, which no converter writes: 0x400000 + its code point.
// So codes keep the order of the bytes within each kind, and a character CP932 holds has the
// code it always had. Code 0 ends a pattern, so a NUL byte inside one ends it too. The three
// codes 0xFFFD-0xFFFF never come from text (no lead byte is 0xFF): they label the automaton's
// line-start, line-end and empty moves, and a pattern character or range never holds them.
//
// How bytes make characters, for texts and patterns alike: a lead byte takes the next byte as
// its trail, unless that byte is 0xFD-0xFF (or, in a text, NUL or the end): then the lead byte
// is a character of its own. 0xFD and 0xFE start an escape when the trail bytes (0xA0-0xDF) that
// it needs follow and, for 0xFE, they hold a code point from U+40000 to U+10FFFF; otherwise the
// byte is a character of its own. An alternate mark belongs to the character before it; a mark
// after a mark, or at the start, is a character of its own (0xFF). On every text that the
// converters write this is exactly InternalCharLength's reading; on any other bytes it still
// reads each byte once and can be read backwards exactly (text_reading.h), so a match never
// starts or ends inside an escape or between a character and its mark. Patterns, replacements
// and dictionary members refuse the two that could take in a neighbour once joined with other
// text: a lead byte without its trail byte and a mark standing alone (ReadCharacter).
//
// Positions are 1-based byte indexes of the next unread byte.

#include <cstdint>
#include <string>
#include <string_view>

namespace zorbe {

using TRECode = std::uint32_t;

inline constexpr TRECode kMarkedCodeBase = 0x10000;
inline constexpr TRECode kEscapeCodeBase = 0x200000;
inline constexpr TRECode kMarkedEscapeCodeBase = 0x400000;
inline constexpr TRECode kLineStartCode = 0xFFFD;
inline constexpr TRECode kLineEndCode = 0xFFFE;
inline constexpr TRECode kEmptyCode = 0xFFFF;
// The highest code a text character can have; codes 0, kLineStartCode..kEmptyCode and those
// above this one match nothing.
inline constexpr TRECode kMaxCharacterCode = kMarkedEscapeCodeBase + 0x10FFFF;

// The code of a character followed by the alternate mark.
constexpr TRECode MarkedCode(TRECode code) {
  return code < kEscapeCodeBase ? code + kMarkedCodeBase
                                : code - kEscapeCodeBase + kMarkedEscapeCodeBase;
}

// The code at pos, advancing pos over the character. Past the end: 0, pos unchanged. A lead
// byte that is the last byte of the text or stands before 0xFD-0xFF, and a mark with no
// character before it, raise ERegExpParser (bad double-byte character) at their position: no
// converter writes them, and in a pattern joined with others they would take in the byte next
// to them.
TRECode ReadCharacter(std::string_view text, std::uint32_t& pos);

// Moves pos back over the character before it, read backwards from pos down to floor, which
// must be a character boundary (1, the start of the text, by default).
void StepBack(std::string_view text, std::uint32_t& pos, std::uint32_t floor = 1);

// Decodes the escape whose backslash was just read: \b \n \r \t, \x with up to 4 hexadecimal
// digits, up to 6 octal digits (at most 0xFFFF), or any other character as itself. The first
// character that does not belong to the escape is left unread. Raises ERegExpParser.
TRECode DecodeEscape(std::string_view text, std::uint32_t& pos);

// The text of a code: for a code below 0x10000, two bytes when the high byte is a lead byte,
// else the low byte alone; a marked code is its character and the mark; an escape code its
// escape. Codes in none of the kinds above give an empty text.
std::string CodeToText(TRECode code);

// The text with a backslash before each of the metacharacters ^ ( | ) + * ? . [ ] $ and \, so
// that it matches itself. Other characters (a double-byte one whose trail byte looks like a
// metacharacter, an escape, a character with its mark such as ¥) are copied whole.
std::string QuoteRegExp(std::string_view text);

} // namespace zorbe
