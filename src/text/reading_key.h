#pragma once
// Sorting lines by their reading (読み順): a line's reading key, and the order of two keys.
//
// The reading of a line is what the morphological analyser MeCab, with the IPA dictionary, reads
// it as: each token gives its katakana reading, a token without one (ASCII words, numbers,
// symbols, unknown words) its own text, hiragana written as katakana. Whitespace between tokens
// and bytes that are no character are kept as they stand, so the key holds all of the line's
// text. Keys are in the internal form (CP932 bytes through the job's code table), so classes,
// byte positions and CSV columns apply to them as to any line.
//
// Keys are ordered in three steps: first with voiced and semi-voiced marks removed, small kana
// read as large ones and the long-vowel mark ー as the vowel of the kana before it; then as they
// stand (unvoiced before voiced before semi-voiced, large before small, a vowel before ー); the
// caller breaks the remaining ties with the lines' own bytes.
//
// MeCab is loaded when a job first needs it, not linked: a machine without it still runs every
// other sort, and a sort by reading is refused with a message naming the packages to install.
// One dictionary serves all threads; each thread analyses with a TReadingAnalyzer of its own.

#include "text/internal_codec.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TSharedLibrary; // platform/shared_library.h

// MeCab or its dictionary can't be used; the message says what to install.
class EReadingUnavailable : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The MeCab library and the IPA dictionary (UTF-8), checked once.
class TReadingDictionary {
public:
  static constexpr const char* kLibrary = "libmecab.so.2";
  static constexpr const char* kDictionaryFolder = "/var/lib/mecab/dic/ipadic-utf8";

  // Loads the library and opens the dictionary once to check it. Throws EReadingUnavailable.
  explicit TReadingDictionary(const std::string& library = kLibrary,
                              const std::string& dictionaryFolder = kDictionaryFolder);
  ~TReadingDictionary();
  TReadingDictionary(const TReadingDictionary&) = delete;
  TReadingDictionary& operator=(const TReadingDictionary&) = delete;

  struct TApi;
  const TApi& Api() const { return *api_; }
  const std::string& TaggerArguments() const { return arguments_; }

private:
  std::unique_ptr<TSharedLibrary> library_;
  std::unique_ptr<TApi> api_;
  std::string arguments_;
};

// One thread's analyser. Not shareable between threads; any number may run side by side.
class TReadingAnalyzer {
public:
  // Throws EReadingUnavailable when the tagger can't be made.
  TReadingAnalyzer(const TReadingDictionary& dictionary, const TInternalCodec& codec);
  ~TReadingAnalyzer();
  TReadingAnalyzer(const TReadingAnalyzer&) = delete;
  TReadingAnalyzer& operator=(const TReadingAnalyzer&) = delete;

  // Appends the reading key of a line (internal form) to out.
  void AppendReading(std::string_view line, std::string& out);
  std::string Reading(std::string_view line) {
    std::string out;
    AppendReading(line, out);
    return out;
  }

private:
  void AnalyseSegment(std::string& out);
  void AppendToken(std::string_view reading, std::string& out, std::string_view original);
  void AppendOriginal(std::string_view original, std::string& out) const;
  std::string_view Original(std::size_t from, std::size_t to) const;

  const TReadingDictionary& dictionary_;
  const TInternalCodec& codec_;
  void* tagger_ = nullptr;
  std::string_view line_;
  std::string segment_;                // UTF-8 text of the current run of characters
  std::vector<std::uint32_t> offsets_; // [UTF-8 offset of a character] -> its offset in line_
  std::size_t segmentStart_ = 0;       // where the run starts and ends in line_
  std::size_t segmentEnd_ = 0;
};

// The order of two reading keys by the first two steps above: <0, 0 or >0.
int CompareReadings(std::string_view a, std::string_view b);

// The whole order: the readings, then the lines' bytes.
inline int CompareByReading(std::string_view readingA, std::string_view lineA,
                            std::string_view readingB, std::string_view lineB) {
  if (const int c = CompareReadings(readingA, readingB); c != 0) {
    return c;
  }
  return lineA.compare(lineB);
}

} // namespace zorbe
