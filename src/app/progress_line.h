#pragma once
// The progress line of a command-line run: one line on standard error naming the job's phase
// (and the run, while runs are sorted), the percent of it done and the rate in MB/s, redrawn in
// place about ten times a second and erased when the job ends. Standard error that is no
// terminal (a log file, a pipe) gets plain lines instead: one when a phase starts and one at
// every further tenth of it, with no carriage returns or escape sequences. A job that ends
// within half a second never shows one.

#include "engine/job_progress.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace zorbe {

// "文字処理中  45%  83.2 MB/s": the percent and the rate only where the phase's amount of work
// is known, the rate only once the phase has run for a moment; the run after the phase while
// runs are sorted ("ソート中 (分割) 3 本目"). `phaseSeconds` is the time since the phase began.
std::string ProgressLineText(const TProgressSnapshot& snapshot, double phaseSeconds);

class TProgressLine {
public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kDelay = std::chrono::milliseconds(500);

  // `write` puts text on standard error; `start` is when the job began; `plain`: it is no
  // terminal.
  TProgressLine(std::function<void(std::string_view)> write, Clock::time_point start,
                bool plain = false)
      : write_(std::move(write)), start_(start), phaseStart_(start), plain_(plain) {}
  // Redraws the line for the job's progress at `now` (from half a second after the start on).
  void Update(const TProgressSnapshot& snapshot, Clock::time_point now);
  // Erases the line, if one was drawn.
  void Finish();

private:
  void WritePlain(const TProgressSnapshot& snapshot, double phaseSeconds);

  std::function<void(std::string_view)> write_;
  Clock::time_point start_;
  Clock::time_point phaseStart_;
  const char* phase_ = nullptr;
  std::uint64_t part_ = 0;
  bool drawn_ = false;
  bool plain_;
  int tenthsWritten_ = -2; // plain: the tenths of the phase written so far; -2 nothing yet
};

} // namespace zorbe
