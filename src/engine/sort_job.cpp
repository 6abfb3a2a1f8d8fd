#include "engine/sort_job.h"

#include "engine/dictionary_file.h"
#include "engine/external_sort.h"
#include "engine/job_input.h"
#include "engine/line_conversions.h"
#include "engine/line_order.h"
#include "engine/line_sort.h"
#include "engine/output_name.h"
#include "engine/output_runs.h"
#include "engine/reading_sort.h"
#include "engine/sort_keys.h"
#include "engine/two_threads.h"
#include "platform/memory.h"
#include "regex/replacement_rules.h"
#include "text/code_check.h"
#include "text/input_code.h"
#include "text/internal_output.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <span>

namespace zorbe {

void TJobControl::RequestStop() {
  stop_.store(true);
}

namespace {

// Unwinds the job when it sees the stop request; everything it holds is released on the way.
struct EJobStopped {};
// Unwinds the job after it has told the user why it can't go on.
struct EJobReported {};

// The setting as the job reads it: "~/" at the start of the name of a file it reads is the home
// folder (DefaultOutputName does the same for the output folder and name).
TSettingOptionItems WithNamesResolved(TSettingOptionItems setting) {
  for (std::string* name :
       {&setting.DelChars, &setting.Replacement, &setting.SynonymDic, &setting.FuzzyCharDic}) {
    *name = WithHomeFolder(*name);
  }
  return setting;
}

bool FirstLineEndsInCrLf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end != std::string_view::npos && text.substr(end, 2) == "\r\n";
}

std::string UnwritableMessage(const std::string& where, const std::string& character,
                              TOutputCode code) {
  return where + "の文字" + character + " は " + OutputCodeName(code) +
         " で出力できません。\r\n出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。";
}

// The output code a setting names (OutputCode 1-6), or nothing for automatic.
std::optional<TOutputCode> ChosenOutputCode(int value) {
  switch (value) {
  case ocShiftJis:
    return TOutputCode::ShiftJis;
  case ocUtf8:
    return TOutputCode::Utf8;
  case ocEucJp:
    return TOutputCode::EucJp;
  case ocUtf16:
    return TOutputCode::Utf16;
  case ocEucJis2004:
    return TOutputCode::EucJis2004;
  case ocShiftJis2004:
    return TOutputCode::ShiftJis2004;
  default:
    return std::nullopt;
  }
}

// Where a piece of a target's text starts (a large target is read a piece of whole lines at a
// time): its byte offset in the file, and the lines before it.
struct TPiecePlace {
  std::uint64_t offset = 0;
  std::uint64_t lines = 0;
};

// How a cycle's output is written: decided from the setting and the cycle's targets. The line
// end is in the output code (two bytes a character in UTF-16).
struct TOutputForm {
  TOutputCode code = TOutputCode::ShiftJis;
  std::string lineEnd = "\r\n";
  bool byteOrderMark = false;
  // The writer's codec; none for Shift-JIS, which is the internal form itself.
  const TInternalCodec* codec = nullptr;
};

// How many lines ahead the writer asks for a line's bytes.
constexpr std::size_t kPrefetchDistance = 16;
// A text at least this large is filed by two threads.
constexpr std::size_t kTextForTwoThreads = std::size_t{1} << 20;
// Cycles whose files hold at most this much start with narrow references; a cycle whose texts
// still outgrow them is done again with wide ones.
constexpr std::uint64_t kNarrowCycleBytes = std::uint64_t{2} << 30;

// One cycle's lines, as offsets into the job's space. A line of `main` is written as it is; a
// sorted line is written with its keys undone (Undone).
template <typename Ref> struct TCycleLines {
  TLineList<Ref> main;  // comment lines; in the order "none" every line
  TLineList<Ref> lines; // the other lines of the sorted orders
  bool records = false; // a line of `lines` is kept with its written line (KeepKeyed)
};

// One thread's share of the line pass: its part of the text, where its lines go, and what it
// keeps of them. Kept lines are put over the part's text as it is read (see TSpaceWriter).
template <typename Ref> struct alignas(64) TLinePassPart { // no cache line shared with the other
  TLinePassPart(TTextSpace& space, TSpaceText partText)
      : text(partText), writer(space, partText.data()) {}
  TSpaceText text;
  Ref* lines = nullptr;
  std::size_t kept = 0;      // kept lines, from lines[0] on
  std::vector<Ref> comments; // comment lines of the sorted orders
  TSpaceWriter writer;
  std::string keyedLine;
  std::string converted[2];
  std::string rotated;
  std::string record;   // a keyed line with the line it is written as (KeepKeyed)
  bool records = false; // one was kept
};

class TSortJob {
public:
  TSortJob(TSortJobInputs& inputs, TSortJobHost& host, TJobControl& control)
      : inputs_(inputs), setting_(WithNamesResolved(inputs.setting)), host_(host),
        control_(control), conversions_(setting_) {}

