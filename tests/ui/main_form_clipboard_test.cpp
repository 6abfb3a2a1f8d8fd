// The clipboard sort and the launchers as the windows run them.

#include "app/job_host.h"
#include "app/program_folder.h"
#include "ui/launchers.h"
#include "ui/main_form.h"
#include "ui/setting_form.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

namespace zorbe {
namespace {

using test::Find;
using test::Q;
using test::Sjis;

class MainFormClipboardTest : public test::UiTest {
protected:
  void SetUp() override {
    UiTest::SetUp();
    previousFolder_ = ProgramFolder();
    SetProgramFolder(folder.Path().string());
  }
  void TearDown() override {
    SetProgramFolder(previousFolder_);
    QApplication::clipboard()->clear();
    UiTest::TearDown();
  }
  std::unique_ptr<TMainForm> MakeForm() {
    auto form = std::make_unique<TMainForm>(settings, shell);
    form->show();
    form->ApplyStartSetting();
    return form;
  }
  static QString Clipboard() { return QApplication::clipboard()->text(); }
  static void SetClipboard(const QString& text) { QApplication::clipboard()->setText(text); }
  // Chooses the menu item as the user can: once the timer has enabled it.
  void Click(TMainForm& form, const char* item) {
    form.UpdateCommands();
    Find<QAction>(&form, item)->trigger();
    ASSERT_TRUE(test::WaitFor([&] { return form.Idle(); }));
  }
  std::string Clip() const { return folder.File("Clip.txt"); }
  // The question before the write-back replaces the clipboard's file.
  std::string ClipQuestion() const { return OverwriteQuestion(Clip()); }

  std::string previousFolder_;
};

TEST_F(MainFormClipboardTest, WriteBackAsksBeforeOverwritingEveryTime) {
  auto form = MakeForm();
  Find<QAction>(form.get(), "mmEditorOpen")->setChecked(true);
  struct Case {
    TMsgResult answer;
    QString after;
    std::vector<std::string> messages;
    int beeps;
  };
  const Case cases[] = {
      {TMsgResult::Yes, QStringLiteral("あ\nい\nう\n"), {ClipQuestion()}, 1},
      {TMsgResult::No, QStringLiteral("い\nう\nあ"), {ClipQuestion(), kSortCancelledMessage}, 0},
  };
  for (const Case& c : cases) {
    SetClipboard(QStringLiteral("い\nう\nあ"));
    messages.Clear();
    shell.beeps = 0;
    messages.SetNextAnswer(c.answer);
    Click(*form, "mmClipToClip");
    EXPECT_EQ(Clipboard(), c.after);
    EXPECT_EQ(messages.Texts(), c.messages);
    EXPECT_EQ(shell.beeps, c.beeps);
    EXPECT_FALSE(std::filesystem::exists(Clip()));
  }
  EXPECT_TRUE(shell.opened.empty()); // the result is on the clipboard, not in a file
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Zorbe 2nd "));
}

TEST_F(MainFormClipboardTest, CtrlCInTheWindowStartsAWriteBack) {
  auto form = MakeForm();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  SetClipboard(QStringLiteral("b\r\na\r\n"));
  form->UpdateCommands();
  messages.SetNextAnswer(TMsgResult::Yes);
  QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle() && !messages.Texts().empty(); }));
  EXPECT_EQ(Clipboard(), QStringLiteral("a\r\nb\r\n")); // CR LF came in, CR LF goes back
}

