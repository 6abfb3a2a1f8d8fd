// Micro-benchmarks of the converters of the internal form on the corpus named by $ZORBE_CORPUS
// (default bench/data/corpus100.txt) made UTF-8, EUC-JP and EUC-JIS-2004 with iconv, beside the
// system's iconv converting the same bytes:
// - UTF-8 to the internal form in place (the job's path; the text is refilled untimed each
//   round) against iconv UTF-8 -> CP932 into a buffer it reuses (iconv's best case);
// - EUC-JP and EUC-JIS-2004 to the internal form of UTF-8 output, in place;
// - the internal form to UTF-8 line by line as the writer does (into its run's buffer), line by
//   line into a std::string, and as one text, against iconv CP932 -> UTF-8 on the whole text;
// - the UTF-8 check the detector runs.
// The throughput ratios are the figures that matter.

#include "bench_support.h"
#include "engine/output_runs.h"
#include "text/internal_input.h"
#include "text/internal_output.h"
#include "text/utf8_check.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace zorbe {
namespace {

using bench::Corpus;
using bench::CorpusLines;
using bench::SetBytes;
using bench::TIconv;

// The corpus in UTF-8, and as the internal form that text converts to (the corpus less the
// codes CP932 doesn't assign).
const std::string& Utf8Text() {
  static const std::string text = bench::Recoded(Corpus(), "UTF-8", "CP932");
  return text;
}
const std::string& InternalText() {
  static const std::string text = bench::Recoded(Utf8Text(), "CP932", "UTF-8");
  return text;
}

const TInternalCodec& Table() {
  return TInternalCodec::For(TOutputCode::Utf8);
}

// A text in `code` converted in place to the internal form of UTF-8 output.
void InPlaceBench(benchmark::State& state, const std::string& text, TCharCode code) {
  const TInputConverter converter(code, Table());
  std::string buffer = text;
  for (auto _ : state) {
    state.PauseTiming();
    buffer.assign(text);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ConvertInPlace(converter, buffer.data(), buffer.size()).written);
    benchmark::ClobberMemory();
  }
  SetBytes(state, text.size());
}

void BM_Utf8ToInternal(benchmark::State& state) {
  InPlaceBench(state, Utf8Text(), ccUtf8);
}
void BM_EucJpToInternal(benchmark::State& state) {
  static const std::string text = bench::Recoded(InternalText(), "EUC-JP", "CP932");
  InPlaceBench(state, text, ccEuc);
}
void BM_EucJis2004ToInternal(benchmark::State& state) {
  static const std::string text = bench::Recoded(Utf8Text(), "EUC-JISX0213", "UTF-8");
  InPlaceBench(state, text, ccEucJis2004);
}

void BM_IconvUtf8ToCp932(benchmark::State& state) {
  TIconv converter("CP932", "UTF-8");
  std::string out(Utf8Text().size() + 64, '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(converter.Convert(Utf8Text(), out.data(), out.size()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, Utf8Text().size());
}

// As the writer does: each line converted where a run of 16,384 lines gathers its output, one
// call per line, with its line end.
void BM_InternalToUtf8(benchmark::State& state) {
  constexpr std::size_t kRunLines = 16384;
  const std::vector<std::string_view> lines = CorpusLines(InternalText());
  const TInternalCodec& table = Table();
  TOutputRun run;
  for (auto _ : state) {
    for (std::size_t first = 0; first < lines.size(); first += kRunLines) {
      const std::size_t last = std::min(first + kRunLines, lines.size());
      for (std::size_t i = first; i < last; ++i) {
        const std::string_view line = lines[i];
        run.AppendLineWith(OutputCapacity(line.size()), [&](char* at) {
          return at + InternalToOutputCode(line, table, at).size;
        });
      }
      benchmark::DoNotOptimize(run.BufferedBytes());
      run.Clear();
    }
  }
  SetBytes(state, InternalText().size());
}

// Each line appended to a std::string in its own call, into a 1 MiB buffer that is emptied
// when full: the form for callers outside the writer, for comparison.
void BM_InternalToUtf8String(benchmark::State& state) {
  const std::vector<std::string_view> lines = CorpusLines(InternalText());
  std::string out;
  out.reserve(2 << 20);
  for (auto _ : state) {
    for (const std::string_view line : lines) {
      AppendInOutputCode(out, line, Table());
      out += "\r\n";
      if (out.size() >= (1 << 20)) {
        benchmark::DoNotOptimize(out.data());
        out.clear();
      }
    }
  }
  SetBytes(state, InternalText().size());
}

// The whole text in one call, as iconv below takes it: the converter's own throughput.
void BM_InternalToUtf8Whole(benchmark::State& state) {
  std::string out(OutputCapacity(InternalText().size()), '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(InternalToOutputCode(InternalText(), Table(), out.data()).size);
    benchmark::ClobberMemory();
  }
  SetBytes(state, InternalText().size());
}

void BM_IconvCp932ToUtf8(benchmark::State& state) {
  TIconv converter("UTF-8", "CP932");
  std::string out(InternalText().size() * 2 + 64, '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(converter.Convert(InternalText(), out.data(), out.size()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, InternalText().size());
}

void BM_Utf8Check(benchmark::State& state) {
  Utf8Text();
  for (auto _ : state) {
    TUtf8Check check;
    check.Feed(Utf8Text());
    benchmark::DoNotOptimize(check.Finish());
  }
  SetBytes(state, Utf8Text().size());
}

BENCHMARK(BM_Utf8ToInternal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf8ToCp932)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EucJpToInternal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EucJis2004ToInternal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8String)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8Whole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8Check)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zorbe
