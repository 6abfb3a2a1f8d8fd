// Candidate scanning. Both scanners stop at the first NUL byte, since it ends the text.

#include "regex/start_filter.h"

#include "regex/text_reading.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zorbe {
namespace {

// Byte-set lookup by nibbles (see nibbleLow_ in the header), sixteen or thirty-two bytes at a
// time, and the search for a pair of bytes at a fixed distance. Each vector routine returns
// the first hit or the position where too few bytes remain, which the caller finishes byte by
// byte.
#if defined(__x86_64__)

__attribute__((target("ssse3"))) std::size_t FindInSetSsse3(const unsigned char* text,
                                                            std::size_t size, std::size_t pos,
                                                            const std::uint8_t* low,
                                                            const std::uint8_t* high) {
  const __m128i lowTable = _mm_load_si128(reinterpret_cast<const __m128i*>(low));
  const __m128i highTable = _mm_load_si128(reinterpret_cast<const __m128i*>(high));
  const __m128i bitOfHigh =
      _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i zero = _mm_setzero_si128();
  for (; pos + 16 <= size; pos += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
    const __m128i lowNibble = _mm_and_si128(bytes, nibble);
    const __m128i highNibble = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
    const __m128i upperHalf = _mm_cmplt_epi8(bytes, zero); // bytes 0x80-0xFF
    const __m128i rows =
        _mm_or_si128(_mm_andnot_si128(upperHalf, _mm_shuffle_epi8(lowTable, lowNibble)),
                     _mm_and_si128(upperHalf, _mm_shuffle_epi8(highTable, lowNibble)));
    const __m128i hits = _mm_and_si128(rows, _mm_shuffle_epi8(bitOfHigh, highNibble));
    const auto mask =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(hits, zero))) ^ 0xFFFFU;
    if (mask != 0) {
      return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
  }
  return pos;
}

__attribute__((target("avx2"))) std::size_t FindInSetAvx2(const unsigned char* text,
                                                          std::size_t size, std::size_t pos,
                                                          const std::uint8_t* low,
                                                          const std::uint8_t* high) {
  const __m256i lowTable =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(low)));
  const __m256i highTable =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(high)));
  const __m256i bitOfHigh =
      _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16,
                       32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i zero = _mm256_setzero_si256();
  for (; pos + 32 <= size; pos += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + pos));
    const __m256i lowNibble = _mm256_and_si256(bytes, nibble);
    const __m256i highNibble = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
    const __m256i upperHalf = _mm256_cmpgt_epi8(zero, bytes);
    const __m256i rows = _mm256_blendv_epi8(_mm256_shuffle_epi8(lowTable, lowNibble),
                                            _mm256_shuffle_epi8(highTable, lowNibble), upperHalf);
    const __m256i hits = _mm256_and_si256(rows, _mm256_shuffle_epi8(bitOfHigh, highNibble));
    const auto mask = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hits, zero)));
    if (mask != 0) {
      return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
  }
  return pos;
}

// The first k at or after pos where text[k] is NUL, or is first with last at k + distance.
__attribute__((target("avx2"))) std::size_t FindPairAvx2(const unsigned char* text,
                                                         std::size_t size, std::size_t pos,
                                                         unsigned char first, unsigned char last,
                                                         std::size_t distance) {
  const __m256i firsts = _mm256_set1_epi8(static_cast<char>(first));
  const __m256i lasts = _mm256_set1_epi8(static_cast<char>(last));
  const __m256i zero = _mm256_setzero_si256();
  for (; pos + distance + 32 <= size; pos += 32) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + pos));
    const __m256i tail =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + pos + distance));
    const __m256i hits = _mm256_or_si256(
        _mm256_and_si256(_mm256_cmpeq_epi8(head, firsts), _mm256_cmpeq_epi8(tail, lasts)),
        _mm256_cmpeq_epi8(head, zero));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
    if (mask != 0) {
      return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
  }
  return pos;
}

std::size_t FindPairSse2(const unsigned char* text, std::size_t size, std::size_t pos,
                         unsigned char first, unsigned char last, std::size_t distance) {
  const __m128i firsts = _mm_set1_epi8(static_cast<char>(first));
  const __m128i lasts = _mm_set1_epi8(static_cast<char>(last));
  const __m128i zero = _mm_setzero_si128();
  for (; pos + distance + 16 <= size; pos += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos + distance));
    const __m128i hits =
        _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(head, firsts), _mm_cmpeq_epi8(tail, lasts)),
                     _mm_cmpeq_epi8(head, zero));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) {
      return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
  }
  return pos;
}

