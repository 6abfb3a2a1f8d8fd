#include "engine/line_conversions.h"

#include "engine/line_conversions_reference.h"

#include "test_support.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

TEST(LineConversions, SkippingNeverChangesTheResult) {
  std::mt19937 random(17);
  // Characters of every kind, odd kana-row codes and lone lead bytes included.
  const std::vector<std::string> pieces = {"a",
                                           "Z",
                                           "5",
                                           " ",
                                           ",",
                                           "\\",
                                           "~",
                                           "\xB1",
                                           "\xDE",
                                           "\xDF",
                                           "\xB0",
                                           "\xA1",
                                           "\xA4",
                                           "\xCA",
                                           test::Sjis("ア"),
                                           test::Sjis("が"),
                                           test::Sjis("ヴ"),
                                           test::Sjis("Ａ"),
                                           test::Sjis("ｚ"),
                                           test::Sjis("９"),
                                           test::Sjis("、"),
                                           test::Sjis("￥"),
                                           test::Sjis("　"),
                                           test::Sjis("ー"),
                                           test::Sjis("漢"),
                                           "\x82\xF5",
                                           "\x83\x99",
                                           "\x82\x40",
                                           "\x83",
                                           "\x81"};
  for (int round = 0; round < 30000; ++round) {
    TSettingOptionItems s = SettingDefaults();
    s.Pun = static_cast<int>(random() % 3);
    s.Num = static_cast<int>(random() % 3);
    s.Alpha = static_cast<int>(random() % 3);
    s.KataKana = static_cast<int>(random() % 3);
    s.AlphaUL = static_cast<int>(random() % 3);
    s.CsvSupport = random() % 4 == 0;
    std::string line;
    for (int n = static_cast<int>(random() % 8) + 1; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
    const TLineConversions conversions(s);
    std::string a, b;
    ASSERT_EQ(std::string(conversions.Apply(line, a, b)), ConvertEveryStep(line, s))
        << testing::PrintToString(line);
  }
}

TEST(LineConversions, NothingChosenOrNothingToConvertCopiesNothing) {
  TSettingOptionItems s = SettingDefaults();
  EXPECT_FALSE(TLineConversions(s).Any());
  s.Num = 1;
  s.AlphaUL = 1;
  const TLineConversions conversions(s);
  std::string a, b;
  const std::string line = test::Sjis("かな漢字abc");
  EXPECT_EQ(conversions.Apply(line, a, b).data(), line.data());
}

} // namespace
} // namespace zorbe
