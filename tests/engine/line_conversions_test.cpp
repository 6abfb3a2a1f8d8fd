#include "engine/line_conversions.h"

#include "test_support.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

// The conversions one after another, every one of them run: what the quick scan may skip must
// never change the result.
std::string Reference(std::string line, const TSettingOptionItems& s) {
  auto apply = [&line](int value, std::string (*one)(std::string_view),
                       std::string (*two)(std::string_view)) {
    if (value == 1) {
      line = one(line);
    } else if (value == 2) {
      line = two(line);
    }
  };
  if (!s.CsvSupport) {
    apply(s.Pun, SymbolsToHalfWidth, SymbolsToFullWidth);
  }
  apply(s.Num, DigitsToHalfWidth, DigitsToFullWidth);
  apply(s.Alpha, LettersToHalfWidth, LettersToFullWidth);
  apply(s.KataKana, KatakanaToHalfWidth, KatakanaToFullWidth);
  if (s.AlphaUL == 1) {
    LowerCaseInPlace(line);
  } else if (s.AlphaUL == 2) {
    UpperCaseInPlace(line);
  }
  return line;
}

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
    ASSERT_EQ(std::string(conversions.Apply(line, a, b)), Reference(line, s))
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
