// The whole-file check a job runs on each Shift-JIS, JIS or EUC target before converting it
// (text/code_check.h), on the corpus named by $ZORBE_CORPUS in Shift-JIS and, made with iconv,
// in EUC-JP; and the detector's scan of the same bytes. Figures in bytes per second.

#include "bench_support.h"
#include "text/code_check.h"

#include <benchmark/benchmark.h>

namespace zorbe {
namespace {

using bench::Corpus;
using bench::SetBytes;

const std::string& EucCorpus() {
  static const std::string text = bench::Recoded(Corpus(), "EUC-JP", "CP932");
  return text;
}

void BM_CheckShiftJis(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(FirstUnfitByte(Corpus(), ccShiftJis));
  }
  SetBytes(state, Corpus().size());
}

void BM_CheckEuc(benchmark::State& state) {
  EucCorpus();
  for (auto _ : state) {
    benchmark::DoNotOptimize(FirstUnfitByte(EucCorpus(), ccEuc));
  }
  SetBytes(state, EucCorpus().size());
}

void BM_DetectEuc(benchmark::State& state) {
  EucCorpus();
  for (auto _ : state) {
    benchmark::DoNotOptimize(DetectCharCodeOfBytes(EucCorpus()));
  }
  SetBytes(state, EucCorpus().size());
}

BENCHMARK(BM_CheckShiftJis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckEuc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectEuc)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zorbe
