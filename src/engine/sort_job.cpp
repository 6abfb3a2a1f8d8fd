#include "engine/sort_job.h"

#include "engine/dictionary_file.h"
#include "engine/external_sort.h"
#include "engine/job_input.h"
#include "engine/job_steps.h"
#include "engine/line_order.h"
#include "engine/line_pass.h"
#include "engine/line_sink.h"
#include "engine/line_sort.h"
#include "engine/output_form.h"
#include "engine/output_name.h"
#include "engine/output_runs.h"
#include "engine/reading_sort.h"
#include "engine/target_stage.h"
#include "platform/atomic_file.h"
#include "platform/memory.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace zorbe {

void TJobControl::RequestStop() {
  stop_.store(true);
}

namespace {

// The setting as the job reads it: "~/" at the start of the name of a file it reads is the home
// folder (DefaultOutputName does the same for the output folder and name).
TSettingOptionItems WithNamesResolved(TSettingOptionItems setting) {
  for (std::string* name :
       {&setting.DelChars, &setting.Replacement, &setting.SynonymDic, &setting.FuzzyCharDic}) {
    *name = WithHomeFolder(*name);
  }
  return setting;
}

// How many lines ahead the writer asks for a line's bytes.
constexpr std::size_t kPrefetchDistance = 16;
// Cycles whose files hold at most this much start with narrow references; a cycle whose texts
// still outgrow them is done again with wide ones.
constexpr std::uint64_t kNarrowCycleBytes = std::uint64_t{2} << 30;

// The job: its cycles, and for each the choice between sorting in memory and sorting in runs on
// disk. The stages do the rest: the targets' input (target_stage.h), the line pass
// (line_pass.h), the sort (line_sort.h, external_sort.h) and the way out (line_sink.h).
class TSortJob {
public:
  TSortJob(TSortJobInputs& inputs, TSortJobHost& host, TJobControl& control)
      : inputs_(inputs), setting_(WithNamesResolved(inputs.setting)), steps_(host, control),
        linePass_(setting_, space_, steps_, deletion_, comments_), undo_(setting_, space_) {}

  void Execute();
  // What the user should still know of a job that ran to its end.
  std::string Warning() const { return input_ ? input_->Warning() : std::string(); }

private:
  bool Unordered() const { return setting_.SortDirection == 2; }
  void StartCycle(std::size_t first, std::size_t last);
  void BuildAuxiliaries();
  void RunCycle(std::size_t first, std::size_t last);
  template <typename Ref> void RunCycleWith(std::size_t first, std::size_t last);
  TClassSortOptions SortOptions() const;
  std::uint64_t MemoryBudget() const;
  void RunExternalCycle(std::size_t first, std::size_t last, std::uint64_t budget,
                        std::uint64_t bytes);
  void FileInPieces(std::size_t index, bool firstOfCycle, std::size_t pieceSize, TRunStore& store,
                    TCycleLines<TWideRef>& run);
  void FlushRun(TRunStore& store, TCycleLines<TWideRef>& run);
  std::optional<std::string> ChooseOutput(std::size_t first);
  template <typename Ref> void Write(const std::string& fileName, const TCycleLines<Ref>& cycle);
  template <typename Ref>
  std::size_t WriteAsTheyAre(TAtomicFile& out, const TLineList<Ref>& lines) const;
  template <typename Ref>
  void WriteSortedRun(const TLineList<Ref>& lines, std::size_t first, std::size_t last,
                      TOutputRun& run) const;
  void WriteMerged(const std::string& fileName, TRunStore& store, std::uint64_t budget);

  TSortJobInputs& inputs_;
  const TSettingOptionItems setting_;
  TJobSteps steps_;
  // The texts read and the lines changed in one cycle.
  TTextSpace space_;

