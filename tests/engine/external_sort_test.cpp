// Sorting in runs on disk: with a budget of a few hundred bytes or KB every text below is sorted
// in many runs, and the output must be the bytes the in-memory sort writes for the same setting.

#include "engine/external_sort.h"
#include "engine/job_test_support.h"
#include "engine/sort_job.h"
#include "engine/sort_keys.h"
#include "platform/memory.h"
#include "platform/scratch_file.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

namespace zorbe {
namespace {

using test::SettingKinds;
using test::Sjis;
using test::TRecordingHost;
using test::TSettingKind;
using test::TTempFolder;

// Lines that make every class, both letter cases, fields, blanks, comment marks and repeats
// likely; a few are long enough to fill a piece on their own.
std::vector<std::string> RandomLines(std::mt19937& random, std::size_t count) {
  static const std::vector<std::string> pieces = {
      "a",    "A",        "b",        "B",        "z",     ",",        ",",        " ",
      "\t",   "\"",       "#",        "1",        "9",     "\x82\xA0", "\x83\x41", "\x88\x9F",
      "\xB1", "\x82\x60", "\x81\x40", "\x82\x4F", "ab,cd", "Ab,Cd"};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    for (std::size_t n = random() % 10; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
    if (random() % 200 == 0) {
      line += std::string(600 + random() % 900, 'q');
    }
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, std::mt19937& random, bool mixedEnds) {
  const char* const ends[] = {"\r\n", "\n", "\r"};
  std::string text;
  for (const std::string& line : lines) {
    text += line + (mixedEnds ? ends[random() % 3] : "\r\n");
  }
  return text;
}

struct TJobRun {
  TJobResult result;
  std::string output;
  bool merged = false; // the job went through the merge
};

// Runs a job over the files with the budget (0: large enough for memory) into out.txt.
TJobRun RunJob(const TTempFolder& folder, const TSettingOptionItems& setting,
               const std::vector<std::string>& files, const std::vector<TCharCode>& codes,
               std::uint64_t budget, const std::string& stopAt = "") {
  TSortJobInputs inputs;
  inputs.setting = setting;
  inputs.files = files;
  inputs.codes = codes;
  inputs.outputName = folder.File("out.txt");
  inputs.memoryLimit = budget == 0 ? std::uint64_t{1} << 40 : budget;
  std::filesystem::create_directories(folder.File("scratch"));
  inputs.temporaryFolder = folder.File("scratch");
  std::filesystem::remove(inputs.outputName);
  TJobControl control;
  TRecordingHost host(control, true);
  host.stopAt = stopAt;
  TJobRun run;
  run.result = RunSortJob(inputs, host, control);
  run.merged =
      std::find(host.statuses.begin(), host.statuses.end(), kStatusMerging) != host.statuses.end();
  if (std::filesystem::exists(inputs.outputName)) {
    run.output = test::ReadBytes(inputs.outputName);
  }
  return run;
}

TEST(ExternalSort, SmallBudgetsGiveTheInMemoryBytesForEveryKindOfSetting) {
  std::mt19937 random(21);
  const std::vector<std::string> lines = RandomLines(random, 3000);
  TTempFolder folder;
  const std::string text = Joined(lines, random, true);
  const std::string file = folder.Write("in.txt", text);
  for (const TSettingKind& c : SettingKinds()) {
    TSettingOptionItems setting = SettingDefaults();
    c.set(setting);
    if (setting.Distinction) {
      continue; // may keep another order of lines equal but for case: the test below
    }
    const TJobRun memory = RunJob(folder, setting, {file}, {ccShiftJis}, 0);
    ASSERT_EQ(memory.result.outcome, TJobOutcome::Finished) << c.name << memory.result.message;
    EXPECT_FALSE(memory.merged) << c.name;
    for (const std::uint64_t budget : {700, 4096, 20000}) {
      const TJobRun runs = RunJob(folder, setting, {file}, {ccShiftJis}, budget);
      ASSERT_EQ(runs.result.outcome, TJobOutcome::Finished) << c.name << runs.result.message;
      EXPECT_TRUE(runs.merged) << c.name;
      EXPECT_TRUE(runs.output == memory.output) << c.name << ", budget " << budget;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("scratch"))) << c.name;
  }
}

// With NumberOrder the merge compares whole lines by their numbers, as the runs were sorted.
TEST(ExternalSort, NumbersGiveTheInMemoryBytes) {
  std::mt19937 random(32);
  std::vector<std::string> lines = RandomLines(random, 2000);
  const std::vector<std::string> numbers = {"10",         "2",          "1,234",      Sjis("0２"),
                                            Sjis("二十"), Sjis("三万"), Sjis("〇七"), Sjis("十十")};
  for (std::string& line : lines) {
    const std::string& number = numbers[random() % numbers.size()];
    line = random() % 2 == 0 ? number + line : line + number; // not inside a character
  }
  TTempFolder folder;
  const std::string file = folder.Write("in.txt", Joined(lines, random, false));
  for (const TSettingKind& c : SettingKinds()) {
    for (const int numberOrder : {1, 2}) {
      TSettingOptionItems setting = SettingDefaults();
      c.set(setting);
      setting.NumberOrder = numberOrder;
      if (setting.Distinction) {
        continue;
      }
      const TJobRun memory = RunJob(folder, setting, {file}, {ccShiftJis}, 0);
      ASSERT_EQ(memory.result.outcome, TJobOutcome::Finished) << c.name << memory.result.message;
      const TJobRun runs = RunJob(folder, setting, {file}, {ccShiftJis}, 4096);
      EXPECT_TRUE(runs.merged) << c.name;
      EXPECT_TRUE(runs.output == memory.output) << c.name << ", NumberOrder " << numberOrder;
    }
  }
}

// While the runs are made, the progress is one phase that names the run being made and counts
// the share of the text filed, rather than each piece's reading and line pass starting at 0 %.
TEST(ExternalSort, ProgressNamesTheRunAndTheShareFiled) {
  std::mt19937 random(5);
  TTempFolder folder;
  TSortJobInputs inputs;
  inputs.setting = SettingDefaults();
  inputs.files = {folder.Write("in.txt", Joined(RandomLines(random, 3000), random, false))};
  inputs.codes = {ccShiftJis};
  inputs.outputName = folder.File("out.txt");
  inputs.memoryLimit = 4096;
  inputs.temporaryFolder = folder.Path().string();
  TJobControl control;
  std::vector<TProgressSnapshot> seen;
  control.Progress().SetListener([&seen](const TProgressSnapshot& s) { seen.push_back(s); });
  TRecordingHost host(control, true);
  ASSERT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Finished);
  std::uint64_t run = 0;
  double filed = 0;
  for (const TProgressSnapshot& s : seen) {
    // Texts, not pointers: a literal may lie elsewhere in each part of the program.
    if (std::string_view(s.phase) == kStatusMerging) {
      continue;
    }
    ASSERT_EQ(std::string_view(s.phase), kStatusSortingRuns);
    EXPECT_GE(s.part, run); // runs count up
    run = s.part;
    filed = s.Fraction().value_or(0);
  }
  EXPECT_GT(run, 3u);
  EXPECT_GT(filed, 0.9);
}

// With Distinction lines equal but for case may come out in another order (and another of them
// kept), but once folded the outputs are the same.
TEST(ExternalSort, FoldedCaseAgreesOnceFolded) {
  std::mt19937 random(7);
  const std::vector<std::string> lines = RandomLines(random, 2000);
  TTempFolder folder;
  const std::string file = folder.Write("in.txt", Joined(lines, random, false));
  for (const bool duplicate : {false, true}) {
    for (const int direction : {0, 1}) {
      TSettingOptionItems setting = SettingDefaults();
      setting.Distinction = true;
      setting.Duplicate = duplicate;
      setting.SortDirection = direction;
      const TJobRun memory = RunJob(folder, setting, {file}, {ccShiftJis}, 0);
      const TJobRun runs = RunJob(folder, setting, {file}, {ccShiftJis}, 3000);
      ASSERT_EQ(runs.result.outcome, TJobOutcome::Finished) << runs.result.message;
      EXPECT_TRUE(runs.merged);
      EXPECT_EQ(runs.output.size(), memory.output.size());
      EXPECT_TRUE(LowerCased(runs.output) == LowerCased(memory.output))
          << "duplicate " << duplicate << ", direction " << direction;
    }
  }
}

// Targets in other codes, joined targets and replacement rules, each against the in-memory run.
TEST(ExternalSort, OtherCodesJoinedFilesAndRulesGiveTheInMemoryBytes) {
  std::mt19937 random(3);
  TTempFolder folder;
  std::vector<std::string> utf8Lines;
  for (const std::string& line : RandomLines(random, 800)) {
    utf8Lines.push_back(test::Recode(line, "CP932", "UTF-8"));
  }
  const std::string sjis = Joined(RandomLines(random, 800), random, true);
  std::string noKana = sjis; // JIS has no half-width katakana
  std::erase(noKana, '\xB1');
  const std::string utf8 = "\xEF\xBB\xBF" + Joined(utf8Lines, random, false);
  struct TCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<TCharCode> codes;
    std::string rules;
  };
  const std::vector<TCase> cases = {
      {"UTF-8 with a byte-order mark", {folder.Write("u8.txt", utf8)}, {ccUtf8}, ""},

      {"UTF-8 lines that start with U+FEFF",
       {folder.Write("feff.txt",
                     [&] {
                       std::string text;
                       for (int i = 0; i < 500; ++i) {
                         text += "\xEF\xBB\xBF" + std::to_string(i % 97) + "\n";
                       }
                       return text;
                     }())},
       {ccUtf8},
       ""},
      {"UTF-16LE",
       {folder.Write("u16.txt", test::Recode(utf8, "UTF-8", "UTF-16LE"))},
       {ccUtf16LE},
       ""},
      {"EUC-JP", {folder.Write("euc.txt", test::Recode(sjis, "CP932", "EUC-JP"))}, {ccEuc}, ""},
      {"JIS",
       {folder.Write("jis.txt", test::Recode(noKana, "CP932", "ISO-2022-JP"))},
       {ccJis83},
       ""},
      {"joined Shift-JIS and empty files",
       {folder.Write("a.txt", sjis), folder.Write("empty.txt", ""),
        folder.Write("b.txt", sjis.substr(0, 3001))},
       {ccShiftJis, ccShiftJis, ccShiftJis},
       ""},
      {"replacement rules across lines",
       {folder.Write("r.txt", sjis)},
       {ccShiftJis},
       "a\\r\\nA,Z\r\n[0-9]+,#\r\n"},
  };
  for (const TCase& c : cases) {
    TSettingOptionItems setting = SettingDefaults();
    setting.Duplicate = true;
    if (!c.rules.empty()) {
      setting.Replacement = folder.Write("rules.txt", c.rules);
    }
    const TJobRun memory = RunJob(folder, setting, c.files, c.codes, 0);
    ASSERT_EQ(memory.result.outcome, TJobOutcome::Finished) << c.name << memory.result.message;
    const TJobRun runs = RunJob(folder, setting, c.files, c.codes, 2500);
    ASSERT_EQ(runs.result.outcome, TJobOutcome::Finished) << c.name << runs.result.message;
    EXPECT_TRUE(runs.merged) << c.name;
    EXPECT_TRUE(runs.output == memory.output) << c.name;
  }
}