  void Execute();
  // What the user should still know of a job that ran to its end.
  std::string Warning() const { return input_ ? input_->Warning() : std::string(); }

private:
  bool Unordered() const { return setting_.SortDirection == 2; }
  // A new phase: its progress starts (with the amount of work it has, when known, and the input
  // bytes it stands for) and its status text is shown. While the runs of a text larger than
  // memory are made, every step of a piece but the replacement is shown as that one phase, with
  // the run and the share of the cycle filed.
  void SetStatus(const char* text, std::uint64_t total = 0, std::uint64_t inputBytes = 0) {
    if (split_.active && std::string_view(text) != kStatusReplacing) {
      control_.Progress().StartPhase(kStatusSortingRuns, split_.total, split_.total, split_.done,
                                     split_.run);
      host_.ShowStatus(kStatusSortingRuns);
      return;
    }
    control_.Progress().StartPhase(text, total, inputBytes);
    host_.ShowStatus(text);
  }
  // Counts the line with this number (from 0, in any thread's own numbering) as done in the
  // current phase: the progress hears of the lines in steps.
  void ReportLine(std::uint64_t number) const {
    if (number % kProgressStep == kProgressStep - 1 && !split_.active) {
      control_.Progress().Advance(kProgressStep);
    }
  }
  void CheckStop() const {
    if (control_.StopRequested()) {
      throw EJobStopped{};
    }
  }
  // Before an output replaces a file: waits while the user is asked whether to stop, and a stop
  // confirmed there discards the output, even one with no line left to write. (Other stops are
  // seen line by line, so an empty output is still made.)
  void PassHold() const {
    if (control_.Hold().Pass()) {
      CheckStop();
    }
  }

  void BuildAuxiliaries();
  TCharCode CodeOf(std::size_t index) const {
    return index < inputs_.codes.size() ? inputs_.codes[index] : ccShiftJis;
  }
  TCharCode TargetCode(std::size_t index, TCharCode code, std::string_view bytes,
                       std::uint64_t offset = 0) const;
  void RunCycle(std::size_t first, std::size_t last);
  template <typename Ref> void RunCycleWith(std::size_t first, std::size_t last);
  void StartOutputForm(std::size_t first, std::size_t last);
  template <typename Ref>
  void ProcessFile(std::size_t index, bool firstOfCycle, TCycleLines<Ref>& cycle);
  TInternalTarget InternalText(std::size_t index, bool firstOfCycle, TCharCode code,
                               TSpaceText text, TPiecePlace place = {});
  void SetLineEnd(bool crLf);
  TClassSortOptions SortOptions() const;
  std::uint64_t MemoryBudget() const;
  void RunExternalCycle(std::size_t first, std::size_t last, std::uint64_t budget,
                        std::uint64_t bytes);
  void ProcessFileInPieces(std::size_t index, bool firstOfCycle, std::size_t pieceSize,
                           TRunStore& store, TCycleLines<TWideRef>& run);
  void RefuseReplacingTooLarge(std::size_t index) const;
  void FlushRun(TRunStore& store, TCycleLines<TWideRef>& run);
  void WriteMerged(const std::string& fileName, TRunStore& store, std::uint64_t budget);
  TSpaceText ReadTarget(std::size_t index);
  TSpaceText ReplacementPass(TSpaceText text);
  TReplacementRules ReplacementRules() const;
  template <typename Ref> void LinePass(TSpaceText text, TCycleLines<Ref>& cycle);
  template <typename Ref> void LinePassPart(TLinePassPart<Ref>& part) const;
  template <typename Ref> void FileLine(TLinePassPart<Ref>& part, TSpaceText own) const;
  template <typename Ref>
  std::uint64_t KeepKeyed(TLinePassPart<Ref>& part, std::string_view keyed,
                          std::string_view written, const char* ownedEnd) const;
  template <typename Ref> void OrderEqualKeys(TLineList<Ref>& lines) const;
  std::optional<std::string> ChooseOutput(const std::string& baseFile);
  template <typename Ref> void Write(const std::string& fileName, const TCycleLines<Ref>& cycle);
  template <typename Ref>
  std::size_t WriteAsTheyAre(TAtomicFile& out, const TLineList<Ref>& lines) const;
  template <typename Ref> void WriteSorted(TAtomicFile& out, const TCycleLines<Ref>& cycle) const;
  template <typename Ref>
  void WriteSortedRun(const TLineList<Ref>& lines, std::size_t first, std::size_t last,
                      TOutputRun& run) const;
  // A sorted line as it is written: in the space (`record` false) or a line of the run store
  // (with a CR and its written line after the key, when it was kept so); the result is where it
  // lies, or in one of the buffers.
  struct TUndoBuffers {
    std::string rotated;
    std::string moved;
  };
  template <typename Ref> std::string_view Undone(Ref ref, TUndoBuffers& buffers) const {
    return Undone(space_.View(ref), false, buffers);
  }
  std::string_view Undone(std::string_view keyed, bool record, TUndoBuffers& buffers) const;
  void AppendOutputLine(TOutputRun& run, std::string_view line, bool stable) const;
  void WriteByteOrderMark(TAtomicFile& out) const {
    if (output_.byteOrderMark) {
      out.Write(output_.code == TOutputCode::Utf16 ? kUtf16ByteOrderMark : kUtf8ByteOrderMark);
    }
  }

