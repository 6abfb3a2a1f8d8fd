#include "engine/sort_job.h"

#include "engine/job_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace zorbe {
namespace {

using test::Sjis;
using test::TTempFolder;

using test::TRecordingHost;

// The CR LF text of UTF-8 lines, in Shift-JIS.
std::string Text(const std::vector<std::string>& lines) {
  return test::Lines(lines);
}

class SortJobTest : public testing::Test {
protected:
  TJobResult Run(const std::vector<std::string>& files, const std::string& outputName = "") {
    inputs.setting = setting;
    inputs.files = files;
    inputs.codes.assign(files.size(), ccShiftJis);
    inputs.outputName = outputName;
    return RunSortJob(inputs, host, control);
  }
  // Sorts one file of the given lines into out.txt and returns the output lines.
  std::string SortLines(const std::vector<std::string>& lines) {
    const std::string out = folder.File("out.txt");
    std::filesystem::remove(out);
    const TJobResult result = Run({folder.Write("in.txt", Text(lines))}, out);
    EXPECT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
    return test::ReadBytes(out);
  }

  TTempFolder folder;
  TSettingOptionItems setting = SettingDefaults();
  TSortJobInputs inputs;
  TJobControl control;
  TRecordingHost host{control};
};

TEST_F(SortJobTest, ClassesInDefaultOrderThenBytes) {
  EXPECT_EQ(SortLines({"漢字", "ア", "あ", "b", "B", "", "1", "ｱ", "１", "Ａ", "α", "abc", "ab"}),
            Text({"", "1", "B", "ab", "abc", "b", "ｱ", "α", "１", "Ａ", "あ", "ア", "漢字"}));
}

TEST_F(SortJobTest, DescendingKeepsTheClassOrder) {
  setting.SortDirection = 1;
  EXPECT_EQ(SortLines({"ab", "abd", "ア", "あ", "abc"}), Text({"abd", "abc", "ab", "あ", "ア"}));
  setting.CharTypeOrder = false;
  EXPECT_EQ(SortLines({"ab", "あ", "ア"}), Text({"ア", "あ", "ab"}));
}

TEST_F(SortJobTest, ReversedClassOrderPutsKanjiFirstButCommentsBeforeAll) {
  setting.OrderOfRow =
      "全角 - 漢字;全角 - 片仮名;全角 - 平仮名;全角 - 英字;全角 - 数字;全角 - 記号;半角 - 片仮名;"
      "半角 - 英字;半角 - 数字;半角 - 記号;空白、TAB、改行";
  setting.CLTC = "#";
  EXPECT_EQ(SortLines({"a", " x", "漢", "#c", "あ"}), Text({"#c", "漢", "あ", "a", " x"}));
}

TEST_F(SortJobTest, EmptyFileGivesEmptyOutputAndLastLineGetsItsLineEnd) {
  const std::string out = folder.File("out.txt");
  ASSERT_EQ(Run({folder.Write("empty.txt", "")}, out).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), "");
  std::filesystem::remove(out);
  ASSERT_EQ(Run({folder.Write("in.txt", "b\ra\nc")}, out).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), "a\r\nb\r\nc\r\n");
}

TEST_F(SortJobTest, JoinedFilesShareOneOutputWithAllCommentsFirst) {
  setting.CLTC = "#";
  const std::string a = folder.Write("a.txt", Text({"z", "#a1", "y"}));
  const std::string b = folder.Write("sub/b.txt", Text({"#b1", "x"}));
  const std::string c = folder.Write("c.txt", Text({"w", "#c1"}));
  ASSERT_EQ(Run({a, b, c}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(inputs.outputName, folder.File("a[0].txt"));
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")),
            Text({"#a1", "#b1", "#c1", "w", "x", "y", "z"}));
  EXPECT_EQ(host.statuses, (std::vector<std::string>{
                               kStatusReading, kStatusLinePass, kStatusReading, kStatusLinePass,
                               kStatusReading, kStatusLinePass, kStatusSorting, kStatusWriting}));
}

TEST_F(SortJobTest, PerFileOutputsIgnoreTheFixedName) {
  setting.NoConnected = true;
  setting.OutputFilename = "fixed.txt";
  const std::string a = folder.Write("a.txt", Text({"2", "1"}));
  const std::string b = folder.Write("sub/b.txt", Text({"4", "3"}));
  folder.Write("sub/b[0].txt", "taken");
  ASSERT_EQ(Run({a, b}, "ignored.txt").outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), Text({"1", "2"}));
  EXPECT_EQ(test::ReadBytes(folder.File("sub/b[1].txt")), Text({"3", "4"}));
  EXPECT_EQ(test::ReadBytes(folder.File("sub/b[0].txt")), "taken");
  EXPECT_EQ(inputs.outputName, folder.File("sub/b[1].txt"));
  EXPECT_FALSE(std::filesystem::exists(folder.File("fixed.txt")));
  EXPECT_FALSE(std::filesystem::exists("ignored.txt"));
}

