// The matcher's results on the cases that pin down its rules: leftmost-longest, empty matches,
// line anchors in both separator modes, literal `^` and `$`, lone lead bytes and NUL bytes, and
// the automaton budget.

#include "internal_text.h"
#include "regex/regexp.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zorbe {
namespace {

enum class TSearch { LineStart, From, Anchored, Unanchored };

struct TSearchCase {
  std::string pattern;
  std::string text;
  std::optional<TREMatch> expected;
  TSearch search = TSearch::LineStart;
  TMatchCORE_LineSeparator separator = mcls_CRLF;
  std::size_t pos = 0;
};

std::optional<TREMatch> Run(const TREMatcher& matcher, const TSearchCase& c) {
  switch (c.search) {
  case TSearch::LineStart:
    return matcher.SearchAtLineStart(c.text, c.pos);
  case TSearch::From:
    return matcher.SearchFrom(c.text, c.pos);
  case TSearch::Anchored:
    return matcher.AnchoredSearch(c.text, c.pos);
  case TSearch::Unanchored:
    return matcher.UnanchoredSearch(c.text, c.pos);
  }
  return std::nullopt;
}

std::string Show(const std::optional<TREMatch>& match) {
  return match ? std::to_string(match->start) + ".." + std::to_string(match->end) : "none";
}

std::optional<TREMatch> At(std::size_t start, std::size_t end) {
  return TREMatch{start, end};
}
const std::optional<TREMatch> kNone;

void ExpectSearches(const std::vector<TSearchCase>& cases) {
  for (const TSearchCase& c : cases) {
    for (const std::size_t cacheBytes : {std::size_t{1} << 20, std::size_t{0}}) {
      TRECompileBudget budget;
      budget.dfa.maxCacheBytes = cacheBytes;
      budget.dfa.maxRowClasses = cacheBytes == 0 ? 0 : 256;
      const auto compiled = CompileRegExp(c.pattern, budget);
      const TREMatcher matcher(*compiled, c.separator);
      EXPECT_EQ(Show(Run(matcher, c)), Show(c.expected))
          << "pattern " << c.pattern << " text " << c.text << " cache " << cacheBytes;
    }
  }
}

TEST(REMatcher, LeftmostLongestAndEmptyMatches) {
  ExpectSearches({
      {"", "", At(0, 0)},
      {"", "ab", At(0, 0)},
      {"", "", kNone, TSearch::From},
      {"b*", "ab", At(0, 0)},
      {"a|ab", "ab", At(0, 2)},
      {"ab|a", "ab", At(0, 2)},
      {"x*", "ab", At(2, 2), TSearch::Unanchored, mcls_CRLF, 2},
      {"x*", "ab", kNone, TSearch::From, mcls_CRLF, 2},
      {"b+", "abbbc", At(1, 4)},
      {"(a|b)*c", "xababcabc", At(1, 6)},
      {"a.c", "a\nc abc", At(4, 7)},
      {"[^x]+", "ab\r\ncd", At(0, 2)},
      {"a\r\nb", "xa\r\nb", At(1, 5)},
      {"abc", "ababc", At(2, 5)},
      {"abc", "abab", kNone},
  });
}

TEST(REMatcher, LineEndAnchor) {
  ExpectSearches({
      {"a$", "xa\r\n", At(1, 2)},
      {"a$", "xa\r\n", kNone, TSearch::LineStart, mcls_LF},
      {"a$", "xa\n", At(1, 2), TSearch::LineStart, mcls_LF},
      {"a$", "xa", At(1, 2)},
      {"a$", "ab\r\n", kNone},
      {"$", "ab\r\ncd", At(2, 2)},
      {"$", "ab\r\ncd", At(6, 6), TSearch::From, mcls_CRLF, 3},
      {"$", "ab\ncd", At(2, 2), TSearch::LineStart, mcls_LF},
      {"$", "", At(0, 0)},
      {"a$|b", "b a\r", At(0, 1)},
      // `$` ends a match at a line end even when the walk could go on along a literal CR.
      {"a$|a\rb", "a\rc", At(0, 1)},
      {"a$|a\rb", "a\rb", At(0, 3)},
      // A `$` that is not last is the dollar character itself.
      {"a$b", "a$b", At(0, 3)},
      {"($)*", "$$", At(0, 2)},
      {"x*$", "ab", At(2, 2), TSearch::From},
  });
}

TEST(REMatcher, LineStartAnchor) {
  ExpectSearches({
      {"^b", "ab\nbc", At(3, 4)},
      {"^a", "ab", At(0, 1)},
      {"^a", "ab", kNone, TSearch::From},
      {"^a", "xa\nab", At(3, 4), TSearch::From},
      {"^a", "x\ra", kNone},
      {"^a", "x\na", At(2, 3), TSearch::LineStart, mcls_CRLF},
      {"^a", "x\na", At(2, 3), TSearch::LineStart, mcls_LF},
      {"^a|b", "b", At(0, 1)},
      {"^a|b", "xab", At(2, 3)},
      {"^ab|a", "ab", At(0, 2)},
      {"^a|ab", "ab", At(0, 2)},
      {"^", "ab", At(0, 0)},
      {"^", "ab", kNone, TSearch::From, mcls_CRLF, 1},
      {"^", "a\nb", At(2, 2), TSearch::From, mcls_CRLF, 1},
      {"^$", "ab\n", At(3, 3), TSearch::From, mcls_LF, 1},
      {"(^a|^b)c", "bc", At(0, 2)},
      // An anchored pattern that also matches the empty string keeps that match at the end.
      {"^a|x*", "", At(0, 0)},
      {"^ab|x*", "q", At(1, 1), TSearch::Anchored, mcls_CRLF, 1},
      // `^` that is not first is the caret character itself.
      {"a^", "a^", At(0, 2)},
      {"a[!-~]b|a^c", "a^c", At(0, 3)},
      {"(^)+", "^^", kNone, TSearch::From},
      {"(^)+", "^^", At(0, 2)},
      {"(^a)+", "aaa", At(0, 1)},
      {"(^a)+", "a^aa", At(0, 3)},
  });
}

TEST(REMatcher, DoubleByteAndHalfWidthText) {
  const std::string a = test::Sjis("ア"); // 0x83 0x41: its trail byte is the letter A
  ExpectSearches({
      {"A", a + "A", At(2, 3)},
      {"A", a + a, kNone},
      {"A+", a + "AA" + a, At(2, 4)},
      {test::Sjis("ア"), "A" + a, At(1, 3)},
      {test::Sjis("[ァ-ヶ]+"), "x" + test::Sjis("カタカナかな"), At(1, 9)},
      {".", a, At(0, 2)},
      {"\xB1+", "a\xB1\xB1" + a, At(1, 3)},
      {test::Sjis("ア.*ン"), test::Sjis("xアイウンエン\r\nン"), At(1, 13)},
      {"[^" + a + "]", a + "b", At(2, 3)},
      // ぁ is 0x82 0x9F: the 0x9F 0x82 inside ぁぁ is no character.
      {"\\x9F\\x82", test::Sjis("ぁぁ"), kNone},
  });
}

// Characters CP932 lacks are escapes (4 or 5 bytes) and the other character of a shared code is
// the code with the alternate mark: each is one character, never split by a match.
TEST(REMatcher, EscapesAndMarksAreWholeCharacters) {
  const std::string ga = test::Escaped(0xAC00);    // 가
  const std::string na = test::Escaped(0xB098);    // 나
  const std::string hih = test::Escaped(0xD7A3);   // 힣
  const std::string kana = test::Escaped(0x11491); // trail bytes B1 B2 B1, which look like ｱｲｱ
  const std::string wide = test::Escaped(0x10FFFD);
  const std::string waveDash = "\x81\x60\xFF"; // 〜
  const std::string tilde = test::Sjis("～");  // 81 60
  const std::string yen = "\x5C\xFF";          // ¥
  ExpectSearches({
      {".", ga, At(0, 4)},
      {".", wide, At(0, 5)},
      {".", waveDash, At(0, 3)},
      {"a.b", "a" + waveDash + "b", At(0, 5)},
      {"[^a]+", ga + wide + "a", At(0, 9)},
      {"[^" + ga + "]", ga + na, At(4, 8)},
      {"[" + test::Sjis("あ") + ga + "]+", "x" + ga + test::Sjis("あ") + na, At(1, 7)},
      {"[" + ga + "-" + hih + "]+", "x" + ga + na + hih + wide, At(1, 13)},
      {ga + na, "a" + ga + ga + na, At(5, 13)},
      {"x*" + na, ga + na, At(4, 8)},
      {"[^x]*" + hih, ga + na + hih, At(0, 12)},
      {"^" + ga, "a\n" + ga, At(2, 6)},
      {ga + "$", ga + "\r\n", At(0, 4)},
      // ～ is not the first two bytes of 〜, nor 〜 the first three of 〜 with more after it.
      {tilde, waveDash, kNone},
      {tilde, waveDash + tilde, At(3, 5)},
      {waveDash, tilde + waveDash, At(2, 5)},
      {tilde + "+", waveDash + tilde + tilde, At(3, 7)},
      // ｱ and ｱｲ never match inside an escape whose trail bytes look like them.
      {"\xB1", kana + "\xB1", At(4, 5)},
      {"\xB1\xB2", kana + "\xB1\xB2", At(4, 6)},
      {"\xB2+", kana + kana, kNone},
      // ¥ is no backslash: neither in a pattern nor in a text.
      {"\\\\", yen + "\\", At(2, 3)},
      {yen + "+", "\\" + yen + yen, At(1, 5)},
      {yen + ".", yen + "a", At(0, 3)},
      {"[" + yen + "]", "\\" + yen, At(1, 3)},
      // Bytes that no converter writes this way are characters of their own: a mark after a
      // mark, the first byte of an escape cut off.
      {"\\xFF", waveDash + "\xFF", At(3, 4)},
      {"..", "\xFD\xA0", At(0, 2)},
  });
}

TEST(REMatcher, CutOffLeadByteIsOneCharacter) {
  ExpectSearches({
      {".", "\x82", At(0, 1)},
      {"a.", "a\x82", At(0, 2)},
      {"\\x82", "ab\x82", At(2, 3)},
      {"\\x82$", "\x82", At(0, 1)},
      {"\\x8200", "\x82", kNone},
      {"a$", std::string("a\x82", 2), kNone},
      {".*", "xy\x82", At(0, 3)},
  });
}

TEST(REMatcher, NulByteEndsTheText) {
  const std::string text("ab\0ab", 5);
  ExpectSearches({
      {"ab", text, At(0, 2), TSearch::From, mcls_CRLF, 0},
      {"b", text, kNone, TSearch::From, mcls_CRLF, 2},
      {"b$", text, At(1, 2)},
      {".*", text, At(0, 2)},
      {"$", text, At(2, 2), TSearch::From, mcls_CRLF, 1},
      {"", text, At(2, 2), TSearch::Unanchored, mcls_CRLF, 2},
      {".", std::string("\x82\0b", 3), At(0, 1)},
  });
}

TEST(REMatcher, CodesNoTextHasMatchNothing) {
  ExpectSearches({
      {"\\x0", std::string("a\0", 2), kNone},
      {"a\\x0|b", "ab", At(1, 2)},
      {"a\\x0*", "ab", At(0, 1)},
      {"\\xFFFD|\\xFFFE|\\xFFFF", "a\r\n", kNone},
      {"[^\\x1-\\xFFFF]", "abc", kNone},
      {"[^\\x1-\\xFFFF]*", "abc", At(0, 0)},
      {"[\\x0-\\xFFFF]+", "a" + test::Sjis("あ") + "\r", At(0, 4)},
  });
}

std::vector<TREMatch> AllMatches(const std::string& pattern, const std::string& text,
                                 TMatchCORE_LineSeparator separator = mcls_CRLF) {
  const auto dfa = CompileRegExp(pattern);
  std::vector<TREMatch> matches;
  TREMatcher(*dfa, separator).ForEachMatch(text, [&](const TREMatch& m) { matches.push_back(m); });
  return matches;
}

TEST(REMatcher, ForEachMatchGoesThroughTheTextLikeReplaceAll) {
  using TMatches = std::vector<TREMatch>;
  EXPECT_EQ(AllMatches("a", "banana"), (TMatches{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(AllMatches("x*", "ab"), (TMatches{{0, 0}, {1, 1}}));
  EXPECT_EQ(AllMatches("x*", ""), (TMatches{{0, 0}}));
  EXPECT_EQ(AllMatches("$", "ab\r\ncd\r\n"), (TMatches{{2, 2}, {6, 6}}));
  EXPECT_EQ(AllMatches("$", "ab\ncd", mcls_LF), (TMatches{{2, 2}, {5, 5}}));
  EXPECT_EQ(AllMatches("^", "ab\ncd\n"), (TMatches{{0, 0}, {3, 3}, {6, 6}}));
  EXPECT_EQ(AllMatches("^a", "aa\nab\nba"), (TMatches{{0, 1}, {3, 4}}));
  EXPECT_EQ(AllMatches("x*", "\r\n" + test::Sjis("あ")), (TMatches{{0, 0}, {2, 2}}));
  EXPECT_EQ(AllMatches("x*", "\r\n", mcls_LF), (TMatches{{0, 0}, {1, 1}}));
  EXPECT_EQ(AllMatches("x*", "\ra"), (TMatches{{0, 0}, {1, 1}})); // a lone CR is one character
  EXPECT_EQ(AllMatches("b*", "ab\x82"), (TMatches{{0, 0}, {1, 2}, {2, 2}}));
  EXPECT_EQ(AllMatches("$", std::string("a\0b", 3)), (TMatches{{1, 1}}));
}

// Patterns whose complete deterministic automaton is exponential in their size compile and
// run: only the states a text reaches are made, within the cache's budget.
TEST(REMatcher, ExponentialAutomataRunInABoundedCache) {
  // (a|b)*a(a|b)^n needs 2^(n+1) states; nested `+` doubles the automaton per level (and the
  // NFA too: forty levels are refused for that).
  std::string pattern = "(a|b)*a";
  for (int i = 0; i < 20; ++i) {
    pattern += "(a|b)";
  }
  std::string nested = "a";
  for (int i = 0; i < 10; ++i) {
    nested = "(" + nested + ")+";
  }
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    text += (i * 7919) % 5 < 2 ? 'a' : 'b';
  }
  for (const std::size_t cacheBytes : {std::size_t{32} << 20, std::size_t{0}}) {
    TRECompileBudget budget;
    budget.dfa.maxCacheBytes = cacheBytes;
    const auto dfa = CompileRegExp(pattern, budget);
    const TREMatcher matcher(*dfa);
    // The leftmost match starts at the first `a` that has 20 characters after it.
    const std::size_t first = text.find('a');
    EXPECT_EQ(Show(matcher.SearchAtLineStart(text, 0)),
              std::to_string(first) + ".." + std::to_string(text.size()));
    EXPECT_EQ(Show(matcher.SearchAtLineStart(text.substr(text.size() - 20), 0)), "none");
    if (cacheBytes == 0) {
      EXPECT_GT(matcher.CacheResets(), 0U);
    }
    const auto nestedDfa = CompileRegExp(nested, budget);
    EXPECT_EQ(Show(TREMatcher(*nestedDfa).SearchAtLineStart("baaab", 0)), "1..4");
  }
}

// Every match of `a(.|\r|\n)*z|a` looks to the end of the text for a z; the searches of a
// replace-all meet the checkpoints of the ones before and take their ends, with the same
// results as searches that walk on.
TEST(REMatcher, SearchesThatLookFarAheadMeetEarlierCheckpoints) {
  const std::string pattern = "a(.|\\r|\\n)*z|a";
  const std::string withoutZ = std::string(3000, 'a') + "\r\n" + std::string(500, 'a');
  const std::string withZ = withoutZ + "z" + std::string(10, 'a');
  for (const std::size_t steps : {std::size_t{1}, std::size_t{7}, std::size_t{256}}) {
    TRECompileBudget budget;
    budget.dfa.checkpointSteps = steps;
    const auto dfa = CompileRegExp(pattern, budget);
    const TREMatcher matcher(*dfa);
    std::vector<TREMatch> matches;
    matcher.ForEachMatch(withoutZ, [&](const TREMatch& m) { matches.push_back(m); });
    ASSERT_EQ(matches.size(), 3500U) << steps;
    EXPECT_EQ(matches[2999], (TREMatch{2999, 3000})) << steps;
    EXPECT_EQ(matches[3000], (TREMatch{3002, 3003})) << steps;
    matches.clear();
    matcher.ForEachMatch(withZ, [&](const TREMatch& m) { matches.push_back(m); });
    ASSERT_EQ(matches.size(), 11U) << steps;
    EXPECT_EQ(matches[0], (TREMatch{0, 3503})) << steps;
    EXPECT_EQ(matches[1], (TREMatch{3503, 3504})) << steps;
    // Outside a replace-all nothing is remembered: the same search from two places.
    EXPECT_EQ(Show(matcher.SearchAtLineStart(withoutZ, 10)), "10..11");
    EXPECT_EQ(Show(matcher.SearchAtLineStart(withZ, 10)), "10..3503");
  }
}

// Only the NFA has a size limit, which refuses patterns whose work would blow up.
TEST(REMatcher, NfaBudget) {
  TRECompileBudget small;
  small.maxNfaStates = 100;
  try {
    CompileRegExp(std::string(200, 'a'), small);
    ADD_FAILURE() << "the budget did not hold";
  } catch (const ERegExpParser& error) {
    EXPECT_STREQ(error.what(), re_message::kTooComplex);
    EXPECT_EQ(error.Position(), 0U);
  }
  EXPECT_NO_THROW(CompileRegExp(std::string(90, 'a'), small));
}

TEST(REMatcher, LongPatternsAndTextsNeedNoDeepStack) {
  const std::string word(5000, 'a');
  const auto dfa = CompileRegExp(std::string(20000, '(') + word + std::string(20000, ')') + "$");
  const std::string text = "b" + word + "\r\n";
  EXPECT_EQ(Show(TREMatcher(*dfa).SearchAtLineStart(text, 0)), "1..5001");
}

} // namespace
} // namespace zorbe