  TSortJobInputs& inputs_;
  const TSettingOptionItems setting_;
  TSortJobHost& host_;
  TJobControl& control_;
  const TLineConversions conversions_;
  // The column key's delimiter: comma, space or TAB; any other stored value is the comma (the
  // splitter's semicolon would not be joined back the same way).
  const int csvDelimiter_ = (setting_.CsvDelimiter == dkSpace || setting_.CsvDelimiter == dkTab)
                                ? setting_.CsvDelimiter
                                : dkComma;
  // A keyed line is written as the line it was keyed from (CsvNotRestore off): moving the field
  // back gives it, or, where the key is not the line's fields as they stand, it is kept beside
  // the key (KeepKeyed).
  const bool restoresColumns_ = setting_.CsvSupport && !setting_.CsvNotRestore;
  // The code the user named for every target (InputCode): read in it, never in another.
  const std::optional<TCharCode> named_ = InputCodeOfValue(setting_.InputCode);

  // Built once per job; the auxiliaries again for each cycle with another codec.
  std::optional<TJobInput> input_;
  std::optional<TOutputCode> auxiliariesOutput_; // the output code they were made for
  std::optional<TDeletionList> deletion_;
  std::unique_ptr<TReadingDictionary> reading_; // when lines are sorted by reading
  TCommentPrefixes comments_;

  // The current cycle's output, and the bytes of its targets read so far.
  TOutputForm output_;
  std::uint64_t cycleBytes_ = 0;
  // A cycle larger than memory, while its runs are made: the bytes of its targets and how many
  // of them are filed, and the run being made (from 1).
  struct {
    bool active = false;
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    std::uint64_t run = 0;
  } split_;

