#include "engine/line_order.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

using test::Sjis;

TEST(ClassOfLine, FirstCharacters) {
  const struct {
    std::string line;
    int cls;
  } cases[] = {
      {Sjis("ｱ"), 5},   {Sjis("ﾞ"), 2},   {Sjis("｡"), 2},   {Sjis("９"), 7}, {Sjis("α"), 6},
      {Sjis("①"), 6},   {Sjis("亜"), 11}, {"\tx", 1},       {"~", 2},        {" ", 1},
      {"\x7F", 1},      {"0", 3},         {"Z", 4},         {"a", 4},        {"[", 2},
      {Sjis("　"), 6},  {Sjis("Ａ"), 8},  {Sjis("ａ"), 8},  {Sjis("ぁ"), 9}, {Sjis("ん"), 9},
      {Sjis("ァ"), 10}, {Sjis("ヶ"), 10}, {Sjis("Α"), 6},   {Sjis("─"), 6},  {Sjis("漢"), 11},
      {"\x80", 1},      {"\xA0", 1},      {"\x85\x40", 1},  {"\xEF\x40", 1}, {"\xFD", 1},
      {"\x82", 7},      {"\x83", 6},      {"\xEE\x40", 11}, {"\xEE\xEF", 6}, {"\xFA\x40", 6},
      {"\xFA\x5C", 11}, {"\xFA\x7F", 6},  {"\xFB\x40", 11}, {"\x82\x9A", 8}, {"\x82\x9B", 7},
      {"\x82\xF2", 7},  {"\x83\x97", 6},  {"\xE0\x40", 11}, {"\x84\x40", 6}, {"\x87\x40", 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassOfLine(c.line), c.cls) << testing::PrintToString(c.line);
  }
}

TEST(ClassIndexOfName, SlotsAndUnknownNames) {
  const std::string order = "全角 - 漢字;半角 - 数字;;nonsense";
  EXPECT_EQ(ClassIndexOfName(order, ";", 0), 10);
  EXPECT_EQ(ClassIndexOfName(order, ";", 1), 2);
  EXPECT_EQ(ClassIndexOfName(order, ";", 2), -1); // empty entry
  EXPECT_EQ(ClassIndexOfName(order, ";", 3), -1); // not a class name
  EXPECT_EQ(ClassIndexOfName(order, ";", 4), -1); // past the last entry
  EXPECT_EQ(ClassIndexOfName("", ";", 0), -1);
  EXPECT_EQ(ClassIndexOfName("全角 - 漢字", ";", 0), 10);
}

TEST(ClassWriteOrder, EveryClassExactlyOnce) {
  using Order = std::array<int, kClassCount>;
  EXPECT_EQ(ClassWriteOrder("空白、TAB、改行;半角 - 記号;半角 - 数字;半角 - 英字;半角 - "
                            "片仮名;全角 - 記号;全角 - 数字;"
                            "全角 - 英字;全角 - 平仮名;全角 - 片仮名;全角 - 漢字"),
            (Order{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(ClassWriteOrder("全角 - 漢字;全角 - 片仮名;全角 - 平仮名;全角 - 英字;全角 - 数字;全角 "
                            "- 記号;半角 - 片仮名;"
                            "半角 - 英字;半角 - 数字;半角 - 記号;空白、TAB、改行"),
            (Order{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  // Repeated, missing and unknown names: named classes first, the others in class order.
  EXPECT_EQ(ClassWriteOrder("全角 - 漢字;全角 - 漢字;bogus;半角 - 数字"),
            (Order{11, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(ClassWriteOrder(""), (Order{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(Compare, ByteOrderAndFolding) {
  EXPECT_EQ(CompareAscending("ab", "abc"), -1);
  EXPECT_EQ(CompareAscending("abc", "abd"), -1);
  EXPECT_EQ(CompareAscending("B", "a"), -1);
  EXPECT_EQ(CompareAscending("abc", "abc"), 0);
  EXPECT_EQ(CompareDescending("abd", "abc"), -1);
  EXPECT_EQ(CompareDescending("abc", "ab"), -1);
  EXPECT_EQ(CompareAscendingFolded("a", "B"), -1);
  EXPECT_EQ(CompareAscendingFolded("ABC", "abc"), 0);
  EXPECT_EQ(CompareDescendingFolded("a", "B"), 1);
  EXPECT_EQ(CompareAscending("\x82\xA0", "\x83\x41"), -1); // あ before ア
  // A trail byte that looks like a letter is not folded: ア (83 41) and 83 61 differ.
  EXPECT_NE(CompareAscendingFolded("\x83\x41", "\x83\x61"), 0);
  EXPECT_EQ(CompareAscending("\xFF", "\x01"), 1); // bytes are unsigned
}

// The textbook recursion of the same quicksort, for comparison with the explicit-stack one.
template <typename Compare>
void RecursiveQuickSort(std::vector<std::string>& a, long l, long r, Compare c) {
  do {
    long i = l;
    long j = r;
    const std::string p = a[(l + r) / 2];
    do {
      while (c(a[i], p) < 0) {
        ++i;
      }
      while (c(a[j], p) > 0) {
        --j;
      }
      if (i <= j) {
        std::swap(a[i], a[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) {
      RecursiveQuickSort(a, l, j, c);
    }
    l = i;
  } while (l < r);
}

TEST(QuickSortExact, SameOrderOfEqualLinesAsTheRecursiveSteps) {
  std::mt19937 random(7);
  const std::vector<std::string> words = {"abc", "ABC", "Abc", "aBc", "b",
                                          "B",   "",    "a",   "A",   "abC"};
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> lines(random() % 40);
    for (std::string& line : lines) {
      line = words[random() % words.size()];
    }
    std::vector<std::string> expected = lines;
    if (!expected.empty()) {
      RecursiveQuickSort(expected, 0, static_cast<long>(expected.size()) - 1,
                         CompareAscendingFolded);
    }
    QuickSortExact(lines.data(), lines.size(), [](const std::string& a, const std::string& b) {
      return CompareAscendingFolded(a, b);
    });
    ASSERT_EQ(lines, expected);
  }
}

TEST(QuickSortExact, CaseEqualLinesNeedNotKeepInputOrder) {
  std::vector<std::string> lines = {"abc", "ABC", "b", "Abc"};
  QuickSortExact(lines.data(), lines.size(), [](const std::string& a, const std::string& b) {
    return CompareAscendingFolded(a, b);
  });
  // Pivot "ABC" (index 1): the steps swap "abc" and "Abc" around it.
  EXPECT_EQ(lines, (std::vector<std::string>{"Abc", "ABC", "abc", "b"}));
}

} // namespace
} // namespace zorbe
