// Micro-benchmarks of the text conversions on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt):
// - EucToSjis and JisToSjis on the whole corpus recoded to EUC-JP and to ISO-2022-JP, beside
//   the system's iconv converting the same bytes: each allocating converter against iconv
//   writing into a new buffer (BM_Iconv*NewBuffer), each in-place form against iconv writing
//   into a buffer it reuses (BM_Iconv*, iconv's best case). The throughput ratios are the
//   figures that matter;
// - each width conversion and the two case conversions over every line of the corpus, as the
//   line pass calls them, and the line pass's conversions of a setting with all five chosen.
// The recoded texts are made once with iconv; a corpus character that the target code can't
// hold (half-width katakana in ISO-2022-JP, codes outside JIS X 0208) is left out of them.

#include "bench_support.h"
#include "engine/line_conversions.h"
#include "settings/setting_option_items.h"
#include "text/code_conversion.h"
#include "text/shift_jis.h"
#include "text/width_conversion.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace zorbe {
namespace {

using bench::Corpus;
using bench::SetBytes;
using bench::TIconv;

const std::vector<std::string_view>& CorpusLines() {
  static const std::vector<std::string_view> lines = bench::CorpusLines(Corpus());
  return lines;
}

std::string Recoded(const char* code) {
  return bench::Recoded(Corpus(), code, "SHIFT_JIS");
}

const std::string& EucText() {
  static const std::string text = Recoded("EUC-JP");
  return text;
}

const std::string& JisText() {
  static const std::string text = Recoded("ISO-2022-JP");
  return text;
}

// --- Character-code conversion -------------------------------------------------------------

void BM_EucToSjis(benchmark::State& state) {
  EucText(); // made before the timing starts
  for (auto _ : state) {
    std::string sjis = EucToSjis(EucText());
    benchmark::DoNotOptimize(sjis.data());
  }
  SetBytes(state, EucText().size());
}

void BM_JisToSjis(benchmark::State& state) {
  JisText();
  for (auto _ : state) {
    std::string sjis = JisToSjis(JisText());
    benchmark::DoNotOptimize(sjis.data());
  }
  SetBytes(state, JisText().size());
}

// The job's own path: the file's buffer converted where it lies (refilled untimed each round).
void InPlaceBench(benchmark::State& state, const std::string& text,
                  std::size_t (*convert)(char*, std::size_t)) {
  std::string buffer = text;
  for (auto _ : state) {
    state.PauseTiming();
    buffer.assign(text);
    state.ResumeTiming();
    benchmark::DoNotOptimize(convert(buffer.data(), buffer.size()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, text.size());
}
void BM_EucToSjisInPlace(benchmark::State& state) {
  InPlaceBench(state, EucText(), EucToSjisInPlace);
}
void BM_JisToSjisInPlace(benchmark::State& state) {
  InPlaceBench(state, JisText(), JisToSjisInPlace);
}

// iconv into a buffer allocated once (its best case: no page of the output is new after the
// first round), or into a new zero-filled buffer each round, as EucToSjis and JisToSjis build
// theirs.
void IconvBench(benchmark::State& state, const std::string& text, const char* code,
                bool newBuffer) {
  TIconv converter("SHIFT_JIS", code);
  std::string sjis(text.size() + 64, '\0');
  for (auto _ : state) {
    if (newBuffer) {
      std::string fresh(text.size() + 64, '\0');
      sjis.swap(fresh);
    }
    benchmark::DoNotOptimize(converter.Convert(text, sjis.data(), sjis.size()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, text.size());
}
void BM_IconvEucToSjis(benchmark::State& state) {
  IconvBench(state, EucText(), "EUC-JP", false);
}
void BM_IconvEucToSjisNewBuffer(benchmark::State& state) {
  IconvBench(state, EucText(), "EUC-JP", true);
}
void BM_IconvJisToSjis(benchmark::State& state) {
  IconvBench(state, JisText(), "ISO-2022-JP", false);
}
void BM_IconvJisToSjisNewBuffer(benchmark::State& state) {
  IconvBench(state, JisText(), "ISO-2022-JP", true);
}

// A new buffer's first writes fault in fresh pages, whose cost varies from round to round on a
// virtual machine: these run for at least 2 s each and report the mean.
BENCHMARK(BM_EucToSjis)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IconvEucToSjisNewBuffer)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_EucToSjisInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvEucToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JisToSjis)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IconvJisToSjisNewBuffer)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_JisToSjisInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvJisToSjis)->Unit(benchmark::kMillisecond);

// --- Width and case conversion per line ----------------------------------------------------

// One conversion over every line; the lines it changes are counted as a label.
void WidthBench(benchmark::State& state, TWidthConversion conversion) {
  std::string out;
  std::size_t changed = 0;
  CorpusLines();
  for (auto _ : state) {
    changed = 0;
    for (std::string_view line : CorpusLines()) {
      if (conversion(line, out)) {
        ++changed;
        benchmark::DoNotOptimize(out.data());
      }
    }
  }
  SetBytes(state, Corpus().size());
  state.SetLabel(std::to_string(changed * 100 / CorpusLines().size()) + "% of lines changed");
}

BENCHMARK_CAPTURE(WidthBench, SymbolsToHalfWidth, SymbolsToHalfWidth)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, SymbolsToFullWidth, SymbolsToFullWidth)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, DigitsToHalfWidth, DigitsToHalfWidth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, DigitsToFullWidth, DigitsToFullWidth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, LettersToHalfWidth, LettersToHalfWidth)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, LettersToFullWidth, LettersToFullWidth)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, KatakanaToHalfWidth, KatakanaToHalfWidth)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WidthBench, KatakanaToFullWidth, KatakanaToFullWidth)
    ->Unit(benchmark::kMillisecond);