  // The texts read and the lines changed in one cycle.
  TTextSpace space_;
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
  if (named_) {
    inputs_.codes.assign(inputs_.files.size(), *named_);
  }
  input_.emplace(setting_);
  const std::size_t count = inputs_.files.size();
  for (std::size_t first = 0; first < count;) {
    const std::size_t last = setting_.NoConnected ? first + 1 : count;
    RunCycle(first, last);
    first = last;
  }
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
  space_.Clear();
  cycleBytes_ = 0;
  StartOutputForm(first, last);
  TCycleLines<Ref> cycle;
  for (std::size_t index = first; index < last; ++index) {
    ProcessFile(index, index == first, cycle);
  }
  if (!Unordered()) {
    SetStatus(kStatusSorting, 0, cycleBytes_);
    const TClassSortOptions options = SortOptions();
    if (reading_) {
      SortClassListsByReading(cycle.lines, space_, options, *reading_, input_->Codec());
    } else {
      SortClassLists(cycle.lines, space_, options);
    }
    if (cycle.records) {
      OrderEqualKeys(cycle.lines);
    }
  }
  if (const std::optional<std::string> output =
          ChooseOutput(inputs_.files[setting_.NoConnected ? first : 0])) {
    SetStatus(kStatusWriting, cycle.main.size() + cycle.lines.size(), cycleBytes_);
    Write(*output, cycle);
  }
  space_.Clear();
}

// The output code: as the setting says, or automatically UTF-8 when a target of the output is
// in a Unicode code or a JIS X 0213 code, and Shift-JIS otherwise; it decides the codec, and so
// how the cycle holds its characters. The line end: as the setting says, or automatically CR LF
// for Shift-JIS and the first target's own (LF unless its first line ends in CR LF) for the
// other codes, which InternalText fills in. A byte-order mark starts every UTF-16 output, and a
// UTF-8 output whose first target is UTF-8 with one.
void TSortJob::StartOutputForm(std::size_t first, std::size_t last) {
  bool unicode = false;
  for (std::size_t i = first; i < last; ++i) {
    unicode = unicode || IsUnicodeCode(CodeOf(i)) || IsJis2004Code(CodeOf(i));
  }
  output_.code = ChosenOutputCode(setting_.OutputCode)
                     .value_or(unicode ? TOutputCode::Utf8 : TOutputCode::ShiftJis);
  SetLineEnd(setting_.OutputLineEnd != leLf);
  output_.byteOrderMark = output_.code == TOutputCode::Utf16;
  output_.codec =
      output_.code == TOutputCode::ShiftJis ? nullptr : &TInternalCodec::For(output_.code);
  input_->UseOutput(output_.code);
  BuildAuxiliaries();
}

void TSortJob::SetLineEnd(bool crLf) {
  output_.lineEnd = LineEndInOutputCode(crLf ? "\r\n" : "\n", output_.code);
}

template <typename Ref>
void TSortJob::ProcessFile(std::size_t index, bool firstOfCycle, TCycleLines<Ref>& cycle) {
  SetStatus(kStatusReading);
  TSpaceText text = ReadTarget(index);
  TInternalTarget target =
      InternalText(index, firstOfCycle, TargetCode(index, CodeOf(index), text), text);
  if (FileExists(setting_.Replacement)) {
    // The rules may bring in characters, or take out ones the output can't write.
    target.text = ReplacementPass(target.text);
    target.firstUnwritable = ModelOf(output_.code) == TCharModel::Unicode ? std::string::npos : 0;
  }
  input_->CheckWritable(target.text, inputs_.files[index], 0, target.firstUnwritable);
  LinePass(target.text, cycle);
}

// The code to read a target's bytes in: the detected code, or another one its bytes fit
// (CheckedTargetCode); a code the user named, only when they fit it (Unicode bytes are checked
// by their converters). `offset`: where the bytes start in the file.
TCharCode TSortJob::TargetCode(std::size_t index, TCharCode code, std::string_view bytes,
                               std::uint64_t offset) const {
  if (!named_) {
    return CheckedTargetCode(inputs_.files[index], code, bytes);
  }
  const std::size_t unfit = IsUnicodeCode(code) ? std::string::npos : FirstUnfitByte(bytes, code);
  if (unfit != std::string::npos) {
    throw EFileError("「" + inputs_.files[index] + "」は " +
                     InputCodes()[static_cast<std::size_t>(setting_.InputCode) - 1].caption +
                     " として正しくないバイトを含んでいます（オフセット " +
                     std::to_string(offset + unfit) + "）。\r\n処理を中止します。");
  }
  return code;
}

// A target's text (all of it, or a piece of whole lines from `place` on) read in `code`, made
// the internal form. The first text of a cycle also settles the output's line end and
// byte-order mark.
TInternalTarget TSortJob::InternalText(std::size_t index, bool firstOfCycle, TCharCode code,
                                       TSpaceText text, TPiecePlace place) {
  const std::string& fileName = inputs_.files[index];
  cycleBytes_ += text.size();
  if (firstOfCycle && code == ccUtf8 && output_.code == TOutputCode::Utf8) {
    output_.byteOrderMark = text.View().starts_with(kUtf8ByteOrderMark);
  }
  if (code != ccShiftJis || output_.code != TOutputCode::ShiftJis) {
    SetStatus(kStatusConverting, 0, text.size());
  }
  TInternalTarget target =
      input_->TargetToInternal(space_, fileName, code, text, place.offset, place.lines);
  if (firstOfCycle && setting_.OutputLineEnd != leCrLf && setting_.OutputLineEnd != leLf) {
    SetLineEnd(output_.code == TOutputCode::ShiftJis || FirstLineEndsInCrLf(target.text));
  }
  return target;
}

// Reads a target into the space, with an LF after it (EndText): from the file, or the bytes
// read ahead, whose memory is given back once they are in the space.
TSpaceText TSortJob::ReadTarget(std::size_t index) {
  const auto readAhead = inputs_.contents.find(index);
  if (readAhead == inputs_.contents.end()) {
    return ReadText(space_, inputs_.files[index]);
  }
  const std::string bytes = std::move(readAhead->second);
  inputs_.contents.erase(readAhead);
  char* copy = space_.Allocate(bytes.size() + 1);
  std::memcpy(copy, bytes.data(), bytes.size());
  return space_.EndText(copy, bytes.size());
}

// Rewrites the current file's text with the rules of the replacement file: the lines joined by
// CR LF, each rule applied to the result of the one before. An invalid rule is reported with its
// line number (blank lines count) and ends the job. The rules and their dictionaries are made
// anew for every file and released at the end of the pass, on every path.
TSpaceText TSortJob::ReplacementPass(TSpaceText text) {
  SetStatus(kStatusReplacing);
  text = CrLfJoined(space_, text);
  TReplacementRules rules = ReplacementRules();
  control_.Progress().StartPhase(kStatusReplacing, rules.Size(), text.size());
  std::string_view result;
  try {
    result = rules.ApplyAll(text, control_.StopFlag(), [this] { control_.Progress().Advance(1); });
  } catch (const EReplacementRule& e) {
    host_.ShowReplacementError(e.Line(), e.what());
    throw EJobReported{};
  } catch (const EGrepCancel&) {
    throw EJobStopped{};
  }
  if (result.data() == text.data()) {
    return text;
  }
  // The joined text is the space's newest allocation: the result takes its place.
  char* bytes = text.data();
  space_.Grow(bytes, result.size() + 1);
  std::memcpy(bytes, result.data(), result.size());
  return space_.EndText(bytes, result.size());
}

// The rules of the replacement file with the dictionaries the setting names: the synonyms when
// their file exists, the user's look-alike groups when theirs does.
TReplacementRules TSortJob::ReplacementRules() const {
  TReplacementOptions options;
  if (FileExists(setting_.SynonymDic)) {
    options.synonymDic = DictionaryFromText(input_->ReadAuxiliary(setting_.SynonymDic));
  }
  if (FileExists(setting_.FuzzyCharDic)) {
    options.fuzzyCharDic = DictionaryFromText(input_->ReadAuxiliary(setting_.FuzzyCharDic));
  }
  options.useFuzzyCharDic = setting_.BaseFuzzyCharDicUses;
  return TReplacementRules(SplitTextFileLines(input_->ReadAuxiliary(setting_.Replacement)),
                           std::move(options));
}

// Filters, keys, converts and files each line of the current file's text: kept lines are
// appended to the cycle's list, comment lines of the sorted orders to its main list. Lines are
// independent of each other, so a large text is done in two halves on two threads, each writing
// its lines to its own stretch of the list.
template <typename Ref> void TSortJob::LinePass(TSpaceText text, TCycleLines<Ref>& cycle) {
  TLineList<Ref>& target = Unordered() ? cycle.main : cycle.lines;
  const std::size_t split =
      text.size() >= kTextForTwoThreads ? MiddleLineBoundary(text) : text.size();
  TLinePassPart<Ref> parts[2] = {TLinePassPart<Ref>(space_, text.substr(0, split)),
                                 TLinePassPart<Ref>(space_, text.substr(split))};
  // A small text is one part, done on this thread: no helper thread per file.
  auto eachPart = [&](auto work) {
    if (parts[1].text.empty()) {
      work(parts[0]);
    } else {
      RunBoth([&] { work(parts[0]); }, [&] { work(parts[1]); });
    }
  };
  std::size_t counts[2] = {};
  eachPart([&](TLinePassPart<Ref>& part) { counts[&part - parts] = CountLines(part.text); });
  SetStatus(kStatusLinePass, counts[0] + counts[1], text.size());
  const std::size_t first = target.size();
  target.resize(first + counts[0] + counts[1]);
  parts[0].lines = target.data() + first;
  parts[1].lines = parts[0].lines + counts[0];
  eachPart([&](TLinePassPart<Ref>& part) { LinePassPart(part); });
  std::copy(parts[1].lines, parts[1].lines + parts[1].kept, parts[0].lines + parts[0].kept);
  target.resize(first + parts[0].kept + parts[1].kept);
  for (TLinePassPart<Ref>& part : parts) {
    cycle.main.insert(cycle.main.end(), part.comments.begin(), part.comments.end());
    cycle.records = cycle.records || part.records;
  }
}

// Every line of a part is followed by a line end in the part, or by the LF after the text.
template <typename Ref> void TSortJob::LinePassPart(TLinePassPart<Ref>& part) const {
  std::uint64_t filed = 0;
  ForEachLine(part.text, [&](const char* data, std::size_t size) {
    FileLine(part, part.text.substr(static_cast<std::size_t>(data - part.text.data()), size));
    ReportLine(filed++);
    CheckStop();
  });
  part.writer.ReleaseRest(part.text.data() + part.text.size());
}

// One line of the line pass. The line's bytes and its line end are this thread's own. The line
// is converted and trimmed first: that is the line as it is written. The column key is made from
// it, so lines written alike are keyed alike, and the key is trimmed as well; with
// CsvNotRestore the key is the line written.
template <typename Ref> void TSortJob::FileLine(TLinePassPart<Ref>& part, TSpaceText own) const {
  const char* ownedEnd = own.data() + own.size() + 1;
  if (setting_.ReturnDel && own.empty()) {
    return;
  }
  const bool comment = comments_.Matches(own);
  std::string_view line = own;
  if (!line.empty() && conversions_.NeverLonger()) {
    line = {own.data(), conversions_.ApplyInPlace(own.data(), own.size())};
  } else if (!line.empty() && conversions_.Any()) {
    line = conversions_.Apply(line, part.converted[0], part.converted[1]);
  }
  if (setting_.FBSpaceDel) {
    line = TrimBlanks(line);
  }
  const std::string_view written = line;
  const bool keyed = setting_.CsvSupport && !comment;
  bool undoneExactly = true; // moving the field back gives the written line
  // In the order "none" a restored line needs its key only for the deletion list.
  if (keyed && (!restoresColumns_ || !Unordered() || deletion_)) {
    undoneExactly = MoveField(line, setting_.TargetCsvIndex, setting_.InsertCsvIndex, csvDelimiter_,
                              part.keyedLine);
    line = setting_.FBSpaceDel ? TrimBlanks(part.keyedLine) : std::string_view(part.keyedLine);
    undoneExactly = undoneExactly && line.size() == part.keyedLine.size();
  }
  if (deletion_ && deletion_->Contains(line)) {
    return;
  }
  if (Unordered()) {
    part.lines[part.kept++] =
        MakeRef<Ref>(part.writer.Keep(restoresColumns_ ? written : line, ownedEnd));
    return;
  }
  if (setting_.CharPos && !comment) {
    RotateLine(line, setting_.CharPosCount, setting_.LineEndCount, part.rotated);
    line = part.rotated;
  }
  const Ref ref = MakeRef<Ref>(restoresColumns_ && keyed && !undoneExactly
                                   ? KeepKeyed(part, line, written, ownedEnd)
                                   : part.writer.Keep(line, ownedEnd));
  if (comment) {
    part.comments.push_back(ref);
  } else {
    part.lines[part.kept++] = ref;
  }
}

// Keeps a keyed line whose written line can't be had back from it (a control byte dropped, a
// delimiter put in, a blank trimmed off the key): the key, a CR and the written line, so that
// the key alone is the line the sort sees (a CR ends it as an LF does).
template <typename Ref>
std::uint64_t TSortJob::KeepKeyed(TLinePassPart<Ref>& part, std::string_view keyed,
                                  std::string_view written, const char* ownedEnd) const {
  part.records = true;
  part.record.assign(keyed);
  part.record += '\r';
  part.record.append(written);
  return part.writer.Keep(part.record, ownedEnd);
}

// Keys that are the same bytes may come from lines written differently (the key is the line
// split into fields and joined anew): such lines are put in the order of their written lines, so
// that every sort writes them the same way and a repeated line comes right after itself.
template <typename Ref> void TSortJob::OrderEqualKeys(TLineList<Ref>& lines) const {
  TUndoBuffers buffers[2];
  auto written = [&](Ref ref, TUndoBuffers& into) { return Undone(ref, into); };
  for (std::size_t first = 0; first < lines.size();) {
    const std::string_view key = space_.View(lines[first]);
    std::size_t end = first + 1;
    while (end < lines.size() && space_.View(lines[end]) == key) {
      ++end;
    }
    if (end - first > 1) {
      std::sort(lines.begin() + static_cast<std::ptrdiff_t>(first),
                lines.begin() + static_cast<std::ptrdiff_t>(end),
                [&](Ref a, Ref b) { return written(a, buffers[0]) < written(b, buffers[1]); });
    }
    first = end;
  }
}

std::optional<std::string> TSortJob::ChooseOutput(const std::string& baseFile) {
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
    if (!host_.AskOverwrite(name, IsWriteProtected(name))) {
      control_.RequestStop();
    }
    CheckStop();
  }
  return name;
}