// The messages that name a line count it in the whole file, not in the piece it was read in: a
// character the output code can't hold ends the job, a JIS X 0212 character that becomes 〓 is
// reported after it.
TEST(ExternalSort, MessagesNameTheLineInTheWholeFile) {
  struct TCase {
    TCharCode code;
    const char* lastLine; // line 400
    bool fails;
  };
  const TCase cases[] = {{ccUtf8, "caf\xC3\xA9", true}, {ccEuc, "T\x8F\xAB\xB8kaido", false}};
  for (const TCase& c : cases) {
    TTempFolder folder;
    std::string text;
    for (int i = 1; i < 400; ++i) {
      text += "line " + std::to_string(i) + "\n";
    }
    text += c.lastLine + std::string("\n");
    const std::string file = folder.Write("in.txt", text);
    TSettingOptionItems setting = SettingDefaults();
    setting.OutputCode = ocShiftJis;
    const TJobRun memory = RunJob(folder, setting, {file}, {c.code}, 0);
    const TJobRun runs = RunJob(folder, setting, {file}, {c.code}, 1000);
    const std::string& said = c.fails ? runs.result.message : runs.result.warning;
    EXPECT_NE(said.find("の 400 行目"), std::string::npos) << said;
    EXPECT_EQ(said, c.fails ? memory.result.message : memory.result.warning);
    EXPECT_EQ(runs.result.outcome, c.fails ? TJobOutcome::Failed : TJobOutcome::Finished);
    EXPECT_EQ(runs.output, memory.output);
    EXPECT_EQ(runs.output.empty(), c.fails);
  }
}

