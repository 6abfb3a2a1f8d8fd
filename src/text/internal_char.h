#pragma once
// The internal form: how a sort job holds every character, whatever code it was read in.
//
// The engine works on CP932 bytes, extended so that any Unicode character fits, any number of
// different ones in one run:
//  - a character CP932 holds is its CP932 code: one byte (ASCII, half-width katakana) or a lead
//    byte (0x81-0x9F, 0xE0-0xFC) and a trail byte;
//  - the other character of a shared code (CP932 reaches 0x8160 from ～ U+FF5E, which it gives
//    back, and from 〜 U+301C, which it doesn't; 0x5C from the backslash and from ¥ U+00A5; see
//    cp932_tables.h) is that code followed by the alternate mark 0xFF, when the job tells the
//    two apart (its output writes them differently);
//  - any other character is an escape: 0xFD and three trail bytes (U+0000-U+3FFFF) or 0xFE and
//    four (U+40000-U+10FFFF), each trail byte 0xA0-0xDF holding six bits of the code point, the
//    highest first.
//
// Invariants the rest of the engine relies on:
//  - Byte order is the order. An escape sorts after every CP932 character (0xFD and 0xFE are
//    above every lead byte), escapes among themselves in code-point order; the other character
//    of a shared code sorts right after the code's own character (0xFF is above every byte that
//    can follow a character), so a text that uses only one of the two sorts exactly as if it
//    were the code itself.
//  - No byte of an escape, and not the mark, is ASCII or a lead byte. A walker that knows only
//    CP932 never finds a line end, a delimiter, a blank or a letter inside one, and never falls
//    out of step with the lead/trail parity; it does see the trail bytes as half-width katakana
//    and the mark as a byte of its own, so every walker that changes, classifies or counts
//    characters steps with InternalCharLength.
//  - 0xFF only ever follows a shared code (5C, 7E, 815C, 8160, 8161, 817C, 8191, 8192, 81CA);
//    0xFD and 0xFE only ever start an escape. None of the three is a byte of CP932 text, so a
//    Shift-JIS text is its own internal form.

#include <cstddef>
#include <cstdint>

namespace zorbe {

inline constexpr unsigned char kEscapeLead = 0xFD;     // + 3 trail bytes: U+0000-U+3FFFF
inline constexpr unsigned char kWideEscapeLead = 0xFE; // + 4 trail bytes: U+40000-U+10FFFF
inline constexpr unsigned char kAlternateMark = 0xFF;  // after a shared code: its other character
inline constexpr unsigned char kEscapeTrailBase = 0xA0;
inline constexpr char32_t kWideEscapeFirst = 0x40000;
inline constexpr std::size_t kMaxEscapeLength = 5;
// The most bytes one character takes in the internal form: a shared code's pair and the mark.
inline constexpr std::size_t kMaxInternalCharLength = kMaxEscapeLength;

constexpr bool IsEscapeLead(unsigned char c) {
  return c == kEscapeLead || c == kWideEscapeLead;
}

// The bytes an escape takes, from its first byte (4 or 5).
constexpr std::size_t EscapeLength(unsigned char lead) {
  return lead == kEscapeLead ? 4 : 5;
}

// Writes the escape of a code point (at most U+10FFFF) at d; returns its length, 4 or 5.
constexpr std::size_t PutEscape(char32_t codePoint, unsigned char* d) {
  const bool wide = codePoint >= kWideEscapeFirst;
  const std::size_t trails = wide ? 4 : 3;
  d[0] = wide ? kWideEscapeLead : kEscapeLead;
  for (std::size_t i = 0; i < trails; ++i) {
    const unsigned shift = static_cast<unsigned>(6 * (trails - 1 - i));
    d[1 + i] = static_cast<unsigned char>(kEscapeTrailBase + (codePoint >> shift & 0x3F));
  }
  return trails + 1;
}

// The code point of the escape at p (its whole length readable).
constexpr char32_t EscapeCodePoint(const unsigned char* p) {
  const std::size_t trails = EscapeLength(p[0]) - 1;
  char32_t codePoint = 0;
  for (std::size_t i = 0; i < trails; ++i) {
    codePoint = codePoint << 6 | static_cast<char32_t>(p[1 + i] - kEscapeTrailBase);
  }
  return codePoint;
}

// The bytes of the character at p (p < end), the alternate mark after it included. A lead byte
// or an escape cut by the end is as long as what is left; so is a stray mark (1).
inline std::size_t InternalCharLength(const unsigned char* p, const unsigned char* end) {
  const auto left = static_cast<std::size_t>(end - p);
  const unsigned char c = *p;
  std::size_t length = 1;
  if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
    length = 2;
  } else if (c >= kEscapeLead) {
    length = c == kAlternateMark ? 1 : EscapeLength(c);
  }
  if (length > left) {
    return left;
  }
  return length < left && p[length] == kAlternateMark && c != kAlternateMark ? length + 1 : length;
}

inline std::size_t InternalCharLength(const char* p, const char* end) {
  return InternalCharLength(reinterpret_cast<const unsigned char*>(p),
                            reinterpret_cast<const unsigned char*>(end));
}

// Whether the character at p (`length` bytes, as InternalCharLength measures it) is one only the
// internal form has: an escape or a shared code with its mark. A malformed character holding
// such a byte elsewhere counts too, so that what is left between these characters is plain CP932.
constexpr bool IsInternalOnlyChar(const unsigned char* p, std::size_t length) {
  return p[0] >= kEscapeLead || p[length - 1] >= kEscapeLead;
}

inline bool IsInternalOnlyChar(const char* p, std::size_t length) {
  return IsInternalOnlyChar(reinterpret_cast<const unsigned char*>(p), length);
}

// Whether a text holds a byte that only the internal form has (an escape or a mark): a text
// without one is plain CP932, which every older walker reads right.
bool HoldsInternalOnlyBytes(const char* text, std::size_t size);

// The start of the character that ends at k (floor < k <= the text's size), where floor and k
// are character boundaries. Steps back over an alternate mark, an escape, a CP932 pair by the
// parity of the lead-valued bytes before it (counted back no further than floor), or one byte.
std::size_t PreviousCharStart(const unsigned char* text, std::size_t floor, std::size_t k);

} // namespace zorbe
