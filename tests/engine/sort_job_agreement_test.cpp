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
  bool AskOverwrite(const std::string&, bool) override { return true; }
  void ShowReplacementError(int, const std::string&) override {}
};

int ColumnKind(const TSettingOptionItems& s) {
  return (s.CsvDelimiter == dkSpace || s.CsvDelimiter == dkTab) ? s.CsvDelimiter : dkComma;
}

// A line as the sort sees it, and as it is written when its column key is undone.
struct TKeyedLine {
  std::string key;
  std::string written;
};

// The lines of a class in the order of their keys; lines with the same key bytes in the order
// of their written lines.
std::vector<TKeyedLine> SortedClass(std::vector<TKeyedLine> lines, const TSettingOptionItems& s) {
  const TLineCompare compare = CompareFor(s.SortDirection, s.Distinction);
  auto before = [&](const TKeyedLine& a, const TKeyedLine& b) { return compare(a.key, b.key); };
  if (s.Distinction) {
    QuickSortExact(lines.data(), lines.size(), before);
  } else {
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const TKeyedLine& a, const TKeyedLine& b) { return before(a, b) < 0; });
  }
  for (std::size_t first = 0, end = 0; first < lines.size(); first = end) {
    for (end = first + 1; end < lines.size() && lines[end].key == lines[first].key; ++end) {
    }
    std::sort(lines.begin() + first, lines.begin() + end,
              [](const TKeyedLine& a, const TKeyedLine& b) { return a.written < b.written; });
  }
  return lines;
}

// The output of a job over one file of these lines, by the definition: a line is converted and
// trimmed, which is the line written; the column key is made from that, and undone by writing
// it.
std::string ReferenceOutput(const std::vector<std::string>& lines, const TSettingOptionItems& s) {
  const TCommentPrefixes comments(s.CLTC);
  const TLineConversions conversions(s);
  const int kind = ColumnKind(s);
  const bool undoColumn = s.CsvSupport && !s.CsvNotRestore;
  std::vector<std::string> main;
  std::array<std::vector<TKeyedLine>, kClassCount + 1> classes;
  for (const std::string& input : lines) {
    if (s.ReturnDel && input.empty()) {
      continue;
    }
    const bool comment = comments.Matches(input);
    std::string line = input;
    if (!line.empty() && conversions.Any()) {
      std::string buffers[2];
      line = std::string(conversions.Apply(line, buffers[0], buffers[1]));
    }
    if (s.FBSpaceDel) {
      line = std::string(TrimBlanks(line));
    }
    const std::string written = line;
    if (s.CsvSupport && !comment) {
      line = MoveField(line, s.TargetCsvIndex, s.InsertCsvIndex, kind);
      line = s.FBSpaceDel ? std::string(TrimBlanks(line)) : line;
    }
    if (s.SortDirection == 2 || comment) {
      main.push_back(undoColumn ? written : line);
      continue;
    }
    if (s.CharPos) {
      line = RotateLine(line, s.CharPosCount, s.LineEndCount);
    }
    classes[ClassForSort(line, s.CharTypeOrder)].push_back({line, written});
  }
  std::string out;
  const TOutputCode code = s.OutputCode == ocEucJp ? TOutputCode::EucJp : TOutputCode::ShiftJis;
  const std::string lineEnd = s.OutputLineEnd == leLf ? "\n" : "\r\n";
  auto write = [&](const std::string& line) {
    AppendInOutputCode(out, line, TInternalCodec::For(code));
    out += lineEnd;
  };
  for (const std::string& line : main) {
    write(line);
  }
  if (s.SortDirection == 2) {
    return out;
  }
  std::optional<std::string> last;
  for (const int cls : ClassWriteOrder(s.OrderOfRow)) {
    for (const TKeyedLine& keyed : SortedClass(classes[cls], s)) {
      std::string line = keyed.key;
      if (s.CharPos) {
        line = RotateLine(line, s.CharPosCount, !s.LineEndCount);
      }
      if (undoColumn) {
        line = keyed.written;
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
