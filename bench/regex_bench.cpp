// Micro-benchmarks of the regular-expression engine on the corpus named by $ZORBE_CORPUS
// (default bench/data/corpus100.txt): a search-all (every leftmost-longest match, as a
// replace-all goes through a text) for typical patterns, compiling a pattern of the size a
// look-alike expansion produces, searches whose cost was once quadratic in the text (`.*z` over
// a 1 MB line, `(.|\r|\n)*END` over 10 MB), and a replace-all with an alternation of 10,000
// four-kanji words and 4,000 kana words with look-alike matching on; and search-alls over a text
// of escapes (characters CP932 lacks).

#include "platform/file_system.h"
#include "regex/regexp.h"
#include "regex/regular_expression.h"
#include "text/internal_char.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
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

void SearchAll(benchmark::State& state, const std::string& pattern,
               std::string_view text = Corpus().View()) {
  const auto dfa = CompileRegExp(pattern);
  const TREMatcher matcher(*dfa);
  std::size_t matches = 0;
  for (auto _ : state) {
    matches = matcher.ForEachMatch(text, [](const TREMatch&) {});
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
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

// Searches that find nothing and read the whole text once.
void SearchNothing(benchmark::State& state, const std::string& pattern, std::string_view text) {
  const auto dfa = CompileRegExp(pattern);
  const TREMatcher matcher(*dfa);
  for (auto _ : state) {
    benchmark::DoNotOptimize(matcher.SearchAtLineStart(text, 0));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
void BM_RegexDotStarOneMegabyteLine(benchmark::State& state) {
  SearchNothing(state, ".*z", std::string(1'000'000, 'a') + "\r\n");
}
void BM_RegexAnythingThenEndTenMegabytes(benchmark::State& state) {
  SearchNothing(state, "(.|\\r|\\n)*END", Corpus().View().substr(0, 10'000'000));
}
// A replace-all where every match must look to the end of the text for a longer one.
void BM_RegexLookAheadEveryMatch(benchmark::State& state) {
  const auto dfa = CompileRegExp("a(.|\\r|\\n)*z|a");
  const TREMatcher matcher(*dfa);
  const std::string text(1'000'000, 'a');
  for (auto _ : state) {
    benchmark::DoNotOptimize(matcher.ForEachMatch(text, [](const TREMatch&) {}));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_RegexDotStarOneMegabyteLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexLookAheadEveryMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexAnythingThenEndTenMegabytes)->Unit(benchmark::kMillisecond);

// Ten megabytes of text that CP932 cannot hold: lines of Hangul syllables (escapes, four bytes
// each) with ASCII words and digits between them, a few 〜 (with the alternate mark) and
// Shift-JIS kana, made from a fixed seed.
const std::string& EscapeText() {
  static const std::string text = [] {
    std::mt19937 random(28);
    std::string text;
    unsigned char escape[kMaxEscapeLength];
    while (text.size() < 10'000'000) {
      for (int word = 0; word < 8; ++word) {
        const unsigned kind = random() % 10;
        const int length = 1 + static_cast<int>(random() % 5);
        for (int c = 0; c < length; ++c) {
          if (kind < 6) {
            text.append(reinterpret_cast<const char*>(escape),
                        PutEscape(0xAC00 + random() % 2350, escape));
          } else if (kind < 8) {
            text += static_cast<char>('a' + random() % 26);
          } else if (kind < 9) {
            text += static_cast<char>('0' + random() % 10);
          } else {
            text += random() % 4 == 0
                        ? std::string("\x81\x60\xFF")
                        : std::string{'\x82', static_cast<char>(0xA0 + random() % 80)};
          }
        }
        text += ' ';
      }
      text += "\r\n";
    }
    return text;
  }();
  return text;
}

std::string Escaped(char32_t codePoint) {
  unsigned char escape[kMaxEscapeLength];
  return std::string(reinterpret_cast<const char*>(escape), PutEscape(codePoint, escape));
}

// [가-힣]+, a two-syllable word and [0-9]+ over the text of escapes.
void BM_RegexEscapeClass(benchmark::State& state) {
  std::string pattern(1, '[');
  pattern += Escaped(0xAC00);
  pattern += '-';
  pattern += Escaped(0xD7A3);
  pattern += "]+";
  SearchAll(state, pattern, EscapeText());
}
void BM_RegexEscapeWord(benchmark::State& state) {
  SearchAll(state, Escaped(0xAC00) + Escaped(0xAC01), EscapeText());
}
void BM_RegexEscapeTextDigits(benchmark::State& state) {
  SearchAll(state, "[0-9]+", EscapeText());
}
BENCHMARK(BM_RegexEscapeClass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexEscapeWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexEscapeTextDigits)->Unit(benchmark::kMillisecond);

// 10,000 words of four kanji (JIS level 1) and 4,000 hiragana words of two to six characters,
// made from a fixed seed, joined by `|`.
std::string WordList() {
  std::mt19937 random(18);
  std::string pattern;
  for (int i = 0; i < 14'000; ++i) {
    if (!pattern.empty()) {
      pattern += '|';
    }
    const bool kanji = i < 10'000;
    const int length = kanji ? 4 : 2 + static_cast<int>(random() % 5);
    for (int c = 0; c < length; ++c) {
      const unsigned code =
          kanji ? 0x889F + 0x100 * (random() % 15) + random() % 94 : 0x829F + random() % 83;
      pattern += static_cast<char>(code >> 8);
      pattern += static_cast<char>(code & 0xFF);
    }
  }
  return pattern;
}

void BM_RegexWordListLookAlikes(benchmark::State& state) {
  TAWKStr engine;
  engine.SetUseFuzzyCharDic(true);
  engine.SetRegExp(WordList());
  const std::string_view text = Corpus().View().substr(0, 10'000'000);
  std::string output;
  std::size_t replaced = 0;
  for (auto _ : state) {
    replaced = engine.ReplaceAllInto("X", text, output);
    benchmark::DoNotOptimize(output.data());
  }
  state.counters["matches"] = static_cast<double>(replaced);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_RegexWordListLookAlikes)->Unit(benchmark::kMillisecond);

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
