#pragma once
// How far a running job has come: written by the job's threads, read as often as it likes by the
// side that shows it (the terminal's progress line, the main window's status-bar bar).
//
// The job names its phase (one of its status texts) with the amount of work the phase has in
// all, in the phase's own unit (lines filed, lines written, rules applied), and counts the work
// done; a phase whose amount isn't known (reading, the sort itself) has the total 0. With each
// phase it also gives the input bytes the phase's work stands for, so that a reader can show a
// rate in MB/s whatever the unit. Reads and writes are relaxed: a reader may see a count of the
// phase before, which the fraction clamps; nothing is decided from these numbers.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace zorbe {

struct TProgressSnapshot {
  const char* phase = nullptr; // a status text of the job; null before its first phase
  std::uint64_t done = 0;
  std::uint64_t total = 0;      // 0: not known
  std::uint64_t inputBytes = 0; // the input the phase's work stands for
  std::uint64_t part = 0;       // the run being sorted, from 1, in a phase of runs; else 0
  // The share of the phase done, from 0 to 1; nothing when the total is not known.
  std::optional<double> Fraction() const {
    if (total == 0) {
      return std::nullopt;
    }
    return done >= total ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
  }
};

class TJobProgress {
public:
  // Job: a new phase with its amount of work (0 when not known), `done` of it done already (a
  // phase taken up again), and the run it is at (0 for a phase that is not one of runs).
  void StartPhase(const char* phase, std::uint64_t total, std::uint64_t inputBytes,
                  std::uint64_t done = 0, std::uint64_t part = 0) {
    done_.store(done, std::memory_order_relaxed);
    total_.store(total, std::memory_order_relaxed);
    inputBytes_.store(inputBytes, std::memory_order_relaxed);
    part_.store(part, std::memory_order_relaxed);
    phase_.store(phase, std::memory_order_relaxed);
  }
  // Job, any of its threads: `count` more units of the phase done.
  void Advance(std::uint64_t count) {
    done_.fetch_add(count, std::memory_order_relaxed);
    if (listener_) {
      listener_(Snapshot());
    }
  }
  // Called on the job's thread after every Advance, with the progress as it then stands, so a
  // test can act at an exact point of a job instead of after a guessed time. Set before the job
  // starts; the line pass may call it from two threads at once.
  void SetListener(std::function<void(const TProgressSnapshot&)> listener) {
    listener_ = std::move(listener);
  }

  TProgressSnapshot Snapshot() const {
    return {phase_.load(std::memory_order_relaxed), done_.load(std::memory_order_relaxed),
            total_.load(std::memory_order_relaxed), inputBytes_.load(std::memory_order_relaxed),
            part_.load(std::memory_order_relaxed)};
  }

private:
  std::atomic<const char*> phase_{nullptr};
  std::atomic<std::uint64_t> done_{0};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<std::uint64_t> inputBytes_{0};
  std::atomic<std::uint64_t> part_{0};
  std::function<void(const TProgressSnapshot&)> listener_;
};

// How often the job's loops report the lines they have done: once per this many lines.
inline constexpr std::uint64_t kProgressStep = 1 << 14;

} // namespace zorbe
