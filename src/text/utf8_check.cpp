// The UTF-8 check (see utf8_check.h).
//
// The sixteen-byte check classifies each pair of adjacent bytes by three 16-entry tables: the
// high half of the first byte, its low half, and the high half of the second. Each table gives
// the faults the pair may show, one bit per kind; a pair is faulty when all three agree on a
// bit. A continuation byte that is the second or third after a three- or four-byte lead is
// expected rather than faulty: those positions are found from the bytes two and three back, and
// flip the "two continuations" bit. A block that ends in an unfinished character is a fault
// unless the next block finishes it.

#include "text/utf8_check.h"

#include "text/utf8_decode.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace zorbe {
namespace {

#if defined(__x86_64__)

constexpr char kTooShort = 1 << 0;  // a lead byte not followed by a continuation byte
constexpr char kTooLong = 1 << 1;   // a continuation byte after ASCII
constexpr char kOverlong3 = 1 << 2; // E0 80-9F
constexpr char kTooLarge = 1 << 3;  // F4 90-BF, F5-FF
constexpr char kSurrogate = 1 << 4; // ED A0-BF
constexpr char kOverlong2 = 1 << 5; // C0, C1
constexpr char kTooLarge1000 = 1 << 6;
constexpr char kOverlong4 = 1 << 6; // F0 80-8F
constexpr char kTwoConts = static_cast<char>(1 << 7);
constexpr char kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("ssse3"))) __m128i HighHalves(__m128i v) {
  return _mm_and_si128(_mm_srli_epi16(v, 4), _mm_set1_epi8(0x0F));
}

__attribute__((target("ssse3"))) void CheckBlock(__m128i input, __m128i& previous, __m128i& error,
                                                 __m128i& incomplete) {
  if (_mm_movemask_epi8(input) == 0) {
    error = _mm_or_si128(error, incomplete);
    incomplete = _mm_setzero_si128();
    previous = input;
    return;
  }
  const __m128i firstHigh = _mm_setr_epi8(
      kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
      kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
      kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4);
  constexpr char kLarge = kCarry | kTooLarge | kTooLarge1000;
  const __m128i firstLow =
      _mm_setr_epi8(kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry,
                    kCarry, kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge,
                    kLarge, kLarge, kLarge | kSurrogate, kLarge, kLarge);
  constexpr char kCont8 =
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4;
  constexpr char kCont9 = kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge;
  constexpr char kContAB = kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge;
  const __m128i secondHigh = _mm_setr_epi8(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
                                           kTooShort, kTooShort, kTooShort, kCont8, kCont9, kContAB,
                                           kContAB, kTooShort, kTooShort, kTooShort, kTooShort);
  const __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
  const __m128i special = _mm_and_si128(
      _mm_and_si128(_mm_shuffle_epi8(firstHigh, HighHalves(prev1)),
                    _mm_shuffle_epi8(firstLow, _mm_and_si128(prev1, _mm_set1_epi8(0x0F)))),
      _mm_shuffle_epi8(secondHigh, HighHalves(input)));
  const __m128i prev2 = _mm_alignr_epi8(input, previous, 14);
  const __m128i prev3 = _mm_alignr_epi8(input, previous, 13);
  const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m128i expected =
      _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(static_cast<char>(0x80)));
  error = _mm_or_si128(error, _mm_xor_si128(expected, special));
  // The last three bytes may start a character the next block finishes.
  const __m128i limits =
      _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xEF),
                    static_cast<char>(0xDF), static_cast<char>(0xBF));
  incomplete = _mm_subs_epu8(input, limits);
  previous = input;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#else

bool HasSsse3() {
  return false;
}

#endif

} // namespace

TUtf8Check::TUtf8Check(bool vectors) : vectors_(vectors && HasSsse3()) {}

void TUtf8Check::NoteHighBytes(const unsigned char* p, std::size_t size) {
  if (sawLong_) {
    return;
  }
  for (std::size_t i = 0; i < size; ++i) {
    i += utf8::AsciiPrefix(p + i, p + size);
    if (i == size) {
      return;
    }
    if (!sawHigh_) {
      sawHigh_ = true;
      firstHigh_ = fed_ + i;
    }
    if (p[i] >= 0xE0) {
      sawLong_ = true;
      return;
    }
  }
}

void TUtf8Check::Feed(std::string_view piece) {
  const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
  std::size_t size = piece.size();
  NoteHighBytes(p, size);
  fed_ += size;
  if (!vectors_) {
    FeedScalar(p, size);
    return;
  }
  if (pendingSize_ != 0) {
    const std::size_t take = std::min(size, sizeof pending_ - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    size -= take;
    if (pendingSize_ < sizeof pending_) {
      return;
    }
    FeedBlocks(pending_, 1);
    pendingSize_ = 0;
  }
  FeedBlocks(p, size / 16);
  pendingSize_ = size % 16;
  std::memcpy(pending_, p + size - pendingSize_, pendingSize_);
}

void TUtf8Check::FeedScalar(const unsigned char* p, std::size_t size) {
  for (std::size_t i = 0; i < size && !failed_; ++i) {
    const unsigned char b = p[i];
    if (needed_ > 0) {
      failed_ = b < low_ || b > high_;
      --needed_;
      low_ = 0x80;
      high_ = 0xBF;
      continue;
    }
    if (b < 0x80) {
      continue;
    }
    // The lead byte fixes the length and the range of the first continuation byte.
    if (b >= 0xC2 && b <= 0xDF) {
      needed_ = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      needed_ = 2;
      low_ = b == 0xE0 ? 0xA0 : 0x80;
      high_ = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
      needed_ = 3;
      low_ = b == 0xF0 ? 0x90 : 0x80;
      high_ = b == 0xF4 ? 0x8F : 0xBF;
    } else {
      failed_ = true;
    }
  }
}

void TUtf8Check::FeedBlocks([[maybe_unused]] const unsigned char* p,
                            [[maybe_unused]] std::size_t blocks) {
#if defined(__x86_64__)
  for (std::size_t k = 0; k < blocks; ++k) {
    CheckBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k)), previous_, error_,
               incomplete_);
  }
#endif
}

bool TUtf8Check::MaybeValid() const {
  if (!vectors_) {
    return !failed_;
  }
#if defined(__x86_64__)
  return _mm_movemask_epi8(_mm_cmpeq_epi8(error_, _mm_setzero_si128())) == 0xFFFF;
#else
  return true;
#endif
}

bool TUtf8Check::Finish() {
  if (!vectors_) {
    return !failed_ && needed_ == 0;
  }
#if defined(__x86_64__)
  if (pendingSize_ != 0) {
    std::memset(pending_ + pendingSize_, 0, sizeof pending_ - pendingSize_);
    FeedBlocks(pending_, 1); // the zeros after the text are ASCII: an unfinished end shows
    pendingSize_ = 0;
  }
  error_ = _mm_or_si128(error_, incomplete_);
  incomplete_ = _mm_setzero_si128();
#endif
  return MaybeValid();
}

bool IsUtf8(std::string_view text) {
  TUtf8Check check;
  check.Feed(text);
  return check.Finish();
}

} // namespace zorbe
