#include "app/clipboard_sort.h"

#include "app/message_routine.h"
#include "app/program_folder.h"
#include "scripted_message_box.h"
#include "test_support.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using test::Sjis;

class TFakeClipboard : public IClipboard {
public:
  bool HasText() const override { return true; }
  std::string Text() const override { return text; }
  void SetText(const std::string& utf8) override {
    text = utf8;
    ++sets;
  }
  std::string text;
  int sets = 0;
};

class ClipboardSort : public testing::Test {
protected:
  void SetUp() override {
    previousFolder_ = ProgramFolder();
    SetProgramFolder((folder.Path() / "program").string());
    SetMessageBox(&messages);
  }
  void TearDown() override {
    SetMessageBox(nullptr);
    SetProgramFolder(previousFolder_);
  }

  test::TTempFolder folder;
  test::TScriptedMessageBox messages;
  std::string previousFolder_;
};

TEST_F(ClipboardSort, TheTextGoesThroughClipTxtInTheProgramFolder) {
  TSettingOptionItems setting = SettingDefaults("x");
  setting.NoConnected = true;
  setting.OutputFolder = "/elsewhere";
  for (const TClipboardMode mode : {cmClipToClip, cmClipToFile}) {
    const std::optional<TClipboardJob> job =
        PrepareClipboardSort(mode, "い\nあ", setting, "/out/field.txt");
    ASSERT_TRUE(job.has_value());
    const std::string clip = folder.File("program/Clip.txt"); // the folder is made on first use
    EXPECT_EQ(ClipboardFileName(), clip);
    EXPECT_EQ(test::ReadBytes(clip), Sjis("い\nあ"));
    EXPECT_EQ(job->inputs.files, std::vector<std::string>{clip});
    EXPECT_EQ(job->inputs.codes, std::vector<TCharCode>{ccShiftJis});
    EXPECT_EQ(job->inputs.outputName, mode == cmClipToClip ? clip : "/out/field.txt");
    EXPECT_FALSE(job->inputs.setting.NoConnected); // one output, whatever the setting says
    EXPECT_EQ(job->inputs.setting.OutputFolder, "/elsewhere");
  }
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(ClipboardModeOfItem("mmClipToClip"), cmClipToClip);
  EXPECT_EQ(ClipboardModeOfItem("mmClipToFile"), cmClipToFile);
  EXPECT_EQ(ClipboardModeOfItem("mmOpen"), cmNone);
  EXPECT_FALSE(PrepareClipboardSort(cmNone, "a", setting, "").has_value());
}

// A text CP932 can't carry is a UTF-8 target; put back on the clipboard it is written as UTF-8
// whatever the setting's output code, into a file it follows the setting.
TEST_F(ClipboardSort, TextCp932CantCarryIsAUtf8Target) {
  TSettingOptionItems setting = SettingDefaults("x");
  setting.OutputCode = ocShiftJis;
  setting.OutputLineEnd = leLf;
  for (const TClipboardMode mode : {cmClipToClip, cmClipToFile}) {
    const std::optional<TClipboardJob> job = PrepareClipboardSort(mode, "b\n𠮷a", setting, "");
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(test::ReadBytes(ClipboardFileName()), "b\n𠮷a");
    EXPECT_EQ(job->inputs.codes, std::vector<TCharCode>{ccUtf8});
    EXPECT_EQ(job->inputs.setting.OutputCode, mode == cmClipToClip ? ocUtf8 : ocShiftJis);
    EXPECT_EQ(job->inputs.setting.OutputLineEnd, mode == cmClipToClip ? leCrLf : leLf);
  }
  // A Shift-JIS text goes back as Shift-JIS with CR LF, whatever the setting says.
  setting.OutputCode = ocUtf8;
  const std::optional<TClipboardJob> job = PrepareClipboardSort(cmClipToClip, "b\na", setting, "");
  ASSERT_TRUE(job.has_value());
  EXPECT_EQ(job->inputs.setting.OutputCode, ocShiftJis);
  EXPECT_EQ(job->inputs.setting.OutputLineEnd, leCrLf);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ClipboardSort, AProgramFolderThatCantHoldTheFileIsReported) {
  test::WriteBytes(folder.File("program"), "a file where the folder should be");
  EXPECT_FALSE(PrepareClipboardSort(cmClipToClip, "a", {}, "").has_value());
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].text.find("Clip.txt"), std::string::npos);
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Error);
}

TEST_F(ClipboardSort, EndStepPutsAChangedResultBackAndDeletesTheTemporaryFile) {
  struct Case {
    const char* name;
    TClipboardMode mode;
    std::string fileAtEnd; // what the job left in Clip.txt
    int clipboardSets;
    std::string clipboardAfter;
  };
  const Case cases[] = {
      {"sorted", cmClipToClip, Sjis("あ\r\nい\r\n"), 1, "あ\nい\n"},
      // Stopped, refused overwrite or failed: the clipboard keeps what it has.
      {"not written", cmClipToClip, Sjis("い\nあ"), 0, "other"},
      {"into a file", cmClipToFile, Sjis("い\nあ"), 0, "other"},
  };
  for (const Case& c : cases) {
    std::optional<TClipboardJob> job = PrepareClipboardSort(c.mode, "い\nあ", {}, "");
    ASSERT_TRUE(job.has_value());
    test::WriteBytes(ClipboardFileName(), c.fileAtEnd);
    TFakeClipboard clipboard;
    clipboard.text = "other";
    FinishClipboardSort(c.mode, job->text, folder.File("program/Clip[0].txt"), clipboard);
    EXPECT_EQ(clipboard.sets, c.clipboardSets) << c.name;
    EXPECT_EQ(clipboard.text, c.clipboardSets > 0 ? c.clipboardAfter : "other") << c.name;
    EXPECT_FALSE(std::filesystem::exists(ClipboardFileName())) << c.name;
  }
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ClipboardSort, EndStepReportsAnUnreadableResultAndKeepsAResultNamedClipTxt) {
  std::optional<TClipboardJob> job = PrepareClipboardSort(cmClipToClip, "b\na", {}, "");
  ASSERT_TRUE(job.has_value());
  std::filesystem::remove(ClipboardFileName());
  TFakeClipboard clipboard;
  FinishClipboardSort(cmClipToClip, job->text, ClipboardFileName(), clipboard);
  EXPECT_EQ(clipboard.sets, 0);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].text.find("Clip.txt"), std::string::npos);

  // A setting whose output file name is Clip.txt in the program folder: that is the result.
  job = PrepareClipboardSort(cmClipToFile, "b\na", {}, "");
  test::WriteBytes(ClipboardFileName(), "a\r\nb\r\n");
  FinishClipboardSort(cmClipToFile, job->text, "\"" + ClipboardFileName() + "\"", clipboard);
  EXPECT_EQ(test::ReadBytes(ClipboardFileName()), "a\r\nb\r\n");
}

} // namespace
} // namespace zorbe
