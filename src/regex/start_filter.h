#pragma once
// TREStartFilter finds the positions of a text where a match may start, so that the matcher
// walks the automaton only there.
//
// A position is a candidate when the character there has a move from the initial state, or
// could complete a match by itself through an anchor (an LF before a line start, a line end
// before `$`). Candidates are a superset of the real starts, which keeps the results exact. When
// every match begins with the same literal bytes (the prefix), candidates are found by scanning
// for those bytes, sixteen at a time where the processor allows, and a hit is accepted only on a
// character boundary, which the bytes before it tell from a known boundary on (text_reading.h).
// Without a prefix the scan looks for the bytes that can begin a candidate (for an escape its
// first byte, 0xFD or 0xFE) the same way, sixteen at a time by a nibble lookup where the
// processor has one, and reads the character there. A text ends at its size or at its first NUL
// byte, whichever comes first.

#include "regex/pattern_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zorbe {

class TREStartFilter {
public:
  // Every position is a candidate (the initial state accepts).
  void AcceptEveryPosition();
  // Candidates are the characters whose codes lie in the ranges.
  void SetStartCodes(const std::vector<std::pair<TRECode, TRECode>>& ranges);
  // Candidates are the boundaries where these bytes begin; they must be non-empty text bytes.
  void SetPrefix(std::string prefix) { prefix_ = std::move(prefix); }

  // The first candidate at or after pos, which must be a character boundary, or the end of the
  // text (the size or the first NUL byte) when there is none.
  std::size_t NextCandidate(const unsigned char* text, std::size_t size, std::size_t pos) const;

  bool EveryPosition() const { return everyPosition_; }

  // The widest vector scan to use: 256, 128 or 0 bits (the processor may allow less). Lets the
  // tests compare the scans with each other; the default is the widest.
  static void LimitVectorWidth(unsigned bits);

private:
  void AddStartCodes(TRECode start, TRECode end);
  bool IsStartCode(TRECode code) const {
    if (code < kMarkedCodeBase) [[likely]] {
      return (startCodes_[code >> 6] >> (code & 63)) & 1;
    }
    return IsHighStartCode(code);
  }
  bool IsHighStartCode(TRECode code) const;
  // Whether a start code lies in first..last.
  bool AnyStartCode(TRECode first, TRECode last) const;
  std::size_t NextByteCandidate(const unsigned char* text, std::size_t size, std::size_t pos) const;
  std::size_t FindStopByte(const unsigned char* text, std::size_t size, std::size_t pos) const;
  std::size_t NextPrefixCandidate(const unsigned char* text, std::size_t size,
                                  std::size_t pos) const;

  bool everyPosition_ = false;
  std::string prefix_;
  // Per byte: 1 when a character starting with it may be a candidate, or it is NUL.
  // kStopsAlone when the byte alone is a start code too.
  std::array<std::uint8_t, 256> stop_{};
  static constexpr std::uint8_t kStops = 1;
  static constexpr std::uint8_t kStopsAlone = 2;
  // The same set for a vector lookup by nibbles: for each low nibble, bit h (h < 8) of the first
  // table and bit h - 8 of the second tell whether the byte with high nibble h is in the set.
  alignas(16) std::array<std::uint8_t, 16> nibbleLow_{};
  alignas(16) std::array<std::uint8_t, 16> nibbleHigh_{};
  // Start codes below 0x10000 as bits; those above as sorted disjoint ranges.
  std::vector<std::uint64_t> startCodes_ = std::vector<std::uint64_t>(1024);
  std::vector<std::pair<TRECode, TRECode>> highStartCodes_;
};

} // namespace zorbe
