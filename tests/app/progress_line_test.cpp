// The command line's progress line: what it says for each kind of phase, when it appears, and
// that it is erased at the end. Times are given, never waited for.

#include "app/progress_line.h"

#include "engine/sort_job.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, TextNamesThePhasePercentAndRate) {
  const struct {
    TProgressSnapshot snapshot;
    double seconds;
    std::string expected;
  } cases[] = {
      {{kStatusLinePass, 45, 100, 200'000'000}, 1.0, "文字処理中   45%  90.0 MB/s"},
      {{kStatusWriting, 100, 100, 50'000'000}, 2.0, "ファイル書込中 + 文字処理中  100%  25.0 MB/s"},
      {{kStatusWriting, 150, 100, 50'000'000}, 2.0, "ファイル書込中 + 文字処理中  100%  25.0 MB/s"},
      {{kStatusLinePass, 1, 3, 3'000'000}, 0.1, "文字処理中   33%"}, // too soon for a rate
      {{kStatusReplacing, 0, 2, 0}, 5.0, "文字列置換中    0%"},      // no bytes: no rate
      {{kStatusSorting, 0, 0, 500'000'000}, 3.0, "ソート中"},        // amount not known
      {{kStatusSortingRuns, 30, 100, 0, 2}, 1.0, "ソート中 (分割) 2 本目   30%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressLineText(c.snapshot, c.seconds), c.expected);
  }
}

TEST(ProgressLine, AppearsAfterHalfASecondAndIsErasedAtTheEnd) {
  std::string terminal;
  const auto start = TProgressLine::Clock::time_point() + 10s;
  TProgressLine line([&terminal](std::string_view text) { terminal += text; }, start);
  line.Update({kStatusReading, 0, 0, 0}, start + 100ms);
  line.Update({kStatusLinePass, 10, 100, 1'000'000}, start + 400ms);
  EXPECT_EQ(terminal, ""); // a short job shows nothing
  line.Update({kStatusLinePass, 50, 100, 1'000'000}, start + 900ms);
  EXPECT_EQ(terminal, "\r文字処理中   50%  1.0 MB/s\x1b[K"); // the phase began at 400 ms
  terminal.clear();
  line.Update({kStatusSorting, 0, 0, 1'000'000}, start + 1s);
  EXPECT_EQ(terminal, "\rソート中\x1b[K");
  terminal.clear();
  line.Finish();
  EXPECT_EQ(terminal, "\r\x1b[K");
  terminal.clear();
  line.Finish();
  EXPECT_EQ(terminal, ""); // nothing left to erase

  TProgressLine quick([&terminal](std::string_view text) { terminal += text; }, start);
  quick.Update({kStatusLinePass, 1, 2, 10}, start + 300ms);
  quick.Finish();
  EXPECT_EQ(terminal, "");
}

// On a file or a pipe: a plain line when a phase (or a run) starts and at each further tenth,
// never a carriage return or an escape sequence, and nothing to erase.
TEST(ProgressLine, PlainLinesForALog) {
  std::string log;
  const auto start = TProgressLine::Clock::time_point() + 10s;
  TProgressLine line([&log](std::string_view text) { log += text; }, start, true);
  line.Update({kStatusReading, 0, 0, 0}, start + 600ms);
  line.Update({kStatusReading, 0, 0, 0}, start + 700ms);
  line.Update({kStatusLinePass, 5, 100, 0}, start + 800ms);
  line.Update({kStatusLinePass, 9, 100, 0}, start + 900ms);
  line.Update({kStatusLinePass, 12, 100, 0}, start + 1s);
  line.Update({kStatusLinePass, 47, 100, 0}, start + 1100ms);
  line.Update({kStatusSortingRuns, 10, 100, 0, 1}, start + 1200ms);
  line.Update({kStatusSortingRuns, 10, 100, 0, 2}, start + 1300ms);
  line.Finish();
  EXPECT_EQ(log, "ファイル読込中\n"
                 "文字処理中    5%\n"
                 "文字処理中   12%\n"
                 "文字処理中   47%\n"
                 "ソート中 (分割) 1 本目   10%\n"
                 "ソート中 (分割) 2 本目   10%\n");
}

} // namespace
} // namespace zorbe