  // Built once per job; the auxiliaries again for each cycle with another codec.
  std::optional<TJobInput> input_;
  std::optional<TTargetStage> targets_;
  std::optional<TOutputCode> auxiliariesOutput_; // the output code they were made for
  std::optional<TDeletionList> deletion_;
  TCommentPrefixes comments_;
  std::unique_ptr<TReadingDictionary> reading_; // when lines are sorted by reading
  const TLinePass linePass_;
  const TKeyUndo undo_;

  // The current cycle's output.
  TOutputForm output_;
};

void TSortJob::Execute() {
  if (inputs_.files.empty()) {
    return;
  }
  if (setting_.SortByReading && !Unordered()) {
    // Checked before any file is read: without MeCab the job is refused, never sorted by codes.
    try {
      reading_ = std::make_unique<TReadingDictionary>();
    } catch (const EReadingUnavailable& e) {
      throw EFileError(e.what());
    }
  }
  input_.emplace(setting_);
  targets_.emplace(inputs_, setting_, *input_, space_, steps_);
  const std::size_t count = inputs_.files.size();
  for (std::size_t first = 0; first < count;) {
    const std::size_t last = setting_.NoConnected ? first + 1 : count;
    RunCycle(first, last);
    first = last;
  }
}

// The output form of the cycle's targets, which decides the codec the cycle's texts are held in.
void TSortJob::StartCycle(std::size_t first, std::size_t last) {
  space_.Clear();
  std::vector<TCharCode> codes;
  for (std::size_t i = first; i < last; ++i) {
    codes.push_back(targets_->CodeOf(i));
  }
  output_ = StartOutputForm(setting_, codes);
  targets_->StartCycle(output_);
  input_->UseOutput(output_.code);
  BuildAuxiliaries();
}

// The deletion list and the comment prefixes in the internal form of the cycle's codec.
void TSortJob::BuildAuxiliaries() {
  if (auxiliariesOutput_ == input_->Output()) {
    return;
  }
  if (FileExists(setting_.DelChars)) {
    deletion_.emplace(SplitTextFileLines(input_->ReadAuxiliary(setting_.DelChars)),
                      setting_.Distinction);
  }
  comments_ = TCommentPrefixes(input_->CommentPrefixes());
  auxiliariesOutput_ = input_->Output();
}

// A cycle of files [first, last): the lines of all of them sorted and written together. A
// cycle with targets read ahead starts with wide references: their bytes are taken when they are
// read, so the cycle can't be done again.
void TSortJob::RunCycle(std::size_t first, std::size_t last) {
  std::uint64_t bytes = 0;
  bool readAhead = false;
  for (std::size_t i = first; i < last; ++i) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(inputs_.files[i], ec);
    bytes += ec ? 0 : size;
    readAhead = readAhead || inputs_.contents.contains(i);
    if (const auto ahead = inputs_.contents.find(i); ahead != inputs_.contents.end()) {
      bytes += ahead->second.size();
    }
  }
  // The in-memory sort holds the text and about half as much again (references, keys, the
  // sort's own lists). A sort by reading needs every key at once and stays in memory.
  if (const std::uint64_t budget = MemoryBudget(); !reading_ && bytes + bytes / 2 > budget) {
    RunExternalCycle(first, last, budget, bytes);
    return;
  }
  if (readAhead || bytes > kNarrowCycleBytes) {
    RunCycleWith<TWideRef>(first, last);
    return;
  }
  try {
    RunCycleWith<TNarrowRef>(first, last);
  } catch (const ENarrowRefFull&) {
    RunCycleWith<TWideRef>(first, last);
  }
}

template <typename Ref> void TSortJob::RunCycleWith(std::size_t first, std::size_t last) {
  StartCycle(first, last);
  TCycleLines<Ref> cycle;
  for (std::size_t index = first; index < last; ++index) {
    linePass_.Run(targets_->Whole(index, index == first), cycle);
  }
  if (!Unordered()) {
    steps_.SetStatus(kStatusSorting, 0, targets_->CycleBytes());
    const TClassSortOptions options = SortOptions();
    if (reading_) {
      SortClassListsByReading(cycle.lines, space_, options, *reading_, input_->Codec());
    } else {
      SortClassLists(cycle.lines, space_, options);
    }
    if (cycle.records) {
      OrderEqualKeys(cycle.lines, space_, undo_);
    }
  }
  if (const std::optional<std::string> output = ChooseOutput(first)) {
    steps_.SetStatus(kStatusWriting, cycle.main.size() + cycle.lines.size(),
                     targets_->CycleBytes());
    Write(*output, cycle);
  }
  space_.Clear();
}

