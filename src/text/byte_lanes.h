#pragma once
// Sixteen bytes at a time: the SSE2 helpers that the converters of this folder share. Internal
// to src/text.
//
// A block is 16 bytes; a 16-bit mask has bit k set for lane k. Every x86-64 processor has SSE2;
// elsewhere kByteLanes is false and the callers use their byte-at-a-time loops alone.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorbe::lanes {

#if defined(__SSE2__)

inline constexpr bool kByteLanes = true;

inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(unsigned char* d, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v);
}
inline unsigned Bits(__m128i mask) {
  return static_cast<unsigned>(_mm_movemask_epi8(mask));
}

// The `count` bytes at p (1-16) in the first lanes, zero in the others, without reading past
// them. Built from overlapping loads of 8, 4 or single bytes rather than from a copy on the
// stack, which the processor could not forward into one 16-byte load.
inline __m128i LoadPartial(const unsigned char* p, std::size_t count) {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  if (count >= 8) {
    std::memcpy(&low, p, 8);
    if (count > 8) {
      std::memcpy(&high, p + count - 8, 8);
      high >>= 8 * (16 - count);
    }
  } else if (count >= 4) {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + count - 4, 4);
    low = first | static_cast<std::uint64_t>(last) << (8 * (count - 4));
  } else {
    for (std::size_t k = 0; k < count; ++k) {
      low |= static_cast<std::uint64_t>(p[k]) << (8 * k);
    }
  }
  return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

// Lanes whose unsigned byte lies in [low, high].
inline __m128i InRange(__m128i v, unsigned char low, unsigned char high) {
  const __m128i offset = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(low)));
  const __m128i limit = _mm_set1_epi8(static_cast<char>(high - low));
  return _mm_cmpeq_epi8(_mm_min_epu8(offset, limit), offset);
}

// The lanes of a 16-bit mask as a byte mask.
inline __m128i LaneMask(unsigned bits) {
  const __m128i select = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  __m128i v = _mm_cvtsi32_si128(static_cast<int>(bits));
  v = _mm_unpacklo_epi8(v, v);
  v = _mm_unpacklo_epi16(v, v);
  v = _mm_unpacklo_epi32(v, v);
  return _mm_cmpeq_epi8(_mm_and_si128(v, select), select);
}

// a where the mask is set, b elsewhere.
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

#else

inline constexpr bool kByteLanes = false;

#endif

// Pairing by runs. `pairing` marks the lanes of bytes that take the byte after them (a lead
// byte; a byte 0xA1-0xFE in EUC) in a block that starts at a character boundary. A run of such
// lanes starts at a character boundary too (the byte before it is one character or the end of
// one), so its pairs start at the run's first lane and every second lane after it. Returns
// those lanes: a run that starts at an even lane pairs on the even lanes, found with one
// addition that carries through each run that starts at an even lane.
constexpr unsigned PairStarts(unsigned pairing) {
  const unsigned starts = pairing & ~(pairing << 1);
  const unsigned evenRuns = pairing & ~(pairing + (starts & 0x5555u));
  return ((evenRuns & 0x5555u) | (pairing & ~evenRuns & 0xAAAAu)) & 0xFFFFu;
}
static_assert(PairStarts(0b0110) == 0b0010);
static_assert(PairStarts(0b0111) == 0b0101);
static_assert(PairStarts(0b1011'1110) == 0b1010'1010);
static_assert(PairStarts(0xFFFF) == 0x5555);

} // namespace zorbe::lanes
