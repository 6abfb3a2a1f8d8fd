#pragma once
// EUC-JP to Shift-JIS in vector lanes, 16 bytes at a time: the JIS arithmetic of jis_code.h
// for a block that holds only ASCII and pairs. Internal to src/text; the converters of
// code_conversion.h and internal_input.h share it.

#include "text/byte_lanes.h"
#include "text/jis_code.h"

#include <cstddef>

namespace zorbe::lanes {

// Where the JIS arithmetic gives a plane's internal codes, when not everywhere (EUC-JIS-2004,
// or EUC-JP outside the CP932 model): a few boxes of rows by cells, in EUC bytes (0xA1-0xFE).
// A block whose every pair lies in a box is converted in lanes.
struct TEucBoxes {
  static constexpr int kMax = 4;
  bool everywhere = false; // every pair of the plane: no box is checked
  int count = 0;
  unsigned char rowLow[kMax] = {};
  unsigned char rowHigh[kMax] = {};
  unsigned char cellLow[kMax] = {};
  unsigned char cellHigh[kMax] = {};

  bool Any() const { return everywhere || count != 0; }
};

#if defined(__SSE2__)
// SjisOfJis in every lane: the lead byte of row r, and the trail byte of cell c
// after a row byte `previous` (only its parity counts). Lanes hold 7-bit values 0x21-0x7E.
inline __m128i SjisLeads(__m128i r) {
  const __m128i half = _mm_avg_epu8(r, _mm_setzero_si128()); // (r + 1) >> 1
  const __m128i high = _mm_cmpgt_epi8(r, _mm_set1_epi8(0x5E));
  return _mm_add_epi8(half,
                      _mm_add_epi8(_mm_set1_epi8(0x70), _mm_and_si128(high, _mm_set1_epi8(0x40))));
}
inline __m128i SjisTrails(__m128i c, __m128i previous) {
  const __m128i odd = _mm_cmpeq_epi8(_mm_and_si128(previous, _mm_set1_epi8(1)), _mm_set1_epi8(1));
  // Odd rows: cell + 0x1F, one more from cell 0x60 on (skipping 0x7F). Even rows: cell + 0x7E.
  const __m128i oddTrail =
      _mm_sub_epi8(_mm_add_epi8(c, _mm_set1_epi8(0x1F)), _mm_cmpgt_epi8(c, _mm_set1_epi8(0x5F)));
  const __m128i evenTrail = _mm_add_epi8(c, _mm_set1_epi8(0x7E));
  return Select(odd, oddTrail, evenTrail);
}

// One 16-byte block of EUC text at a character boundary, if it holds only ASCII and bytes
// 0xA1-0xFE: converts it to Shift-JIS by the JIS arithmetic and returns the bytes consumed (16,
// or 15 when the last byte starts a pair that the block cuts); 0 leaves the block to the
// character-at-a-time walk. Output and input have the same length here.
// `boxes`: where the arithmetic holds (null: everywhere).
inline std::size_t EucBlock(const unsigned char* p, unsigned char* d,
                            const TEucBoxes* boxes = nullptr) {
  const __m128i v = Load(p);
  const unsigned high = Bits(v);
  if (high == 0) {
    Store(d, v);
    return 16;
  }
  const unsigned euc = Bits(InRange(v, 0xA1, 0xFE));
  if (euc != high) {
    return 0;
  }
  unsigned firsts = PairStarts(euc);
  const bool cut = (firsts & 0x8000) != 0; // lane 15 starts a pair that goes on past the block
  if ((firsts & ~(euc >> 1) & 0x7FFF) != 0) {
    return 0; // a first byte with no second one: the walk faults on it
  }
  firsts &= euc >> 1;
  if (boxes != nullptr && !boxes->everywhere) {
    const __m128i cells = _mm_srli_si128(v, 1); // each pair's cell in its row's lane
    __m128i inside = _mm_setzero_si128();
    for (int i = 0; i < boxes->count; ++i) {
      inside = _mm_or_si128(inside,
                            _mm_and_si128(InRange(v, boxes->rowLow[i], boxes->rowHigh[i]),
                                          InRange(cells, boxes->cellLow[i], boxes->cellHigh[i])));
    }
    if ((Bits(inside) & firsts) != firsts) {
      return 0;
    }
  }
  const __m128i row = _mm_and_si128(v, _mm_set1_epi8(0x7F));
  const __m128i lead = SjisLeads(row);
  const __m128i trail = SjisTrails(row, _mm_slli_si128(v, 1));
  const __m128i out = Select(LaneMask(firsts), lead, Select(LaneMask(firsts << 1), trail, v));
  Store(d, out);
  return cut ? 15 : 16;
}
#else
inline std::size_t EucBlock(const unsigned char*, unsigned char*, const TEucBoxes* = nullptr) {
  return 0;
}
#endif

} // namespace zorbe::lanes
