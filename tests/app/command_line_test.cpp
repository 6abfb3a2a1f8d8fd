#include "app/command_line.h"

#include "app/job_host.h"
#include "app/message_routine.h"
#include "scripted_message_box.h"
#include "test_support.h"
#include "text/input_code.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace zorbe {
namespace {

using test::Sjis;

class TRecordingShell : public IShell {
public:
  void PlaySound(const std::string& fileName) override { sounds.push_back(fileName); }
  void Beep() override { ++beeps; }
  void OpenInEditor(const std::string& editor, const std::string& fileName) override {
    opened.push_back(editor + "|" + fileName);
  }
  std::vector<std::string> sounds;
  std::vector<std::string> opened;
  int beeps = 0;
};

class CommandLineTest : public testing::Test {
protected:
  void SetUp() override { SetMessageBox(&messages); }
  void TearDown() override { SetMessageBox(nullptr); }

  int Run(const std::vector<std::string>& args) {
    TMainThreadQueue mainThread;
    const TCommandLineServices services{
        mainThread,
        [&mainThread](const std::function<bool()>& ended, const std::function<void()>&,
                      const TJobProgress&) { mainThread.RunUntil(ended); },
        {},
        shell,
    };
    return RunCommandLine(ParseArguments(args), settings, services);
  }
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const auto& shown : messages.Messages()) {
      texts.push_back(shown.text);
    }
    return texts;
  }

  test::TTempFolder folder;
  TSettingsFile settings{folder.File("zorbe.ini")};
  test::TScriptedMessageBox messages;
  TRecordingShell shell;
};

TEST_F(CommandLineTest, SwitchNamesTheOutputAndDropSettingIsUsed) {
  TSettingOptionItems drop = SettingDefaults();
  drop.SortDirection = 1;
  settings.SaveSortSetting("ddDefault", drop);
  const std::string in = folder.Write("a.txt", "a\r\nb\r\n");
  EXPECT_EQ(Run({"/S", folder.File("out.txt"), in}), esFinished);
  EXPECT_EQ(test::ReadBytes(folder.File("out.txt")), "b\r\na\r\n");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(CommandLineTest, SettingNameThenQuestionAboutTheOutput) {
  settings.SaveSortSetting("名前", SettingDefaults());
  const std::string a = folder.Write("a.txt", "2\r\n");
  const std::string b = folder.Write("b.txt", "1\r\n");

  messages.SetNextAnswer(TMsgResult::No);
  EXPECT_EQ(Run({"名前", a, b}), esFinished);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0], OutputNameQuestion(a));
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Information);
  // Its Yes makes a.txt the output and loses its lines: Enter and Escape answer No.
  EXPECT_EQ(messages.Messages()[0].buttons, TMsgButtons::YesNoDefaultNo);
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "1\r\n2\r\n");

  messages.SetNextAnswer(TMsgResult::Yes); // a.txt is the output...
  messages.SetNextAnswer(TMsgResult::Yes); // ...and may be overwritten
  EXPECT_EQ(Run({"名前", a, b}), esFinished);
  EXPECT_EQ(test::ReadBytes(a), "1\r\n");
}

TEST_F(CommandLineTest, QuestionTextAndMatchingIsExact) {
  EXPECT_EQ(OutputNameQuestion("x.txt"),
            "「x."
            "txt」は、保存ファイル名ですか？\r\n「はい」を選択されますと既存のファイルを上書きしま"
            "す。\r\n\r\n"
            "D&D、送るからのソート時は特別な理由がない限り必ず「いいえ」を選択して下さい。\r\n"
            "「はい」を選択した場合ソートができない可能性があります。");
  settings.SaveSortSetting("Name", SettingDefaults());
  const std::string in = folder.Write("in.txt", "x\r\n");
  // "name" is not "Name": it is the output candidate (answered No) and then a missing file.
  EXPECT_EQ(Run({"name", in}), esError);
  EXPECT_EQ(Shown()[0], OutputNameQuestion("name"));
  EXPECT_EQ(Shown()[1], "「name」は存在しません。\r\n処理を中止します。");
}

