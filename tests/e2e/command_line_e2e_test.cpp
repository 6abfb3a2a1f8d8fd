// The built program on real files: relative names, settings in the program folder, questions
// answered on standard input, exit statuses, and Ctrl+C.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbe {
namespace {

using namespace std::chrono_literals;

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

// A filter: standard input read whole, the sorted lines on standard output, through pipes; no
// question reads the input, and the temporary output goes.
TEST_F(CommandLineE2E, FilterFromStandardInputToStandardOutput) {
  test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(), "[rev]\nSortDirection=1\n");
  std::filesystem::create_directories(folder.Path() / "tmp");
  test::TRunOptions options;
  options.environment = {"TMPDIR=" + (folder.Path() / "tmp").string()};
  options.input = Sjis("あ\r\nう\r\nい\r\n");
  test::TRunResult run =
      test::RunProgram(program, {"--setting=rev", "-o", "-", "-"}, work, options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Sjis("う\r\nい\r\nあ\r\n"));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "tmp"));

  // Standard input first and no output named: standard output too. A second file joins in.
  test::WriteBytes(Work("b.txt"), "b\r\n");
  options.input = "c\r\na\r\n";
  run = test::RunProgram(program, {"-", "b.txt"}, work, options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(run.err.empty()) << run.err;
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "tmp"));

  // Standard output redirected to a file (written through a temporary file of its own), and
  // appended to: the shell's redirections mean what they say.
  test::WriteBytes(Work("in.txt"), "y\r\nx\r\n");
  test::WriteBytes(Work("log.txt"), "earlier\r\n");
  options.input.clear();
  run = test::RunProgram(
      "/bin/sh",
      {"-c", "\"$0\" -o - - < in.txt > sorted.txt && \"$0\" - < in.txt >> log.txt", program}, work,
      options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("sorted.txt")), "x\r\ny\r\n");
  EXPECT_EQ(test::ReadBytes(Work("log.txt")), "earlier\r\nx\r\ny\r\n");
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "tmp"));
}

