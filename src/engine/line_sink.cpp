#include "engine/line_sink.h"

#include "engine/sort_keys.h"
#include "text/internal_output.h"
#include "text/shift_jis.h"

namespace zorbe {

int ColumnDelimiter(const TSettingOptionItems& setting) {
  return setting.CsvDelimiter == dkSpace || setting.CsvDelimiter == dkTab ? setting.CsvDelimiter
                                                                          : dkComma;
}

TKeyUndo::TKeyUndo(const TSettingOptionItems& setting, const TTextSpace& space)
    : setting_(setting), space_(space), delimiter_(ColumnDelimiter(setting)),
      restoresColumns_(setting.CsvSupport && !setting.CsvNotRestore) {}

// A line kept with its written line is that one; otherwise the position key is undone, then
// the column key unless CsvNotRestore keeps it.
std::string_view TKeyUndo::Undone(std::string_view keyed, bool record,
                                  TUndoBuffers& buffers) const {
  if (restoresColumns_ && record) {
    if (const std::size_t cr = keyed.find('\r'); cr != std::string_view::npos) {
      return keyed.substr(cr + 1);
    }
  } else if (restoresColumns_ && keyed.data()[keyed.size()] == '\r') { // the key's line end
    return space_.View(space_.OffsetOf(keyed.data() + keyed.size() + 1));
  }
  if (setting_.CharPos) {
    RotateLine(keyed, setting_.CharPosCount, !setting_.LineEndCount, buffers.rotated);
    keyed = buffers.rotated;
  }
  if (restoresColumns_) {
    MoveField(keyed, setting_.InsertCsvIndex, setting_.TargetCsvIndex, delimiter_, buffers.moved);
    keyed = buffers.moved;
  }
  return keyed;
}

void AppendOutputLine(const TOutputForm& form, TOutputRun& run, std::string_view line,
                      bool stable) {
  if (form.codec == nullptr) {
    run.AppendLine(line, stable); // the internal form is the output
    return;
  }
  const TInternalCodec& codec = *form.codec;
  run.AppendLineWith(OutputCapacity(line.size()), [&](char* at) {
    const TWritten written = InternalToOutputCode(line, codec, at);
    if (written.unwritableAt != std::string_view::npos) {
      throw EOutputLineError{run.Lines() + 1, CharacterAt(line, written.unwritableAt, codec)};
    }
    return at + written.size;
  });
}

std::string UnwritableLineMessage(const EOutputLineError& error, std::size_t linesBefore,
                                  TOutputCode code) {
  return "出力の " + std::to_string(error.line + linesBefore) + " 行目の文字" + error.character +
         " は " + OutputCodeName(code) +
         " で出力できません。\r\n出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。";
}

void TSortedLineSink::After(std::string_view keyed) {
  if (!duplicate_) {
    return;
  }
  TUndoBuffers& buffers = buffers_[next_];
  next_ ^= 1;
  previous_ = undo_.Undone(keyed, record_, buffers);
  if (!linesStay_) {
    kept_.assign(previous_);
    previous_ = kept_;
  }
  first_ = false;
}

bool TSortedLineSink::Put(std::string_view keyed, TOutputRun& run) {
  TUndoBuffers& buffers = buffers_[next_];
  next_ ^= 1; // the line stays in its buffers while the next one is compared with it
  const std::string_view line = undo_.Undone(keyed, record_, buffers);
  const bool repeats = duplicate_ && !first_ && Repeats(line);
  if (!repeats) {
    AppendOutputLine(form_, run, line, linesStay_ && !buffers.Holds(line));
  }
  if (duplicate_) {
    previous_ = line;
    if (!linesStay_) {
      kept_.assign(line);
      previous_ = kept_;
    }
  }
  first_ = false;
  return !repeats;
}

bool TSortedLineSink::Repeats(std::string_view line) const {
  return distinction_ ? EqualFolded(line, previous_) : line == previous_;
}

} // namespace zorbe
