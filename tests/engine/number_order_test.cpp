// The number-aware order of lines: tables of what is a number and what it is worth, an oracle
// for plain digits, and the laws of a total order on random lines.

#include "engine/number_order.h"

#include "test_support.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

namespace zorbe {
namespace {

using test::Sjis;

int Compare(const std::string& a, const std::string& b, int mode, bool fold = false,
            bool commas = true) {
  return CompareNumbered(Sjis(a), Sjis(b), {mode, fold, commas, false});
}

struct TCase {
  const char* a;
  const char* b; // a comes first: a < b
  int mode;
};

TEST(NumberOrder, NumbersCompareByValueWhereBothHaveOne) {
  const TCase cases[] = {
      // digits, both widths, and text around them
      {"第2章", "第10章", 1},
      {"1丁目2番", "1丁目10番", 1},
      {"file9", "file10", 1},
      {"２", "１０", 1},
      {"1０", "２0", 1},  // widths mixed in one number
      {"1", "a", 1},      // a number against text: as a half-width digit
      {"1", "A", 1},      // B-Z and a-z too: digits come before letters
      {"!", "1", 1},      // and after the symbols below '0'
      {"", "0", 1},       // the end of a line first
      {"1.9", "1.10", 1}, // versions: 1, ".", 9 against 10
      {"12345678901234567890123", "123456789012345678901234", 1}, // no limit to digits
      // commas group digits in threes
      {"2", "1,234", 1},
      {"1,234", "1235", 1},
      {"1,5", "2", 1},    // not a group of three: 1, the text ",", 5
      {"1,2345", "2", 1}, // a fourth digit: not a group either
      {"1234,567", "2,000", 1},
      // equal values: fewer leading zeros first, then the number's own bytes
      {"2", "02", 1},
      {"02", "002", 1},
      {"0", "00", 1},
      {"2", "２", 1},
      {"２", "02", 1},
      {"２", "二", 2},
      {"二", "02", 2},
      {"2x", "２a", 1}, // decided at the number, before the text after it
      // kanji numerals with mode 2 only
      {"十", "二", 1},
      {"二", "十", 2},
      {"二丁目", "十丁目", 2},
      {"九", "十", 2},
      {"二〇二五", "二千二十六", 2},
      {"二千二十五", "二〇二六", 2},
      {"千九百九十九", "二千", 2},
      {"百", "百一", 2},
      {"拾", "十一", 2},
      {"弐", "参", 2},
      {"三万五千", "三万五千一", 2},
      {"9999", "一万", 2},
      {"1万2000", "12001", 2},
      {"11999", "1万2000", 2},
      {"1億", "100000001", 2},
      {"99999999", "1億", 2},
      {"1兆", "1000000000001", 2},
      {"二千万", "20000001", 2},
      {"1,000万", "10000001", 2},
      {"12345万", "123450001", 2},
      {"2千", "2001", 2},
      // malformed runs: read as far as well formed, the rest is text
      {"十", "十十", 2},     // 10 and 十 as text
      {"十十", "十一", 2},   // 10 then text, against 11
      {"一", "万", 2},       // 万 needs a number before it: text, after every number
      {"1万万", "10001", 2}, // 1万 = 10000, then 万 as text
      {"一般", "二", 2},     // the price of the mode: 一般 is 1 and 般
      {"九州", "十", 2},
  };
  for (const TCase& c : cases) {
    EXPECT_LT(Compare(c.a, c.b, c.mode), 0) << c.a << " < " << c.b << ", mode " << c.mode;
    EXPECT_GT(Compare(c.b, c.a, c.mode), 0) << c.b << " > " << c.a << ", mode " << c.mode;
  }
}

TEST(NumberOrder, FoldingDescendingAndColumnCommas) {
  EXPECT_EQ(Compare("A10", "a10", 1, true), 0);
  EXPECT_LT(Compare("A9", "a10", 1, true), 0);
  EXPECT_LT(Compare("A10", "a10", 1, false), 0);
  EXPECT_EQ(CompareNumbered(Sjis("x2"), Sjis("x10"), {noDigits, false, true, true}), 1);
  EXPECT_EQ(CompareNumbered(Sjis("x2"), Sjis("x2"), {noDigits, false, true, true}), 0);
  // A comma that delimits columns never groups digits.
  EXPECT_GT(Compare("1,234", "2", 1, false, true), 0);
  EXPECT_LT(Compare("1,234", "2", 1, false, false), 0);
}

TEST(NumberOrder, ALineEndsAtItsLineEnd) {
  const std::string a = "a10\nz";
  const std::string b = "a9\ry";
  EXPECT_GT(CompareNumbered(a.data(), nullptr, b.data(), nullptr, {noDigits}), 0);
  EXPECT_EQ(CompareNumbered(a.data(), nullptr, a.data(), a.data() + 3, {noDigits}), 0);
}

// The numbers of a line and keys that order by value, then leading zeros.
TEST(NumberOrder, NumbersOfALine) {
  const std::string line = Sjis("x007y1,234 十十 ") + std::string(12, '9');
  const std::vector<TNumberSpan> numbers = NumbersOf(line, {noKanji});
  ASSERT_EQ(numbers.size(), 4U);
  const std::pair<std::size_t, std::size_t> places[] = {{1, 4}, {5, 10}, {11, 13}, {16, 28}};
  const char* const keys[] = {"172", "412340", "2100", "90000129999999999990"};
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    EXPECT_EQ(numbers[i].begin, places[i].first) << i;
    EXPECT_EQ(numbers[i].end, places[i].second) << i;
    EXPECT_EQ(numbers[i].key, keys[i]) << i;
  }
}

std::vector<std::string> SortedBy(std::vector<std::string> lines, const TNumberOrder& order) {
  std::stable_sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) {
    return CompareNumbered(a, b, order) < 0;
  });
  return lines;
}

