#pragma once
// Whether a text is UTF-8, checked piece by piece as a file is read, at memory speed.
//
// On a processor with SSSE3 sixteen bytes are checked at once by table lookups on the high and
// low halves of each byte and of the byte before it (after Keiser and Lemire, "Validating UTF-8
// in less than one instruction per byte"); elsewhere a byte-at-a-time state machine does the
// same. Both accept exactly the strict UTF-8 of utf8_decode.h: no overlong forms, no surrogates,
// nothing beyond U+10FFFF.

#include <cstdint>
#include <string_view>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace zorbe {

class TUtf8Check {
public:
  // `vectors` false forces the byte-at-a-time check (for tests).
  explicit TUtf8Check(bool vectors = true);

  // The next piece of the text.
  void Feed(std::string_view piece);
  // The end of the text: whether all of it is UTF-8.
  bool Finish();

  // Whether what was fed can still be the start of a UTF-8 text (a sequence cut off by the end
  // of the last piece is not yet a fault). Once false it stays false.
  bool MaybeValid() const;
  // Bytes fed so far, and whether one of them was 0x80 or above, or 0xE0 or above (in a UTF-8
  // text the lead byte of a three- or four-byte character).
  std::uint64_t Fed() const { return fed_; }
  bool SawHighByte() const { return sawHigh_; }
  bool SawLongSequence() const { return sawLong_; }
  // The offset of the first byte 0x80 or above (meaningful when SawHighByte()).
  std::uint64_t FirstHighByte() const { return firstHigh_; }

private:
  void NoteHighBytes(const unsigned char* p, std::size_t size);
  void FeedScalar(const unsigned char* p, std::size_t size);
  void FeedBlocks(const unsigned char* p, std::size_t blocks);

  bool vectors_;
  std::uint64_t fed_ = 0;
  bool sawHigh_ = false;
  bool sawLong_ = false;
  std::uint64_t firstHigh_ = 0;
  bool failed_ = false;
  // The byte-at-a-time machine: continuation bytes still expected, and the range of the next.
  int needed_ = 0;
  unsigned char low_ = 0x80;
  unsigned char high_ = 0xBF;
  // The sixteen-byte check: the block before, the faults seen, whether the block before ends
  // in an unfinished character, and the bytes of a block not yet complete.
#if defined(__x86_64__)
  __m128i previous_ = _mm_setzero_si128();
  __m128i error_ = _mm_setzero_si128();
  __m128i incomplete_ = _mm_setzero_si128();
#endif
  alignas(16) unsigned char pending_[16] = {};
  std::size_t pendingSize_ = 0;
};

// The whole text at once.
bool IsUtf8(std::string_view text);

} // namespace zorbe
