// Sort jobs by reading, end to end: dictionary order across kanji and kana, reverse order,
// classes and column keys on the reading, exact-byte duplicates and fixed ties.

#include "engine/job_test_support.h"
#include "engine/sort_job.h"
#include "text/reading_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zorbe {
namespace {

class ReadingJobTest : public testing::Test {
protected:
  void SetUp() override {
    try {
      TReadingDictionary dictionary;
    } catch (const EReadingUnavailable&) {
      GTEST_SKIP() << "MeCab or mecab-ipadic-utf8 is not installed";
    }
    setting.SortByReading = true;
  }
  // Sorts UTF-8 lines (LF) and returns the output's lines joined by spaces.
  std::string Sort(const std::string& lines) {
    std::filesystem::remove(out);
    TSortJobInputs inputs{setting, {folder.Write("in.txt", lines)}, {ccUtf8}, out};
    const TJobResult result = RunSortJob(inputs, host, control);
    EXPECT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
    std::string text = std::filesystem::exists(out) ? test::ReadBytes(out) : "(none)";
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
  }

  test::TTempFolder folder;
  std::string out = folder.File("out.txt");
  TSettingOptionItems setting = SettingDefaults();
  TJobControl control;
  test::TRecordingHost host{control, true};
};

TEST_F(ReadingJobTest, SortsByReadingUnderEachSetting) {
  const std::string places = "東京\n大阪\nさくら\n京都\n";
  const struct {
    const char* name;
    void (*apply)(TSettingOptionItems&);
    std::string input;
    std::string expected;
  } cases[] = {
      {"ascending", [](TSettingOptionItems&) {}, places, "大阪 京都 さくら 東京 "},
      {"descending", [](TSettingOptionItems& s) { s.SortDirection = 1; }, places,
       "東京 さくら 京都 大阪 "},
      {"no classes", [](TSettingOptionItems& s) { s.CharTypeOrder = false; }, places,
       "大阪 京都 さくら 東京 "},
      {"duplicates are the same bytes", [](TSettingOptionItems& s) { s.Duplicate = true; },
       "東京\nトウキョウ\n東京\n", "トウキョウ 東京 "},
      {"column key",
       [](TSettingOptionItems& s) {
         s.CsvSupport = true;
         s.TargetCsvIndex = 1;
       },
       "1,東京\n2,大阪\n3,京都\n", "2,大阪 3,京都 1,東京 "},
      {"voicing after the plain kana", [](TSettingOptionItems&) {}, "ガード\nカード\nカート\n",
       "カート カード ガード "},
      {"equal readings by their bytes", [](TSettingOptionItems&) {}, "箸\n橋\n", "橋 箸 "},
      {"duplicates but for letter case",
       [](TSettingOptionItems& s) {
         s.Distinction = true;
         s.Duplicate = true;
       },
       "abc 東京\nB\nさくら\nABC 東京\nAbc 東京\n", "ABC 東京 B さくら "},
      {"numbers read as their values",
       [](TSettingOptionItems& s) {
         s.NumberOrder = 2;
         s.CharTypeOrder = false;
       },
       "第十章\n第2章\n第10章\n第三章\n", "第2章 第三章 第10章 第十章 "},
      {"a number's class as written", [](TSettingOptionItems& s) { s.NumberOrder = 1; },
       "２番\nあ\n10番\n", "10番 ２番 あ "},
  };
  for (const auto& c : cases) {
    setting = SettingDefaults();
    setting.SortByReading = true;
    c.apply(setting);
    EXPECT_EQ(Sort(c.input), c.expected) << c.name;
  }
}

TEST_F(ReadingJobTest, UnorderedJobsNeedNoReadings) {
  setting.SortDirection = 2;
  EXPECT_EQ(Sort("東京\n大阪\n"), "東京 大阪 ");
}

} // namespace
} // namespace zorbe
