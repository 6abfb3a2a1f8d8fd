#pragma once
// Reading the characters of a text as codes (pattern_text.h), forwards and backwards, and
// telling whether a byte starts a character. The searches run these on every character, so
// they are inline and the rare bytes (0xFD-0xFF) are tested last.
//
// Backwards, the character that ends at a boundary k is found from the few bytes before it,
// never reading below a boundary known to the caller (the floor):
//   - a mark at k - 1 belongs to the character before it unless a mark stands right before it
//     too (or it is the first byte above the floor): then it is a character of its own;
//   - an escape ends at k when 0xFD stands at k - 4 (or 0xFE at k - 5) with valid trail bytes
//     up to k: 0xFD and 0xFE are never a byte inside a character, so that one starts there;
//   - otherwise the last byte is a trail byte when the run of lead-valued bytes right before it
//     has odd length. Such a run starts on a boundary, since no character ends in a lead byte
//     that the run's first byte would follow (a lead byte followed by another is a pair), and
//     no escape byte or mark is lead-valued.

#include "regex/pattern_text.h"
#include "text/internal_char.h"
#include "text/shift_jis.h"

#include <cstddef>

namespace zorbe::re_text {

constexpr bool IsEscapeTrail(unsigned char c) {
  return c >= kEscapeTrailBase && c < kEscapeTrailBase + 0x40;
}

// The length of the escape at p (whose first byte is 0xFD or 0xFE), with left bytes readable:
// 4 or 5 when it is whole, its trail bytes are trail bytes and a wide one holds a code point
// from U+40000 to U+10FFFF; else 0. codePoint is then its code point.
inline std::size_t EscapeAt(const unsigned char* p, std::size_t left, char32_t& codePoint) {
  const std::size_t length = EscapeLength(*p);
  if (left < length) {
    return 0;
  }
  char32_t value = 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsEscapeTrail(p[i])) {
      return 0;
    }
    value = value << 6 | static_cast<char32_t>(p[i] - kEscapeTrailBase);
  }
  if (length == 5 && (value < kWideEscapeFirst || value > 0x10FFFF)) {
    return 0;
  }
  codePoint = value;
  return length;
}

// Reads the character at pos (pos < size) into code and returns the position after it. In a
// text (kPattern false) a NUL byte ends the text, so it is never a lead byte's trail; the
// caller stops at a NUL at pos itself.
template <bool kPattern>
inline std::size_t ReadCodeAt(const unsigned char* text, std::size_t size, std::size_t pos,
                              TRECode& code) {
  const unsigned char byte = text[pos];
  std::size_t next = pos + 1;
  code = byte;
  if (byte > 0x80) { // ASCII needs none of these tests
    if (IsLeadByte(byte)) {
      if (next < size && text[next] < kEscapeLead && (kPattern || text[next] != 0)) {
        code = static_cast<TRECode>(byte) << 8 | text[next];
        ++next;
      }
    } else if (byte >= kEscapeLead) [[unlikely]] {
      if (byte == kAlternateMark) {
        return next; // a mark with no character before it
      }
      char32_t codePoint = 0;
      if (const std::size_t length = EscapeAt(text + pos, size - pos, codePoint); length != 0) {
        code = kEscapeCodeBase + codePoint;
        next = pos + length;
      }
    }
  }
  if (next < size && text[next] == kAlternateMark) [[unlikely]] {
    code = MarkedCode(code);
    ++next;
  }
  return next;
}

// Reads a text's character at pos into code and returns the position after it; at the end of
// the text (its size or a NUL byte) the code is 0 and the position stays.
inline std::size_t ReadTextCode(const unsigned char* text, std::size_t size, std::size_t pos,
                                TRECode& code) {
  if (pos >= size || text[pos] == 0) {
    code = 0;
    return pos;
  }
  return ReadCodeAt<false>(text, size, pos, code);
}

// Reads a text backwards from character boundaries above a known boundary (the floor). The
// start of a run of lead-valued bytes is found once for the whole run.
class TBackReader {
public:
  TBackReader(const unsigned char* text, std::size_t floor) : text_(text), floor_(floor) {}

