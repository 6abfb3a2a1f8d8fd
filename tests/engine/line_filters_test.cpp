#include "engine/line_filters.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(DeletionList, WholeLinesWithOrWithoutCase) {
  const TDeletionList exact({"abc", "", "abc", "x y"}, false);
  EXPECT_EQ(exact.Size(), 3u); // duplicates ignored
  EXPECT_TRUE(exact.Contains("abc"));
  EXPECT_FALSE(exact.Contains("ABC"));
  EXPECT_FALSE(exact.Contains("abcd"));
  EXPECT_FALSE(exact.Contains("ab"));
  EXPECT_TRUE(exact.Contains(""));
  EXPECT_TRUE(exact.Contains("x y"));

  const TDeletionList folded({"abc", "ABC", "\x83\x41"}, true);
  EXPECT_EQ(folded.Size(), 2u);
  EXPECT_TRUE(folded.Contains("ABC"));
  EXPECT_TRUE(folded.Contains("aBc"));
  EXPECT_TRUE(folded.Contains("\x83\x41"));
  EXPECT_FALSE(folded.Contains("\x83\x61")); // a trail byte is never folded
  EXPECT_FALSE(folded.Contains(""));
}

TEST(CommentPrefixes, Matching) {
  const struct {
    std::string cltc;
    std::string line;
    bool comment;
  } cases[] = {
      {"", "# x", false},
      {"#;//", "# x", true},
      {"#;//", "// x", true},
      {"#;//", "/ x", false},
      {"#;", "anything", true}, // an empty prefix makes every line a
                                // comment line
      {";#", "", true},
      {"REM", "rem x", false},    // with case, whatever Distinction says
      {"\";\"", "\";\" x", true}, // a quoted prefix keeps its quotes
      {" #", " # x", true},       // blanks are part of a prefix
      {" #", "# x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TCommentPrefixes(c.cltc).Matches(c.line), c.comment) << c.cltc << " / " << c.line;
  }
  // A prefix is whole characters of the line: ～ is no prefix of 〜 (its code and a mark).
  for (const auto& [cltc, line, comment] : {std::tuple{"～", "～x", true},
                                            {"～", "〜x", false},
                                            {"\\", "¥x", false},
                                            {"〜", "〜", true}}) {
    EXPECT_EQ(TCommentPrefixes(test::Internal(cltc)).Matches(test::Internal(line)), comment)
        << cltc << " / " << line;
  }
}

TEST(TrimBlanks, ControlBytesAndSpacesButNotFullWidthSpace) {
  EXPECT_EQ(TrimBlanks(" \t a b \r\x01"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(std::string("\0x\0", 3)), "x");
  EXPECT_EQ(TrimBlanks("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40");
}

} // namespace
} // namespace zorbe
