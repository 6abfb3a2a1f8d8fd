// The built program on real files: relative names, settings in the program folder, questions
// answered on standard input, exit statuses, and Ctrl+C.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using test::Sjis;

class CommandLineE2E : public testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(folder.Path() / "bin");
    std::filesystem::copy_file(ZORBE_EXECUTABLE, program);
    std::filesystem::create_directories(work);
  }
  test::TRunResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    test::TRunOptions options;
    options.input = input;
    return test::RunProgram(program, args, work.string(), options);
  }
  std::string Work(const std::string& name) const { return (work / name).string(); }

  test::TTempFolder folder;
  std::string program = (folder.Path() / "bin" / "zorbe").string();
  std::filesystem::path work = folder.Path() / "work";
};

TEST_F(CommandLineE2E, SortsRelativeNamesInTheWorkingFolder) {
  test::WriteBytes(Work("in.txt"), Sjis("さくら\r\nりんご\nあんず\rABC\r\n# メモ\r\n"));
  const test::TRunResult run = Run({"/s", "out.txt", "in.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")),
            Sjis("# メモ\r\nABC\r\nあんず\r\nさくら\r\nりんご\r\n"));
}

TEST_F(CommandLineE2E, EucAndJisFilesAreDetectedAndConverted) {
  const std::string sjis = Sjis("ソート\r\nあいう\r\n表示\r\nABC\r\n漢字と、かな\r\n");
  test::WriteBytes(Work("sjis.txt"), sjis);
  ASSERT_EQ(Run({"/s", "sjis-out.txt", "sjis.txt"}).status, 0);
  const std::string expected = test::ReadBytes(Work("sjis-out.txt"));
  for (const char* code : {"EUC-JP", "ISO-2022-JP"}) {
    test::WriteBytes(Work("in.txt"), test::Recode(sjis, "CP932", code));
    std::filesystem::remove(Work("out.txt"));
    const test::TRunResult run = Run({"/s", "out.txt", "in.txt"});
    EXPECT_EQ(run.status, 0) << code << run.err;
    EXPECT_EQ(test::ReadBytes(Work("out.txt")), expected) << code;
  }
}

