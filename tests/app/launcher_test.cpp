#include "app/launcher.h"

#include "app/message_routine.h"
#include "platform/console.h"
#include "scripted_message_box.h"
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
    const std::string entry = DesktopEntryText({"/opt/z b/zorbe", "/opt/z b/", name, ""});
    EXPECT_EQ(test::DesktopExecWords(ExecLine(entry)),
              (std::vector<std::string>{"/opt/z b/zorbe", "--setting=" + name, "--", "%F"}))
        << name;
  }
  EXPECT_EQ(DesktopExecArgument("a b"), "\"a b\"");
  EXPECT_EQ(DesktopExecArgument("a\\b"), "\"a\\\\\\\\b\"");
}

TEST(Launcher, DesktopEntryHoldsProgramSettingWorkingFolderIconAndDescription) {
  const std::string head = "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Version=1.0\n"
                           "Name=Zorbe 2nd [Word]\n"
                           "Comment=Zorbe 2nd - 日本語テキストファイルの行をソートします\n"
                           "Exec=\"/opt/z/zorbe\" \"--setting=Word\" -- %F\n"
                           "Path=/opt/z/\n";
  const std::string tail = "Terminal=false\n"
                           "MimeType=text/plain;\n"
                           "X-Zorbe-Setting=Word\n";
  EXPECT_EQ(DesktopEntryText({"/opt/z/zorbe", "/opt/z/", "Word", "/opt/z/zorbe.svg"}),
            head + "Icon=/opt/z/zorbe.svg\n" + tail);
  EXPECT_EQ(DesktopEntryText({"/opt/z/zorbe", "/opt/z/", "Word", ""}), head + tail);
  EXPECT_EQ(LauncherFileName("a b"), "Zorbe 2nd [a b].desktop");
  EXPECT_EQ(LauncherFileName("a/b"), "Zorbe 2nd [a／b].desktop"); // "/" can't be in a file name
  EXPECT_EQ(LauncherIconFileName("/opt/z b/zorbe"), "/opt/z b/zorbe.svg");
}

class LauncherFiles : public testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(desktop);
    fs::create_directories(launcher.workingFolder);
    SetMessageBox(&messages);
  }
  void TearDown() override { SetMessageBox(nullptr); }
  std::vector<std::string> Texts() const { return messages.Texts(); }
  std::vector<std::string> EntryFiles(const std::string& settingName) const {
    std::vector<std::string> files;
    for (const TSendToFormat format : kSendToFormats) {
      files.push_back(SendToEntryFile(format, folders, settingName));
    }
    return files;
  }

  test::TTempFolder folder;
  std::string desktop = folder.File("Desktop");
  TSendToFolders folders{folder.File("data"), folder.File("config")};
  std::string applications = folder.File("data/applications");
  TLauncher launcher{"/opt/z/zorbe", folder.File("program/"), "my words", "/opt/z/zorbe.svg"};
  test::TScriptedMessageBox messages;
};

