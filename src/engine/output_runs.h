#pragma once
// Writing a job's output on both cores.
//
// The lines are written in runs of consecutive lines. Two threads take turns: each gathers the
// output of its runs into a buffer of its own (the bytes that the caller's formatter makes of
// each line, with the line end after it), and the thread that called WriteInRuns writes the
// buffers to the file in run order, between its own runs. A formatter sees a run as the index
// of its first and last line, and may look back at the line before the run: no run waits for
// another one's result, and a run counts only its own lines (the writer adds up the counts of
// the runs before it). A long line that stays where it is until the output is written is not
// copied but written from there.

#include "platform/atomic_file.h"
#include "platform/file_system.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorbe {

// A line the output can't hold, thrown by a formatter. `line` counts the lines of the run as
// given (from 1); WriteInRuns passes it on counted from the first line it wrote.
struct EOutputLineError {
  std::size_t line;
  std::string character; // the character that can't be written, named for the user
};

class TOutputRun {
public:
  explicit TOutputRun(std::string_view lineEnd = "\r\n") : lineEnd_(lineEnd) {}

  // The line and the line end. `stable`: the line's bytes stay valid until the run is written,
  // so a long one need not be copied.
  void AppendLine(std::string_view line, bool stable) {
    if (stable && line.size() >= kDirectLine) {
      direct_.emplace_back(size_, line);
      EndLine();
      return;
    }
    char* const at = Room(line.size());
    std::memcpy(at, line.data(), line.size());
    size_ += line.size();
    EndLine();
  }
  // A line that `write` writes in place, in another code say, and the line end. `write` is given
  // room for `room` bytes and returns the end of what it wrote: one call per line, with no copy
  // and no setup of its own.
  template <typename Write> void AppendLineWith(std::size_t room, Write write) {
    char* const at = Room(room + lineEnd_.size());
    char* const end = write(at);
    size_ = static_cast<std::size_t>(end - bytes_.get());
    EndLine();
  }
  // The lines appended so far, and the bytes the buffer holds.
  std::size_t Lines() const { return lines_; }
  std::size_t BufferedBytes() const { return size_; }
  void WriteTo(TAtomicFile& out) const;
  void Clear() {
    size_ = 0;
    direct_.clear();
    lines_ = 0;
  }

private:
  void EndLine() {
    // LF or CR LF stored as such: a copy by a call would cost more than the line's conversion.
    const std::size_t size = lineEnd_.size();
    char* const at = Room(size);
    if (size <= 2) {
      for (std::size_t i = 0; i < size; ++i) {
        at[i] = lineEnd_[i];
      }
    } else {
      std::memcpy(at, lineEnd_.data(), size);
    }
    size_ += size;
    ++lines_;
  }
  // Where `room` more bytes can be written after the buffer's bytes. The buffer is never filled
  // with zeros first: only what a line writes is ever read.
  char* Room(std::size_t room) {
    if (room > capacity_ - size_ || bytes_ == nullptr) {
      Grow(room);
    }
    return bytes_.get() + size_;
  }
  void Grow(std::size_t room);

  static constexpr std::size_t kDirectLine = std::size_t{64} << 10;
  std::string_view lineEnd_;
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  // Lines written from where they lie, each before the buffer's byte at its position.
  std::vector<std::pair<std::size_t, std::string_view>> direct_;
  std::size_t lines_ = 0;
};

// Appends the output of the lines [first, last) to the run.
using TRunFormat = std::function<void(std::size_t first, std::size_t last, TOutputRun& run)>;

// Writes the output of lines [0, count), formatted run by run on two threads, each line followed
// by `lineEnd`; returns the number of lines written. An exception from a formatter or from
// writing ends both threads and passes on; the file is left to its owner. Formatters' errors
// come out in line order: an EOutputLineError is the first line of the output that failed.
std::size_t WriteInRuns(TAtomicFile& out, std::size_t count, std::string_view lineEnd,
                        const TRunFormat& format);

} // namespace zorbe
