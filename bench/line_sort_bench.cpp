// Micro-benchmarks of the job's hot steps on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt): splitting a text into lines and sorting the class lists.

#include "engine/line_order.h"
#include "engine/line_sort.h"
#include "engine/line_store.h"
#include "platform/file_system.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace zorbe {
namespace {

const TFileBuffer& Corpus() {
  static const TFileBuffer corpus = [] {
    const char* name = std::getenv("ZORBE_CORPUS");
    return ReadFileContents(name != nullptr ? name : "bench/data/corpus100.txt");
  }();
  return corpus;
}

void BM_SplitLines(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<TLineRef> lines;
    AppendLines(Corpus().View(), lines, "corpus");
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void SortBench(benchmark::State& state, bool classes, bool distinction) {
  std::vector<TLineRef> input;
  AppendLines(Corpus().View(), input, "corpus");
  for (TLineRef& line : input) {
    line.tag = (classes && line.size > 0) ? static_cast<std::uint32_t>(ClassOfLine(line.View())) : 1;
  }
  const auto order = ClassWriteOrder("");
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TLineRef> lines = input;
    state.ResumeTiming();
    SortClassLists(lines, order, 0, distinction);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Corpus().size));
}

void BM_SortOneClass(benchmark::State& state) { SortBench(state, false, false); }
void BM_SortByClass(benchmark::State& state) { SortBench(state, true, false); }
void BM_SortFoldedExact(benchmark::State& state) { SortBench(state, true, true); }
BENCHMARK(BM_SortOneClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortByClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortFoldedExact)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zorbe
