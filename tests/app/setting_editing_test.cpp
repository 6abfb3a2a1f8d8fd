#include "app/setting_editing.h"

#include "app/message_routine.h"
#include "scripted_message_box.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

class SettingEditingTest : public testing::Test {
protected:
  void SetUp() override { SetMessageBox(&messages); }
  void TearDown() override { SetMessageBox(nullptr); }
  std::vector<std::string> Texts() const { return messages.Texts(); }
  bool Save(const std::string& name, bool duplicate) {
    return SaveSettingAsked(settings, name, saved, [duplicate](TSettingOptionItems& record) {
      record = SettingDefaults();
      record.Duplicate = duplicate;
    });
  }

  test::TTempFolder folder;
  TSettingsFile settings{folder.File("zorbe.ini")};
  test::TScriptedMessageBox messages;
  TSettingOptionItems saved;
};

TEST_F(SettingEditingTest, SaveNewThenAskBeforeReplacing) {
  EXPECT_TRUE(Save("A", true));
  EXPECT_TRUE(settings.LoadSortSetting("A").Duplicate);
  EXPECT_TRUE(saved.Duplicate);
  const std::string before = test::ReadBytes(settings.FileName());

  messages.SetNextAnswer(TMsgResult::No);
  EXPECT_FALSE(Save("A", false));
  EXPECT_EQ(test::ReadBytes(settings.FileName()), before);

  messages.SetNextAnswer(TMsgResult::Yes);
  EXPECT_TRUE(Save("A", false));
  EXPECT_FALSE(settings.LoadSortSetting("A").Duplicate);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "ソート設定名「A」を保存しました。",
                         "ソート設定名「A」は、既に存在しています。\r\n上書きしますか？",
                         "ソート設定名「A」を保存しませんでした。",
                         "ソート設定名「A」は、既に存在しています。\r\n上書きしますか？",
                         "ソート設定名「A」を保存しました。"}));
  EXPECT_EQ(messages.Messages()[1].kind, TMsgKind::Warning);
  EXPECT_EQ(messages.Messages()[1].buttons, TMsgButtons::YesNoDefaultNo);
  EXPECT_EQ(messages.Messages()[2].kind, TMsgKind::Information);
}

TEST_F(SettingEditingTest, EmptyNameIsRefusedByBoth) {
  EXPECT_FALSE(Save("", true));
  EXPECT_FALSE(DeleteSettingAsked(settings, ""));
  EXPECT_EQ(Texts(), (std::vector<std::string>(2, kNoSettingNameMessage)));
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Error);
  EXPECT_FALSE(std::filesystem::exists(settings.FileName()));
}

TEST_F(SettingEditingTest, DeleteAsksAndKeepsTheOtherSectionsInOrder) {
  Save("A", true);
  Save("B", true);
  Save("C", true);
  messages.SetNextAnswer(TMsgResult::No);
  EXPECT_FALSE(DeleteSettingAsked(settings, "B"));
  EXPECT_TRUE(settings.SortSettingExists("B"));
  messages.SetNextAnswer(TMsgResult::Yes);
  EXPECT_TRUE(DeleteSettingAsked(settings, "B"));
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", "A", "C", ""}));
  const std::vector<std::string> texts = Texts();
  EXPECT_EQ(texts[texts.size() - 2], "ソート設定名「B」を、削除します。\r\n宜しいですか？");
  EXPECT_EQ(messages.Messages()[texts.size() - 2].buttons, TMsgButtons::YesNoDefaultNo);
  EXPECT_EQ(texts.back(), "ソート設定名「B」を削除しました。");
}

} // namespace
} // namespace zorbe
