#include "app/job_start.h"

#include "app/message_routine.h"
#include "app/output_field.h"
#include "scripted_message_box.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(JobStart, RowsBecomeTheJobsListsInListOrder) {
  test::TTempFolder folder;
  const std::string a = folder.Write("a.txt", "a");
  const std::string b = folder.Write("b.txt", "b");
  TSettingOptionItems setting = SettingDefaults("x");
  setting.Duplicate = true;
  const std::optional<TSortJobInputs> inputs =
      JobInputsFromRows({{b, ccEuc}, {a, ccShiftJis}, {b, ccEuc}}, setting, "out.txt");
  ASSERT_TRUE(inputs.has_value());
  EXPECT_EQ(inputs->files, (std::vector<std::string>{b, a, b}));
  EXPECT_EQ(inputs->codes, (std::vector<TCharCode>{ccEuc, ccShiftJis, ccEuc}));
  EXPECT_EQ(inputs->outputName, "out.txt");
  EXPECT_EQ(inputs->setting, setting);
}

TEST(JobStart, AFileGoneSinceItWasAddedStopsTheStartWithItsName) {
  test::TTempFolder folder;
  const std::string a = folder.Write("a.txt", "a");
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  const std::optional<TSortJobInputs> inputs =
      JobInputsFromRows({{a, ccShiftJis}, {folder.File("gone.txt"), ccShiftJis}}, {}, "");
  SetMessageBox(nullptr);
  EXPECT_FALSE(inputs.has_value());
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text,
            "「" + folder.File("gone.txt") + "」は存在しません。\r\n処理を中止します。");
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Error);
}

TEST(OutputField, NameReadBackLikeACommandLine) {
  test::TTempFolder folder;
  const std::string spaced = folder.Write("with blank.txt", "x");
  const struct {
    std::string text;
    std::string name;
  } cases[] = {
      {"", ""},
      {QuotedName("/tmp/a b/c[0].txt"), "/tmp/a b/c[0].txt"},
      {"/new/a b.txt", "/new/a"}, // an unquoted new name with a blank: its first word
      {spaced, spaced},           // an existing file is taken whole
      {"  \"x\"y z", "xy"},       // quotes group and vanish inside an item
      {"\"unclosed name", "unclosed name"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutputFieldFileName(c.text), c.name) << c.text;
  }
}

} // namespace
} // namespace zorbe
