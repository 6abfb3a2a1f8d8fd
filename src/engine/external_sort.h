#pragma once
// Sorting a text larger than the memory budget: its lines are sorted in runs that fit, each run
// is written to a scratch file, and the runs are merged into the output.
//
// A run holds lines in the form the in-memory sort compares them (keys moved and rotated), one
// LF after each, in the order of SortClassLists. The merge takes, of the runs' current lines,
// the one that sorts first by the same order (class write position, then bytes, folded with
// Distinction, reversed when descending), the earliest run on a tie; so without Distinction it
// gives exactly the in-memory order, where lines that compare equal are the same bytes. Lines
// that are written as they are, ahead of the sorted ones (comment lines, and every line when
// nothing is sorted), go to a front file in input order.
//
// A run line may be a record: the key, a CR and the line written for it (a column key that is
// undone, see line_sink.h). Lines are merged by their keys, and, when the job orders them so,
// lines with the same key by their written lines, as the in-memory sort orders them.

#include "engine/line_sort.h"
#include "platform/scratch_file.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// Reads a text in pieces of whole lines: each piece ends after a line end (or at the end of the
// text), so no line and no CR LF is ever cut in two. A line longer than the piece size makes
// that piece as long as the line.
class TPieceReader {
public:
  // `read(into, size)` gives the text's next bytes, up to `size`, and returns how many (0 at
  // its end).
  using TRead = std::function<std::size_t(char* into, std::size_t size)>;
  explicit TPieceReader(TRead read) : read_(std::move(read)) {}

  // The next piece, read into the space (EndText: an LF follows it), of about `pieceSize`
  // bytes; false at the end of the text.
  bool Next(TTextSpace& space, std::size_t pieceSize, TSpaceText& piece);

private:
  TRead read_;
  std::string carry_; // the bytes after the last piece's end, read already
  bool ended_ = false;
};

// Reads a file's bytes for TPieceReader. Throws EFileError when it can't be opened or read.
TPieceReader::TRead FileBytes(const std::string& fileName);

// The runs and the front lines of one cycle, in scratch files.
class TRunStore {
public:
  explicit TRunStore(const std::string& folder) : runs_(folder), front_(folder) {}

  // The line written for a run line: run lines may be records (see above), and lines with the
  // same key are merged in the order of their written lines. Called only for such lines.
  using TWrittenLine = std::function<std::string(std::string_view line)>;
  void OrderEqualKeysBy(TWrittenLine written) { written_ = std::move(written); }

  // A sorted run, line by line.
  void AppendRunLine(std::string_view line) {
    runs_.Write(line);
    runs_.Write("\n");
    ++runLines_;
  }
  void EndRun();
  void AppendFrontLine(std::string_view line) {
    front_.Write(line);
    front_.Write("\n");
    ++frontLines_;
  }
  std::size_t Runs() const { return runEnds_.size(); }
  std::uint64_t RunLines() const { return runLines_; }
  std::uint64_t FrontLines() const { return frontLines_; }

  // Visits the front lines in order.
  void ForEachFrontLine(std::size_t bufferSize, const std::function<void(std::string_view)>& visit);
  // Visits the lines of all runs in merged order, with about `memory` bytes of buffers. The
  // runs are merged on a helper thread while `visit` runs on the calling one.
  void Merge(const TClassSortOptions& options, std::size_t memory,
             const std::function<void(std::string_view)>& visit);

private:
  void MergeRuns(const TClassSortOptions& options, std::size_t memory,
                 const std::function<void(std::string_view)>& visit) const;

  TScratchFile runs_;
  TScratchFile front_;
  std::vector<std::uint64_t> runEnds_;
  std::uint64_t runStart_ = 0;
  std::uint64_t runLines_ = 0;
  std::uint64_t frontLines_ = 0;
  TWrittenLine written_;
};

} // namespace zorbe