using TCaseConversion = void (*)(char*, std::size_t);
constexpr TCaseConversion kLowerCase = LowerCaseInPlace;
constexpr TCaseConversion kUpperCase = UpperCaseInPlace;

void CaseBench(benchmark::State& state, TCaseConversion convert) {
  std::string text = Corpus();
  std::vector<std::pair<std::size_t, std::size_t>> lines;
  for (std::string_view line : CorpusLines()) {
    lines.emplace_back(static_cast<std::size_t>(line.data() - Corpus().data()), line.size());
  }
  for (auto _ : state) {
    for (const auto& [offset, size] : lines) {
      convert(text.data() + offset, size);
    }
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, Corpus().size());
}
BENCHMARK_CAPTURE(CaseBench, LowerCaseInPlace, kLowerCase)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CaseBench, UpperCaseInPlace, kUpperCase)->Unit(benchmark::kMillisecond);

// The line pass's five conversions, all chosen one way (1: to half width and lower case, 2: to
// full width and upper case), on each non-empty line as the job converts it: in place when no
// conversion makes a line longer (the corpus copy is refilled untimed each round), otherwise
// into the two buffers. One thread; the job shares a large file's lines between two.
void LinePassBench(benchmark::State& state, int value) {
  TSettingOptionItems setting = SettingDefaults();
  setting.Pun = setting.Num = setting.Alpha = setting.KataKana = setting.AlphaUL = value;
  const TLineConversions conversions(setting);
  std::string text;
  std::vector<std::pair<std::size_t, std::size_t>> lines;
  for (std::string_view line : CorpusLines()) {
    if (!line.empty()) {
      lines.emplace_back(static_cast<std::size_t>(line.data() - Corpus().data()), line.size());
    }
  }
  std::string first, second;
  for (auto _ : state) {
    state.PauseTiming();
    text.assign(Corpus());
    state.ResumeTiming();
    for (const auto& [offset, size] : lines) {
      if (conversions.NeverLonger()) {
        benchmark::DoNotOptimize(conversions.ApplyInPlace(text.data() + offset, size));
      } else {
        benchmark::DoNotOptimize(
            conversions.Apply({text.data() + offset, size}, first, second).data());
      }
    }
  }
  SetBytes(state, Corpus().size());
}
BENCHMARK_CAPTURE(LinePassBench, AllToHalfWidthAndLowerCase, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LinePassBench, AllToFullWidthAndUpperCase, 2)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zorbe
