#include "engine/sort_job.h"

#include "engine/dictionary_file.h"
#include "engine/job_texts.h"
#include "engine/line_conversions.h"
#include "engine/line_order.h"
#include "engine/line_sort.h"
#include "engine/output_name.h"
#include "engine/reading_sort.h"
#include "engine/sort_keys.h"
#include "regex/comma_text.h"
#include "regex/regular_expression.h"
#include "text/code_conversion.h"
#include "text/shift_jis.h"
#include "text/unicode_conversion.h"

#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <thread>

namespace zorbe {

void TJobControl::RequestStop() {
  std::lock_guard guard(lock_);
  stop_.store(true);
  if (engineCancel_ != nullptr) {
    engineCancel_->store(true);
  }
}

void TJobControl::SetEngineCancel(std::atomic<bool>* cancel) {
  std::lock_guard guard(lock_);
  engineCancel_ = cancel;
}

namespace {

// Unwinds the job when it sees the stop request; everything it holds is released on the way.
struct EJobStopped {};
// Unwinds the job after it has told the user why it can't go on.
struct EJobReported {};

// Publishes a replacement engine's cancel flag to the stop command for as long as it lives;
// declared after the engine, it withdraws the flag before the engine is freed.
class TPublishedCancel {
public:
  TPublishedCancel(TJobControl& control, std::atomic<bool>* cancel) : control_(control) {
    control_.SetEngineCancel(cancel);
  }
  ~TPublishedCancel() { control_.SetEngineCancel(nullptr); }
  TPublishedCancel(const TPublishedCancel&) = delete;
  TPublishedCancel& operator=(const TPublishedCancel&) = delete;

private:
  TJobControl& control_;
};

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

bool FirstLineEndsInCrLf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end != std::string_view::npos && text.substr(end, 2) == "\r\n";
}

std::string UnwritableMessage(const std::string& where, const std::string& character,
                              TOutputCode code) {
  return where + "の文字" + character + " は " + OutputCodeName(code) +
         " で出力できません。\r\n出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。";
}

// How a cycle's output is written: decided from the setting and the cycle's targets.
struct TOutputForm {
  TOutputCode code = TOutputCode::ShiftJis;
  std::string_view lineEnd = "\r\n";
  bool byteOrderMark = false;
};

class TSortJob {
public:
  TSortJob(TSortJobInputs& inputs, TSortJobHost& host, TJobControl& control)
      : inputs_(inputs), setting_(WithNamesResolved(inputs.setting)), host_(host),
        control_(control), conversions_(setting_) {}

  void Execute();
  // What the user should still know of a job that ran to its end.
  std::string Warning() const { return substitutions_.Warning(); }

private:
  bool Unordered() const { return setting_.SortDirection == 2; }
  // A new phase: its progress starts (with the amount of work it has, when known, and the input
  // bytes it stands for) and its status text is shown.
  void SetStatus(const char* text, std::uint64_t total = 0, std::uint64_t inputBytes = 0) {
    control_.Progress().StartPhase(text, total, inputBytes);
    host_.ShowStatus(text);
  }
  void CheckStop() const {
    if (control_.StopRequested()) {
      throw EJobStopped{};
    }
  }

  void BuildAuxiliaries();
  void ClearCycle();
  TCharCode CodeOf(std::size_t index) const {
    return index < inputs_.codes.size() ? inputs_.codes[index] : ccShiftJis;
  }
  void StartOutputForm(std::size_t first, std::size_t end);
  void ProcessFile(std::size_t index);
  std::string_view ReadTarget(std::size_t index);
  std::string_view ConvertUnicode(const std::string& fileName, TCharCode code,
                                  std::string_view text);
  std::string_view ConvertCharCode(TCharCode code, std::string_view text,
                                   std::vector<TLineRef>& target, std::size_t first);
  std::string_view JoinedText(std::string_view text, std::vector<TLineRef>& target,
                              std::size_t first);
  void ReplacementPass(std::string_view text, std::vector<TLineRef>& target, std::size_t first);
  std::string_view ApplyRules(TAWKStr& engine, std::string_view text, std::string (&buffers)[2]);
  // One thread's share of the line pass: its lines, and what it keeps of them.
  struct alignas(64) TLinePassPart { // apart from the other thread's part: no shared cache line
    explicit TLinePassPart(TTextSpace& space) : writer(space) {}
    TLineRef* lines = nullptr;
    std::size_t count = 0;
    std::size_t kept = 0;           // the kept lines, moved to the front of `lines`
    std::vector<TLineRef> comments; // comment lines of the sorted orders
    std::vector<bool> keyed;        // order "none": which kept lines received the column key
    TSpaceWriter writer;
    std::string keyedLine;
    std::string unkeyedLine;
    std::string converted[2];
    std::string rotated;
  };
  void LinePass(std::vector<TLineRef>& target, std::size_t first);
  void LinePassPart(TLinePassPart& part) const;
  std::string_view TrimKeyedLine(std::string_view keyed, TLinePassPart& part) const;
  std::optional<std::string> ChooseOutput(const std::string& baseFile);
  void Write(const std::string& fileName);
  void WriteSorted(TAtomicFile& out);
  void WriteUnordered(TAtomicFile& out);
  void WriteLine(TAtomicFile& out, std::string_view line);

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

