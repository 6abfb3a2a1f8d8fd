#pragma once
// What the micro-benchmarks share: the corpus, its lines, iconv for the peer figures.

#include "platform/file_system.h"
#include "text/shift_jis.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe::bench {

// The Shift-JIS corpus named by $ZORBE_CORPUS (default bench/data/corpus100.txt).
inline const std::string& Corpus() {
  static const std::string corpus = [] {
    const char* name = std::getenv("ZORBE_CORPUS");
    return ReadWholeFile(name != nullptr ? name : "bench/data/corpus100.txt");
  }();
  return corpus;
}

// A text split at its CR LF line ends.
inline std::vector<std::string_view> CorpusLines(std::string_view text) {
  std::vector<std::string_view> result;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      result.push_back(text.substr(start));
      break;
    }
    result.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return result;
}

class TIconv {
public:
  TIconv(const char* to, const char* from)
      : cd_(iconv_open(to, from)),
        sjisInput_(std::strcmp(from, "SHIFT_JIS") == 0 || std::strcmp(from, "CP932") == 0) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv can't convert ") + from + " to " + to);
    }
  }
  ~TIconv() { iconv_close(cd_); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts the whole text into out[0..capacity) and returns the size of the result. A
  // character iconv refuses is skipped: one byte, or two when the input is Shift-JIS and it
  // starts with a lead byte.
  std::size_t Convert(std::string_view text, char* out, std::size_t capacity) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out;
    std::size_t dstLeft = capacity;
    while (iconv(cd_, &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG || inLeft == 0) {
        throw std::runtime_error("iconv output buffer too small");
      }
      const std::size_t skip =
          sjisInput_ && inLeft > 1 && IsLeadByte(static_cast<unsigned char>(*in)) ? 2 : 1;
      in += skip;
      inLeft -= skip;
    }
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    return capacity - dstLeft;
  }

private:
  iconv_t cd_;
  bool sjisInput_;
};

// A text in another code, less the characters that code can't hold.
inline std::string Recoded(std::string_view text, const char* to, const char* from) {
  std::string out(text.size() * 2 + 64, '\0');
  out.resize(TIconv(to, from).Convert(text, out.data(), out.size()));
  return out;
}

inline void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

} // namespace zorbe::bench