// Each file manager's own format, with the keys its documentation names, offered for text files
// only where the format can say so, and never an application that could open text files.
TEST_F(LauncherFiles, RightClickEntriesInEachFileManagersFormat) {
  const struct {
    TSendToFormat format;
    std::string file;
    std::vector<std::string> keys;
  } cases[] = {
      {TSendToFormat::FileManagerAction,
       "data/file-manager/actions/Zorbe 2nd [my words].desktop",
       {"[Desktop Entry]\nType=Action\nName=Zorbe 2nd [my words]\n", "\nProfiles=sort;\n",
        "\n[X-Action-Profile sort]\n", "\nMimeTypes=text/*;\n", "\nSelectionCount=>0\n"}},
      {TSendToFormat::NemoAction,
       "data/nemo/actions/Zorbe 2nd [my words].nemo_action",
       {"[Nemo Action]\nActive=true\nName=Zorbe 2nd [my words]\n", "\nSelection=notnone\n",
        "\nMimetypes=text/plain;\n"}},
      {TSendToFormat::DolphinServiceMenu,
       "data/kio/servicemenus/Zorbe 2nd [my words].desktop",
       {"[Desktop Entry]\nType=Service\nMimeType=text/plain;\nActions=sort;\n",
        "\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\n",
        "\n[Desktop Action sort]\nName=Zorbe 2nd [my words]\n"}},
      {TSendToFormat::NautilusScript,
       "data/nautilus/scripts/Zorbe 2nd [my words]",
       {"#!/bin/sh\n"}},
      {TSendToFormat::CajaScript, "config/caja/scripts/Zorbe 2nd [my words]", {"#!/bin/sh\n"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SendToEntryFile(c.format, folders, "my words"), folder.File(c.file));
    const std::string text = SendToEntryText(c.format, launcher);
    for (const std::string& key : c.keys) {
      EXPECT_NE(text.find(key), std::string::npos) << c.file << ": " << key;
    }
    EXPECT_EQ(text.find("Type=Application"), std::string::npos) << c.file;
    EXPECT_NE(text.find("X-Zorbe-Setting=my words\n"), std::string::npos) << c.file;
  }
}

// Run as the file managers run them: an entry's Exec with the selected full names for %F; a
// script in the folder shown with the selected names as arguments, relative to it. Either way
// the program starts in the program folder with the setting and the full names.
TEST_F(LauncherFiles, EveryEntryRunsTheProgramOnTheSelectedFilesWithItsSetting) {
  const std::string record = folder.File("program/run.txt");
  const std::string fake = folder.Write(
      "bin/zorbe", "#!/bin/sh\n{ pwd; for a do echo \"$a\"; done; } > " + record + "\n");
  fs::permissions(fake, fs::perms::owner_all);
  const std::string files = folder.File("files");
  fs::create_directories(files);
  for (const std::string name : {"it's a/b", "plain"}) {
    TLauncher entry = launcher;
    entry.program = fake;
    entry.settingName = name;
    ASSERT_EQ(CreateSendToEntries(folders, entry), "");
    const std::string expected = folder.File("program") + "\n--setting=" + name + "\n--\n" + files +
                                 "/a b.txt\n" + files + "/c.csv\n";
    for (const TSendToFormat format : kSendToFormats) {
      fs::remove(record);
      const std::string file = SendToEntryFile(format, folders, name);
      if (format == TSendToFormat::NautilusScript || format == TSendToFormat::CajaScript) {
        ASSERT_TRUE(RunAndWait({"sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh", files, file,
                                "a b.txt", files + "/c.csv"}))
            << file;
      } else {
        std::vector<std::string> words = test::DesktopExecWords(ExecLine(test::ReadBytes(file)));
        ASSERT_EQ(words.back(), "%F");
        words.pop_back();
        words.push_back(files + "/a b.txt");
        words.push_back(files + "/c.csv");
        ASSERT_TRUE(RunAndWait(words)) << file;
      }
      EXPECT_EQ(test::ReadBytes(record), expected) << file;
    }
  }
}

TEST_F(LauncherFiles, MadeAfterYesReplacedTheSecondTimeAndRemovedWithTheSetting) {
  for (const int tag : {lpDesktop, lpSendTo, lpSendTo}) {
    messages.SetNextAnswer(TMsgResult::Yes);
    CreateLauncherForSetting(tag, launcher, desktop, folders);
    EXPECT_EQ(Texts().back(), kShortcutCreatedMessage);
  }
  const std::string onDesktop = desktop + "/Zorbe 2nd [my words].desktop";
  EXPECT_EQ(test::ReadBytes(onDesktop), DesktopEntryText(launcher));
  EXPECT_NE(fs::status(onDesktop).permissions() & fs::perms::owner_exec, fs::perms::none);
  for (const TSendToFormat format : kSendToFormats) {
    EXPECT_EQ(test::ReadBytes(SendToEntryFile(format, folders, "my words")),
              SendToEntryText(format, launcher));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folders.dataHome + "/nemo/actions"),
                          fs::directory_iterator()),
            1); // replaced, not added

  // Deleting the setting removes its entries; a file of another setting with the same file
  // name ("a／b" beside "a/b") and the desktop launcher stay.
  TLauncher other = launcher;
  other.settingName = "a／b";
  ASSERT_EQ(CreateSendToEntries(folders, other), "");
  RemoveLaunchersOfSetting(folders, applications, "my words");
  RemoveLaunchersOfSetting(folders, applications, "a/b");
  for (const std::string& file : EntryFiles("my words")) {
    EXPECT_FALSE(fs::exists(file)) << file;
  }
  for (const std::string& file : EntryFiles("a／b")) {
    EXPECT_TRUE(fs::exists(file)) << file;
  }
  EXPECT_TRUE(fs::exists(onDesktop));
}