  // Built once per job.
  std::optional<TJobTexts> texts_;
  TSubstitutions substitutions_;
  std::optional<TDeletionList> deletion_;
  std::unique_ptr<TReadingDictionary> reading_; // when lines are sorted by reading
  TCommentPrefixes comments_;

  // The current cycle's output, and the lines written to it so far.
  TOutputForm output_;
  std::size_t linesWritten_ = 0;
  std::uint64_t cycleBytes_ = 0; // the bytes of the cycle's targets read so far
  std::string encoded_;

  // One cycle's lines: references to the texts read and the lines changed, all in space_.
  TTextSpace space_;
  std::vector<TLineRef> main_;  // comment lines; in the order "none" every line
  std::vector<bool> mainKeyed_; // order "none": which lines of main_ received the column key
  std::vector<TLineRef> lines_; // the other lines of the sorted orders
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
  texts_.emplace(inputs_.files, inputs_.codes, setting_);
  BuildAuxiliaries();
  std::size_t index = 0;
  const std::size_t count = inputs_.files.size();
  do {
    ClearCycle();
    StartOutputForm(index, setting_.NoConnected ? index + 1 : count);
    do {
      ProcessFile(index++);
    } while (!setting_.NoConnected && index < count);
    if (!Unordered()) {
      SetStatus(kStatusSorting, 0, cycleBytes_);
      const TCodeTable& table = texts_->Table();
      const TClassSortOptions options{ClassWriteOrder(setting_.OrderOfRow), setting_.CharTypeOrder,
                                      setting_.SortDirection, setting_.Distinction,
                                      table.HasJobCodes() ? &table : nullptr};
      if (reading_) {
        SortClassListsByReading(lines_, space_, options, *reading_, table);
      } else {
        SortClassLists(lines_, space_, options);
      }
    }
    const std::string& baseFile = inputs_.files[setting_.NoConnected ? index - 1 : 0];
    if (const std::optional<std::string> output = ChooseOutput(baseFile)) {
      SetStatus(kStatusWriting, main_.size() + lines_.size(), cycleBytes_);
      Write(*output);
    }
  } while (setting_.NoConnected && index < count);
  ClearCycle();
}

void TSortJob::BuildAuxiliaries() {
  if (FileExists(setting_.DelChars)) {
    deletion_.emplace(SplitTextFileLines(texts_->ReadAuxiliary(setting_.DelChars)),
                      setting_.Distinction);
  }
  comments_ = TCommentPrefixes(texts_->CommentPrefixes());
}

// The output code: as the setting says, or automatically UTF-8 when a target of the output is
// in a Unicode code and Shift-JIS otherwise. The line end: as the setting says, or
// automatically CR LF for Shift-JIS and the first target's own (LF unless its first line ends
// in CR LF) for the other codes, which ProcessFile fills in. A byte-order mark starts a UTF-8
// output whose first target is UTF-8 with one.
void TSortJob::StartOutputForm(std::size_t first, std::size_t end) {
  switch (setting_.OutputCode) {
  case ocShiftJis:
    output_.code = TOutputCode::ShiftJis;
    break;
  case ocUtf8:
    output_.code = TOutputCode::Utf8;
    break;
  case ocEucJp:
    output_.code = TOutputCode::EucJp;
    break;
  default: {
    bool unicode = false;
    for (std::size_t i = first; i < end; ++i) {
      unicode = unicode || IsUnicodeCode(CodeOf(i));
    }
    output_.code = unicode ? TOutputCode::Utf8 : TOutputCode::ShiftJis;
  }
  }
  output_.lineEnd = setting_.OutputLineEnd == leLf ? "\n" : "\r\n";
  output_.byteOrderMark = false;
}

void TSortJob::ClearCycle() {
  cycleBytes_ = 0;
  main_ = {};
  mainKeyed_ = {};
  lines_ = {};
  space_.Clear();
}

void TSortJob::ProcessFile(std::size_t index) {
  const std::string& fileName = inputs_.files[index];
  SetStatus(kStatusReading);
  std::vector<TLineRef>& target = Unordered() ? main_ : lines_;
  const std::size_t first = target.size();
  const bool firstOfCycle = setting_.NoConnected || index == 0;
  std::string_view text = ReadTarget(index);
  const TCharCode code = CheckedTargetCode(fileName, CodeOf(index), text);
  substitutions_.Note(fileName, code, text);
  cycleBytes_ += text.size();
  bool crLf = false; // the first line ends in CR LF
  if (IsUnicodeCode(code)) {
    const bool byteOrderMark = code == ccUtf8 && text.starts_with(kUtf8ByteOrderMark);
    output_.byteOrderMark = firstOfCycle ? byteOrderMark : output_.byteOrderMark;
    SetStatus(kStatusConverting, 0, text.size());
    text = ConvertUnicode(fileName, code, text);
    crLf = FirstLineEndsInCrLf(text);
    AppendLines(space_, text, target);
  } else {
    AppendLines(space_, text, target);
    crLf = FirstLineEndsInCrLf(text);
    if (code != ccShiftJis) {
      SetStatus(kStatusConverting, 0, text.size());
    }
    text = ConvertCharCode(code, text, target, first);
  }
  if (firstOfCycle && setting_.OutputLineEnd != leCrLf && setting_.OutputLineEnd != leLf) {
    output_.lineEnd = output_.code != TOutputCode::ShiftJis && !crLf ? "\n" : "\r\n";
  }
  output_.byteOrderMark = output_.byteOrderMark && output_.code == TOutputCode::Utf8;
  if (FileExists(setting_.Replacement)) {
    ReplacementPass(text, target, first);
  }
  SetStatus(kStatusLinePass, target.size() - first, text.size());
  LinePass(target, first);
}

// Reads a target into the space and appends its lines; returns where its bytes lie.
std::string_view TSortJob::ReadTarget(std::size_t index) {
  const auto readAhead = inputs_.contents.find(index);
  if (readAhead == inputs_.contents.end()) {
    return ReadFileText(space_, inputs_.files[index]);
  }
  std::string bytes = std::move(readAhead->second);
  inputs_.contents.erase(readAhead);
  char* copy = space_.Allocate(bytes.size());
  std::memcpy(copy, bytes.data(), bytes.size());
  return {copy, bytes.size()};
}

// The current file's lines (target[first..], read from `text`) as one text, every line followed
// by CR LF, in place of `text` in the space; the references to the old lines are dropped. A text
// that already has CR LF after every line is that text.
std::string_view TSortJob::JoinedText(std::string_view text, std::vector<TLineRef>& target,
                                      std::size_t first) {
  std::size_t joinedSize = 0;
  for (std::size_t i = first; i < target.size(); ++i) {
    joinedSize += space_.View(target[i]).size() + 2;
  }
  if (joinedSize == text.size()) {
    target.resize(first);
    space_.Shrink(text.data(), text.size()); // long lines were copied behind the text
    return text;
  }
  const std::string joined =
      JoinLinesCrLf(space_, target.data() + first, target.data() + target.size());
  target.resize(first);
  space_.Shrink(text.data(), 0);
  char* copy = space_.Allocate(joined.size());
  std::memcpy(copy, joined.data(), joined.size());
  return {copy, joined.size()};
}

// A UTF-8 or UTF-16 file's bytes as read become the internal form in place. When the output is
// not UTF-8, a character it can't hold ends the job here, naming the file and line, before
// anything is written.
std::string_view TSortJob::ConvertUnicode(const std::string& fileName, TCharCode code,
                                          std::string_view text) {
  char* bytes = const_cast<char*>(text.data()); // the job's own bytes in its space
  const std::size_t size = texts_->ConvertUnicode(fileName, code, bytes, text.size());
  space_.Shrink(bytes, size);
  text = {bytes, size};
  if (output_.code != TOutputCode::Utf8) {
    const std::size_t bad = FindUnwritable(text, output_.code, texts_->Table());
    if (bad != std::string_view::npos) {
      throw EFileError(UnwritableMessage("「" + fileName + "」の " +
                                             std::to_string(LineOfOffset(text, bad)) + " 行目",
                                         CharacterAt(text, bad, texts_->Table()), output_.code));
    }
  }
  return text;
}

// JIS and EUC text becomes Shift-JIS: the lines, joined by CR LF, are converted as one text and
// split again. Shift-JIS is read as it is, unless the job's code table gave one of its shared
// codes to another character; then it is rewritten the same way. Returns the file's text as it
// now stands.
std::string_view TSortJob::ConvertCharCode(TCharCode code, std::string_view text,
                                           std::vector<TLineRef>& target, std::size_t first) {
  const bool jis = FamilyOf(code) == TCodeFamily::Jis;
  const bool euc = FamilyOf(code) == TCodeFamily::Euc;
  if (!jis && !euc && !texts_->RewritesInternal()) {
    return text;
  }
  text = JoinedText(text, target, first);
  char* bytes = const_cast<char*>(text.data()); // the job's own bytes in its space
  std::size_t size = text.size();
  if (jis || euc) {
    size = jis ? JisToSjisInPlace(bytes, size) : EucToSjisInPlace(bytes, size);
  }
  if (texts_->RewritesInternal()) {
    texts_->Table().RewriteInternal(bytes, size);
  }
  space_.Shrink(bytes, size);
  AppendLines(space_, {bytes, size}, target);
  return {bytes, size};
}

// Rewrites the current file's text (target[first..], read from `text`) with the rules of the
// replacement file: the lines joined by CR LF, each rule applied to the result of the one before,
// the result split into lines again. The engine, the dictionaries and the rules are made anew for
// every file and released at the end of the pass, on every path.
void TSortJob::ReplacementPass(std::string_view text, std::vector<TLineRef>& target,
                               std::size_t first) {
  SetStatus(kStatusReplacing);
  text = JoinedText(text, target, first);
  // The dictionaries outlive the engine, which only points at them.
  TREDictionary synonyms;
  TREDictionary fuzzyChars;
  TAWKStr engine;
  const bool synonymsExist = FileExists(setting_.SynonymDic);
  engine.SetUseSynonymDic(synonymsExist);
  engine.SetUseFuzzyCharDic(setting_.BaseFuzzyCharDicUses);
  if (synonymsExist && engine.SynonymDics().empty()) {
    synonyms = DictionaryFromText(texts_->ReadAuxiliary(setting_.SynonymDic));
    engine.SynonymDics().push_back(&synonyms);
  }
  if (FileExists(setting_.FuzzyCharDic) && engine.FuzzyCharDics().size() == 1) {
    fuzzyChars = DictionaryFromText(texts_->ReadAuxiliary(setting_.FuzzyCharDic));
    engine.FuzzyCharDics().push_back(&fuzzyChars); // after the basic dictionary
  }
  std::string buffers[2];
  const std::string_view result = ApplyRules(engine, text, buffers);
  if (result.data() != text.data()) {
    // The joined text is the space's newest allocation: the result takes its place.
    char* bytes = const_cast<char*>(text.data());
    space_.Shrink(bytes, 0);
    bytes = space_.Allocate(result.size());
    std::memcpy(bytes, result.data(), result.size());
    text = {bytes, result.size()};
  }
  AppendLines(space_, text, target);
}

// Applies the rules in file order and returns the final text: `text` itself when no rule matched,
// else one of the two buffers, which take turns as a rule's output. An invalid rule is reported
// with its line number (blank lines count) and ends the job.
std::string_view TSortJob::ApplyRules(TAWKStr& engine, std::string_view text,
                                      std::string (&buffers)[2]) {
  const std::vector<std::string> rules =
      SplitTextFileLines(texts_->ReadAuxiliary(setting_.Replacement));
  const TPublishedCancel published(control_, engine.CancelFlag());
  control_.Progress().StartPhase(kStatusReplacing, rules.size(), text.size());
  std::string_view current = text;
  int next = 0;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    CheckStop();
    const std::vector<std::string> fields = SplitCommaText(rules[i]);
    if (fields.size() < 2) {
      continue;
    }
    try {
      engine.SetRegExp(fields[0]);
      CheckStop(); // setting the pattern cleared the cancel flag: a stop just before is seen here
      if (engine.ReplaceAllInto(fields[1], current, buffers[next]) > 0) {
        current = buffers[next];
        next = 1 - next;
      }
    } catch (const ERegExpParser& e) {
      host_.ShowReplacementError(static_cast<int>(i + 1), e.what());
      throw EJobReported{};
    } catch (const EGrepCancel&) {
      throw EJobStopped{};
    }
    control_.Progress().Advance(1);
  }
  return current;
}

