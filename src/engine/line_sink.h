#pragma once
// The way out of a sort job: every sorted line, from the in-memory lists or the merge of runs on
// disk, passes the same steps before it is written.
//
//   key undo        the position key is turned back, then the column key moved back (unless
//                   CsvNotRestore), or the written line kept beside the key is taken
//   duplicates      with Duplicate, a line that repeats the one before it is left out
//                   (compared with case folded under Distinction)
//   encoding        the line in the output code; a character the code can't hold ends the job
//
// A line is kept in the sort as its key; where moving the field back can't give the line it was
// keyed from, the line pass keeps the key, a CR and the written line (the sort sees the key
// alone, a CR ends a line as an LF does). In the space that CR stands where the key's LF would;
// in a run on disk it is inside the line (`record`).

#include "engine/line_store.h"
#include "engine/output_form.h"
#include "engine/output_runs.h"
#include "settings/setting_option_items.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace zorbe {

// The column key's delimiter: comma, space or TAB; any other stored value is the comma (the
// splitter's semicolon would not be joined back the same way).
int ColumnDelimiter(const TSettingOptionItems& setting);

// Where an undone line is made when it is not the key's own bytes.
struct TUndoBuffers {
  std::string rotated;
  std::string moved;
  bool Holds(std::string_view line) const {
    return line.data() == rotated.data() || line.data() == moved.data();
  }
};

class TKeyUndo {
public:
  TKeyUndo(const TSettingOptionItems& setting, const TTextSpace& space);

  // A keyed line is written as the line it was keyed from.
  bool RestoresColumns() const { return restoresColumns_; }
  // A sorted line as it is written: in the space (`record` false) or a line of the run store;
  // the result is where it lies, or in one of the buffers.
  std::string_view Undone(std::string_view keyed, bool record, TUndoBuffers& buffers) const;
  template <typename Ref> std::string_view Undone(Ref ref, TUndoBuffers& buffers) const {
    return Undone(space_.View(ref), false, buffers);
  }

private:
  const TSettingOptionItems& setting_;
  const TTextSpace& space_;
  const int delimiter_;
  const bool restoresColumns_;
};

// Keys that are the same bytes may come from lines written differently (the key is the line
// split into fields and joined anew): such lines are put in the order of their written lines, so
// that every sort writes them the same way and a repeated line comes right after itself.
template <typename Ref>
void OrderEqualKeys(TLineList<Ref>& lines, const TTextSpace& space, const TKeyUndo& undo) {
  TUndoBuffers buffers[2];
  for (std::size_t first = 0; first < lines.size();) {
    const std::string_view key = space.View(lines[first]);
    std::size_t end = first + 1;
    while (end < lines.size() && space.View(lines[end]) == key) {
      ++end;
    }
    if (end - first > 1) {
      std::sort(lines.begin() + static_cast<std::ptrdiff_t>(first),
                lines.begin() + static_cast<std::ptrdiff_t>(end), [&](Ref a, Ref b) {
                  return undo.Undone(a, buffers[0]) < undo.Undone(b, buffers[1]);
                });
    }
    first = end;
  }
}

// Appends a line in the output code. A character the output code can't hold throws
// EOutputLineError (the output is discarded): one that came from a target was refused when the
// target was read, so this one came in through a replacement rule. `stable`: as TOutputRun
// takes it.
void AppendOutputLine(const TOutputForm& form, TOutputRun& run, std::string_view line, bool stable);

// The message for a line the output can't hold, numbered in the whole output (from 1).
std::string UnwritableLineMessage(const EOutputLineError& error, std::size_t linesBefore,
                                  TOutputCode code);

// The steps for one stretch of sorted lines, in order. `linesStay`: the keyed lines given stay
// where they are until the stretch is written (the space's), so a line that is its key's own
// bytes is written from there and the line before needs no copy; lines of the merge come and go.
class TSortedLineSink {
public:
  TSortedLineSink(const TSettingOptionItems& setting, const TKeyUndo& undo, const TOutputForm& form,
                  bool record, bool linesStay)
      : duplicate_(setting.Duplicate), distinction_(setting.Distinction), undo_(undo), form_(form),
        record_(record), linesStay_(linesStay) {}

  // The line before the stretch, which the stretch's first line is compared with.
  void After(std::string_view keyed);
  // The next line; false when it repeats the one before it and is left out.
  bool Put(std::string_view keyed, TOutputRun& run);

private:
  bool Repeats(std::string_view line) const;

  const bool duplicate_;
  const bool distinction_;
  const TKeyUndo& undo_;
  const TOutputForm& form_;
  const bool record_;
  const bool linesStay_;
  TUndoBuffers buffers_[2]; // the line's, and the line's before it
  std::size_t next_ = 0;    // the buffers of the next line: buffers_[next_]
  std::string_view previous_;
  std::string kept_; // the line before, where lines come and go
  bool first_ = true;
};

} // namespace zorbe