// Nothing to sort is an error, and the last argument is never offered as the output: taking
// it would leave nothing to sort.
TEST_F(CommandLineTest, ArgumentsWithoutFilesAreRefusedWithoutAQuestion) {
  settings.SaveSortSetting("S", SettingDefaults());
  const std::string noFiles = "ソートするファイルが指定されていません。\r\n処理を中止します。";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"S"}, {"/s", "S", folder.File("out.txt")}, {"/s"}}) {
    messages.Clear();
    messages.SetNextAnswer(TMsgResult::Yes);
    EXPECT_EQ(Run(args), esCancelled) << args[0];
    EXPECT_EQ(Shown(), std::vector<std::string>{noFiles}) << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("out.txt")));
}

TEST_F(CommandLineTest, TheLastArgumentIsSortedWithoutAQuestion) {
  settings.SaveSortSetting("S", SettingDefaults());
  const std::string a = folder.Write("a.txt", "b\r\na\r\n");
  messages.SetNextAnswer(TMsgResult::Yes);
  EXPECT_EQ(Run({"S", a}), esFinished);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(test::ReadBytes(a), "b\r\na\r\n");
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "a\r\nb\r\n");
}

// An empty argument (an empty shell variable) matched the empty entry of the setting list and
// shifted the others: an input became the output. Now it ends the run before anything is asked
// or written, except as the output name after /s and a setting: no output named, so the default
// name.
TEST_F(CommandLineTest, EmptyArgumentsAreRefusedButAsTheOutputAfterTheSetting) {
  settings.SaveSortSetting("S", SettingDefaults());
  const std::string a = folder.Write("a.txt", "2\r\n");
  const std::string b = folder.Write("b.txt", "1\r\n");
  const struct {
    std::vector<std::string> args;
    int position;
  } cases[] = {
      {{"/s", "", a, b}, 2},
      {{"/s", "", a}, 2},
      {{"", a, b}, 1},
      {{"S", "", a}, 2},
      {{"/s", "S", "", ""}, 4},
      {{a, b, ""}, 3},
      {{"/s", "nothing", "", a}, 3},
  };
  for (const auto& c : cases) {
    messages.Clear();
    messages.SetNextAnswer(TMsgResult::Yes);
    messages.SetNextAnswer(TMsgResult::Yes);
    EXPECT_EQ(Run(c.args), esCancelled) << c.position;
    EXPECT_EQ(Shown(), std::vector<std::string>{std::to_string(c.position) +
                                                " 番目の引数が空です。\r\n"
                                                "空の名前は、ソート設定名にもファイル名にも使えませ"
                                                "ん。\r\n処理を中止します。\r\n"
                                                "Usage: zorbe [OPTION]... [/s] [SETTING] "
                                                "[OUTPUT] FILE..."});
    EXPECT_EQ(test::ReadBytes(a), "2\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("a[0].txt")));
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/s", "S", "", a, b}, {"--setting=S", "/s", "", a, b}}) {
    messages.Clear();
    EXPECT_EQ(Run(args), esFinished);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "1\r\n2\r\n");
    std::filesystem::remove(folder.File("a[0].txt"));
  }
}

TEST_F(CommandLineTest, SettingWithoutFilesIsALauncherStartedWithoutFiles) {
  settings.SaveSortSetting("my words", SettingDefaults());
  const struct {
    std::vector<std::string> args;
    std::optional<std::string> setting;
  } cases[] = {
      {{"my words"}, "my words"},
      {{"my words", "a.txt"}, std::nullopt},
      {{"My words"}, std::nullopt},
      {{"/s"}, std::nullopt},
      {{""}, std::nullopt},
      {{}, std::nullopt},
      // As launchers write it now.
      {{"--setting=my words", "--"}, "my words"},
      {{"--setting=my words"}, "my words"},
      {{"--setting=my words", "--", "a.txt"}, std::nullopt},
      {{"--setting=nothing", "--"}, std::nullopt},
      {{"--batch", "my words"}, std::nullopt},
      {{"--bogus", "my words"}, std::nullopt},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) {
      shown += "[" + a + "]";
    }
    EXPECT_EQ(SettingWithoutFiles(ParseArguments(c.args), settings), c.setting) << shown;
  }
}

TEST_F(CommandLineTest, PerFileSettingAsksNothing) {
  TSettingOptionItems perFile = SettingDefaults();
  perFile.NoConnected = true;
  settings.SaveSortSetting("P", perFile);
  const std::string a = folder.Write("a.txt", "b\r\na\r\n");
  EXPECT_EQ(Run({"P", a}), esFinished);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "a\r\nb\r\n");
}

