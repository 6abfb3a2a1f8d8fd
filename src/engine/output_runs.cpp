// The two threads of WriteInRuns. The calling thread formats the even runs and writes every run
// in order; the helper formats the odd runs into a ring of buffers, at most a few runs ahead of
// the writing.

#include "engine/output_runs.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace zorbe {
namespace {

constexpr std::size_t kRunLines = 16384;
constexpr std::size_t kSlots = 4;
constexpr std::size_t kNoRun = static_cast<std::size_t>(-1);

class TRunWriter {
public:
  TRunWriter(TAtomicFile& out, std::size_t count, const TRunFormat& format)
      : out_(out), count_(count), runs_((count + kRunLines - 1) / kRunLines), format_(format) {
    ready_.fill(kNoRun);
  }

  void Run() {
    std::thread helper([this] { FormatOddRuns(); });
    try {
      WriteAll();
    } catch (...) {
      Abort();
      helper.join();
      throw;
    }
    helper.join();
  }

private:
  void Format(std::size_t run, TOutputRun& output) const {
    output.Clear();
    const std::size_t first = run * kRunLines;
    format_(first, std::min(first + kRunLines, count_), output);
  }

  void Abort() {
    std::lock_guard lock(mutex_);
    abort_ = true;
    changed_.notify_all();
  }

  void FormatOddRuns() {
    try {
      for (std::size_t run = 1; run < runs_; run += 2) {
        {
          std::unique_lock lock(mutex_);
          // The slot is free once the run that used it before has been written.
          changed_.wait(lock, [&] { return abort_ || written_ + kSlots > run; });
          if (abort_) {
            return;
          }
        }
        Format(run, slots_[run % kSlots]);
        std::lock_guard lock(mutex_);
        ready_[run % kSlots] = run;
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      abort_ = true;
      changed_.notify_all();
    }
  }

  void WriteAll() {
    for (std::size_t run = 0; run < runs_; ++run) {
      TOutputRun& slot = slots_[run % kSlots];
      if (run % 2 == 0) {
        Format(run, slot);
      } else {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return abort_ || ready_[run % kSlots] == run; });
        if (failure_) {
          std::rethrow_exception(failure_);
        }
      }
      slot.WriteTo(out_);
      std::lock_guard lock(mutex_);
      ready_[run % kSlots] = kNoRun;
      written_ = run + 1;
      changed_.notify_all();
    }
  }

  TAtomicFile& out_;
  const std::size_t count_;
  const std::size_t runs_;
  const TRunFormat& format_;
  std::array<TOutputRun, kSlots> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::size_t, kSlots> ready_{}; // the run each slot holds, formatted and unwritten
  std::size_t written_ = 0;                 // runs written so far
  bool abort_ = false;
  std::exception_ptr failure_;
};

} // namespace

void TOutputRun::WriteTo(TAtomicFile& out) const {
  std::size_t done = 0;
  for (const auto& [at, line] : direct_) {
    out.Write(std::string_view(buffer_).substr(done, at - done));
    out.Write(line);
    done = at;
  }
  out.Write(std::string_view(buffer_).substr(done));
}

void WriteInRuns(TAtomicFile& out, std::size_t count, const TRunFormat& format) {
  if (count <= kRunLines) {
    TOutputRun run;
    format(0, count, run);
    run.WriteTo(out);
    return;
  }
  TRunWriter(out, count, format).Run();
}

} // namespace zorbe