TEST_F(SortJobTest, FixedOutputAsksBeforeOverwriting) {
  setting.OutputFolder = folder.File("out");
  setting.OutputFilename = "result.txt";
  const std::string in = folder.Write("in.txt", Text({"b", "a"}));
  const std::string out = folder.Write("out/result.txt", "old");
  ::chmod(out.c_str(), 0640);

  host.answers = {false};
  EXPECT_EQ(Run({in}).outcome, TJobOutcome::Stopped);
  EXPECT_EQ(host.asked, std::vector<std::string>{out});
  EXPECT_EQ(test::ReadBytes(out), "old");

  TJobControl fresh; // the No above set the stop request of the first job
  TRecordingHost yesHost(fresh);
  yesHost.answers = {true};
  inputs.setting = setting;
  inputs.files = {in};
  inputs.codes = {ccShiftJis};
  EXPECT_EQ(RunSortJob(inputs, yesHost, fresh).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), Text({"a", "b"}));
  struct stat st {};
  ::stat(out.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u); // the replaced file keeps its mode
}

TEST_F(SortJobTest, QuotedOutputNameAndOwnInputFile) {
  const std::string in = folder.Write("in.txt", Text({"b", "a"}));
  host.answers = {true};
  ASSERT_EQ(Run({in}, "\"" + in + "\"").outcome, TJobOutcome::Finished);
  EXPECT_EQ(host.asked, std::vector<std::string>{in});
  EXPECT_EQ(inputs.outputName, in); // the name written
  EXPECT_EQ(test::ReadBytes(in), Text({"a", "b"}));
}

// A quote inside a name is part of it: the name checked and asked about is the name written,
// and a file named without the quote is never touched.
TEST_F(SortJobTest, AQuoteInsideANameIsPartOfIt) {
  const std::string unrelated = folder.Write("ab.txt", "keep");
  const std::string in = folder.Write("quo\"te.txt", Text({"b", "a"}));
  folder.Write("quote[0].txt", "keep");
  ASSERT_EQ(Run({in}, folder.File("a\"b.txt")).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("a\"b.txt")), Text({"a", "b"}));
  EXPECT_EQ(test::ReadBytes(unrelated), "keep");
  ASSERT_EQ(Run({in}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(inputs.outputName, folder.File("quo\"te[0].txt"));
  EXPECT_EQ(test::ReadBytes(folder.File("quo\"te[0].txt")), Text({"a", "b"}));
  EXPECT_EQ(test::ReadBytes(folder.File("quote[0].txt")), "keep");
  EXPECT_TRUE(host.asked.empty());
}

// A write-protected output is asked about as such; the answer decides as for any other.
TEST_F(SortJobTest, AWriteProtectedOutputIsAskedAboutAsSuch) {
  const std::string in = folder.Write("in.txt", Text({"b", "a"}));
  const std::string out = folder.Write("out.txt", "old");
  const std::string plain = folder.Write("plain.txt", "old");
  ::chmod(out.c_str(), 0444);
  host.answers = {true, true};
  ASSERT_EQ(Run({in}, out).outcome, TJobOutcome::Finished);
  ASSERT_EQ(Run({in}, plain).outcome, TJobOutcome::Finished);
  EXPECT_EQ(host.asked, (std::vector<std::string>{out, plain}));
  EXPECT_EQ(host.protectedAsked, (std::vector<bool>{true, false}));
  EXPECT_EQ(test::ReadBytes(out), Text({"a", "b"}));
}

TEST_F(SortJobTest, OutputFolderIsCreatedAndEmptyNameWritesNothing) {
  const std::string in = folder.Write("in.txt", Text({"a"}));
  ASSERT_EQ(Run({in}, folder.File("x/y/z/out.txt")).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("x/y/z/out.txt")), Text({"a"}));
  host.statuses.clear();
  ASSERT_EQ(Run({in}, "\"\"").outcome, TJobOutcome::Finished);
  EXPECT_EQ(host.statuses.back(), kStatusSorting); // chosen output empty: no writing phase
}