// The output's name: asks before an existing file is replaced, and stops when the user says no.
std::optional<std::string> TSortJob::ChooseOutput(std::size_t first) {
  const std::string& baseFile = inputs_.files[setting_.NoConnected ? first : 0];
  // The name checked here is the name written, and the one given back to the caller.
  std::string name = inputs_.outputName;
  name = setting_.NoConnected || name.empty()
             ? DefaultOutputName(baseFile, setting_.OutputFolder, setting_.OutputFilename,
                                 setting_.NoConnected)
             : WithoutQuotes(name);
  inputs_.outputName = name;
  if (name.empty()) {
    return std::nullopt;
  }
  const std::filesystem::path folder = std::filesystem::path(name).parent_path();
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec) {
      throw EFileError("フォルダ「" + folder.string() + "」を作成できませんでした。\r\n" +
                       FileErrorReason(ec.value()) + "\r\n処理を中止します。");
    }
  }
  if (IsRegularFile(name)) { // a device or a pipe holds nothing the output could destroy
    if (!steps_.Host().AskOverwrite(name, IsWriteProtected(name))) {
      steps_.Control().RequestStop();
    }
    steps_.CheckStop();
  }
  return name;
}

// The comment lines as they are, then the sorted lines with their keys undone (in the order
// "none" every line as it is), in runs on both cores.
template <typename Ref>
void TSortJob::Write(const std::string& fileName, const TCycleLines<Ref>& cycle) {
  TAtomicFile out(fileName, inputs_.temporaryFolder);
  out.Write(output_.ByteOrderMark());
  std::size_t written = 0;
  try {
    written = WriteAsTheyAre(out, cycle.main);
    if (!Unordered()) {
      WriteInRuns(out, cycle.lines.size(), output_.lineEnd,
                  [&](std::size_t first, std::size_t last, TOutputRun& run) {
                    WriteSortedRun(cycle.lines, first, last, run);
                  });
    }
  } catch (const EOutputLineError& e) {
    throw EFileError(UnwritableLineMessage(e, written, output_.code));
  }
  steps_.PassHold();
  out.Commit();
}

// Every line as it is, in list order; returns the number of lines.
template <typename Ref>
std::size_t TSortJob::WriteAsTheyAre(TAtomicFile& out, const TLineList<Ref>& lines) const {
  return WriteInRuns(out, lines.size(), output_.lineEnd,
                     [&](std::size_t first, std::size_t last, TOutputRun& run) {
                       for (std::size_t i = first; i < last; ++i) {
                         AppendOutputLine(output_, run, space_.View(lines[i]), true);
                         steps_.ReportLine(i);
                         steps_.CheckStop();
                       }
                     });
}

// A run of sorted lines. With Duplicate it compares its first line with the line before the
// run: when that one was left out, it equals (case folded, with Distinction) the line written
// last, so the result is that of comparing with the line written last.
template <typename Ref>
void TSortJob::WriteSortedRun(const TLineList<Ref>& lines, std::size_t first, std::size_t last,
                              TOutputRun& run) const {
  TSortedLineSink sink(setting_, undo_, output_, false, true);
  if (first > 0) {
    sink.After(space_.View(lines[first - 1]));
  }
  for (std::size_t i = first; i < last; ++i) {
    if (i + kPrefetchDistance < last) {
      space_.PrefetchLine(lines[i + kPrefetchDistance]);
    }
    sink.Put(space_.View(lines[i]), run);
    steps_.ReportLine(i);
    steps_.CheckStop();
  }
}

