// The sort job against its definition, worked out line by line in plain strings: the line pass
// (blank lines, comments, the keys, the conversions, trimming), the classes, the exact quicksort
// or a plain sort, and the writer (keys undone, duplicates). The texts are large enough for the
// job's two-thread line pass and for its output to be written in several runs.

#include "engine/job_test_support.h"
#include "engine/line_conversions.h"
#include "engine/line_filters.h"
#include "engine/line_sort.h"
#include "engine/sort_job.h"
#include "engine/sort_keys.h"
#include "test_support.h"
#include "text/internal_output.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <random>

namespace zorbe {
namespace {

using test::SettingKinds;
using test::TSettingKind;

class TQuietHost : public TSortJobHost {
public:
  void ShowStatus(const std::string&) override {}
  bool AskOverwrite(const std::string&) override { return true; }
  void ShowReplacementError(int, const std::string&) override {}
};

int ColumnKind(const TSettingOptionItems& s) {
  return (s.CsvDelimiter == dkSpace || s.CsvDelimiter == dkTab) ? s.CsvDelimiter : dkComma;
}

std::vector<std::string> SortedClass(std::vector<std::string> lines, const TSettingOptionItems& s) {
  const TLineCompare compare = CompareFor(s.SortDirection, s.Distinction);
  if (s.Distinction) {
    QuickSortExact(lines.data(), lines.size(),
                   [&](const std::string& a, const std::string& b) { return compare(a, b); });
  } else {
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
  }
  return lines;
}

// The output of a job over one file of these lines, by the definition.
std::string ReferenceOutput(const std::vector<std::string>& lines, const TSettingOptionItems& s) {
  const TCommentPrefixes comments(s.CLTC);
  const TLineConversions conversions(s);
  const int kind = ColumnKind(s);
  const bool undoColumn = s.CsvSupport && !s.CsvNotRestore;
  std::vector<std::string> main;
  std::vector<bool> keyed;
  std::array<std::vector<std::string>, kClassCount + 1> classes;
  for (const std::string& input : lines) {
    if (s.ReturnDel && input.empty()) {
      continue;
    }
    const bool comment = comments.Matches(input);
    std::string line = input;
    if (s.CsvSupport && !comment) {
      line = MoveField(line, s.TargetCsvIndex, s.InsertCsvIndex, kind);
    }
    if (!line.empty() && conversions.Any()) {
      std::string buffers[2];
      line = std::string(conversions.Apply(line, buffers[0], buffers[1]));
    }
    if (s.FBSpaceDel) {
      const std::string trimmed(TrimBlanks(line));
      // A keyed line whose trimming takes a field away is trimmed in its own order instead.
      if (undoColumn && !comment && trimmed.size() != line.size() &&
          SplitFields(kind, trimmed).size() != SplitFields(kind, line).size()) {
        const std::string unkeyed = MoveField(line, s.InsertCsvIndex, s.TargetCsvIndex, kind);
        line = MoveField(TrimBlanks(unkeyed), s.TargetCsvIndex, s.InsertCsvIndex, kind);
      } else {
        line = trimmed;
      }
    }
    if (s.SortDirection == 2) {
      main.push_back(line);
      keyed.push_back(undoColumn && !comment);
      continue;
    }
    if (s.CharPos && !comment) {
      line = RotateLine(line, s.CharPosCount, s.LineEndCount);
    }
    (comment ? main : classes[ClassForSort(line, s.CharTypeOrder)]).push_back(line);
  }
  std::string out;
  const TOutputCode code = s.OutputCode == ocEucJp ? TOutputCode::EucJp : TOutputCode::ShiftJis;
  const std::string lineEnd = s.OutputLineEnd == leLf ? "\n" : "\r\n";
  auto write = [&](const std::string& line) {
    AppendInOutputCode(out, line, TInternalCodec::For(code));
    out += lineEnd;
  };
  for (std::size_t i = 0; i < main.size(); ++i) {
    write(keyed.size() > i && keyed[i]
              ? MoveField(main[i], s.InsertCsvIndex, s.TargetCsvIndex, kind)
              : main[i]);
  }
  if (s.SortDirection == 2) {
    return out;
  }
  std::optional<std::string> last;
  for (const int cls : ClassWriteOrder(s.OrderOfRow)) {
    for (std::string line : SortedClass(classes[cls], s)) {
      if (s.CharPos) {
        line = RotateLine(line, s.CharPosCount, !s.LineEndCount);
      }
      if (undoColumn) {
        line = MoveField(line, s.InsertCsvIndex, s.TargetCsvIndex, kind);
      }
      if (s.Duplicate && last && (s.Distinction ? EqualFolded(line, *last) : line == *last)) {
        continue;
      }
      write(line);
      last = line;
    }
  }
  return out;
}

// Lines from pieces that make fields, quotes, blanks, comment marks, letters of both cases and
// every class likely, and repeat often.
std::vector<std::string> RandomLines(std::mt19937& random, std::size_t count) {
  static const std::vector<std::string> pieces = {
      "a",        "A",        "b",    "B",        "z",        ",",        ",",     " ",
      "\t",       "\"",       "#",    "//",       "1",        "9",        "\x01",  "\x82\xA0",
      "\x83\x41", "\x88\x9F", "\xB1", "\x82\x60", "\x81\x40", "\x82\x4F", "ab,cd", "Ab,Cd"};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    for (std::size_t n = random() % 12; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
  }
  return lines;
}

TEST(SortJobAgreement, LargeTextsAgreeWithTheDefinitionForEveryKindOfSetting) {
  const std::vector<TSettingKind>& cases = SettingKinds();
  const char* const lineEnds[] = {"\r\n", "\n", "\r"};
  std::mt19937 random(18);
  const std::vector<std::string> lines = RandomLines(random, 120000);
  test::TTempFolder folder;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    TSortJobInputs inputs;
    inputs.setting = SettingDefaults();
    cases[c].set(inputs.setting);
    std::string text;
    for (const std::string& line : lines) {
      text += line + lineEnds[c % 3];
    }
    ASSERT_GT(text.size(), std::size_t{1} << 20); // filed by two threads
    inputs.files = {folder.Write("in.txt", text)};
    inputs.codes = {ccShiftJis};
    inputs.outputName = folder.File("out.txt");
    TQuietHost host;
    TJobControl control;
    const TJobResult result = RunSortJob(inputs, host, control);
    ASSERT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
    EXPECT_TRUE(test::ReadBytes(inputs.outputName) == ReferenceOutput(lines, inputs.setting))
        << cases[c].name;
  }
}

} // namespace
} // namespace zorbe
