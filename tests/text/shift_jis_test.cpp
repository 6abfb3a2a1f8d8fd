#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

TEST(CaseConversion, AsciiLettersOnlyAndNeverATrailByte) {
  const struct {
    std::string text, lower, upper;
  } cases[] = {
      {"AbC", "abc", "ABC"},
      {"\x83\x41Z", "\x83\x41z", "\x83\x41Z"},                      // ア keeps its trail byte 0x41
      {"\x82\x60\x82\x81", "\x82\x60\x82\x81", "\x82\x60\x82\x81"}, // full-width letters stay
      {"\xB1"
       "a",
       "\xB1"
       "a",
       "\xB1"
       "A"},                       // half-width katakana is one byte
      {"a\x83", "a\x83", "A\x83"}, // a lone lead byte at the end
      {"\x83z", "\x83z", "\x83z"}, // z is the trail byte of 0x83
  };
  for (const auto& c : cases) {
    std::string lower = c.text;
    LowerCaseInPlace(lower);
    EXPECT_EQ(lower, c.lower);
    std::string upper = c.text;
    UpperCaseInPlace(upper);
    EXPECT_EQ(upper, c.upper);
  }
}

TEST(CompareFolded, EqualsComparingLowerCasedCopies) {
  std::mt19937 random(5);
  const std::string alphabet = std::string("aAbB\x83\x41\x61\x82", 8);
  auto word = [&] {
    std::string s;
    for (int n = random() % 6; n > 0; --n) {
      s += alphabet[random() % alphabet.size()];
    }
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string a = word();
    const std::string b = word();
    ASSERT_EQ(CompareFolded(a, b), CompareBytes(LowerCased(a), LowerCased(b)))
        << testing::PrintToString(a) << " " << testing::PrintToString(b);
    ASSERT_EQ(EqualFolded(a, b), LowerCased(a) == LowerCased(b));
  }
}

} // namespace
} // namespace zorbe
