#include "engine/line_pass.h"

#include "engine/line_sink.h"
#include "engine/sort_keys.h"
#include "engine/two_threads.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zorbe {
namespace {

// A text at least this large is filed by two threads.
constexpr std::size_t kTextForTwoThreads = std::size_t{1} << 20;

} // namespace

// One thread's share of the line pass: its part of the text, where its lines go, and what it
// keeps of them.
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

TLinePass::TLinePass(const TSettingOptionItems& setting, TTextSpace& space, const TJobSteps& steps,
                     const std::optional<TDeletionList>& deletion, const TCommentPrefixes& comments)
    : setting_(setting), space_(space), steps_(steps), deletion_(deletion), comments_(comments),
      conversions_(setting), delimiter_(ColumnDelimiter(setting)),
      restoresColumns_(setting.CsvSupport && !setting.CsvNotRestore) {}

template <typename Ref> void TLinePass::Run(TSpaceText text, TCycleLines<Ref>& cycle) const {
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
  steps_.SetStatus(kStatusLinePass, counts[0] + counts[1], text.size());
  const std::size_t first = target.size();
  target.resize(first + counts[0] + counts[1]);
  parts[0].lines = target.data() + first;
  parts[1].lines = parts[0].lines + counts[0];
  eachPart([&](TLinePassPart<Ref>& part) { RunPart(part); });
  std::copy(parts[1].lines, parts[1].lines + parts[1].kept, parts[0].lines + parts[0].kept);
  target.resize(first + parts[0].kept + parts[1].kept);
  for (TLinePassPart<Ref>& part : parts) {
    cycle.main.insert(cycle.main.end(), part.comments.begin(), part.comments.end());
    cycle.records = cycle.records || part.records;
  }
}

// Every line of a part is followed by a line end in the part, or by the LF after the text.
template <typename Ref> void TLinePass::RunPart(TLinePassPart<Ref>& part) const {
  std::uint64_t filed = 0;
  ForEachLine(part.text, [&](const char* data, std::size_t size) {
    FileLine(part, part.text.substr(static_cast<std::size_t>(data - part.text.data()), size));
    steps_.ReportLine(filed++);
    steps_.CheckStop();
  });
  part.writer.ReleaseRest(part.text.data() + part.text.size());
}

// One line. The line's bytes and its line end are this thread's own. The line is converted and
// trimmed first: that is the line as it is written. The column key is made from it, so lines
// written alike are keyed alike, and the key is trimmed as well; with CsvNotRestore the key is
// the line written.
template <typename Ref> void TLinePass::FileLine(TLinePassPart<Ref>& part, TSpaceText own) const {
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
    undoneExactly = MoveField(line, setting_.TargetCsvIndex, setting_.InsertCsvIndex, delimiter_,
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
std::uint64_t TLinePass::KeepKeyed(TLinePassPart<Ref>& part, std::string_view keyed,
                                   std::string_view written, const char* ownedEnd) const {
  part.records = true;
  part.record.assign(keyed);
  part.record += '\r';
  part.record.append(written);
  return part.writer.Keep(part.record, ownedEnd);
}

template void TLinePass::Run(TSpaceText, TCycleLines<TNarrowRef>&) const;
template void TLinePass::Run(TSpaceText, TCycleLines<TWideRef>&) const;

} // namespace zorbe