TEST_F(CommandLineTest, RefusedFilesEndTheRunBeforeSorting) {
  const std::string good = folder.Write("good.txt", "b\r\na\r\n");
  const struct {
    std::string name, bytes, message;
  } cases[] = {
      {"bin.dat", std::string("\0\1\2", 3),
       "」はテキストファイルではありません。\r\n処理を中止します。"},
      {"ambiguous.txt", "\xB1\xB2\xB3\xB4\xA4\xA2\xB5\xB6\xB7\xB8\r\n",
       "」はEUCかShift-JISか判定できません。\r\n処理を中止します。"},
  };
  for (const auto& c : cases) {
    const std::string bad = folder.Write(c.name, c.bytes);
    const std::string out = folder.File("out-" + c.name);
    EXPECT_EQ(Run({"/s", out, good, bad}), esError) << c.name;
    EXPECT_EQ(Shown().back(), "「" + bad + c.message);
    EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
  }
}

// A folder stands for its files in name order; those that can't be sorted are named in one
// warning and left out.
TEST_F(CommandLineTest, FolderIsSortedFileByFileInNameOrder) {
  TSettingOptionItems keepOrder = SettingDefaults();
  keepOrder.SortDirection = 2;
  settings.SaveSortSetting("keep", keepOrder);
  folder.Write("tree/b.txt", "b\r\n");
  folder.Write("tree/sub/c.txt", "c\r\n");
  folder.Write("tree/a.txt", "a\r\n");
  folder.Write("tree/bin.dat", std::string("\0\1\2", 3));
  folder.Write("tree/empty.txt", ""); // text without lines
  const std::string out = folder.File("out.txt");
  EXPECT_EQ(Run({"/s", "keep", out, folder.File("tree")}), esFinished);
  EXPECT_EQ(test::ReadBytes(out), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(Shown(), std::vector<std::string>{"次のファイルはソートしません。\r\n「" +
                                              folder.File("tree/bin.dat") +
                                              "」はテキストファイルではありません。"});
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Warning);

  messages.Clear();
  folder.Write("nothing/bin.dat", std::string("\0\1\2", 3));
  EXPECT_EQ(Run({"/s", out + "2", folder.File("nothing")}), esError);
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1], "「" + folder.File("nothing") +
                            "」にはソートできるファイルがありません。\r\n処理を中止します。");
  EXPECT_FALSE(std::filesystem::exists(out + "2"));
}

