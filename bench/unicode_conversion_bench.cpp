// Micro-benchmarks of the Unicode converters on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt) made UTF-8 with iconv, beside the system's iconv converting the
// same bytes:
// - UTF-8 to the internal form in place (the job's path; the text is refilled untimed each
//   round) against iconv UTF-8 -> CP932 into a buffer it reuses (iconv's best case);
// - the internal form to UTF-8 line by line as the writer does (into its run's buffer), line by
//   line into a std::string, and as one text, against iconv CP932 -> UTF-8 on the whole text;
// - the UTF-8 check the detector runs, and the census a job takes of a UTF-8 target.
// The throughput ratios are the figures that matter.

#include "bench_support.h"
#include "engine/output_runs.h"
#include "text/code_table.h"
#include "text/unicode_conversion.h"
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

const TCodeTable& Table() {
  static const TCodeTable table;
  return table;
}

void BM_Utf8ToInternal(benchmark::State& state) {
  std::string buffer = Utf8Text();
  for (auto _ : state) {
    state.PauseTiming();
    buffer.assign(Utf8Text());
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        Utf8ToInternal(buffer.data(), buffer.size(), buffer.data(), Table()).size);
    benchmark::ClobberMemory();
  }
  SetBytes(state, Utf8Text().size());
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
  const TCodeTable& table = Table();
  TOutputRun run;
  for (auto _ : state) {
    for (std::size_t first = 0; first < lines.size(); first += kRunLines) {
      const std::size_t last = std::min(first + kRunLines, lines.size());
      for (std::size_t i = first; i < last; ++i) {
        const std::string_view line = lines[i];
        run.AppendLineWith(OutputCapacity(line.size()), [&](char* at) {
          return at + InternalToOutputCode(line, TOutputCode::Utf8, at, table).size;
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
      AppendInOutputCode(out, line, TOutputCode::Utf8, Table());
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
    benchmark::DoNotOptimize(
        InternalToOutputCode(InternalText(), TOutputCode::Utf8, out.data(), Table()).size);
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

void BM_Census(benchmark::State& state) {
  Utf8Text();
  for (auto _ : state) {
    TCodeCensus census;
    benchmark::DoNotOptimize(census.NoteUtf8(Utf8Text()));
  }
  SetBytes(state, Utf8Text().size());
}

BENCHMARK(BM_Utf8ToInternal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf8ToCp932)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8String)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternalToUtf8Whole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8Check)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Census)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zorbe