enum class TVector { None, Ssse3, Avx2 };

std::atomic<TVector> vectorLimit{TVector::Avx2};

TVector Vector() {
  static const TVector supported = __builtin_cpu_supports("avx2")    ? TVector::Avx2
                                   : __builtin_cpu_supports("ssse3") ? TVector::Ssse3
                                                                     : TVector::None;
  return std::min(supported, vectorLimit.load(std::memory_order_relaxed));
}

#endif

std::size_t FindPair(const unsigned char* text, std::size_t size, std::size_t pos,
                     unsigned char first, unsigned char last, std::size_t distance) {
#if defined(__x86_64__)
  const TVector vector = Vector();
  if (vector == TVector::Avx2) {
    pos = FindPairAvx2(text, size, pos, first, last, distance);
  } else if (vector == TVector::Ssse3) {
    pos = FindPairSse2(text, size, pos, first, last, distance);
  }
#endif
  for (; pos < size; ++pos) {
    if (text[pos] == 0 ||
        (text[pos] == first && (pos + distance >= size || text[pos + distance] == last))) {
      return pos;
    }
  }
  return size;
}

} // namespace

void TREStartFilter::LimitVectorWidth(unsigned bits) {
#if defined(__x86_64__)
  vectorLimit = bits >= 256 ? TVector::Avx2 : bits >= 128 ? TVector::Ssse3 : TVector::None;
#else
  (void)bits;
#endif
}

void TREStartFilter::AcceptEveryPosition() {
  everyPosition_ = true;
  prefix_.clear();
}

void TREStartFilter::SetStartCodes(const std::vector<std::pair<TRECode, TRECode>>& ranges) {
  everyPosition_ = false;
  std::fill(startCodes_.begin(), startCodes_.end(), 0);
  highStartCodes_.clear();
  for (const auto& [start, end] : ranges) {
    AddStartCodes(start, end);
  }
  // Merged into disjoint ranges: the moves of several states may overlap.
  std::sort(highStartCodes_.begin(), highStartCodes_.end());
  std::size_t merged = 0;
  for (const auto& range : highStartCodes_) {
    if (merged > 0 && range.first <= highStartCodes_[merged - 1].second + 1) {
      highStartCodes_[merged - 1].second =
          std::max(highStartCodes_[merged - 1].second, range.second);
    } else {
      highStartCodes_[merged++] = range;
    }
  }
  highStartCodes_.resize(merged);
  stop_[0] = kStops;
  for (unsigned byte = 1; byte < 256; ++byte) {
    // The character a byte starts may be the byte alone or, for a lead byte, a pair (the codes
    // byte * 256 + 0..255), either with a mark; 0xFD and 0xFE start escapes.
    const TRECode first = IsLeadByte(static_cast<unsigned char>(byte)) ? byte << 8 : byte;
    const TRECode last = IsLeadByte(static_cast<unsigned char>(byte)) ? first + 0xFF : byte;
    bool mayStart = IsStartCode(byte) || AnyStartCode(first, last) ||
                    AnyStartCode(byte + kMarkedCodeBase, byte + kMarkedCodeBase) ||
                    AnyStartCode(first + kMarkedCodeBase, last + kMarkedCodeBase);
    if (byte == kEscapeLead || byte == kWideEscapeLead) {
      const TRECode firstPoint = byte == kEscapeLead ? 0 : kWideEscapeFirst;
      const TRECode lastPoint = byte == kEscapeLead ? kWideEscapeFirst - 1 : 0x10FFFF;
      mayStart =
          mayStart || AnyStartCode(kEscapeCodeBase + firstPoint, kEscapeCodeBase + lastPoint) ||
          AnyStartCode(kMarkedEscapeCodeBase + firstPoint, kMarkedEscapeCodeBase + lastPoint);
    }
    stop_[byte] = mayStart ? (IsStartCode(byte) ? kStopsAlone : kStops) : 0;
  }
  nibbleLow_.fill(0);
  nibbleHigh_.fill(0);
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (stop_[byte] != 0) {
      auto& table = byte < 0x80 ? nibbleLow_ : nibbleHigh_;
      table[byte & 0x0F] = static_cast<std::uint8_t>(table[byte & 0x0F] | 1U << ((byte >> 4) & 7));
    }
  }
}