TEST_F(MainFormClipboardTest, SaveToFileWritesTheDefaultNameBesideClipTxt) {
  auto form = MakeForm();
  Find<QAction>(form.get(), "mmEditorOpen")->setChecked(true);
  SetClipboard(QStringLiteral("〜b\n〜a")); // the wave dash, which CP932 would give back as ～
  Click(*form, "mmClipToFile");
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(test::ReadBytes(folder.File("Clip[0].txt")), "\x81\x60"
                                                         "a\r\n\x81\x60"
                                                         "b\r\n");
  EXPECT_FALSE(std::filesystem::exists(Clip()));
  EXPECT_EQ(Clipboard(), QStringLiteral("〜b\n〜a"));
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].second, folder.File("Clip[0].txt"));

  SetClipboard(QStringLiteral("〜b\n〜a"));
  Click(*form, "mmClipToClip"); // answered No: stays as it was
  messages.SetNextAnswer(TMsgResult::Yes);
  Click(*form, "mmClipToClip");
  EXPECT_EQ(Clipboard(), QStringLiteral("〜a\n〜b\n"));
}

TEST_F(MainFormClipboardTest, AStoppedWriteBackLeavesTheClipboardAsItWas) {
  auto form = MakeForm();
  SetClipboard(QStringLiteral("b\na"));
  messages.SetHook([&](const std::string& text) -> std::optional<TMsgResult> {
    if (text == ClipQuestion()) {
      form->Stop(); // the user stops the sort while the question is open
      return TMsgResult::Yes;
    }
    if (text == kStopQuestion) {
      return TMsgResult::Yes;
    }
    return std::nullopt;
  });
  Click(*form, "mmClipToClip");
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{ClipQuestion(), kStopQuestion, kSortCancelledMessage}));
  EXPECT_EQ(Clipboard(), QStringLiteral("b\na"));
  EXPECT_FALSE(std::filesystem::exists(Clip()));
  EXPECT_EQ(shell.beeps, 0);
}

// A text with characters Shift-JIS can't hold is sorted and comes back as itself: onto the
// clipboard, or into a UTF-8 file.
TEST_F(MainFormClipboardTest, ATextShiftJisCantHoldIsSortedLosslessly) {
  auto form = MakeForm();
  SetClipboard(QStringLiteral("é\nb\n𠮷a"));
  messages.SetNextAnswer(TMsgResult::Yes);
  Click(*form, "mmClipToClip");
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{ClipQuestion()});
  EXPECT_EQ(Clipboard(), QStringLiteral("b\né\n𠮷a\n"));
  messages.Clear();
  Click(*form, "mmClipToFile");
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(test::ReadBytes(folder.File("Clip[0].txt")), "b\né\n𠮷a\n");
  EXPECT_FALSE(std::filesystem::exists(Clip()));
}

TEST_F(MainFormClipboardTest, RefusalsLeaveTheClipboardAndTheWindowAsTheyWere) {
  auto form = MakeForm();
  auto* image = new QMimeData;
  image->setImageData(QImage(2, 2, QImage::Format_RGB32));
  QApplication::clipboard()->setMimeData(image);
  form->mmClipboardClick(QStringLiteral("mmClipToFile"));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{kNoClipboardTextMessage});
  EXPECT_FALSE(std::filesystem::exists(Clip()));
  EXPECT_TRUE(form->Idle());

  // While a sort waits for its question, both commands refuse.
  SetClipboard(QStringLiteral("b\na"));
  messages.Clear();
  messages.SetHook([&](const std::string& text) -> std::optional<TMsgResult> {
    if (text == ClipQuestion()) {
      form->mmClipboardClick(QStringLiteral("mmClipToFile"));
      return TMsgResult::Yes;
    }
    return std::nullopt;
  });
  Click(*form, "mmClipToClip");
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{ClipQuestion(), kBusyMessage}));
  EXPECT_EQ(Clipboard(), QStringLiteral("a\nb\n"));
}