// Filters, keys, converts and files each line of the current file (target[first..]) in place:
// kept lines are compacted towards `first`, comment lines of the sorted orders go to main_.
// Lines are independent of each other, so a large file is done in two halves on two threads.
void TSortJob::LinePass(std::vector<TLineRef>& target, std::size_t first) {
  constexpr std::size_t kLinesForTwoThreads = 1 << 16;
  const std::size_t count = target.size() - first;
  const std::size_t firstHalf = count >= kLinesForTwoThreads ? count / 2 : count;
  TLinePassPart parts[2] = {TLinePassPart(space_), TLinePassPart(space_)};
  parts[0].lines = target.data() + first;
  parts[0].count = firstHalf;
  parts[1].lines = parts[0].lines + firstHalf;
  parts[1].count = count - firstHalf;
  if (parts[1].count == 0) {
    LinePassPart(parts[0]);
  } else {
    std::exception_ptr failure;
    std::thread helper([&] {
      try {
        LinePassPart(parts[1]);
      } catch (...) {
        failure = std::current_exception();
      }
    });
    try {
      LinePassPart(parts[0]);
    } catch (...) {
      helper.join();
      throw;
    }
    helper.join();
    if (failure) {
      std::rethrow_exception(failure);
    }
  }
  std::copy(parts[1].lines, parts[1].lines + parts[1].kept, parts[0].lines + parts[0].kept);
  target.resize(first + parts[0].kept + parts[1].kept);
  for (TLinePassPart& part : parts) {
    main_.insert(main_.end(), part.comments.begin(), part.comments.end());
    mainKeyed_.insert(mainKeyed_.end(), part.keyed.begin(), part.keyed.end());
  }
}

