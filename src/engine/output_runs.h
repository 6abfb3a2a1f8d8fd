#pragma once
// Writing a job's output on both cores.
//
// The lines are written in runs of consecutive lines. Two threads take turns: each gathers the
// output of its runs into a buffer of its own (the bytes that the caller's formatter makes of
// each line, with CR LF after it), and the thread that called WriteInRuns writes the buffers to
// the file in run order, between its own runs. A formatter sees a run as the index of its
// first and last line, and may look back at the line before the run: no run waits for another
// one's result. A long line that stays where it is until the output is written is not copied
// but written from there.

#include "platform/file_system.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorbe {

class TOutputRun {
public:
  // The line and CR LF. `stable`: the line's bytes stay valid until the run is written, so a
  // long one need not be copied.
  void AppendLine(std::string_view line, bool stable) {
    if (stable && line.size() >= kDirectLine) {
      direct_.emplace_back(buffer_.size(), line);
    } else {
      buffer_ += line;
    }
    buffer_ += "\r\n";
  }
  // Room for `size` more bytes at the end, to be filled by the caller.
  char* Extend(std::size_t size) {
    buffer_.resize(buffer_.size() + size);
    return buffer_.data() + buffer_.size() - size;
  }
  void WriteTo(TAtomicFile& out) const;
  void Clear() {
    buffer_.clear();
    direct_.clear();
  }

private:
  static constexpr std::size_t kDirectLine = std::size_t{64} << 10;
  std::string buffer_;
  // Lines written from where they lie, each before the buffer's byte at its position.
  std::vector<std::pair<std::size_t, std::string_view>> direct_;
};

// Appends the output of the lines [first, last) to the run.
using TRunFormat = std::function<void(std::size_t first, std::size_t last, TOutputRun& run)>;

// Writes the output of lines [0, count), formatted run by run on two threads. An exception from
// a formatter or from writing ends both threads and passes on; the file is left to its owner.
void WriteInRuns(TAtomicFile& out, std::size_t count, const TRunFormat& format);

} // namespace zorbe
