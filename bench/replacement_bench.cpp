// Micro-benchmarks of the replacement pass on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt), the way the sort job applies a replacement file: one engine, the
// rules in order, each ReplaceAll over the whole text that the rule before left.
// - BM_ReplaceAsciiRules: the 16 ASCII-only rules of bench_replace.sh, look-alike matching off
//   (the rules that script also gives to `sed -E`);
// - BM_ReplaceAllRules: all 20 rules (those, a kana class, a katakana class, a literal word and
//   a literal kana word) with the basic look-alike dictionary on, which widens every literal.
// The throughput is that of the whole rule set over the text, in corpus bytes per second.

#include "platform/file_system.h"
#include "regex/comma_text.h"
#include "regex/regular_expression.h"
#include "text/encoding.h"

#include <benchmark/benchmark.h>

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

struct TRule {
  std::string pattern;
  std::string replacement;
};

std::vector<TRule> Rules(bool withJapanese) {
  std::vector<std::string> lines = kAsciiRules;
  if (withJapanese) {
    lines.insert(lines.end(), kJapaneseRules.begin(), kJapaneseRules.end());
  }
  std::vector<TRule> rules;
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = SplitCommaText(Utf8ToCp932(line));
    rules.push_back({fields.at(0), fields.at(1)});
  }
  return rules;
}

void ReplaceBench(benchmark::State& state, bool withJapanese, bool lookAlike) {
  const std::string& corpus = Corpus();
  const std::vector<TRule> rules = Rules(withJapanese);
  std::size_t replacements = 0;
  for (auto _ : state) {
    TAWKStr engine;
    engine.SetUseFuzzyCharDic(lookAlike);
    std::string buffers[2];
    std::string_view current = corpus;
    int next = 0;
    for (const TRule& rule : rules) {
      engine.SetRegExp(rule.pattern);
      const std::size_t count = engine.ReplaceAllInto(rule.replacement, current, buffers[next]);
      replacements += count;
      if (count > 0) {
        current = buffers[next];
        next = 1 - next;
      }
    }
    benchmark::DoNotOptimize(current.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.size()));
  state.counters["replacements"] = benchmark::Counter(static_cast<double>(replacements) /
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