template <typename Ref>
void TSortJob::Write(const std::string& fileName, const TCycleLines<Ref>& cycle) {
  TAtomicFile out(fileName, inputs_.temporaryFolder);
  WriteByteOrderMark(out);
  try {
    if (Unordered()) {
      WriteAsTheyAre(out, cycle.main);
    } else {
      WriteSorted(out, cycle);
    }
  } catch (const EOutputLineError& e) {
    throw EFileError(
        UnwritableMessage("出力の " + std::to_string(e.line) + " 行目", e.character, output_.code));
  }
  PassHold();
  out.Commit();
}

// Appends a line in the output code. A character the output code can't hold ends the job (the
// output is discarded): one that came from a target was refused when the target was read, so
// this one came in through a replacement rule.
void TSortJob::AppendOutputLine(TOutputRun& run, std::string_view line, bool stable) const {
  if (output_.codec == nullptr) {
    run.AppendLine(line, stable); // the internal form is the output
    return;
  }
  const TInternalCodec& codec = *output_.codec;
  run.AppendLineWith(OutputCapacity(line.size()), [&](char* at) {
    const TWritten written = InternalToOutputCode(line, codec, at);
    if (written.unwritableAt != std::string_view::npos) {
      throw EOutputLineError{run.Lines() + 1, CharacterAt(line, written.unwritableAt, codec)};
    }
    return at + written.size;
  });
}