TEST_F(SortJobTest, UnorderedKeepsInputOrderDuplicatesAndCommentPlaces) {
  setting.SortDirection = 2;
  setting.Duplicate = true;
  setting.CLTC = "#";
  EXPECT_EQ(SortLines({"b", "#x", "a", "b", "a"}), Text({"b", "#x", "a", "b", "a"}));
}

TEST_F(SortJobTest, DuplicatesAfterUndoingKeysAndWithFoldedCase) {
  setting.Duplicate = true;
  EXPECT_EQ(SortLines({"b", "a", "b", "A", "a"}), Text({"A", "a", "b"}));
  setting.Distinction = true;
  const std::string folded = SortLines({"b", "a", "b", "A", "a"});
  EXPECT_TRUE(folded == Text({"a", "b"}) || folded == Text({"A", "b"})) << folded;
}

// NumberOrder: classes by the first character as written, numbers by value within them, equal
// values in different scripts kept apart and in a fixed order, repeats left out.
TEST_F(SortJobTest, NumbersByValueWithClassesDuplicatesAndReverse) {
  setting.NumberOrder = 2;
  setting.Duplicate = true;
  const std::vector<std::string> lines = {"第10章", "二", "02", "2",  "１０",   "第2章", "2",
                                          "十",     "２", "10", "二", "第二章", "a"};
  EXPECT_EQ(SortLines(lines),
            Text({"2", "02", "10", "a", "２", "１０", "二", "十", "第2章", "第二章", "第10章"}));
  setting.SortDirection = 1;
  EXPECT_EQ(SortLines(lines),
            Text({"10", "02", "2", "a", "１０", "２", "第10章", "第二章", "第2章", "十", "二"}));
  setting.SortDirection = 0;
  setting.CharTypeOrder = false;
  setting.NumberOrder = 1;
  EXPECT_EQ(SortLines(lines),
            Text({"2", "２", "02", "10", "１０", "a", "十", "第2章", "第10章", "第二章", "二"}));
}

// A comma groups digits, unless it delimits the columns of a column key.
TEST_F(SortJobTest, NumbersInColumnKeys) {
  setting.NumberOrder = 1;
  setting.CharTypeOrder = false;
  EXPECT_EQ(SortLines({"1,234", "2"}), Text({"2", "1,234"}));
  setting.CsvSupport = true; // the key: the line's fields as they stand
  EXPECT_EQ(SortLines({"2", "1,234"}), Text({"1,234", "2"}));
  setting.CsvDelimiter = dkSpace; // the key: field 1 in front
  setting.TargetCsvIndex = 1;
  EXPECT_EQ(SortLines({"x 1,234", "y 20", "z 3"}), Text({"z 3", "y 20", "x 1,234"}));
}

TEST_F(SortJobTest, AFirstLineEqualToTheOldPlaceholderIsKept) {
  setting.Duplicate = true;
  EXPECT_EQ(SortLines({"ユニークな文字列_123456ABCDabcd by Quillon"}),
            Text({"ユニークな文字列_123456ABCDabcd by Quillon"}));
}

TEST_F(SortJobTest, BlankLinesTrimmingAndDeletion) {
  setting.ReturnDel = true;
  setting.FBSpaceDel = true;
  EXPECT_EQ(SortLines({"b", "", "   ", " a "}), Text({"", "a", "b"}));
  setting.DelChars = folder.Write("del.txt", Text({"abc", ""}));
  setting.Distinction = true;
  EXPECT_EQ(SortLines({"abc", "ABC", "abcd", "   "}), Text({"abcd"}));
  setting.Distinction = false;
  EXPECT_EQ(SortLines({"abc", "ABC"}), Text({"ABC"}));
}