TEST(ExternalSort, AFullScratchFolderOrAStopEndsTheJobKeepingTheOldOutput) {
  TTempFolder folder;
  std::mt19937 random(5);
  const std::string file = folder.Write("in.txt", Joined(RandomLines(random, 2000), random, false));
  struct TCase {
    const char* name;
    std::uint64_t space;
    const char* stopAt;
    TJobOutcome outcome;
    const char* message;
  };
  const TCase cases[] = {
      {"disk full while writing runs", 5000, "", TJobOutcome::Failed, "ディスクの空き容量"},
      {"stop while merging", UINT64_MAX, kStatusMerging, TJobOutcome::Stopped, ""},
      {"stop while sorting a run", UINT64_MAX, kStatusSortingRuns, TJobOutcome::Stopped, ""},
  };
  for (const TCase& c : cases) {
    test::WriteBytes(folder.File("out.txt"), "old");
    TScratchFile::SetSpaceForTesting(c.space);
    TSortJobInputs inputs;
    inputs.setting = SettingDefaults();
    inputs.files = {file};
    inputs.codes = {ccShiftJis};
    inputs.outputName = folder.File("out.txt");
    inputs.memoryLimit = 3000;
    inputs.temporaryFolder = folder.Path().string();
    TJobControl control;
    TRecordingHost host(control, true);
    host.stopAt = c.stopAt;
    const TJobResult result = RunSortJob(inputs, host, control);
    TScratchFile::SetSpaceForTesting(UINT64_MAX);
    EXPECT_EQ(result.outcome, c.outcome) << c.name;
    EXPECT_NE(result.message.find(c.message), std::string::npos) << c.name << result.message;
    EXPECT_EQ(test::ReadBytes(folder.File("out.txt")), "old") << c.name;
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      ++entries;
    }
    EXPECT_EQ(entries, 2u) << c.name; // in.txt and out.txt: no scratch file is left
  }
}

