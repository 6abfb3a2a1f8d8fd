// Candidate scanning. Both scanners stop at the first NUL byte, since it ends the text.

#include "regex/start_filter.h"

#include "text/shift_jis.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorbe {
namespace {

// Whether k starts a character, given that known <= k does.
bool IsBoundary(const unsigned char* text, std::size_t known, std::size_t k) {
  std::size_t run = 0;
  for (std::size_t i = k; i > known && IsLeadByte(text[i - 1]); --i) {
    ++run;
  }
  return run % 2 == 0;
}

} // namespace

void TREStartFilter::AcceptEveryPosition() {
  everyPosition_ = true;
  prefix_.clear();
}

void TREStartFilter::SetStartCodes(const std::vector<std::pair<TRECode, TRECode>>& ranges) {
  everyPosition_ = false;
  std::fill(startCodes_.begin(), startCodes_.end(), 0);
  for (const auto& [start, end] : ranges) {
    for (unsigned code = start; code <= end; ++code) {
      startCodes_[code >> 6] |= std::uint64_t{1} << (code & 63);
    }
  }
  skip_[0] = 0;
  for (unsigned byte = 1; byte < 256; ++byte) {
    if (!IsLeadByte(static_cast<unsigned char>(byte))) {
      skip_[byte] = IsStartCode(static_cast<TRECode>(byte)) ? 0 : 1;
      continue;
    }
    // A lead byte may start a double-byte character or, cut off by the end, stand alone.
    bool mayStart = IsStartCode(static_cast<TRECode>(byte));
    for (unsigned trail = 0; trail < 256 && !mayStart; ++trail) {
      mayStart = IsStartCode(static_cast<TRECode>(byte << 8 | trail));
    }
    skip_[byte] = mayStart ? 0 : 2;
  }
}

std::size_t TREStartFilter::NextCandidate(const unsigned char* text, std::size_t size,
                                          std::size_t pos) const {
  if (everyPosition_) {
    return pos;
  }
  if (!prefix_.empty()) {
    return NextPrefixCandidate(text, size, pos);
  }
  return NextByteCandidate(text, size, pos);
}

std::size_t TREStartFilter::NextByteCandidate(const unsigned char* text, std::size_t size,
                                              std::size_t pos) const {
  std::size_t i = pos;
  while (i < size) {
    const unsigned char byte = text[i];
    const unsigned step = skip_[byte];
    if (step == 1) {
      ++i;
      continue;
    }
    const bool cutOff = i + 1 >= size || text[i + 1] == 0;
    if (step == 2) {
      if (cutOff) {
        return i + 1 < size ? i + 1 : size;
      }
      i += 2;
      continue;
    }
    if (byte == 0 || !IsLeadByte(byte)) {
      return i;
    }
    if (cutOff) {
      return IsStartCode(byte) ? i : i + 1;
    }
    if (IsStartCode(static_cast<TRECode>(byte << 8 | text[i + 1]))) {
      return i;
    }
    i += 2;
  }
  return size;
}

std::size_t TREStartFilter::NextPrefixCandidate(const unsigned char* text, std::size_t size,
                                                std::size_t pos) const {
  const auto* prefix = reinterpret_cast<const unsigned char*>(prefix_.data());
  const std::size_t length = prefix_.size();
  std::size_t known = pos;
  // A hit at k: the end of the text, a candidate, or a trail byte that moves the known boundary.
  const auto tryHit = [&](std::size_t k) -> bool {
    if (text[k] == 0) {
      return true;
    }
    if (k + length > size || std::memcmp(text + k, prefix, length) != 0) {
      return false;
    }
    if (IsBoundary(text, known, k)) {
      return true;
    }
    known = k + 1;
    return false;
  };
  std::size_t i = pos;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(static_cast<char>(prefix[0]));
  const __m128i last = _mm_set1_epi8(static_cast<char>(prefix[length - 1]));
  const __m128i zero = _mm_setzero_si128();
  for (; i + length - 1 + 16 <= size; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + length - 1));
    const __m128i hits =
        _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last)),
                     _mm_cmpeq_epi8(head, zero));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0;
         mask &= mask - 1) {
      const std::size_t k = i + static_cast<std::size_t>(__builtin_ctz(mask));
      if (tryHit(k)) {
        return k;
      }
    }
  }
#endif
  for (; i < size; ++i) {
    if ((text[i] == prefix[0] || text[i] == 0) && tryHit(i)) {
      return i;
    }
  }
  return size;
}

} // namespace zorbe