  // The start of the character that ends at k (floor < k, a boundary), and its code.
  std::size_t Previous(std::size_t k, TRECode& code) {
    const unsigned char last = text_[k - 1];
    if (last < kEscapeTrailBase) [[likely]] { // no mark, no escape byte
      return Paired(k, last, code);
    }
    if (last == kAlternateMark) [[unlikely]] {
      if (k - 1 > floor_ && text_[k - 2] != kAlternateMark) {
        const std::size_t start = Unmarked(k - 1, code);
        code = MarkedCode(code);
        return start;
      }
      code = kAlternateMark;
      return k - 1;
    }
    return Unmarked(k, code);
  }

private:
  // The same for a character without a mark (the byte at k - 1 is no mark).
  std::size_t Unmarked(std::size_t k, TRECode& code) {
    const unsigned char last = text_[k - 1];
    if (IsEscapeTrail(last)) [[unlikely]] {
      char32_t codePoint = 0;
      for (const std::size_t length : {std::size_t{4}, std::size_t{5}}) {
        if (k - floor_ >= length && IsEscapeLead(text_[k - length]) &&
            EscapeAt(text_ + k - length, length, codePoint) == length) {
          code = kEscapeCodeBase + codePoint;
          return k - length;
        }
      }
    } else if (last >= kEscapeLead) [[unlikely]] {
      code = last; // 0xFD or 0xFE that starts no escape
      return k - 1;
    }
    return Paired(k, last, code);
  }

  // The same for a last byte that is no mark and ends no escape: it is a pair's trail byte or a
  // character of its own.
  std::size_t Paired(std::size_t k, unsigned char last, TRECode& code) {
    bool pair = false;
    if (IsLeadByte(last)) {
      pair = (k - RunStart(k - 1)) % 2 == 0;
    } else if (k - 1 > floor_ && IsLeadByte(text_[k - 2])) {
      pair = (k - 1 - RunStart(k - 2)) % 2 == 1;
    }
    if (pair) {
      code = static_cast<TRECode>(text_[k - 2]) << 8 | last;
      return k - 2;
    }
    code = last;
    return k - 1;
  }

  // The first byte of the run of lead-valued bytes that holds byte i, not below the floor.
  std::size_t RunStart(std::size_t i) {
    if (runStart_ <= i && i < runEnd_) {
      return runStart_;
    }
    std::size_t start = i;
    while (start > floor_ && IsLeadByte(text_[start - 1])) {
      --start;
    }
    runStart_ = start;
    runEnd_ = i + 1;
    return start;
  }

  const unsigned char* text_;
  std::size_t floor_;
  std::size_t runStart_ = 1;
  std::size_t runEnd_ = 0;
};

// Whether the run of lead-valued bytes right before k, counted back no further than known, has
// even length: then k is no pair's trail byte.
inline bool EvenLeadRunBefore(const unsigned char* text, std::size_t known, std::size_t k) {
  std::size_t run = 0;
  for (std::size_t i = k; i > known && IsLeadByte(text[i - 1]); --i) {
    ++run;
  }
  return run % 2 == 0;
}

// The first character boundary at or after k (k < size, text[k] not NUL), given a boundary
// known <= k: k itself, or the end of the character that holds k, its mark included.
inline std::size_t CharacterStartFrom(const unsigned char* text, std::size_t size,
                                      std::size_t known, std::size_t k) {
  if (k == known) {
    return k;
  }
  const unsigned char byte = text[k];
  if (byte >= kEscapeLead) [[unlikely]] {
    // 0xFD and 0xFE always start a character; a mark does unless it follows a character.
    return byte != kAlternateMark || text[k - 1] == kAlternateMark ? k : k + 1;
  }
  std::size_t end = k;
  if (IsEscapeTrail(byte)) {
    // Inside an escape that starts at most four bytes before?
    for (std::size_t j = k; j > known && k - j < 4;) {
      const unsigned char before = text[--j];
      if (IsEscapeLead(before)) {
        char32_t codePoint = 0;
        const std::size_t length = EscapeAt(text + j, size - j, codePoint);
        end = length != 0 && k < j + length ? j + length : k;
        break;
      }
      if (!IsEscapeTrail(before)) {
        break;
      }
    }
  }
  if (end == k) {
    if (EvenLeadRunBefore(text, known, k)) {
      return k;
    }
    end = k + 1; // k is the trail byte of a pair
  }
  return end < size && text[end] == kAlternateMark ? end + 1 : end;
}

} // namespace zorbe::re_text
