// The two threads of WriteInRuns. The calling thread formats the even runs and writes every run
// in order; the helper formats the odd runs into a ring of buffers, at most a few runs ahead of
// the writing.

#include "engine/output_runs.h"

#include <algorithm>
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
  TRunWriter(TAtomicFile& out, std::size_t count, std::string_view lineEnd,
             const TRunFormat& format)
      : out_(out), count_(count), runs_((count + kRunLines - 1) / kRunLines),
        format_(format), slots_{TSlot{TOutputRun(lineEnd)}, TSlot{TOutputRun(lineEnd)},
                                TSlot{TOutputRun(lineEnd)}, TSlot{TOutputRun(lineEnd)}} {
    ready_.fill(kNoRun);
  }

  // Returns the number of lines written.
  std::size_t Run() {
    std::thread helper([this] { FormatOddRuns(); });
    try {
      WriteAll();
    } catch (...) {
      Abort();
      helper.join();
      throw;
    }
    helper.join();
    return linesWritten_;
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

  // A failed run ends the helper's work; the writer passes the failure on when it reaches that
  // run, after writing the runs before it, so that a failing line is named by its place in the
  // output.
  void FormatOddRuns() {
    for (std::size_t run = 1; run < runs_; run += 2) {
      {
        std::unique_lock lock(mutex_);
        // The slot is free once the run that used it before has been written.
        changed_.wait(lock, [&] { return abort_ || written_ + kSlots > run; });
        if (abort_) {
          return;
        }
      }
      std::exception_ptr failure;
      try {
        Format(run, slots_[run % kSlots].run);
      } catch (...) {
        failure = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      ready_[run % kSlots] = run;
      if (failure) {
        failure_ = failure;
        failedRun_ = run;
        changed_.notify_all();
        return;
      }
      changed_.notify_all();
    }
  }

  // Passes on a formatter's failure in a run that follows linesWritten_ lines of output.
  [[noreturn]] void Fail(const std::exception_ptr& failure) const {
    try {
      std::rethrow_exception(failure);
    } catch (EOutputLineError& e) {
      e.line += linesWritten_;
      throw;
    }
  }

  void WriteAll() {
    for (std::size_t run = 0; run < runs_; ++run) {
      TOutputRun& slot = slots_[run % kSlots].run;
      if (run % 2 == 0) {
        try {
          Format(run, slot);
        } catch (...) {
          Fail(std::current_exception());
        }
      } else {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ready_[run % kSlots] == run; });
        if (failedRun_ == run) {
          Fail(failure_);
        }
      }
      slot.WriteTo(out_);
      linesWritten_ += slot.Lines();
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
  // The two threads append to runs of neighbouring slots line by line: each slot has cache
  // lines of its own, or every append would wait for the other thread's.
  struct alignas(64) TSlot {
    TOutputRun run;
  };
  std::array<TSlot, kSlots> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::size_t, kSlots> ready_{}; // the run each slot holds, formatted and unwritten
  std::size_t written_ = 0;                 // runs written so far
  std::size_t linesWritten_ = 0;            // their lines (the writing thread's alone)
  bool abort_ = false;
  std::size_t failedRun_ = kNoRun;
  std::exception_ptr failure_;
};

} // namespace

void TOutputRun::Grow(std::size_t room) {
  const std::size_t capacity = std::max({capacity_ * 2, size_ + room, std::size_t{4096}});
  auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ != 0) {
    std::memcpy(bytes.get(), bytes_.get(), size_);
  }
  bytes_ = std::move(bytes);
  capacity_ = capacity;
}

void TOutputRun::WriteTo(TAtomicFile& out) const {
  // A run that holds nothing has no buffer yet: nothing of it is written.
  auto write = [&out](std::string_view bytes) {
    if (!bytes.empty()) {
      out.Write(bytes);
    }
  };
  const std::string_view buffer(bytes_.get(), size_);
  std::size_t done = 0;
  for (const auto& [at, line] : direct_) {
    write(buffer.substr(done, at - done));
    write(line);
    done = at;
  }
  write(buffer.substr(done));
}

std::size_t WriteInRuns(TAtomicFile& out, std::size_t count, std::string_view lineEnd,
                        const TRunFormat& format) {
  if (count <= kRunLines) {
    TOutputRun run(lineEnd);
    format(0, count, run);
    run.WriteTo(out);
    return run.Lines();
  }
  return TRunWriter(out, count, lineEnd, format).Run();
}

} // namespace zorbe