TEST(ExternalSort, AMissingScratchFolderIsNamed) {
  TTempFolder folder;
  TSortJobInputs inputs;
  inputs.setting = SettingDefaults();
  inputs.files = {folder.Write("in.txt", "b\r\na\r\n")};
  inputs.codes = {ccShiftJis};
  inputs.outputName = folder.File("out.txt");
  inputs.memoryLimit = 1;
  inputs.temporaryFolder = folder.File("nowhere");
  TJobControl control;
  TRecordingHost host(control, true);
  const TJobResult result = RunSortJob(inputs, host, control);
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_NE(result.message.find(folder.File("nowhere")), std::string::npos) << result.message;
  EXPECT_FALSE(std::filesystem::exists(inputs.outputName));
}

// Pieces end after a line end and never between CR and LF: joined they are the text, and their
// lines are the text's lines.
TEST(PieceReader, PiecesHoldWholeLines) {
  const std::string texts[] = {
      "",
      "a",
      "a\r\nb\r\n",
      "a\r\n\r\nb",
      std::string(5000, 'x') + "\ry",
      "\r\r\n\n\r",
      "abc\r\ndef\r",
      "ab\ncd\ref\r\ngh",
  };
  for (const std::string& text : texts) {
    for (const std::size_t pieceSize : {1, 2, 3, 7, 64, 100000}) {
      std::size_t at = 0;
      TPieceReader reader([&](char* into, std::size_t size) {
        const std::size_t got = std::min(size, text.size() - at);
        std::memcpy(into, text.data() + at, got);
        at += got;
        return got;
      });
      TTextSpace space;
      std::string joined;
      std::vector<std::string> lines;
      TSpaceText piece;
      while (reader.Next(space, pieceSize, piece)) {
        EXPECT_EQ(piece.data()[piece.size()], '\n');
        joined += piece;
        ForEachLine(piece,
                    [&](const char* data, std::size_t size) { lines.emplace_back(data, size); });
      }
      std::vector<std::string> expected;
      ForEachLine(text,
                  [&](const char* data, std::size_t size) { expected.emplace_back(data, size); });
      EXPECT_EQ(joined, text) << pieceSize;
      EXPECT_EQ(lines, expected) << pieceSize;
    }
  }
}

TEST(MemorySize, SuffixesAndBadValues) {
  const struct {
    const char* text;
    std::optional<std::uint64_t> bytes;
  } cases[] = {
      {"256M", 256ULL << 20},
      {"256", 256ULL << 20},
      {"4K", 4096},
      {"4k", 4096},
      {"1G", 1ULL << 30},
      {"2GiB", 2ULL << 30},
      {"3MB", 3ULL << 20},
      {"1T", 1ULL << 40},
      {"0", std::nullopt},
      {"", std::nullopt},
      {"M", std::nullopt},
      {"-1M", std::nullopt},
      {"1.5G", std::nullopt},
      {"12X", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"20000000T", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseMemorySize(c.text), c.bytes) << c.text;
  }
}

} // namespace
} // namespace zorbe
