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
  if (snapshot.part != 0) {
    text += ' ';
    text += std::to_string(snapshot.part);
    text += " 本目";
  }
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
  if (snapshot.phase != phase_ || snapshot.part != part_) {
    phase_ = snapshot.phase;
    part_ = snapshot.part;
    phaseStart_ = now;
    tenthsWritten_ = -2;
  }
  if (now - start_ < kDelay || snapshot.phase == nullptr) {
    return;
  }
  const double phaseSeconds = std::chrono::duration<double>(now - phaseStart_).count();
  if (plain_) {
    WritePlain(snapshot, phaseSeconds);
    return;
  }
  std::string line(kCarriageReturn);
  line += ProgressLineText(snapshot, phaseSeconds);
  line += kEraseToEnd;
  write_(line);
  drawn_ = true;
}

// A line when the phase (or run) starts, or when it has reached a further tenth; a phase whose
// amount isn't known gets its first line only.
void TProgressLine::WritePlain(const TProgressSnapshot& snapshot, double phaseSeconds) {
  const std::optional<double> fraction = snapshot.Fraction();
  const int tenths = fraction ? static_cast<int>(*fraction * 10.0) : -1;
  if (tenths <= tenthsWritten_) {
    return;
  }
  tenthsWritten_ = tenths;
  write_(ProgressLineText(snapshot, phaseSeconds) + "\n");
}

void TProgressLine::Finish() {
  if (drawn_) {
    write_(std::string(kCarriageReturn) + std::string(kEraseToEnd));
    drawn_ = false;
  }
}

} // namespace zorbe