// The options that never ask: -o names the output without the question, -y replaces it,
// --batch answers the overwrite question No, and -q leaves out all but errors.
TEST_F(CommandLineE2E, OptionsNameTheOutputAndAnswerTheQuestions) {
  test::WriteBytes(Work("a.txt"), "2\r\n1\r\n");
  test::WriteBytes(Work("out.txt"), "old\r\n");
  test::TRunResult run = Run({"a.txt", "--batch", "-o", "out.txt"}, "y\n");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("上書きしますか？"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("保存ファイル名ですか"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "old\r\n");

  // A folder with a file that can't be sorted: its warning is left out with -q.
  std::filesystem::create_directories(Work("dir"));
  test::WriteBytes(Work("dir/a.txt"), "2\r\n1\r\n");
  test::WriteBytes(Work("dir/b.bin"), std::string("\x00\x01\x02", 3));
  run = Run({"-o", "out.txt", "-y", "dir"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("次のファイルはソートしません。"), std::string::npos) << run.err;
  test::WriteBytes(Work("out.txt"), "old\r\n");
  run = Run({"-q", "--output=out.txt", "-y", "dir"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "1\r\n2\r\n");
  EXPECT_EQ(test::ReadBytes(Work("dir/a.txt")), "2\r\n1\r\n");
}

TEST_F(CommandLineE2E, ListSettingsDetectAndUsageErrors) {
  test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(),
                   "[Option]\nTop=1\n[words]\nSortDirection=1\n[-dash]\n");
  test::TRunResult run = Run({"--list-settings"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "words\n-dash\n");

  test::WriteBytes(Work("s.txt"), Sjis("日本語のテキストです。\r\n"));
  test::WriteBytes(Work("u.txt"), "日本語のテキストです。\n");
  // "日本語のテキストです。" in JIS.
  run = Run({"--detect", "s.txt", "u.txt", "-"}, "\x1b$BF|K\\8l$N%F%-%9%H$G$9!#\x1b(B\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "s.txt: S-JIS\nu.txt: UTF-8\n-: JIS83\n");
  EXPECT_EQ(run.err, ""); // nothing asked
  run = Run({"--detect", "s.txt", "missing.txt", "u.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "s.txt: S-JIS\nu.txt: UTF-8\n");
  EXPECT_NE(run.err.find("missing.txt"), std::string::npos) << run.err;
  // A folder stands for its files in name order; a file a sort would refuse is named with why,
  // and the status says that not every file would be sorted.
  std::filesystem::create_directory(Work("dir"));
  test::WriteBytes(Work("dir/b.bin"), std::string("\0\1\2", 3));
  test::WriteBytes(Work("dir/a.txt"), Sjis("あ\r\n"));
  run = Run({"--detect", "dir"});
  EXPECT_EQ(run.status, 1) << run.err; // not every file would be sorted
  EXPECT_EQ(run.out, "dir/a.txt: S-JIS\ndir/b.bin: BINARY\n");
  EXPECT_NE(run.err.find("「dir/b.bin」はテキストファイルではありません。"), std::string::npos)
      << run.err;

  const struct {
    std::vector<std::string> args;
    std::string message;
  } usage[] = {
      {{"--bogus", "s.txt"}, "「--bogus」は不明なオプションです。"},
      {{"--setting=nothing", "s.txt"}, "ソート設定「nothing」はありません。"},
      {{"/s", "words", "o.txt", "-o", "p.txt", "s.txt"},
       "/s と -o (--output) は同時に使えません。"},
  };
  for (const auto& u : usage) {
    run = Run(u.args);
    EXPECT_EQ(run.status, 2) << u.message;
    EXPECT_NE(run.err.find(u.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: zorbe [OPTION]..."), std::string::npos) << run.err;
  }
}

// The README's examples run with the settings examples/zorbe.ini ships.
TEST_F(CommandLineE2E, TheReadmeExamplesRunWithTheShippedSettings) {
  std::filesystem::copy_file(std::string(ZORBE_SOURCE_DIR) + "/examples/zorbe.ini",
                             folder.Path() / "bin" / "zorbe.ini");
  test::WriteBytes(Work("a.txt"), Sjis("りんご\r\n\r\n あんず \r\nりんご\r\n"));
  test::WriteBytes(Work("b.txt"), Sjis("かき\r\n"));
  test::TRunResult run = Run({"--batch", "--setting=words", "-o", "out.txt", "a.txt", "b.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), Sjis("あんず\r\nかき\r\nりんご\r\n"));
  run = Run({"words", "-"}, Sjis("りんご\r\nあんず\r\n"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Sjis("あんず\r\nりんご\r\n"));
  run = Run({"/s", "sample", "sample.txt", "a.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
}

// A sort that runs for hours until it is stopped: its replacement rule searches the whole rest of
// a large text from every position and finds nothing.
class ProgressE2E : public CommandLineE2E {
protected:
  void SetUp() override {
    CommandLineE2E::SetUp();
    // Thousands of rules that each replace every word of the text by itself: minutes of work on
    // any machine, so the sort is still replacing when the test stops it.
    std::string rules;
    for (int i = 0; i < 2000; ++i) {
      rules += "[a-z]+,&\r\n";
    }
    test::WriteBytes(Work("rules.txt"), rules);
    test::WriteBytes((folder.Path() / "bin" / "zorbe.ini").string(),
                     "[slow]\nReplacement=" + Work("rules.txt") + "\n");
    std::string text;
    for (int i = 0; i < 100'000; ++i) {
      text += "abc def ghi\r\n";
    }
    test::WriteBytes(Work("in.txt"), text);
  }
  const std::vector<std::string> args = {"--setting=slow", "-o", "out.txt", "in.txt"};
};

// On a terminal the progress line names the phase and is erased when the sort ends (here by
// Ctrl+C, which also removes the unfinished output).
TEST_F(ProgressE2E, ProgressLineOnATerminalIsErasedAtTheEnd) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string terminal = ::ptsname(master);
  // Everything the child needs is made before fork: after it, only system calls.
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) {
    argv.push_back(const_cast<char*>(a.c_str()));
  }
  argv.push_back(nullptr);
  std::vector<char*> env; // without a display: the questions stay on the terminal
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    if (!entry.starts_with("DISPLAY=") && !entry.starts_with("WAYLAND_DISPLAY=")) {
      env.push_back(*e);
    }
  }
  env.push_back(nullptr);
  const std::string workFolder = work.string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int slave = ::open(terminal.c_str(), O_RDWR);
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, 0);
    ::dup2(devNull, 1);
    ::dup2(slave, 2);
    if (::chdir(workFolder.c_str()) != 0) {
      ::_exit(127);
    }
    ::execve(program.c_str(), argv.data(), env.data());
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  std::string shown;
  bool interrupted = false;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    pollfd fd{master, POLLIN, 0};
    if (::poll(&fd, 1, 100) > 0) {
      char buffer[4096];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) {
        break; // the program has ended and closed the terminal
      }
      shown.append(buffer, static_cast<std::size_t>(n));
    }
    const bool drawn = shown.find("文字列置換中") != std::string::npos;
    if (!interrupted && (drawn || std::chrono::steady_clock::now() - start > 60s)) {
      ::kill(pid, SIGINT);
      interrupted = true;
    }
  }
  ::close(master);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  const std::size_t drawn = shown.find("\r文字列置換中");
  ASSERT_NE(drawn, std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\x1b[K", drawn), std::string::npos) << shown;
  EXPECT_FALSE(std::filesystem::exists(Work("out.txt")));
}

// Standard error that is not a terminal gets no progress, unless --progress asks for it: then
// in plain lines. The run is held inside the writing of its output (the write gate) until it
// has run well past the progress line's delay, or, when asked for, until the line is there;
// then Ctrl+C ends it, however fast the sort.
TEST_F(ProgressE2E, NoProgressLineWhenStandardErrorIsNotATerminal) {
  for (const bool asked : {false, true}) {
    std::vector<std::string> argsHere = {"-o", "out.txt", "in.txt"};
    if (asked) {
      argsHere.push_back("--progress");
    }
    const test::TWriteGate gate(folder.File("gate"), work.string(),
                                [](int pid) { test::SignalTaken(pid, SIGINT); });
    test::TRunOptions options = gate.Options();
    const auto start = std::chrono::steady_clock::now();
    options.whileRunning = [&, atGate = options.whileRunning](int pid, const std::string& err) {
      const bool held = err.find("[write gate reached]") != std::string::npos;
      const bool drawn = err.find("ファイル書込中") != std::string::npos;
      const auto since = std::chrono::steady_clock::now() - start;
      if (!held || (asked ? !drawn && since < 60s : since < 2s)) {
        return false;
      }
      return atGate(pid, err);
    };
    const test::TRunResult run = test::RunProgram(program, argsHere, work.string(), options);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(run.err.find("ファイル書込中") != std::string::npos, asked) << run.err;
    // Plain lines for a log: no carriage return, no escape sequence; Ctrl+C says so.
    EXPECT_EQ(run.err.find_first_of("\r\x1b"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("ソートを中止しました。"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Work("out.txt")));
  }
}

} // namespace
} // namespace zorbe