// The XDG folders of a user, in a temporary home.
class LauncherWindowTest : public test::UiTest {
protected:
  void SetUp() override {
    UiTest::SetUp();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name,
                          value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("HOME", folder.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", folder.File("data").c_str(), 1);
    folder.Write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/デスク トップ\"\n");
    std::filesystem::create_directories(folder.File("デスク トップ"));
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    UiTest::TearDown();
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(LauncherWindowTest, TheSettingsWindowsMenuMakesLaunchersInTheUsersFolders) {
  settings.SaveSortSetting("my words", SettingDefaults());
  TOptions options;
  options.DefaultSettingName = "my words";
  settings.SaveOptions(options);
  // A hidden "Open With" launcher of an earlier version: its replacement is offered once.
  const std::string old = folder.Write("data/applications/Zorbe 2nd [old].desktop",
                                       "[Desktop Entry]\nType=Application\nExec=zorbe old %F\n"
                                       "MimeType=text/plain;\nNoDisplay=true\n");
  TMainForm form(settings, shell);
  form.show();
  messages.SetHook([](const std::string& text) -> std::optional<TMsgResult> {
    if (text.starts_with("現在の設定名")) {
      return TMsgResult::Yes;
    }
    return std::nullopt; // the offer: No
  });
  // The settings window is modal: its menu is chosen once it is shown.
  for (const int item : {0, 1}) {
    QTimer::singleShot(0, [item] {
      auto* window = qobject_cast<TSettingForm*>(QApplication::activeModalWidget());
      ASSERT_NE(window, nullptr);
      Find<QMenu>(window, "pmShortcut")->actions().at(item)->trigger();
      window->reject();
    });
    form.OpenSortSettings();
  }
  const std::string onDesktop = folder.File("デスク トップ/Zorbe 2nd [my words].desktop");
  const std::string entry = test::ReadBytes(onDesktop);
  EXPECT_NE(
      entry.find("\nExec=\"" + ConsoleProgramFileName() + "\" \"--setting=my words\" -- %F\n"),
      std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nPath=" + ProgramFolder() + "\n"), std::string::npos) << entry;
  const std::string rightClick[] = {
      folder.File("data/file-manager/actions/Zorbe 2nd [my words].desktop"),
      folder.File("data/nemo/actions/Zorbe 2nd [my words].nemo_action"),
      folder.File("data/kio/servicemenus/Zorbe 2nd [my words].desktop"),
      folder.File("data/nautilus/scripts/Zorbe 2nd [my words]"),
      folder.File("config/caja/scripts/Zorbe 2nd [my words]")};
  for (const std::string& file : rightClick) {
    EXPECT_NE(test::ReadBytes(file).find(ConsoleProgramFileName()), std::string::npos) << file;
  }
  EXPECT_FALSE(
      std::filesystem::exists(folder.File("data/applications/Zorbe 2nd [my words].desktop")));
  EXPECT_TRUE(std::filesystem::exists(old)); // the offer was declined
  const std::vector<std::string> texts = messages.Texts();
  ASSERT_EQ(texts.size(), 5u); // the offer on the first opening only
  EXPECT_EQ(texts[0].find("以前のバージョンが「送る」で作成したショートカットが 1 個"), 0u);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
            (std::vector<std::string>{"現在の設定名「my words」でショートカットを作成しますか？",
                                      "ショートカットを作成しました。",
                                      "現在の設定名「my words」でショートカットを作成しますか？",
                                      "ショートカットを作成しました。"}));
  messages.Clear();

  // Deleting the setting in the window removes its right-click entries.
  messages.SetHook([](const std::string& text) -> std::optional<TMsgResult> {
    return text.find("を、削除します。") != std::string::npos ? std::optional(TMsgResult::Yes)
                                                              : std::nullopt;
  });
  QTimer::singleShot(0, [] {
    auto* window = qobject_cast<TSettingForm*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    Find<QPushButton>(window, "bnDel")->click();
    window->reject();
  });
  form.OpenSortSettings();
  for (const std::string& file : rightClick) {
    EXPECT_FALSE(std::filesystem::exists(file)) << file;
  }
  EXPECT_TRUE(std::filesystem::exists(onDesktop));
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"ソート設定名「my words」を、削除します。\r\n宜しいですか？",
                                      "ソート設定名「my words」を削除しました。"}));
}

} // namespace
} // namespace zorbe
