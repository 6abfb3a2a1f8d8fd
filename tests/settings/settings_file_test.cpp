#include "settings/settings_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

class SettingsFileTest : public testing::Test {
protected:
  test::TTempFolder folder;
  TSettingsFile settings{folder.File("zorbe.ini")};
};

TEST_F(SettingsFileTest, NoFileGivesTheTemporarySettingAndAnEmptyEntry) {
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", ""}));
  EXPECT_EQ(settings.LoadOptions(), TOptions{});
}

TEST_F(SettingsFileTest, MissingSectionGivesDefaults) {
  EXPECT_EQ(settings.LoadSortSetting("nothing"), SettingDefaults("nothing"));
  EXPECT_EQ(settings.LoadSortSetting("").SettingName, "");
}

TEST_F(SettingsFileTest, SaveAndLoadEveryField) {
  TSettingOptionItems record = SettingDefaults("ignored");
  record.SortDirection = 2;
  record.CharTypeOrder = false;
  record.OrderOfRow = "全角 - 漢字;半角 - 数字";
  record.Duplicate = record.ReturnDel = record.FBSpaceDel = record.Distinction = true;
  record.NoConnected = record.CsvSupport = record.CsvNotRestore = record.CharPos = true;
  record.LineEndCount = record.BaseFuzzyCharDicUses = record.SortByReading = true;
  record.NumberOrder = 1;
  record.TargetCsvIndex = 3;
  record.InsertCsvIndex = -1;
  record.CsvDelimiter = 2;
  record.CharPosCount = 7;
  record.Pun = 1;
  record.Num = 2;
  record.Alpha = 1;
  record.KataKana = 2;
  record.AlphaUL = 1;
  record.DelChars = "/d/del.txt";
  record.CLTC = "  #;//";
  record.Replacement = "置換.txt";
  record.SynonymDic = "s.txt";
  record.FuzzyCharDic = "f.txt";
  record.OutputFolder = "/out";
  record.OutputFilename = "result.txt";
  record.OutputCode = ocUtf8;
  record.OutputLineEnd = leCrLf;
  settings.SaveSortSetting("A", record);
  settings.SaveSortSetting("B", SettingDefaults());

  TSettingOptionItems expected = record;
  expected.SettingName = "A";
  expected.CLTC = "#;//"; // leading blanks don't survive the file
  EXPECT_EQ(settings.LoadSortSetting("A"), expected);
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", "A", "B", ""}));
  const std::string text = test::ReadBytes(settings.FileName());
  EXPECT_LT(text.find("[A]"), text.find("[B]"));
  EXPECT_LT(text.find("SortDirection"), text.find("OutputFilename"));
  EXPECT_EQ(text.find("SettingName"), std::string::npos);
}

TEST_F(SettingsFileTest, EmptyNameWritesNothingAndTemporaryIsListedOnce) {
  settings.SaveSortSetting("", SettingDefaults());
  EXPECT_FALSE(std::filesystem::exists(settings.FileName()));
  settings.SaveSortSetting("一時設定", SettingDefaults());
  settings.SaveOptions(TOptions{});
  EXPECT_TRUE(settings.SortSettingExists("一時設定"));
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", ""}));
}

TEST_F(SettingsFileTest, LowerCaseOptionIsASettingName) {
  test::WriteBytes(settings.FileName(), "[option]\nTop=5\n[X]\n");
  EXPECT_EQ(settings.ListSortSettingNames(),
            (std::vector<std::string>{"一時設定", "option", "X", ""}));
  EXPECT_EQ(settings.LoadOptions().Top, 5); // lookups ignore letter case
}

TEST_F(SettingsFileTest, DeleteKeepsTheOtherSectionsInOrder) {
  for (const char* name : {"A", "B", "C"}) {
    settings.SaveSortSetting(name, SettingDefaults());
  }
  settings.DeleteSortSetting("B");
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", "A", "C", ""}));
  EXPECT_FALSE(settings.SortSettingExists("B"));
}

TEST_F(SettingsFileTest, OptionsRoundTripAndBadValuesReadAsDefaults) {
  TOptions options;
  options.Top = 10;
  options.Left = 20;
  options.Width = 300;
  options.Height = 400;
  options.DefaultSettingName = "A";
  options.OnTheTop = options.SortedSoon = options.EditorOpen = options.Flash = true;
  options.SortEndListViewClear = options.SettingWindowTab = true;
  options.WaveFileName = "/end.wav";
  options.FlashSec = 30;
  options.EditorPath = "/usr/bin/editor";
  options.MemoryLimit = 512;
  settings.SaveOptions(options);
  EXPECT_EQ(settings.LoadOptions(), options);

  test::WriteBytes(settings.FileName(),
                   "[Option]\nFlashSec=many\nFlash=2\n[S]\nSortDirection=300\nCharTypeOrder=x\n");
  EXPECT_EQ(settings.LoadOptions().FlashSec, 1);
  EXPECT_TRUE(settings.LoadOptions().Flash);
  EXPECT_EQ(settings.LoadSortSetting("S").SortDirection, 44); // kept in 8 bits
  EXPECT_TRUE(settings.LoadSortSetting("S").CharTypeOrder);
}

// A file saved by a Windows editor, with a byte-order mark: its first setting is listed and
// loaded, and saving the options (as closing the main window does) keeps it.
TEST_F(SettingsFileTest, SettingBehindAByteOrderMarkIsFoundAndKept) {
  test::WriteBytes(settings.FileName(), "\xEF\xBB\xBF[逆]\r\nSortDirection=1\r\n");
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", "逆", ""}));
  EXPECT_EQ(settings.LoadSortSetting("逆").SortDirection, 1);
  settings.SaveOptions(TOptions{});
  EXPECT_EQ(settings.LoadSortSetting("逆").SortDirection, 1);
  EXPECT_TRUE(settings.SortSettingExists("逆"));
}

} // namespace
} // namespace zorbe