// Every line as it is, in list order; returns the number of lines.
template <typename Ref>
std::size_t TSortJob::WriteAsTheyAre(TAtomicFile& out, const TLineList<Ref>& lines) const {
  return WriteInRuns(out, lines.size(), output_.lineEnd,
                     [&](std::size_t first, std::size_t last, TOutputRun& run) {
                       for (std::size_t i = first; i < last; ++i) {
                         AppendOutputLine(run, space_.View(lines[i]), true);
                         ReportLine(i);
                         CheckStop();
                       }
                     });
}

// The comment lines as they are, then the sorted lines with their keys undone, a line that
// repeats the one written before it left out when Duplicate is set. A run compares its first
// line with the line before the run: when that one was left out, it equals (case folded, with
// Distinction) the line written last, so the result is that of comparing with the line written
// last.
template <typename Ref>
void TSortJob::WriteSorted(TAtomicFile& out, const TCycleLines<Ref>& cycle) const {
  const std::size_t comments = WriteAsTheyAre(out, cycle.main);
  const TLineList<Ref>& lines = cycle.lines;
  try {
    WriteInRuns(out, lines.size(), output_.lineEnd,
                [&](std::size_t first, std::size_t last, TOutputRun& run) {
                  WriteSortedRun(lines, first, last, run);
                });
  } catch (EOutputLineError& e) {
    e.line += comments;
    throw;
  }
}