TEST_F(SortJobTest, EveryLineACommentKeepsInputOrder) {
  setting.CLTC = "#;";
  EXPECT_EQ(SortLines({"c", "a", "b"}), Text({"c", "a", "b"}));
}

TEST_F(SortJobTest, ColumnKeyIsUndoneUnlessNotRestored) {
  setting.CsvSupport = true;
  setting.TargetCsvIndex = 2;
  setting.InsertCsvIndex = 0;
  EXPECT_EQ(SortLines({"a,b,z,d", "b,c,y,e", "short"}), Text({"short", "b,c,y,e", "a,b,z,d"}));
  setting.CsvNotRestore = true;
  EXPECT_EQ(SortLines({"a,b,z,d", "b,c,y,e"}), Text({"y,b,c,e", "z,a,b,d"}));
  setting.CsvNotRestore = false;
  setting.CsvDelimiter = 3; // not a delimiter of the column key: read as the comma
  EXPECT_EQ(SortLines({"a;x,b,z,d", "b,c,y,e"}), Text({"b,c,y,e", "a;x,b,z,d"}));
  setting.CsvDelimiter = 0;
  setting.SortDirection = 2;
  setting.CLTC = "#";
  EXPECT_EQ(SortLines({"a,b,z", "#a,b,c"}), Text({"a,b,z", "#a,b,c"}));
}

// A restored line is the line read, byte for byte, whatever the key made of it: the key splits
// at quotes and control bytes and joins the fields with delimiters. Lines from a dictionary
// (edict, space), message catalogues (comma, TAB) and made-up ones. Only the order changes; in
// the order "none" not even that.
TEST_F(SortJobTest, RestoredLinesAreTheLinesReadWhateverTheKeyMadeOfThem) {
  const std::vector<std::string> lines = {
      "あっと /(adv) saying \"Ah!\"/making one say \"Ah!\"/surprisingly/astonishingly/",
      "だめる /(int) \"Shut up!\"/\"Be quiet!\"/",
      "ばあ /(int) boo! (as in \"peak-a-boo!\")/",
      "\"            -> \\\"1.0K\\\"\\n\"",
      "\"        (in kB/s, or use suffix \\\"k\\\" or \\\"M\\\")\\n\"",
      "\"\t-h \\\"\\\" prints a blank line, don't use -h\\\"\\\"\\n\"",
      "a\x01"
      "b,c d\te",
      "\x02lead, \"open quote",
      "\"x\"y,z \"\"w\"\" q",
      "  blanks , at ,both ends  ",
  };
  std::vector<std::string> read;
  for (const std::string& line : lines) {
    read.push_back(Sjis(line) + "\r\n");
  }
  std::sort(read.begin(), read.end());
  setting.CsvSupport = true;
  for (const int delimiter : {0, 1, 2}) {
    for (const auto& [target, insert] : {std::pair{1, 0}, {0, 2}, {2, 0}, {3, 1}}) {
      setting.CsvDelimiter = delimiter;
      setting.TargetCsvIndex = target;
      setting.InsertCsvIndex = insert;
      setting.SortDirection = 0;
      const std::string sorted = SortLines(lines);
      std::vector<std::string> written;
      for (std::size_t at = 0; at < sorted.size();) {
        const std::size_t end = sorted.find("\r\n", at) + 2;
        written.push_back(sorted.substr(at, end - at));
        at = end;
      }
      std::sort(written.begin(), written.end());
      EXPECT_EQ(written, read) << "delimiter " << delimiter << ", " << target << "->" << insert;
      setting.SortDirection = 2;
      EXPECT_EQ(SortLines(lines), Text(lines)) << "delimiter " << delimiter;
    }
  }
}

