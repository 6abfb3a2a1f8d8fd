// Micro-benchmarks of the replacement pass on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt), the way the sort job applies a replacement file: one rule set, the
// rules in order, each over the whole text that the rule before left.
// - BM_ReplaceAsciiRules: the 16 ASCII-only rules of bench_replace.sh, look-alike matching off
//   (the rules that script also gives to `sed -E`);
// - BM_ReplaceAllRules: all 20 rules (those, a kana class, a katakana class, a literal word and
//   a literal kana word) with the basic look-alike dictionary on, which widens every literal.
// The throughput is that of the whole rule set over the text, in corpus bytes per second.

#include "platform/file_system.h"
#include "regex/replacement_rules.h"
#include "text/encoding.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

namespace zorbe {
namespace {

const std::string& Corpus() {
  static const std::string corpus = [] {
    const char* name = std::getenv("ZORBE_CORPUS");
    return ReadWholeFile(name != nullptr ? name : "bench/data/corpus100.txt");
  }();
  return corpus;
}

// The rules as comma text, in UTF-8; the same lines as in bench_replace.sh.
const std::vector<std::string> kAsciiRules = {
    "[0-9]+,#",    "ab,AB",           "xyz,zyx",      "Qu,qu",   "foo,bar", "\",\",;",
    "\"\"\"\",'",  "[A-Z][a-z]+,<&>", "\" +\",\" \"", "q,Q",     "zz,z",    "[xX]+,x",
    "(ab|cd)e,&&", "^abc,ABC",        "k[aeiou],K",   "ing,ING",
};
const std::vector<std::string> kJapaneseRules = {
    "[ぁ-ん]+,ひ",
    "[ァ-ヶ]+,カ",
    "漢字,かんじ",
    "あい,アイ",
};

// The rule lines in the internal form, as the job reads them from a replacement file.
std::vector<std::string> RuleLines(bool withJapanese) {
  std::vector<std::string> lines = kAsciiRules;
  if (withJapanese) {
    lines.insert(lines.end(), kJapaneseRules.begin(), kJapaneseRules.end());
  }
  for (std::string& line : lines) {
    line = Utf8ToCp932(line);
  }
  return lines;
}

void ReplaceBench(benchmark::State& state, bool withJapanese, bool lookAlike) {
  const std::string& corpus = Corpus();
  const std::vector<std::string> lines = RuleLines(withJapanese);
  const std::atomic<bool> cancel{false};
  std::size_t resultBytes = 0;
  for (auto _ : state) {
    TReplacementOptions options;
    options.useFuzzyCharDic = lookAlike;
    TReplacementRules rules(lines, std::move(options));
    const std::string_view result = rules.ApplyAll(corpus, cancel);
    resultBytes += result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.size()));
  state.counters["result_bytes"] = benchmark::Counter(static_cast<double>(resultBytes) /
                                                      static_cast<double>(state.iterations()));
}

void BM_ReplaceAsciiRules(benchmark::State& state) {
  ReplaceBench(state, false, false);
}
void BM_ReplaceAllRules(benchmark::State& state) {
  ReplaceBench(state, true, true);
}
BENCHMARK(BM_ReplaceAsciiRules)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReplaceAllRules)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
} // namespace zorbe