template <typename Ref>
void TSortJob::WriteSortedRun(const TLineList<Ref>& lines, std::size_t first, std::size_t last,
                              TOutputRun& run) const {
  TUndoBuffers undone[2]; // a line's, and the line's before it
  std::string_view previous;
  if (setting_.Duplicate && first > 0) {
    previous = Undone(lines[first - 1], undone[(first + 1) % 2]);
  }
  for (std::size_t i = first; i < last; ++i) {
    if (i + kPrefetchDistance < last) {
      space_.PrefetchLine(lines[i + kPrefetchDistance]);
    }
    const std::string_view line = Undone(lines[i], undone[i % 2]);
    const bool duplicate = setting_.Duplicate && i > 0 &&
                           (setting_.Distinction ? EqualFolded(line, previous) : line == previous);
    if (!duplicate) {
      AppendOutputLine(run, line,
                       line.data() != undone[i % 2].rotated.data() &&
                           line.data() != undone[i % 2].moved.data());
    }
    previous = line; // its bytes stay: the other buffer is the next line's
    ReportLine(i);
    CheckStop();
  }
}

// A line kept with its written line (KeepKeyed) is that one; otherwise the position key is
// undone, then the column key unless CsvNotRestore keeps it.
std::string_view TSortJob::Undone(std::string_view keyed, bool record,
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
    MoveField(keyed, setting_.InsertCsvIndex, setting_.TargetCsvIndex, csvDelimiter_,
              buffers.moved);
    keyed = buffers.moved;
  }
  return keyed;
}