// Lines whose keys are the same bytes but that are written differently come out in the order of
// their written lines, so a repeated line comes right after itself and Duplicate removes it.
TEST_F(SortJobTest, LinesWithTheSameKeyGoByTheirWrittenLines) {
  setting.CsvSupport = true;
  setting.CsvDelimiter = dkSpace;
  setting.TargetCsvIndex = 1;
  setting.Duplicate = true;
  // "a" "b"c and "a" "b" c are both keyed as "b" "a" c.
  EXPECT_EQ(SortLines({"\"a\" \"b\"c", "\"a\" \"b\" c", "\"a\" \"b\"c"}),
            Text({"\"a\" \"b\" c", "\"a\" \"b\"c"}));
}

// A restored line is the line as the setting writes it with the column key off: trimmed as it
// stands, whatever the key's fields.
TEST_F(SortJobTest, ARestoredLineIsTrimmedAsItStands) {
  setting.SortDirection = 2;
  setting.CsvSupport = true;
  setting.FBSpaceDel = true;
  const struct {
    int delimiter, target, insert;
    std::string line, written;
  } cases[] = {
      {1, 2, 0, "a  b", "a  b"},       {2, 2, 0, "a\t\tb", "a\t\tb"},
      {1, 0, 2, "  a b", "a b"},       {1, 1, 0, " a b", "a b"},
      {1, 0, 0, "a b ", "a b"},        {0, 1, 2, "a,b ,c", "a,b ,c"}, // a blank inside stays
      {0, 2, 0, "  a,b,c  ", "a,b,c"}, {1, 3, 0, "a  b  ", "a  b"},
  };
  for (const auto& c : cases) {
    setting.CsvDelimiter = c.delimiter;
    setting.TargetCsvIndex = c.target;
    setting.InsertCsvIndex = c.insert;
    EXPECT_EQ(SortLines({c.line}), Text({c.written})) << c.line;
  }
}

// The same over generated lines of words, blanks and TABs: the words of every written line are
// the words of its input line, in their order.
TEST_F(SortJobTest, TrimmedColumnsKeepTheirOrderOnGeneratedLines) {
  setting.SortDirection = 2;
  setting.CsvSupport = true;
  setting.FBSpaceDel = true;
  std::mt19937 random(15);
  const char pieces[] = {' ', '\t', 'a', 'b', 'c'};
  std::vector<std::string> lines;
  for (int i = 0; i < 400; ++i) {
    std::string line;
    for (int n = random() % 9; n > 0; --n) {
      line += pieces[random() % 5];
    }
    lines.push_back(line);
  }
  auto words = [](const std::string& line) {
    std::vector<std::string> found;
    std::string word;
    for (const char c : line + " ") {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        if (!word.empty()) {
          found.push_back(word);
        }
        word.clear();
      } else {
        word += c;
      }
    }
    return found;
  };
  for (const int delimiter : {1, 2}) {
    for (const auto& [target, insert] : {std::pair{2, 0}, {0, 2}, {1, 3}, {3, 1}}) {
      setting.CsvDelimiter = delimiter;
      setting.TargetCsvIndex = target;
      setting.InsertCsvIndex = insert;
      const std::string written = SortLines(lines);
      std::size_t start = 0;
      for (const std::string& line : lines) {
        const std::size_t end = written.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(words(written.substr(start, end - start)), words(line))
            << "[" << line << "] delimiter " << delimiter << " " << target << "->" << insert;
        start = end + 2;
      }
    }
  }
}

// Names in a setting may be absolute or start at the home folder ("~/"): an absolute output
// name is not put below the input's folder, and "~" is never a folder of its own.
TEST_F(SortJobTest, SettingNamesMayBeAbsoluteOrStartAtTheHomeFolder) {
  const test::TScopedEnvironment home("HOME", folder.Path().string());
  folder.Write("del.txt", Text({"b"}));
  setting.DelChars = "~/del.txt";
  setting.OutputFilename = folder.File("abs/out.txt");
  const std::string in = folder.Write("in/in.txt", Text({"c", "b", "a"}));
  ASSERT_EQ(Run({in}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("abs/out.txt")), Text({"a", "c"}));
  EXPECT_FALSE(std::filesystem::exists(folder.File("in") + folder.File("abs")));

  setting.OutputFilename.clear();
  setting.OutputFolder = "~/zz";
  ASSERT_EQ(Run({in}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("zz/in[0].txt")), Text({"a", "c"}));
  EXPECT_FALSE(std::filesystem::exists("~"));
}

