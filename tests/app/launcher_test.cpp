#include "app/launcher.h"

#include "app/message_routine.h"
#include "platform/console.h"
#include "test_support.h"

#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

std::string ExecLine(const std::string& entry) {
  const std::size_t start = entry.find("\nExec=") + 6;
  return entry.substr(start, entry.find('\n', start) - start);
}

TEST(Launcher, ExecArgumentsSurviveTheDesktopsQuotingRules) {
  const std::string names[] = {"Word",    "with blanks  two", "quote\" $HOME `x` back\\slash",
                               "100% %F", "日本語 設定",      ""};
  for (const std::string& name : names) {
    const std::string entry =
        DesktopEntryText({"/opt/z b/zorbe", "/opt/z b/", name, ""}, lpDesktop);
    EXPECT_EQ(test::DesktopExecWords(ExecLine(entry)),
              (std::vector<std::string>{"/opt/z b/zorbe", "--setting=" + name, "--", "%F"}))
        << name;
  }
  EXPECT_EQ(DesktopExecArgument("a b"), "\"a b\"");
  EXPECT_EQ(DesktopExecArgument("a\\b"), "\"a\\\\\\\\b\"");
}

TEST(Launcher, EntryHoldsProgramSettingWorkingFolderIconAndDescription) {
  const std::string common = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Version=1.0\n"
                             "Name=Zorbe 2nd [Word]\n"
                             "Comment=Zorbe 2nd - 日本語テキストファイルの行をソートします\n"
                             "Exec=\"/opt/z/zorbe\" \"--setting=Word\" -- %F\n"
                             "Path=/opt/z/\n";
  const std::string mime = "Terminal=false\n"
                           "MimeType=text/plain;\n";
  const struct {
    std::string iconFile;
    TLauncherPlace place;
    std::string expected;
  } cases[] = {
      {"/opt/z/zorbe.svg", lpDesktop, common + "Icon=/opt/z/zorbe.svg\n" + mime},
      // In "Open With" lists, but no application of its own in the menus.
      {"/opt/z/zorbe.svg", lpSendTo,
       common + "Icon=/opt/z/zorbe.svg\n" + mime + "NoDisplay=true\n"},
      {"", lpDesktop, common + mime}, // no icon file beside the program
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DesktopEntryText({"/opt/z/zorbe", "/opt/z/", "Word", c.iconFile}, c.place),
              c.expected);
  }
  EXPECT_EQ(LauncherFileName("a b"), "Zorbe 2nd [a b].desktop");
  EXPECT_EQ(LauncherIconFileName("/opt/z b/zorbe"), "/opt/z b/zorbe.svg");
}

class LauncherFiles : public testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(desktop);
    SetMessageBox(&messages);
  }
  void TearDown() override { SetMessageBox(nullptr); }
  std::vector<std::string> Texts() const { return messages.Texts(); }

  test::TTempFolder folder;
  std::string desktop = folder.File("Desktop");
  std::string openWith = folder.File("data/applications"); // missing until the first launcher
  TLauncher launcher{"/opt/z/zorbe", folder.File("program/"), "my words", "/opt/z/zorbe.svg"};
  TScriptedMessageBox messages;
};

TEST_F(LauncherFiles, MadeAfterYesReplacedTheSecondTimeAndExecutableOnTheDesktop) {
  for (const int tag : {lpDesktop, lpSendTo, lpDesktop}) {
    messages.SetNextAnswer(TMsgResult::Yes);
    CreateLauncherForSetting(tag, launcher, desktop, openWith);
  }
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"現在の設定名「my words」でショートカットを作成しますか？",
                                      "ショートカットを作成しました。",
                                      "現在の設定名「my words」でショートカットを作成しますか？",
                                      "ショートカットを作成しました。",
                                      "現在の設定名「my words」でショートカットを作成しますか？",
                                      "ショートカットを作成しました。"}));
  const std::string onDesktop = desktop + "/Zorbe 2nd [my words].desktop";
  const std::string inOpenWith = openWith + "/Zorbe 2nd [my words].desktop";
  EXPECT_EQ(test::ReadBytes(onDesktop), DesktopEntryText(launcher, lpDesktop));
  EXPECT_EQ(test::ReadBytes(inOpenWith), DesktopEntryText(launcher, lpSendTo));
  EXPECT_EQ(fs::directory_iterator(desktop)->path(), onDesktop); // replaced, not added
  const auto exec = fs::perms::owner_exec;
  EXPECT_NE(fs::status(onDesktop).permissions() & exec, fs::perms::none);
  EXPECT_EQ(fs::status(inOpenWith).permissions() & exec, fs::perms::none);
  EXPECT_TRUE(fs::is_directory(launcher.workingFolder)); // the launcher starts there
  if (!FindProgram("update-desktop-database").empty()) {
    // The MIME cache that GLib-based file managers read names the new launcher.
    EXPECT_NE(test::ReadBytes(openWith + "/mimeinfo.cache")
                  .find("text/plain=Zorbe 2nd [my words].desktop;"),
              std::string::npos);
  }

  // An old launcher of that name is replaced by the current one.
  test::WriteBytes(onDesktop, "old");
  messages.SetNextAnswer(TMsgResult::Yes);
  CreateLauncherForSetting(lpDesktop, launcher, desktop, openWith);
  EXPECT_EQ(test::ReadBytes(onDesktop), DesktopEntryText(launcher, lpDesktop));
}

TEST_F(LauncherFiles, DeclinedUnknownPlaceAndFailuresSaySo) {
  struct Case {
    int tag;
    TMsgResult answer;
    std::string desktopFolder;
    std::string settingName;
    std::string lastMessage;
    TMsgKind kind;
  };
  const Case cases[] = {
      {lpDesktop, TMsgResult::No, desktop, "a", "ショートカットの作成を中止しました。",
       TMsgKind::Information},
      {3, TMsgResult::Yes, desktop, "a",
       "ショートカットの作成が出来ませんでした。\r\n著作者までお問い合わせ下さい。",
       TMsgKind::Information},
      {lpDesktop, TMsgResult::Yes, folder.File("no desktop"), "a",
       "ショートカットの作成に失敗しました。", TMsgKind::Error},
      {lpDesktop, TMsgResult::Yes, desktop, "a/b", "ショートカットの作成に失敗しました。",
       TMsgKind::Error},
  };
  for (const Case& c : cases) {
    messages.SetNextAnswer(c.answer);
    TLauncher named = launcher;
    named.settingName = c.settingName;
    CreateLauncherForSetting(c.tag, named, c.desktopFolder, openWith);
    ASSERT_FALSE(messages.Messages().empty());
    EXPECT_EQ(messages.Messages().back().text, c.lastMessage) << c.tag;
    EXPECT_EQ(messages.Messages().back().kind, c.kind) << c.tag;
  }
  EXPECT_TRUE(fs::is_empty(desktop));
  EXPECT_FALSE(fs::exists(folder.File("no desktop")));
  EXPECT_FALSE(fs::exists(openWith));
}

} // namespace
} // namespace zorbe