TEST_F(CommandLineE2E, SettingFromTheProgramFolder) {
  test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(),
                   "[逆順]\nSortDirection=1\nDuplicate=1\nCLTC=#\nNoConnected=1\n");
  test::WriteBytes(Work("in.txt"), "a\r\n#c\r\nb\r\na\r\n");
  const test::TRunResult run = Run({"逆順", "in.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("in[0].txt")), "#c\r\nb\r\na\r\n");
  EXPECT_EQ(run.err, ""); // a per-file setting asks nothing
}

TEST_F(CommandLineE2E, OverwriteQuestionAnsweredOnStandardInput) {
  test::WriteBytes(Work("in.txt"), "b\r\na\r\n");
  test::WriteBytes(Work("out.txt"), "old");
  for (const char* no : {"", "n\n", "nein\n"}) {
    const test::TRunResult run = Run({"/s", "out.txt", "in.txt"}, no);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("同名のファイルが既に存在します。\n上書きしますか？"),
              std::string::npos);
    EXPECT_NE(run.err.find("ソートを中止しました。"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(Work("out.txt")), "old");
  }
  for (const char* yes : {"y\n", "YES\n", "はい\n"}) {
    test::WriteBytes(Work("out.txt"), "old");
    const test::TRunResult run = Run({"/s", "out.txt", "in.txt"}, yes);
    EXPECT_EQ(run.status, 0) << yes;
    EXPECT_EQ(test::ReadBytes(Work("out.txt")), "a\r\nb\r\n");
  }
}

TEST_F(CommandLineE2E, OutputNameQuestionWithoutSwitch) {
  test::WriteBytes(Work("a.txt"), "2\r\n");
  test::WriteBytes(Work("b.txt"), "1\r\n");
  test::TRunResult run = Run({"a.txt", "b.txt"}, "n\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("「a.txt」は、保存ファイル名ですか？"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(Work("a[0].txt")), "1\r\n2\r\n");
  run = Run({"a.txt", "b.txt"}, "y\ny\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("a.txt")), "1\r\n");
}

TEST_F(CommandLineE2E, ErrorsAndUsage) {
  test::TRunResult run = Run({"/s", "out.txt", "missing.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("「missing.txt」は存在しません。\n処理を中止します。"), std::string::npos);

  test::WriteBytes(Work("in.txt"), "x\r\n");
  std::filesystem::create_directory(Work("dir"));
  run = Run({"/s", "dir", "in.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("dir"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(Work("dir")));

  run = Run({});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Usage: zorbe"), std::string::npos);
  run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Usage: zorbe"), std::string::npos);
  run = Run({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Zorbe 2nd ", 0), 0u);
}

// `yes |` would answer the output-name question too and replace the first file: the help says
// what Yes means and names the safe forms.
TEST_F(CommandLineE2E, HelpSaysWhatYesMeansAndHowToRunUnattended) {
  const test::TRunResult run = Run({"--help"});
  EXPECT_NE(run.out.find("Yes overwrites it"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("</dev/null"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("yes |"), std::string::npos) << run.out;
}

TEST_F(CommandLineE2E, EmptyArgumentNeverTurnsAnInputIntoTheOutput) {
  test::WriteBytes(Work("a.txt"), "2\r\n");
  test::WriteBytes(Work("b.txt"), "1\r\n");
  const test::TRunResult run = Run({"/s", "", "a.txt", "b.txt"}, "y\ny\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("2 番目の引数が空です。"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("a.txt")), "2\r\n");
}

// Standard input as a target is read whole, and a question never takes a line of it.
TEST_F(CommandLineE2E, StandardInputIsATargetAndNoQuestionReadsIt) {
  test::TRunResult run = Run({"/s", "o.txt", "/dev/stdin"}, "b\r\na\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("o.txt")), "a\r\nb\r\n");

  test::WriteBytes(Work("first.txt"), "c\r\n");
  run = Run({"first.txt", "/dev/stdin"}, "y\nb\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("「first.txt」は、保存ファイル名ですか？"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(Work("first.txt")), "c\r\n");
  EXPECT_EQ(test::ReadBytes(Work("first[0].txt")), "b\r\nc\r\ny\r\n");
}

TEST_F(CommandLineE2E, FolderArgumentIsSortedInNameOrder) {
  test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(), "[keep]\nSortDirection=2\n");
  std::filesystem::create_directories(work / "words" / "more");
  test::WriteBytes(Work("words/b.txt"), "b\r\n");
  test::WriteBytes(Work("words/a.txt"), "a\r\n");
  test::WriteBytes(Work("words/more/c.txt"), "c\r\n");
  test::WriteBytes(Work("words/picture.png"), std::string("\x89PNG\r\n\x1a\n\0\0", 10));
  const test::TRunResult run = Run({"/s", "keep", "out.txt", "words"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "a\r\nb\r\nc\r\n");
  EXPECT_NE(run.err.find("「words/picture.png」はテキストファイルではありません。"),
            std::string::npos)
      << run.err;
}

TEST_F(CommandLineE2E, ReplacementFileRewritesTheTextAndAnInvalidRuleEndsWithStatus1) {
  const std::string rules = Work("rules.txt");
  test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(),
                   "[置換]\nSortDirection=2\nReplacement=" + rules + "\n");
  test::WriteBytes(Work("in.txt"), Sjis("りんご\r\nみかん\r\n"));
  test::WriteBytes(rules, Sjis("ご\\r\\n,ご・\r\nみ,ミ\r\n"));
  test::TRunResult run = Run({"/s", "置換", "out.txt", "in.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), Sjis("りんご・ミかん\r\n"));

  test::WriteBytes(rules, Sjis("み,ミ\r\n(ん,x\r\n"));
  run = Run({"/s", "置換", "out.txt", "in.txt"}, "y\n");
  EXPECT_EQ(run.status, 1);
  const std::string message = "置換用ファイル 2行目の正規表現に誤りがあります。\n「 "
                              "右(閉じ)括弧が必要です 」\n\n処理を中止します。";
  EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("処理を中止します。"), run.err.rfind("処理を中止します。")) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), Sjis("りんご・ミかん\r\n"));
}

TEST_F(CommandLineE2E, InterruptDuringTheQuestionCancelsAndKeepsTheFile) {
  test::WriteBytes(Work("in.txt"), "b\r\na\r\n");
  test::WriteBytes(Work("out.txt"), "old");
  test::TRunOptions options;
  options.keepInputOpen = true;
  options.whileRunning = [](int pid, const std::string& err) {
    if (err.find("[y/N]") == std::string::npos) {
      return false;
    }
    ::kill(pid, SIGINT);
    return true;
  };
  const test::TRunResult run =
      test::RunProgram(program, {"/s", "out.txt", "in.txt"}, work.string(), options);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), {}),
            2); // no temporary file left
}

} // namespace
} // namespace zorbe