void TSortJob::LinePassPart(TLinePassPart& part) const {
  for (std::size_t i = 0; i < part.count; ++i) {
    if (i % kProgressStep == kProgressStep - 1) {
      control_.Progress().Advance(kProgressStep);
    }
    std::string_view line = space_.View(part.lines[i]);
    if (setting_.ReturnDel && line.empty()) {
      CheckStop();
      continue;
    }
    const bool comment = comments_.Matches(line);
    bool inSpace = true; // still the bytes as read, or a part of them
    if (setting_.CsvSupport && !comment) {
      part.keyedLine =
          MoveField(line, setting_.TargetCsvIndex, setting_.InsertCsvIndex, csvDelimiter_);
      line = part.keyedLine;
      inSpace = false;
    }
    if (!line.empty() && conversions_.NeverLonger()) {
      // The bytes are the job's own (in its space, or the keyed copy), and each line's apart.
      char* bytes = const_cast<char*>(line.data());
      line = {bytes, conversions_.ApplyInPlace(bytes, line.size())};
    } else if (!line.empty() && conversions_.Any()) {
      const std::string_view converted =
          conversions_.Apply(line, part.converted[0], part.converted[1]);
      inSpace = inSpace && converted.data() == line.data();
      line = converted;
    }
    if (setting_.FBSpaceDel) {
      const bool restored = setting_.CsvSupport && !setting_.CsvNotRestore && !comment;
      line = restored ? TrimKeyedLine(line, part) : TrimBlanks(line);
    }
    if (!deletion_ || !deletion_->Contains(line)) {
      if (Unordered()) {
        part.lines[part.kept++] = part.writer.Keep(line, inSpace);
        if (setting_.CsvSupport && !setting_.CsvNotRestore) {
          part.keyed.push_back(!comment);
        }
      } else {
        if (setting_.CharPos && !comment) {
          part.rotated = RotateLine(line, setting_.CharPosCount, setting_.LineEndCount);
          line = part.rotated;
          inSpace = false;
        }
        if (comment) {
          part.comments.push_back(part.writer.Keep(line, inSpace));
        } else {
          part.lines[part.kept++] = part.writer.Keep(line, inSpace);
        }
      }
    }
    CheckStop();
  }
}