TEST_F(LauncherFiles, DeclinedUnknownPlaceAndFailuresSayWhy) {
  test::WriteBytes(folder.File("data"), "a file where the data folder should be");
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
       "ショートカットの作成に失敗しました。\r\nデスクトップのフォルダ「" +
           folder.File("no desktop") + "」がありません。",
       TMsgKind::Error},
      {lpDesktop, TMsgResult::Yes, desktop, "a\nb",
       "ショートカットの作成に失敗しました。\r\n設定名に改行が含まれています。", TMsgKind::Error},
  };
  for (const Case& c : cases) {
    messages.SetNextAnswer(c.answer);
    TLauncher named = launcher;
    named.settingName = c.settingName;
    CreateLauncherForSetting(c.tag, named, c.desktopFolder, folders);
    ASSERT_FALSE(messages.Messages().empty());
    EXPECT_EQ(messages.Messages().back().text, c.lastMessage) << c.tag;
    EXPECT_EQ(messages.Messages().back().kind, c.kind) << c.tag;
  }
  EXPECT_TRUE(fs::is_empty(desktop));
  EXPECT_FALSE(fs::exists(folder.File("no desktop")));

  // A data folder that can't be made: the reason names it.
  messages.SetNextAnswer(TMsgResult::Yes);
  CreateLauncherForSetting(lpSendTo, launcher, desktop, folders);
  const std::string last = messages.Messages().back().text;
  EXPECT_TRUE(last.starts_with("ショートカットの作成に失敗しました。\r\n")) << last;
  EXPECT_NE(last.find(folder.File("data")), std::string::npos) << last;

  // A name with "/" makes a launcher, named with "／".
  messages.SetNextAnswer(TMsgResult::Yes);
  TLauncher slash = launcher;
  slash.settingName = "a/b";
  CreateLauncherForSetting(lpDesktop, slash, desktop, folders);
  EXPECT_EQ(Texts().back(), kShortcutCreatedMessage);
  EXPECT_TRUE(fs::exists(desktop + "/Zorbe 2nd [a／b].desktop"));
}

// The hidden "Open With" launchers of earlier versions: found, offered once, and on Yes replaced
// by right-click entries; the user's own entries are never taken for them.
TEST_F(LauncherFiles, OldOpenWithLaunchersAreFoundAndReplacedOnYes) {
  const std::string old = "[Desktop Entry]\nType=Application\nName=Zorbe 2nd [w]\n"
                          "Exec=\"/opt/z/zorbe\" \"w\" %F\nMimeType=text/plain;\nNoDisplay=true\n";
  folder.Write("data/applications/Zorbe 2nd [w].desktop", old);
  folder.Write("data/applications/Zorbe 2nd [mine].desktop",
               "[Desktop Entry]\nType=Application\nName=mine\nExec=mine %F\n");
  folder.Write("data/applications/editor.desktop", old);
  ASSERT_EQ(OldOpenWithLaunchers(applications), std::vector<std::string>{"w"});

  OfferToReplaceOldLaunchers({"w"}, launcher, folders, applications); // answered No
  EXPECT_TRUE(fs::exists(applications + "/Zorbe 2nd [w].desktop"));
  EXPECT_FALSE(fs::exists(SendToEntryFile(TSendToFormat::FileManagerAction, folders, "w")));

  messages.SetNextAnswer(TMsgResult::Yes);
  OfferToReplaceOldLaunchers({"w"}, launcher, folders, applications);
  EXPECT_FALSE(fs::exists(applications + "/Zorbe 2nd [w].desktop"));
  EXPECT_TRUE(fs::exists(applications + "/Zorbe 2nd [mine].desktop"));
  for (const std::string& file : EntryFiles("w")) {
    EXPECT_TRUE(fs::exists(file)) << file;
  }
  EXPECT_EQ(Texts().size(), 2u);
  EXPECT_TRUE(OldOpenWithLaunchers(applications).empty());
}

} // namespace
} // namespace zorbe
