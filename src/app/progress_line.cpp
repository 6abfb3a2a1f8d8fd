#include "app/progress_line.h"

#include <cstdio>

namespace zorbe {
namespace {

// Back to the line's start, and erase from there to its end: the line is redrawn in place.
constexpr std::string_view kCarriageReturn = "\r";
constexpr std::string_view kEraseToEnd = "\x1b[K";

// A rate is shown once a phase has run this long; before, it would only flicker.
constexpr double kRateAfterSeconds = 0.2;

} // namespace

std::string ProgressLineText(const TProgressSnapshot& snapshot, double phaseSeconds) {
  std::string text = snapshot.phase != nullptr ? snapshot.phase : "";
  const std::optional<double> fraction = snapshot.Fraction();
  if (!fraction) {
    return text;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "  %3d%%", static_cast<int>(*fraction * 100.0));
  text += buffer;
  if (phaseSeconds >= kRateAfterSeconds && snapshot.inputBytes > 0) {
    const double megabytes = *fraction * static_cast<double>(snapshot.inputBytes) / 1e6;
    std::snprintf(buffer, sizeof buffer, "  %.1f MB/s", megabytes / phaseSeconds);
    text += buffer;
  }
  return text;
}

void TProgressLine::Update(const TProgressSnapshot& snapshot, Clock::time_point now) {
  if (snapshot.phase != phase_) {
    phase_ = snapshot.phase;
    phaseStart_ = now;
  }
  if (now - start_ < kDelay || snapshot.phase == nullptr) {
    return;
  }
  const double phaseSeconds = std::chrono::duration<double>(now - phaseStart_).count();
  std::string line(kCarriageReturn);
  line += ProgressLineText(snapshot, phaseSeconds);
  line += kEraseToEnd;
  write_(line);
  drawn_ = true;
}

void TProgressLine::Finish() {
  if (drawn_) {
    write_(std::string(kCarriageReturn) + std::string(kEraseToEnd));
    drawn_ = false;
  }
}

} // namespace zorbe