// Lines of letters and digits without leading zeros, where `sort -V` is a plain natural order.
TEST(NumberOrder, DigitsAgreeWithVersionSort) {
  std::mt19937 random(32);
  const std::string letters = "abcxyzABCXYZ";
  std::vector<std::string> lines(3000);
  for (std::string& line : lines) {
    for (std::size_t parts = 1 + random() % 4; parts > 0; --parts) {
      if (random() % 2 == 0) {
        line += letters[random() % letters.size()];
        continue;
      }
      std::string number = std::to_string(random() % (random() % 3 == 0 ? 1000000 : 30));
      if (!line.empty() && std::isdigit(static_cast<unsigned char>(line.back()))) {
        line += 'q'; // two numbers in a row would be one with leading zeros maybe
      }
      line += number;
    }
  }
  test::TTempFolder folder;
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  const std::string in = folder.Write("in.txt", text);
  const std::string out = folder.File("out.txt");
  ASSERT_EQ(std::system(("LC_ALL=C sort -V '" + in + "' -o '" + out + "'").c_str()), 0);
  std::string expected;
  for (const std::string& line : SortedBy(lines, {noDigits})) {
    expected += line + "\n";
  }
  EXPECT_TRUE(test::ReadBytes(out) == expected);
}

// Antisymmetric, transitive, and equal only for the same bytes (the same but for case, folded),
// on random lines of digits, numeral kanji, commas and text.
TEST(NumberOrder, IsATotalOrder) {
  const std::vector<std::string> pieces = {
      "0",  "1",  "9",  "00", "10", "０", "５", ",", ",000", "十", "百", "千", "万", "億", "兆",
      "一", "二", "〇", "九", "零", "拾", "壱", "a", "A",    "b",  "あ", "漢", ".",  " "};
  std::mt19937 random(7);
  std::vector<std::string> lines(400);
  for (std::string& line : lines) {
    for (std::size_t n = random() % 7; n > 0; --n) {
      line += Sjis(pieces[random() % pieces.size()]);
    }
  }
  for (const int mode : {noDigits, noKanji}) {
    for (const bool fold : {false, true}) {
      const TNumberOrder order{mode, fold, true, false};
      const std::vector<std::string> sorted = SortedBy(lines, order);
      for (std::size_t i = 0; i < sorted.size(); ++i) {
        for (std::size_t j = i; j < sorted.size(); ++j) {
          const int ab = CompareNumbered(sorted[i], sorted[j], order);
          ASSERT_LE(ab, 0) << sorted[i] << " / " << sorted[j]; // sorted: transitive
          ASSERT_EQ(CompareNumbered(sorted[j], sorted[i], order), -ab);
          const bool same = fold ? EqualFolded(sorted[i], sorted[j]) : sorted[i] == sorted[j];
          ASSERT_EQ(ab == 0, same) << sorted[i] << " / " << sorted[j];
        }
      }
    }
  }
}

} // namespace
} // namespace zorbe