// Trims a line that received the column key and will have it undone. Trimming it as it stands
// keeps its fields where they are, unless a blank it takes off is a delimiter (the space or TAB
// kinds), or makes one the line's last byte: then the line has another number of fields and
// the undo would move the wrong one. Such a line is trimmed in its own field order instead and
// keyed again, so that its fields come out in their order.
std::string_view TSortJob::TrimKeyedLine(std::string_view keyed, TLinePassPart& part) const {
  const std::string_view trimmed = TrimBlanks(keyed);
  if (trimmed.size() == keyed.size() ||
      SplitFields(csvDelimiter_, trimmed).size() == SplitFields(csvDelimiter_, keyed).size()) {
    return trimmed;
  }
  part.unkeyedLine =
      MoveField(keyed, setting_.InsertCsvIndex, setting_.TargetCsvIndex, csvDelimiter_);
  part.keyedLine = MoveField(TrimBlanks(part.unkeyedLine), setting_.TargetCsvIndex,
                             setting_.InsertCsvIndex, csvDelimiter_);
  return part.keyedLine;
}

std::optional<std::string> TSortJob::ChooseOutput(const std::string& baseFile) {
  std::string name = inputs_.outputName;
  if (setting_.NoConnected || name.empty()) {
    name = DefaultOutputName(baseFile, setting_.OutputFolder, setting_.OutputFilename,
                             setting_.NoConnected);
    inputs_.outputName = name;
  }
  name = WithoutQuotes(name);
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
    if (!host_.AskOverwrite(name)) {
      control_.RequestStop();
    }
    CheckStop();
  }
  return name;
}