void TREStartFilter::AddStartCodes(TRECode start, TRECode end) {
  if (end >= kMarkedCodeBase) {
    highStartCodes_.emplace_back(std::max(start, kMarkedCodeBase), end);
    if (start >= kMarkedCodeBase) {
      return;
    }
    end = kMarkedCodeBase - 1;
  }
  while (start <= end) {
    const unsigned bit = start & 63;
    const unsigned count = std::min(64 - bit, end - start + 1);
    const std::uint64_t bits = count == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << count) - 1);
    startCodes_[start >> 6] |= bits << bit;
    start += count;
  }
}

bool TREStartFilter::IsHighStartCode(TRECode code) const {
  const auto after = std::upper_bound(
      highStartCodes_.begin(), highStartCodes_.end(), code,
      [](TRECode c, const std::pair<TRECode, TRECode>& range) { return c < range.first; });
  return after != highStartCodes_.begin() && (after - 1)->second >= code;
}

bool TREStartFilter::AnyStartCode(TRECode first, TRECode last) const {
  for (TRECode code = first; code <= last && code < kMarkedCodeBase;) {
    if ((code & 63) == 0 && last - code >= 63 && startCodes_[code >> 6] == 0) {
      code += 64;
      continue;
    }
    if (IsStartCode(code)) {
      return true;
    }
    ++code;
  }
  // The first range that ends at or after first.
  const auto range = std::lower_bound(
      highStartCodes_.begin(), highStartCodes_.end(), first,
      [](const std::pair<TRECode, TRECode>& r, TRECode code) { return r.second < code; });
  return range != highStartCodes_.end() && range->first <= last;
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
  std::size_t known = pos;
  for (std::size_t i = pos;;) {
    const std::size_t k = FindStopByte(text, size, i);
    if (k >= size || text[k] == 0) {
      return k;
    }
    const unsigned char byte = text[k];
    if (byte < 0x80 && (k + 1 >= size || text[k + 1] != kAlternateMark) &&
        re_text::EvenLeadRunBefore(text, known, k)) {
      // An ASCII character without a mark, the common case.
      if (stop_[byte] == kStopsAlone) {
        return k;
      }
      known = i = k + 1;
      continue;
    }
    const std::size_t start = re_text::CharacterStartFrom(text, size, known, k);
    if (start == k) {
      TRECode code = 0;
      const std::size_t next = re_text::ReadTextCode(text, size, k, code);
      if (IsStartCode(code)) {
        return k;
      }
      known = i = next;
    } else {
      known = i = start;
    }
  }
}

std::size_t TREStartFilter::FindStopByte(const unsigned char* text, std::size_t size,
                                         std::size_t pos) const {
#if defined(__x86_64__)
  const TVector vector = Vector();
  if (vector == TVector::Avx2) {
    pos = FindInSetAvx2(text, size, pos, nibbleLow_.data(), nibbleHigh_.data());
  } else if (vector == TVector::Ssse3) {
    pos = FindInSetSsse3(text, size, pos, nibbleLow_.data(), nibbleHigh_.data());
  }
#endif
  while (pos < size && stop_[text[pos]] == 0) {
    ++pos;
  }
  return pos;
}

std::size_t TREStartFilter::NextPrefixCandidate(const unsigned char* text, std::size_t size,
                                                std::size_t pos) const {
  const auto* prefix = reinterpret_cast<const unsigned char*>(prefix_.data());
  const std::size_t length = prefix_.size();
  std::size_t known = pos;
  for (std::size_t i = pos;;) {
    const std::size_t k = FindPair(text, size, i, prefix[0], prefix[length - 1], length - 1);
    if (k >= size || text[k] == 0) {
      return k;
    }
    if (k + length > size || std::memcmp(text + k, prefix, length) != 0) {
      i = k + 1;
      continue;
    }
    const std::size_t start = re_text::CharacterStartFrom(text, size, known, k);
    if (start == k) {
      return k;
    }
    known = i = start;
  }
}

} // namespace zorbe
