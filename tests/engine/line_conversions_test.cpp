#include "engine/line_conversions.h"

#include "engine/line_conversions_reference.h"

#include "test_support.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

TEST(LineConversions, GiveWhatEveryStepInTurnGives) {
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
    int values[5];
    for (int& value : values) {
      value = static_cast<int>(random() % 3);
    }
    const TSettingOptionItems s =
        ConversionSetting(values[0], values[1], values[2], values[3], values[4], random() % 4 == 0);
    std::string line;
    for (int n = static_cast<int>(random() % 8) + 1; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
    const TLineConversions conversions(s);
    std::string a, b;
    const std::string expected = ConvertEveryStep(line, s);
    ASSERT_EQ(std::string(conversions.Apply(line, a, b)), expected) << testing::PrintToString(line);
    if (conversions.NeverLonger()) {
      std::string inPlace = line;
      inPlace.resize(conversions.ApplyInPlace(inPlace.data(), inPlace.size()));
      ASSERT_EQ(inPlace, expected) << testing::PrintToString(line);
    }
  }
}

TEST(LineConversions, OnlyConversionsToHalfWidthAndCaseWorkInPlace) {
  struct TCase {
    int pun, num, alpha, kataKana, alphaUL;
    bool csv;
    bool neverLonger;
  };
  const TCase cases[] = {
      {0, 0, 0, 0, 0, false, false}, {1, 1, 1, 1, 1, false, true},  {0, 0, 0, 0, 2, false, true},
      {2, 0, 0, 0, 0, false, false}, {2, 0, 0, 0, 1, true, true},   {0, 0, 0, 2, 0, false, false},
      {0, 2, 1, 1, 0, false, false}, {1, 1, 2, 1, 0, false, false},
  };
  for (const TCase& c : cases) {
    const TSettingOptionItems s =
        ConversionSetting(c.pun, c.num, c.alpha, c.kataKana, c.alphaUL, c.csv);
    EXPECT_EQ(TLineConversions(s).NeverLonger(), c.neverLonger)
        << c.pun << c.num << c.alpha << c.kataKana << c.alphaUL << c.csv;
  }
}

// Characters CP932 lacks and the other characters of shared codes are left alone: the stretches
// around them are converted as they would be by themselves (a sound mark after an escape has no
// letter to join).
TEST(LineConversions, LeaveCharactersCp932LacksAndTheOtherFormsOfSharedCodesAlone) {
  const struct {
    int value; // every conversion: 1 to half width and lower case, 2 to full width and upper
    std::string line, expected;
  } cases[] = {
      {2, "ｱé1", "アé１"},     {2, "ｶ가ﾞx", "カ가ﾞｘ"}, // upper case changes ASCII letters only,
                                                        // after the width
      {2, "a¥b‾", "ａ¥ｂ‾"},   {1, "Ａ〜Ｂ", "a〜b"},   {1, "－−ＡÉ", "-−aÉ"},
      {1, "ｶﾞ𠮷ガ", "ｶﾞ𠮷ｶﾞ"}, {1, "가", "가"},
  };
  for (const auto& c : cases) {
    const TLineConversions conversions(
        ConversionSetting(c.value, c.value, c.value, c.value, c.value, false));
    const std::string line = test::Internal(c.line);
    std::string a, b;
    EXPECT_EQ(test::Utf8OfInternal(conversions.Apply(line, a, b)), c.expected) << c.line;
    if (conversions.NeverLonger()) {
      std::string inPlace = line;
      inPlace.resize(conversions.ApplyInPlace(inPlace.data(), inPlace.size()));
      EXPECT_EQ(test::Utf8OfInternal(inPlace), c.expected) << c.line;
    }
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