TClassSortOptions TSortJob::SortOptions() const {
  // A comma that delimits the columns of a column key is never part of a number.
  const bool commaColumns = setting_.CsvSupport && ColumnDelimiter(setting_) == 0;
  return {ClassWriteOrder(setting_.OrderOfRow),
          setting_.CharTypeOrder,
          setting_.SortDirection,
          setting_.Distinction,
          setting_.NumberOrder,
          !commaColumns};
}

std::uint64_t TSortJob::MemoryBudget() const {
  if (inputs_.memoryLimit != 0) {
    return inputs_.memoryLimit;
  }
  const std::uint64_t available = AvailableMemory();
  return available != 0 ? available : std::numeric_limits<std::uint64_t>::max();
}

// A cycle whose text is larger than the budget: each target is filed in pieces into runs that
// are sorted and put on disk, then the runs are merged into the output. The runs, each with its
// references and the sort's lists, stay within the budget and leave room for the merge's
// buffers.
void TSortJob::RunExternalCycle(std::size_t first, std::size_t last, std::uint64_t budget,
                                std::uint64_t bytes) {
  StartCycle(first, last);
  TRunStore store(ScratchFolder(inputs_.temporaryFolder));
  if (undo_.RestoresColumns()) {
    store.OrderEqualKeysBy([this](std::string_view line) {
      TUndoBuffers buffers;
      return std::string(undo_.Undone(line, true, buffers));
    });
  }
  constexpr std::uint64_t kSmallestPiece = 256;
  const auto pieceSize = static_cast<std::size_t>(std::max(budget / 5 * 2, kSmallestPiece));
  TCycleLines<TWideRef> run;
  steps_.StartRuns(bytes);
  steps_.SetStatus(kStatusSortingRuns);
  for (std::size_t index = first; index < last; ++index) {
    FileInPieces(index, index == first, pieceSize, store, run);
  }
  FlushRun(store, run);
  steps_.EndRuns();
  if (const std::optional<std::string> output = ChooseOutput(first)) {
    WriteMerged(*output, store, budget);
  }
  space_.Clear();
}

// A target of the external sort, read a piece of whole lines at a time; each piece is made the
// internal form and filed into the current run like a whole file, and the run goes to disk
// whenever it holds about a piece. A text that must be whole to be converted or replaced (JIS,
// whose shifts may span lines; UTF-16, whose line ends are two bytes; replacement rules, which
// may match across lines) is made the internal form in memory as the in-memory job does, parked
// in a scratch file and read back in pieces.
void TSortJob::FileInPieces(std::size_t index, bool firstOfCycle, std::size_t pieceSize,
                            TRunStore& store, TCycleLines<TWideRef>& run) {
  const TCodeFamily family = FamilyOf(targets_->CodeOf(index));
  const bool whole =
      targets_->HasRules() || family == TCodeFamily::Jis || family == TCodeFamily::Utf16;
  std::optional<TScratchFile> parked;
  std::optional<TPieceReader> reader;
  if (whole) {
    FlushRun(store, run);
    if (targets_->HasRules()) {
      targets_->RefuseReplacingTooLarge(index);
    }
    parked.emplace(ScratchFolder(inputs_.temporaryFolder));
    parked->Write(targets_->Whole(index, firstOfCycle));
    parked->Flush();
    space_.Clear();
    reader.emplace([&file = *parked, at = std::uint64_t{0}](char* into, std::size_t size) mutable {
      const std::size_t got = file.ReadAt(at, into, size);
      at += got;
      return got;
    });
  } else {
    reader.emplace(targets_->PieceReader(index));
  }
  TCharCode code = targets_->CodeOf(index);
  TPiecePlace place; // lines are counted for the messages that name a line
  for (;;) {
    if (space_.Used() >= pieceSize / 2) {
      FlushRun(store, run);
    }
    steps_.SetStatus(kStatusReading);
    TSpaceText piece;
    if (!reader->Next(space_, pieceSize - space_.Used(), piece)) {
      break;
    }
    if (!whole) {
      piece = targets_->Piece(index, firstOfCycle, piece, code, place);
    }
    const std::size_t filed = piece.size();
    linePass_.Run(piece, run);
    steps_.Filed(filed);
  }
}

