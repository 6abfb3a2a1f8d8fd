// Micro-benchmarks of the job's hot steps on the corpus named by $ZORBE_CORPUS (default
// bench/data/corpus100.txt): reading a file into lines and sorting the class lists.

#include "engine/line_order.h"
#include "engine/line_sort.h"
#include "engine/line_sort_parts.h"
#include "engine/line_store.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace zorbe {
namespace {

std::string CorpusName() {
  const char* name = std::getenv("ZORBE_CORPUS");
  return name != nullptr ? name : "bench/data/corpus100.txt";
}

// The offsets of the lines of a text in the space.
TLineList<TNarrowRef> LineRefs(const TTextSpace& space, std::string_view text) {
  TLineList<TNarrowRef> lines;
  lines.reserve(CountLines(text));
  ForEachLine(text, [&](const char* data, std::size_t) {
    lines.push_back(MakeRef<TNarrowRef>(space.OffsetOf(data)));
  });
  return lines;
}

void BM_ReadTextLines(benchmark::State& state) {
  TTextSpace space;
  for (auto _ : state) {
    const TLineList<TNarrowRef> lines = LineRefs(space, ReadText(space, CorpusName()));
    benchmark::DoNotOptimize(lines.data());
    state.SetBytesProcessed(static_cast<std::int64_t>(space.Used()));
    space.Clear();
  }
}
BENCHMARK(BM_ReadTextLines)->Unit(benchmark::kMillisecond);

void SortBench(benchmark::State& state, bool classes, int direction, bool distinction) {
  TTextSpace space;
  const TLineList<TNarrowRef> input = LineRefs(space, ReadText(space, CorpusName()));
  for (auto _ : state) {
    state.PauseTiming();
    TLineList<TNarrowRef> lines = input;
    state.ResumeTiming();
    SortClassLists(lines, space, {ClassWriteOrder(""), classes, direction, distinction});
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_SortOneClass(benchmark::State& state) {
  SortBench(state, false, 0, false);
}
void BM_SortByClassDescending(benchmark::State& state) {
  SortBench(state, true, 1, false);
}
void BM_SortFoldedExact(benchmark::State& state) {
  SortBench(state, true, 0, true);
}
void BM_SortFoldedExactOneClass(benchmark::State& state) {
  SortBench(state, false, 0, true);
}
// The folded order alone, on one thread, of the lines with their indices, as the exact sort of
// Distinction sorts each of its ranges (here all the lines at once), marking equal lines.
void BM_SortFolded(benchmark::State& state) {
  TTextSpace space;
  const TLineList<TNarrowRef> input = LineRefs(space, ReadText(space, CorpusName()));
  std::vector<line_sort_parts::TIndexedRef<TNarrowRef>> items(input.size());
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < input.size(); ++i) {
      items[i] = {input[i], static_cast<TNarrowRef>(i)};
    }
    line_sort_parts::TBits equal(items.size());
    state.ResumeTiming();
    line_sort_parts::SortFolded(items.data(), items.size(), space, &equal);
    benchmark::DoNotOptimize(items.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_SortFolded)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortOneClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortByClassDescending)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortFoldedExact)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortFoldedExactOneClass)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zorbe
