// Micro-benchmarks of the regular-expression engine on the corpus named by $ZORBE_CORPUS
// (default bench/data/corpus100.txt): a search-all (every leftmost-longest match, as a
// replace-all goes through a text) for typical patterns, and compiling a pattern of the size a
// look-alike expansion produces.

#include "platform/file_system.h"
#include "regex/regexp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace zorbe {
namespace {

const TFileBuffer& Corpus() {
  static const TFileBuffer corpus = [] {
    const char* name = std::getenv("ZORBE_CORPUS");
    return ReadFileContents(name != nullptr ? name : "bench/data/corpus100.txt");
  }();
  return corpus;
}

void SearchAll(benchmark::State& state, const std::string& pattern) {
  const auto dfa = CompileRegExp(pattern);
  const TREMatcher matcher(*dfa);
  std::size_t matches = 0;
  for (auto _ : state) {
    matches = matcher.ForEachMatch(Corpus().View(), [](const TREMatch&) {});
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size));
}

const char* const kTwentyWords = "the|and|for|are|but|not|you|all|any|can|her|was|one|our|out|"
                                 "day|get|has|him|his";

void BM_RegexLiteral(benchmark::State& state) {
  SearchAll(state, "abc");
}
void BM_RegexDigits(benchmark::State& state) {
  SearchAll(state, "[0-9]+");
}
// [ァ-ヶ]+ in Shift-JIS.
void BM_RegexKanaClass(benchmark::State& state) {
  SearchAll(state, "[\x83\x40-\x83\x96]+");
}
void BM_RegexTwentyWords(benchmark::State& state) {
  SearchAll(state, kTwentyWords);
}
// ア.*ン in Shift-JIS.
void BM_RegexDotStar(benchmark::State& state) {
  SearchAll(state, "\x83\x41.*\x83\x93");
}
void BM_RegexLineAnchors(benchmark::State& state) {
  SearchAll(state, "^[a-z]+$");
}
BENCHMARK(BM_RegexLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexDigits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexKanaClass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexTwentyWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexDotStar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexLineAnchors)->Unit(benchmark::kMillisecond);

// A 30-character word where every character may be one of five look-alikes.
void BM_RegexCompileLookAlikes(benchmark::State& state) {
  std::string pattern;
  for (int i = 0; i < 30; ++i) {
    const auto trail = static_cast<char>(0x40 + i);
    pattern += std::string("(\x83") + trail + "|\x82" + static_cast<char>(0x9F + i) + "|" +
               static_cast<char>(0xB1 + i % 40) + "\xDE|\x82" + static_cast<char>(0x9F + i) +
               "\x81\x4A|\x83" + trail + "\x81\x4A)";
  }
  for (auto _ : state) {
    const auto dfa = CompileRegExp(pattern);
    benchmark::DoNotOptimize(dfa->NfaStateCount());
  }
}
BENCHMARK(BM_RegexCompileLookAlikes)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zorbe