// Sorts the run and puts it on disk, and its lines written ahead of the sorted ones (comment
// lines; every line, as it is written, when nothing is sorted) in the front file. Empties the
// space.
void TSortJob::FlushRun(TRunStore& store, TCycleLines<TWideRef>& run) {
  for (const TWideRef ref : run.main) {
    store.AppendFrontLine(space_.View(ref));
  }
  if (!run.lines.empty()) {
    steps_.SetStatus(kStatusSortingRuns, 0, space_.Used());
    SortClassLists(run.lines, space_, SortOptions());
    if (run.records) {
      OrderEqualKeys(run.lines, space_, undo_);
    }
    for (const TWideRef ref : run.lines) {
      // A restored line goes with its written line after the CR (line_pass.h).
      const std::string_view key = space_.View(ref);
      const std::string_view record =
          key.data()[key.size()] == '\r'
              ? std::string_view(key.data(),
                                 key.size() + 1 + space_.View(ref + key.size() + 1).size())
              : key;
      store.AppendRunLine(record);
    }
    store.EndRun();
    steps_.NextRun();
  }
  steps_.CheckStop();
  run = {};
  space_.Clear();
}

// Writes the front lines as they are, then the runs' lines merged through the same sink as the
// in-memory lines.
void TSortJob::WriteMerged(const std::string& fileName, TRunStore& store, std::uint64_t budget) {
  steps_.SetStatus(kStatusMerging, store.FrontLines() + store.RunLines(), targets_->CycleBytes());
  TAtomicFile out(fileName, inputs_.temporaryFolder);
  out.Write(output_.ByteOrderMark());
  const auto memory = static_cast<std::size_t>(std::min<std::uint64_t>(budget / 2, 1ULL << 30));
  const std::size_t flushAt = std::clamp<std::size_t>(memory / 8, 4096, std::size_t{4} << 20);
  TOutputRun run(output_.lineEnd);
  std::size_t written = 0; // lines written before the run
  std::uint64_t count = 0;
  auto flushed = [&] {
    if (run.BufferedBytes() >= flushAt) {
      run.WriteTo(out);
      written += run.Lines();
      run.Clear();
    }
    steps_.ReportLine(count++);
    steps_.CheckStop();
  };
  try {
    store.ForEachFrontLine(memory, [&](std::string_view line) {
      AppendOutputLine(output_, run, line, false);
      flushed();
    });
    if (!Unordered()) {
      TSortedLineSink sink(setting_, undo_, output_, true, false);
      store.Merge(SortOptions(), memory, [&](std::string_view keyed) {
        sink.Put(keyed, run);
        flushed();
      });
    }
    run.WriteTo(out);
  } catch (const EOutputLineError& e) {
    throw EFileError(UnwritableLineMessage(e, written, output_.code));
  }
  steps_.PassHold();
  out.Commit();
}

} // namespace

TJobResult RunSortJob(TSortJobInputs& inputs, TSortJobHost& host, TJobControl& control) {
  try {
    TSortJob job(inputs, host, control);
    job.Execute();
    return {TJobOutcome::Finished, {}, job.Warning()};
  } catch (const EJobStopped&) {
    return {TJobOutcome::Stopped, {}, {}};
  } catch (const EJobReported&) {
    return {TJobOutcome::Failed, {}, {}};
  } catch (const std::bad_alloc&) {
    return {TJobOutcome::Failed, "メモリが不足しています。\r\n処理を中止します。", {}};
  } catch (const std::exception& e) {
    return {TJobOutcome::Failed, e.what(), {}};
  }
}

} // namespace zorbe
