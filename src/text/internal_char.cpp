#include "text/internal_char.h"

#include "text/byte_lanes.h"
#include "text/shift_jis.h"

#include <cstring>

namespace zorbe {

bool HoldsInternalOnlyBytes(const char* text, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(static_cast<char>(kEscapeLead));
  for (; i + 16 <= size; i += 16) {
    const __m128i v = lanes::Load(p + i);
    if (lanes::Bits(_mm_cmpeq_epi8(_mm_max_epu8(v, first), v)) != 0) {
      return true;
    }
  }
#endif
  for (; i < size; ++i) {
    if (p[i] >= kEscapeLead) {
      return true;
    }
  }
  return false;
}

std::size_t PreviousCharStart(const unsigned char* text, std::size_t floor, std::size_t k) {
  if (k > floor + 1 && text[k - 1] == kAlternateMark) {
    return PreviousCharStart(text, floor, k - 1);
  }
  if (k >= floor + 4 && text[k - 4] == kEscapeLead) {
    return k - 4;
  }
  if (k >= floor + 5 && text[k - 5] == kWideEscapeLead) {
    return k - 5;
  }
  // A run of lead-valued bytes starts on a boundary, so its characters pair up from its start:
  // the last byte is a trail byte when the run before it has odd length.
  std::size_t run = 0;
  while (k - 1 - run > floor && IsLeadByte(text[k - 2 - run])) {
    ++run;
  }
  return run % 2 == 1 ? k - 2 : k - 1;
}

} // namespace zorbe