void TSortJob::Write(const std::string& fileName) {
  TAtomicFile out(fileName);
  linesWritten_ = 0;
  if (output_.byteOrderMark) {
    out.Write(kUtf8ByteOrderMark);
  }
  if (Unordered()) {
    WriteUnordered(out);
  } else {
    WriteSorted(out);
  }
  out.Commit();
  ClearCycle();
}

// Writes a line and the line end in the output code. A character the output code can't hold
// ends the job (the output is discarded): one that came from a target was refused when the
// target was read, so this one came in through a replacement rule.
void TSortJob::WriteLine(TAtomicFile& out, std::string_view line) {
  ++linesWritten_;
  const TCodeTable& table = texts_->Table();
  if (output_.code == TOutputCode::ShiftJis && !table.HasJobCodes()) {
    out.Write(line); // the internal form is the output
  } else {
    encoded_.clear();
    const std::size_t bad = AppendInOutputCode(encoded_, line, output_.code, table);
    if (bad != std::string_view::npos) {
      throw EFileError(UnwritableMessage("出力の " + std::to_string(linesWritten_) + " 行目",
                                         CharacterAt(line, bad, table), output_.code));
    }
    out.Write(encoded_);
  }
  out.Write(output_.lineEnd);
}

void TSortJob::WriteUnordered(TAtomicFile& out) {
  for (std::size_t i = 0; i < main_.size(); ++i) {
    if (i % kProgressStep == kProgressStep - 1) {
      control_.Progress().Advance(kProgressStep);
    }
    const std::string_view line = space_.View(main_[i]);
    if (i < mainKeyed_.size() && mainKeyed_[i]) {
      WriteLine(out,
                MoveField(line, setting_.InsertCsvIndex, setting_.TargetCsvIndex, csvDelimiter_));
    } else {
      WriteLine(out, line);
    }
    CheckStop();
  }
}

void TSortJob::WriteSorted(TAtomicFile& out) {
  for (const TLineRef& line : main_) {
    WriteLine(out, space_.View(line));
    CheckStop();
  }
  const bool undoColumnKey = setting_.CsvSupport && !setting_.CsvNotRestore;
  // The last written line; nothing has been written before the first, so no line can count as
  // its duplicate (a placeholder text could collide with a real line).
  std::string_view last;
  bool written = false;
  std::string undone;
  std::string lastStore;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i % kProgressStep == kProgressStep - 1) {
      control_.Progress().Advance(kProgressStep);
    }
    if (i + kPrefetchDistance < lines_.size()) {
      space_.Prefetch(lines_[i + kPrefetchDistance]);
    }
    std::string_view line = space_.View(lines_[i]);
    bool copied = false;
    if (setting_.CharPos) {
      undone = RotateLine(line, setting_.CharPosCount, !setting_.LineEndCount);
      line = undone;
      copied = true;
    }
    if (undoColumnKey) {
      undone = MoveField(line, setting_.InsertCsvIndex, setting_.TargetCsvIndex, csvDelimiter_);
      line = undone;
      copied = true;
    }
    const bool duplicate = setting_.Duplicate && written &&
                           (setting_.Distinction ? EqualFolded(line, last) : line == last);
    if (!duplicate) {
      WriteLine(out, line);
      written = true;
      if (copied) {
        lastStore.swap(undone); // keep the bytes: `undone` is reused for the next line
        line = lastStore;
      }
      last = line;
    }
    CheckStop();
  }
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