TClassSortOptions TSortJob::SortOptions() const {
  return {ClassWriteOrder(setting_.OrderOfRow), setting_.CharTypeOrder, setting_.SortDirection,
          setting_.Distinction};
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
  space_.Clear();
  cycleBytes_ = 0;
  StartOutputForm(first, last);
  TRunStore store(ScratchFolder(inputs_.temporaryFolder));
  if (restoresColumns_) {
    store.OrderEqualKeysBy([this](std::string_view line) {
      TUndoBuffers buffers;
      return std::string(Undone(line, true, buffers));
    });
  }
  constexpr std::uint64_t kSmallestPiece = 256;
  const auto pieceSize = static_cast<std::size_t>(std::max(budget / 5 * 2, kSmallestPiece));
  TCycleLines<TWideRef> run;
  split_ = {true, bytes, 0, 1};
  SetStatus(kStatusSortingRuns);
  for (std::size_t index = first; index < last; ++index) {
    ProcessFileInPieces(index, index == first, pieceSize, store, run);
  }
  FlushRun(store, run);
  split_.active = false;
  if (const std::optional<std::string> output =
          ChooseOutput(inputs_.files[setting_.NoConnected ? first : 0])) {
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
void TSortJob::ProcessFileInPieces(std::size_t index, bool firstOfCycle, std::size_t pieceSize,
                                   TRunStore& store, TCycleLines<TWideRef>& run) {
  const std::string& fileName = inputs_.files[index];
  const bool rules = FileExists(setting_.Replacement);
  const TCodeFamily family = FamilyOf(CodeOf(index));
  std::optional<TScratchFile> whole;
  std::optional<TPieceReader> reader;
  if (rules || family == TCodeFamily::Jis || family == TCodeFamily::Utf16) {
    FlushRun(store, run);
    SetStatus(kStatusReading);
    if (rules) {
      RefuseReplacingTooLarge(index);
    }
    TSpaceText text = ReadTarget(index);
    TInternalTarget target =
        InternalText(index, firstOfCycle, TargetCode(index, CodeOf(index), text), text);
    if (rules) {
      target.text = ReplacementPass(target.text);
      target.firstUnwritable = ModelOf(output_.code) == TCharModel::Unicode ? std::string::npos : 0;
    }
    input_->CheckWritable(target.text, fileName, 0, target.firstUnwritable);
    text = target.text;
    whole.emplace(ScratchFolder(inputs_.temporaryFolder));
    whole->Write(text);
    whole->Flush();
    space_.Clear();
    reader.emplace([&file = *whole, at = std::uint64_t{0}](char* into, std::size_t size) mutable {
      const std::size_t got = file.ReadAt(at, into, size);
      at += got;
      return got;
    });
  } else if (const auto ahead = inputs_.contents.find(index); ahead != inputs_.contents.end()) {
    auto bytes = std::make_shared<const std::string>(std::move(ahead->second));
    inputs_.contents.erase(ahead);
    reader.emplace([bytes, at = std::size_t{0}](char* into, std::size_t size) mutable {
      const std::size_t got = std::min(size, bytes->size() - at);
      std::memcpy(into, bytes->data() + at, got);
      at += got;
      return got;
    });
  } else {
    reader.emplace(FileBytes(fileName));
  }
  TCharCode code = CodeOf(index);
  TPiecePlace place; // lines are counted for the messages that name a line
  for (bool firstPiece = true;; firstPiece = false) {
    if (space_.Used() >= pieceSize / 2) {
      FlushRun(store, run);
    }
    SetStatus(kStatusReading);
    TSpaceText piece;
    if (!reader->Next(space_, pieceSize - space_.Used(), piece)) {
      break;
    }
    if (!whole) {
      const TCharCode checked = TargetCode(index, code, piece, place.offset);
      if (!firstPiece && checked != code) {
        throw EFileError("ファイル「" + fileName +
                         "」は途中から別の文字コードになっています。\r\n処理を中止します。");
      }
      code = checked;
      const std::size_t size = piece.size();
      const TInternalTarget target =
          InternalText(index, firstOfCycle && firstPiece, code, piece, place);
      input_->CheckWritable(target.text, fileName, place.lines, target.firstUnwritable);
      piece = target.text;
      place.offset += size;
      place.lines += CountLines(piece);
    }
    const std::size_t filed = piece.size();
    LinePass(piece, run);
    split_.done += filed;
    control_.Progress().Advance(filed);
  }
}

// Replacement rules work on a file's whole text: one too large to be replaced in the memory
// left free (the text, and the rules' result twice) is refused rather than replaced in pieces.
void TSortJob::RefuseReplacingTooLarge(std::size_t index) const {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(inputs_.files[index], ec);
  if (!ec && size / 2 * 6 > AvailableMemory()) {
    throw EFileError("ファイル「" + inputs_.files[index] +
                     "」は大きすぎて、文字列置換をメモリ内で行えません。\r\n置換ルールを外すか、"
                     "ファイルを分けて下さい。\r\n処理を中止します。");
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
    SetStatus(kStatusSortingRuns, 0, space_.Used());
    SortClassLists(run.lines, space_, SortOptions());
    if (run.records) {
      OrderEqualKeys(run.lines);
    }
    for (const TWideRef ref : run.lines) {
      // A restored line goes with its written line after the CR (KeepKeyed).
      const std::string_view key = space_.View(ref);
      const std::string_view record =
          key.data()[key.size()] == '\r'
              ? std::string_view(key.data(),
                                 key.size() + 1 + space_.View(ref + key.size() + 1).size())
              : key;
      store.AppendRunLine(record);
    }
    store.EndRun();
    ++split_.run;
  }
  CheckStop();
  run = {};
  space_.Clear();
}

// Writes the front lines as they are, then the runs' lines merged, with their keys undone and,
// with Duplicate, each line left out that repeats the one before it (as WriteSortedRun does).
void TSortJob::WriteMerged(const std::string& fileName, TRunStore& store, std::uint64_t budget) {
  SetStatus(kStatusMerging, store.FrontLines() + store.RunLines(), cycleBytes_);
  TAtomicFile out(fileName, inputs_.temporaryFolder);
  WriteByteOrderMark(out);
  const auto memory = static_cast<std::size_t>(std::min<std::uint64_t>(budget / 2, 1ULL << 30));
  const std::size_t flushAt = std::clamp<std::size_t>(memory / 8, 4096, std::size_t{4} << 20);
  TOutputRun run(output_.lineEnd);
  std::size_t written = 0; // lines written before the run
  std::uint64_t count = 0;
  auto append = [&](std::string_view line) {
    AppendOutputLine(run, line, false);
    if (run.BufferedBytes() >= flushAt) {
      run.WriteTo(out);
      written += run.Lines();
      run.Clear();
    }
  };
  try {
    store.ForEachFrontLine(memory, [&](std::string_view line) {
      append(line);
      ReportLine(count++);
      CheckStop();
    });
    if (!Unordered()) {
      TUndoBuffers undone;
      std::string previous;
      bool first = true;
      store.Merge(SortOptions(), memory, [&](std::string_view keyed) {
        const std::string_view line = Undone(keyed, true, undone);
        const bool duplicate =
            setting_.Duplicate && !first &&
            (setting_.Distinction ? EqualFolded(line, previous) : line == previous);
        if (!duplicate) {
          append(line);
        }
        if (setting_.Duplicate) {
          previous.assign(line);
        }
        first = false;
        ReportLine(count++);
        CheckStop();
      });
    }
    run.WriteTo(out);
  } catch (const EOutputLineError& e) {
    throw EFileError(UnwritableMessage("出力の " + std::to_string(e.line + written) + " 行目",
                                       e.character, output_.code));
  }
  PassHold();
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