TEST_F(SortJobTest, PositionKeyComparesFromTheCount) {
  setting.CharPos = true;
  setting.CharPosCount = 2;
  EXPECT_EQ(SortLines({"01abc", "99abb", "5"}), Text({"5", "99abb", "01abc"}));
  setting.LineEndCount = true;
  setting.CharPosCount = 3;
  EXPECT_EQ(SortLines({"abc123", "zzz001"}), Text({"zzz001", "abc123"}));
}

TEST_F(SortJobTest, CaseConversionChangesTheWrittenText) {
  setting.AlphaUL = 2;
  EXPECT_EQ(SortLines({"abc", "ア"}), Text({"ABC", "ア"}));
}

TEST_F(SortJobTest, StopInEachPhaseKeepsTheEarlierOutputAndLeavesNoTemporaryFile) {
  // An EUC-JP target with a replacement file passes through every phase of the job.
  const std::string in = folder.Write("in.txt", "b\r\n\xA4\xA2\r\na\r\n");
  const std::string out = folder.Write("out.txt", "earlier");
  setting.Replacement = folder.Write("rules.txt", "a,x\r\n");
  for (const char* phase : {kStatusReading, kStatusConverting, kStatusReplacing, kStatusLinePass,
                            kStatusSorting, kStatusWriting}) {
    TJobControl stopControl;
    TRecordingHost stopHost(stopControl);
    stopHost.stopAt = phase;
    stopHost.answers = {true};
    inputs = {setting, {in}, {ccEuc}, out};
    EXPECT_EQ(RunSortJob(inputs, stopHost, stopControl).outcome, TJobOutcome::Stopped) << phase;
    EXPECT_NE(std::find(stopHost.statuses.begin(), stopHost.statuses.end(), phase),
              stopHost.statuses.end())
        << phase;
    EXPECT_EQ(test::ReadBytes(out), "earlier") << phase;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"in.txt", "out.txt", "rules.txt"})) << phase;
  }
}

TEST_F(SortJobTest, StopBeforeAnEmptyOutputStillCreatesIt) {
  host.stopAt = kStatusReading;
  const std::string out = folder.File("out.txt");
  EXPECT_EQ(Run({folder.Write("empty.txt", "")}, out).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), "");
}

TEST_F(SortJobTest, UnreadableTargetFailsNamingItAndKeepsTheOldOutput) {
  const std::string out = folder.Write("out.txt", "earlier");
  const TJobResult result = Run({folder.Write("a.txt", "a"), folder.File("missing.txt")}, out);
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_NE(result.message.find(folder.File("missing.txt")), std::string::npos);
  EXPECT_EQ(test::ReadBytes(out), "earlier");
}

TEST_F(SortJobTest, OutputThatCannotBeCreatedFails) {
  const std::string blocker = folder.Write("file", "x");
  const TJobResult result = Run({folder.Write("a.txt", "a")}, blocker + "/sub/out.txt");
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_NE(result.message.find(blocker), std::string::npos);
}

TEST_F(SortJobTest, NoFilesEndsAtOnce) {
  EXPECT_EQ(Run({}).outcome, TJobOutcome::Finished);
  EXPECT_TRUE(host.statuses.empty());
}

TEST_F(SortJobTest, EucAndJisFilesSortLikeTheirShiftJisOriginal) {
  // Mixed line ends and no line end at the end; no half-width katakana (ISO-2022-JP has none).
  const std::string sjis = Sjis("ソート\r\nあいう\n能力\r表示\r\nABC\r\n\r\n漢字と、かな\r\nかな");
  const std::string out = folder.File("out.txt");
  Run({folder.Write("sjis.txt", sjis)}, out);
  const std::string expected = test::ReadBytes(out);
  ASSERT_FALSE(expected.empty());
  const struct {
    TCharCode code;
    const char* iconvName;
  } codes[] = {{ccEuc, "EUC-JP"}, {ccJis83, "ISO-2022-JP"}, {ccJis78, "ISO-2022-JP"}};
  for (const auto& c : codes) {
    const std::string converted = test::Recode(sjis, "CP932", c.iconvName);
    const std::string in = folder.Write("in-" + CharCodeName(c.code) + ".txt", converted);
    std::filesystem::remove(out);
    host.statuses.clear();
    inputs = {setting, {in}, {c.code}, out};
    ASSERT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Finished)
        << CharCodeName(c.code);
    EXPECT_EQ(test::ReadBytes(out), expected) << CharCodeName(c.code);
    EXPECT_EQ(host.statuses[1], kStatusConverting);
  }
}