// One message per target that can't be read, with the cause; a pipe is read whole (it can't be
// read twice), and a device that never ends is refused from its first block.
TEST_F(CommandLineTest, TargetsThatAreNoPlainFiles) {
  const std::string notAFolder = folder.Write("plain", "x") + "/x.txt";
  EXPECT_EQ(Run({"/s", folder.File("out.txt"), notAFolder}), esError);
  EXPECT_EQ(Shown(), std::vector<std::string>{"ファイル「" + notAFolder +
                                              "」を開けませんでした。\r\nパスの途中にフォルダで"
                                              "ないものがあります。\r\n処理を中止します。"});

  messages.Clear();
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const std::string text = "b\r\na\r\n";
  ASSERT_EQ(::write(pipeFds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(pipeFds[1]);
  const std::string pipeName = "/proc/self/fd/" + std::to_string(pipeFds[0]);
  EXPECT_EQ(Run({"/s", folder.File("piped.txt"), pipeName}), esFinished);
  ::close(pipeFds[0]);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(test::ReadBytes(folder.File("piped.txt")), "a\r\nb\r\n");

  EXPECT_EQ(Run({"/s", folder.File("zero.txt"), "/dev/zero"}), esError);
  EXPECT_EQ(Shown(), std::vector<std::string>{
                         "「/dev/zero」はテキストファイルではありません。\r\n処理を中止します。"});
}

TEST_F(CommandLineTest, UnicodeFilesAreSortedIntoUtf8) {
  const struct {
    const char* name;
    std::string bytes;
    std::string sorted;
  } cases[] = {
      // The byte-order mark is no part of the first line; the output starts with it again.
      {"u8.txt", "\xEF\xBB\xBF" + std::string("い\r\nあ\r\n"),
       "\xEF\xBB\xBF" + std::string("あ\r\nい\r\n")},
      {"plain8.txt", "い\nあ\n", "あ\nい\n"},
      {"u16le.txt", "\xFF\xFE" + test::Recode("い\nあ\n", "UTF-8", "UTF-16LE"), "あ\nい\n"},
      {"u16be.txt", "\xFE\xFF" + test::Recode("い\r\nあ", "UTF-8", "UTF-16BE"), "あ\r\nい\r\n"},
  };
  for (const auto& c : cases) {
    const std::string out = folder.File(std::string("out-") + c.name);
    EXPECT_EQ(Run({"/s", out, folder.Write(c.name, c.bytes)}), esFinished) << c.name;
    EXPECT_EQ(test::ReadBytes(out), c.sorted) << c.name;
  }
}

TEST_F(CommandLineTest, AUnicodeFileThatIsNotWhatItSaysEndsTheRunNamingTheOffset) {
  const std::string in = folder.Write("bad.txt", "\xFF\xFE" + std::string("a\0\x00\xDC", 4));
  const std::string out = folder.File("out.txt");
  EXPECT_EQ(Run({"/s", out, in}), esError);
  EXPECT_EQ(Shown().back(), "「" + in +
                                "」は UTF-16 として正しくないバイトを含んでいます（オフセット "
                                "4）。\r\n処理を中止します。");
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Both questions before a file is replaced default to No, so Enter keeps the file.
TEST_F(CommandLineTest, OverwriteRefusedIsCancelled) {
  const std::string in = folder.Write("in.txt", "x\r\n");
  for (const bool writeProtected : {false, true}) {
    const std::string out = folder.Write("out.txt", "keep");
    std::filesystem::permissions(out, writeProtected ? std::filesystem::perms(0444)
                                                     : std::filesystem::perms(0644));
    messages.Clear();
    EXPECT_EQ(Run({"/s", out, in}), esCancelled);
    const std::string question =
        writeProtected ? WriteProtectedQuestion(out) : OverwriteQuestion(out);
    EXPECT_EQ(Shown(), (std::vector<std::string>{question, kSortCancelledMessage}));
    EXPECT_EQ(messages.Messages()[0].buttons, TMsgButtons::YesNoDefaultNo);
    EXPECT_EQ(test::ReadBytes(out), "keep");
    std::filesystem::permissions(out, std::filesystem::perms(0644));
  }
}

TEST_F(CommandLineTest, SortEndPlaysTheSoundAndOpensTheEditor) {
  TOptions options;
  options.WaveFileName = "/end.wav";
  options.EditorOpen = true;
  options.EditorPath = "/usr/bin/editor";
  settings.SaveOptions(options);
  const std::string in = folder.Write("in.txt", "x\r\n");
  EXPECT_EQ(Run({"/s", folder.File("out.txt"), in}), esFinished);
  EXPECT_EQ(shell.sounds, std::vector<std::string>{"/end.wav"});
  EXPECT_EQ(shell.opened, std::vector<std::string>{"/usr/bin/editor|" + folder.File("out.txt")});
  EXPECT_EQ(shell.beeps, 0);
}

TEST_F(CommandLineTest, FailedJobShowsItsErrorAndSkipsTheEndNotification) {
  TOptions options;
  options.WaveFileName = "/end.wav";
  settings.SaveOptions(options);
  const std::string in = folder.Write("in.txt", "x\r\n");
  const std::string blocker = folder.Write("blocker", "");
  EXPECT_EQ(Run({"/s", blocker + "/out.txt", in}), esError);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find(blocker), std::string::npos);
  EXPECT_TRUE(shell.sounds.empty());
}

TEST_F(CommandLineTest, BrokenSettingsFileIsReported) {
  std::filesystem::create_directory(settings.FileName()); // a folder where the file should be
  EXPECT_EQ(Run({"/s", "out.txt", "in.txt"}), esError);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find("zorbe.ini"), std::string::npos);
}

// A code named for every file is used without detection: half-width katakana in EUC (which no
// detector can tell from Shift-JIS) are sorted, UTF-16 without its byte-order mark is read, and
// a byte that doesn't fit the named code ends the run naming the file and its offset. The
// setting's InputCode does the same.
TEST_F(CommandLineTest, NumberOrderOverridesTheSetting) {
  const std::string in = folder.Write("numbers.txt", "10\n9\n");
  const std::string out = folder.File("numbers-out.txt");
  EXPECT_EQ(Run({"/s", out, in}), esFinished);
  EXPECT_EQ(test::ReadBytes(out), "10\r\n9\r\n");
  EXPECT_EQ(Run({"--number-order=1", "-y", "/s", out, in}), esFinished);
  EXPECT_EQ(test::ReadBytes(out), "9\r\n10\r\n");
}

TEST_F(CommandLineTest, ANamedInputCodeIsReadWithoutDetection) {
  std::string euc;
  for (int i = 0; i < 5000; ++i) {
    const char kana[] = {'\x8E', static_cast<char>(0xB1 + (i * 7) % 40), '\x8E',
                         static_cast<char>(0xB1 + i % 40)};
    euc += std::string(kana, 4) + "\n";
  }
  const std::string kana = folder.Write("kana.txt", euc);
  EXPECT_EQ(Run({"/s", folder.File("refused.txt"), kana}), esError);
  EXPECT_FALSE(std::filesystem::exists(folder.File("refused.txt")));
  messages.Clear();
  EXPECT_EQ(Run({"--input-code=EUC-JP", "/s", folder.File("kana-out.txt"), kana}), esFinished);
  EXPECT_TRUE(Shown().empty());
  const std::string sorted = test::ReadBytes(folder.File("kana-out.txt"));
  EXPECT_EQ(sorted.size(), 5000u * 4); // two half-width katakana and CR LF a line
  EXPECT_EQ(sorted.substr(0, 4), "\xB1\xB1\r\n");

  const struct {
    const char* code;
    const char* bytesCode;
  } unmarked[] = {{"utf-16le", "UTF-16LE"}, {"utf_16BE", "UTF-16BE"}};
  for (const auto& c : unmarked) {
    const std::string in =
        folder.Write(std::string(c.code) + ".txt", test::Recode("い\nあ\n", "UTF-8", c.bytesCode));
    const std::string out = folder.File(std::string(c.code) + "-out.txt");
    EXPECT_EQ(Run({"--input-code", c.code, "/s", out, in}), esFinished) << c.code;
    EXPECT_EQ(test::ReadBytes(out), "あ\nい\n") << c.code;
  }

  const std::string bad = folder.Write("bad.txt", "ab\n\x80\n");
  messages.Clear();
  EXPECT_EQ(Run({"--input-code=euc-jp", "/s", folder.File("bad-out.txt"), bad}), esError);
  EXPECT_EQ(Shown(), std::vector<std::string>{"「" + bad +
                                              "」は EUC-JP として正しくないバイトを含んでいます（"
                                              "オフセット 3）。\r\n処理を中止します。"});

  TSettingOptionItems named = SettingDefaults();
  named.InputCode = InputCodeValueOfName("euc-jp");
  settings.SaveSortSetting("EUC", named);
  EXPECT_EQ(Run({"/s", "EUC", folder.File("setting-out.txt"), kana}), esFinished);
  EXPECT_EQ(test::ReadBytes(folder.File("setting-out.txt")), sorted);
}

// Ctrl+C, before the job or while it runs, ends the run with exit status 2 and says so.
TEST_F(CommandLineTest, AnInterruptedRunSaysSo) {
  const std::string in = folder.Write("a.txt", "b\r\na\r\n");
  for (const bool beforeTheJob : {true, false}) {
    messages.Clear();
    TMainThreadQueue mainThread;
    const TCommandLineServices services{
        mainThread,
        [&mainThread](const std::function<bool()>& ended, const std::function<void()>& stop,
                      const TJobProgress&) {
          stop(); // as Ctrl+C does
          mainThread.RunUntil(ended);
        },
        [beforeTheJob] { return beforeTheJob; },
        shell,
    };
    EXPECT_EQ(
        RunCommandLine(ParseArguments({"/s", folder.File("out.txt"), in}), settings, services),
        esCancelled);
    EXPECT_EQ(Shown(), std::vector<std::string>{kSortCancelledMessage}) << beforeTheJob;
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.txt")));
  }
}

} // namespace
} // namespace zorbe
