#pragma once
// One UTF-8 character at a time, strictly: no overlong forms, no surrogates, nothing beyond
// U+10FFFF. Internal to src/text; the converters and the census share it.

#include "text/byte_lanes.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zorbe::utf8 {

// The number of ASCII bytes at the start of [p, end), found 16 at a time.
inline std::size_t AsciiPrefix(const unsigned char* p, const unsigned char* end) {
  const unsigned char* q = p;
#if defined(__SSE2__)
  for (; end - q >= 16; q += 16) {
    if (const unsigned high = lanes::Bits(lanes::Load(q)); high != 0) {
      return static_cast<std::size_t>(q - p) + static_cast<std::size_t>(__builtin_ctz(high));
    }
  }
#endif
  while (q < end && *q < 0x80) {
    ++q;
  }
  return static_cast<std::size_t>(q - p);
}

// The number of ASCII bytes among the 16 at p (16 when all are).
inline std::size_t AsciiInBlock(const unsigned char* p) {
#if defined(__SSE2__)
  const unsigned high = lanes::Bits(lanes::Load(p));
  return high == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(high));
#else
  std::size_t n = 0;
  while (n < 16 && p[n] < 0x80) {
    ++n;
  }
  return n;
#endif
}

// Copies the 16 bytes at p to d: all are loaded before any is stored.
inline void CopyBlock(const unsigned char* p, unsigned char* d) {
#if defined(__SSE2__)
  lanes::Store(d, lanes::Load(p));
#else
  unsigned char block[16];
  std::memcpy(block, p, 16);
  std::memcpy(d, block, 16);
#endif
}

// The character of a well-formed three-byte sequence at p (four bytes readable there), found
// with one load and masks: the common characters of Japanese text. kNotThreeBytes for anything
// else (another length, a bad byte, an overlong form); a surrogate is returned as it is, and has
// no code in any table.
inline constexpr char32_t kNotThreeBytes = 0;
inline char32_t ThreeByteAt(const unsigned char* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  if constexpr (std::endian::native == std::endian::big) {
    w = __builtin_bswap32(w);
  }
  if ((w & 0xC0C0F0u) != 0x8080E0u) {
    return kNotThreeBytes;
  }
  const char32_t c = (w & 0x0Fu) << 12 | (w >> 2 & 0xFC0u) | (w >> 16 & 0x3Fu);
  return c >= 0x800 ? c : kNotThreeBytes;
}

// Decodes the character at p (p < end) into codePoint and returns its length in bytes, or 0
// when the bytes there are not a well-formed character.
inline std::size_t Decode(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
  const unsigned b0 = p[0];
  if (b0 < 0x80) {
    codePoint = b0;
    return 1;
  }
  const auto left = static_cast<std::size_t>(end - p);
  auto continuation = [p](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
  if (b0 >= 0xE0 && b0 <= 0xEF) { // the common case of Japanese text first
    if (left < 3 || !continuation(1) || !continuation(2)) {
      return 0;
    }
    codePoint = (b0 & 0x0F) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    return codePoint >= 0x800 && (codePoint < 0xD800 || codePoint > 0xDFFF) ? 3 : 0;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left < 2 || !continuation(1)) {
      return 0;
    }
    codePoint = (b0 & 0x1F) << 6 | (p[1] & 0x3Fu);
    return 2;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 4 || !continuation(1) || !continuation(2) || !continuation(3)) {
      return 0;
    }
    codePoint = (b0 & 0x07) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    return codePoint >= 0x10000 && codePoint <= 0x10FFFF ? 4 : 0;
  }
  return 0;
}

// Writes a character (at most U+10FFFF, no surrogate) at d and returns its length.
inline std::size_t Encode(char32_t codePoint, unsigned char* d) {
  if (codePoint < 0x80) {
    d[0] = static_cast<unsigned char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    d[0] = static_cast<unsigned char>(0xC0 | codePoint >> 6);
    d[1] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    d[0] = static_cast<unsigned char>(0xE0 | codePoint >> 12);
    d[1] = static_cast<unsigned char>(0x80 | (codePoint >> 6 & 0x3F));
    d[2] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  d[0] = static_cast<unsigned char>(0xF0 | codePoint >> 18);
  d[1] = static_cast<unsigned char>(0x80 | (codePoint >> 12 & 0x3F));
  d[2] = static_cast<unsigned char>(0x80 | (codePoint >> 6 & 0x3F));
  d[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
  return 4;
}

} // namespace zorbe::utf8