TEST_F(SortJobTest, WidthConversionsInTheLinePass) {
  setting.Num = 1;
  setting.Duplicate = true;
  EXPECT_EQ(SortLines({"１２", "12"}), Text({"12"}));
  setting = SettingDefaults();
  setting.Pun = 1;
  EXPECT_EQ(SortLines({"a，b"}), Text({"a,b"}));
  setting.CsvSupport = true; // symbols are left alone in CSV mode
  EXPECT_EQ(SortLines({"a，b"}), Text({"a，b"}));
  setting = SettingDefaults();
  setting.KataKana = 2;
  setting.Alpha = 2;
  setting.AlphaUL = 2;
  setting.CLTC = "#";
  // Letter case is ASCII's only: the letters made full width keep their case.
  EXPECT_EQ(SortLines({"ﾊﾟｿｺﾝ", "#ab", "", "x"}), Text({"#ａｂ", "", "ｘ", "パソコン"}));
}

TEST_F(SortJobTest, OtherCodesShowTheConversionPhase) {
  const std::string in = folder.Write("in.txt", "b\r\na\r\n");
  inputs = {setting, {in}, {ccUtf8}, folder.File("out.txt")};
  ASSERT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Finished);
  EXPECT_EQ(host.statuses[1], kStatusConverting);
  EXPECT_EQ(test::ReadBytes(folder.File("out.txt")), "a\r\nb\r\n");
}

// The job's progress as the terminal line and the status-bar bar read it: each phase starts
// with its amount of work and the input bytes it stands for, and the loops count lines done.
TEST_F(SortJobTest, ProgressNamesEachPhaseWithItsAmountOfWork) {
  struct TProgressHost : TRecordingHost {
    using TRecordingHost::TRecordingHost;
    void ShowStatus(const std::string& statusText) override {
      TRecordingHost::ShowStatus(statusText);
      seen.push_back(progress->Snapshot());
    }
    const TJobProgress* progress = nullptr;
    std::vector<TProgressSnapshot> seen;
  } watcher{control};
  watcher.progress = &control.Progress();
  const std::size_t lineCount = 3 * kProgressStep + 5;
  std::string text;
  for (std::size_t i = 0; i < lineCount; ++i) {
    text += std::to_string(lineCount - i) + "\r\n";
  }
  inputs.setting = setting;
  inputs.files = {folder.Write("in.txt", text)};
  inputs.codes = {ccShiftJis};
  inputs.outputName = folder.File("out.txt");
  ASSERT_EQ(RunSortJob(inputs, watcher, control).outcome, TJobOutcome::Finished);

  const struct {
    const char* phase;
    std::uint64_t total;
    std::uint64_t inputBytes;
  } expected[] = {
      {kStatusReading, 0, 0},
      {kStatusLinePass, lineCount, text.size()},
      {kStatusSorting, 0, text.size()},
      {kStatusWriting, lineCount, text.size()},
  };
  ASSERT_EQ(watcher.seen.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_STREQ(watcher.seen[i].phase, expected[i].phase);
    EXPECT_EQ(watcher.seen[i].done, 0u) << expected[i].phase;
    EXPECT_EQ(watcher.seen[i].total, expected[i].total) << expected[i].phase;
    EXPECT_EQ(watcher.seen[i].inputBytes, expected[i].inputBytes) << expected[i].phase;
  }
  const TProgressSnapshot last = control.Progress().Snapshot();
  EXPECT_STREQ(last.phase, kStatusWriting);
  EXPECT_EQ(last.done, 3 * kProgressStep); // counted in steps: the rest is less than one
}

} // namespace
} // namespace zorbe
