// The public engine: ReplaceAll and its empty-match and line-anchor rules, the pattern cache and
// which pattern stays current after each kind of error, the dictionary switches, and Cancel.

#include "regex/awk_str_test_peer.h"
#include "regex/regexp_error.h"
#include "regex/regular_expression.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace zorbe {
namespace {

using test::Sjis;

struct TReplaceCase {
  std::string pattern;
  std::string replacement;
  std::string text;
  std::string expected;
  std::size_t count;
  TMatchCORE_LineSeparator separator = mcls_CRLF;
};

TEST(ReplaceAllTest, ReplacesEveryLeftmostLongestMatch) {
  const std::vector<TReplaceCase> cases = {
      {"a", "[&]", "banana", "b[a]n[a]n[a]", 3},
      {"x*", "-", "ab", "-a-b", 2},
      {"x*", "-", "", "-", 1},
      {"a", "-", "", "", 0},
      {"z", "-", "banana", "banana", 0},
      {"a|ab", "<&>", "abab", "<ab><ab>", 2},
      {"b*", "-", "abb", "-a-", 2},
      {"a", "aa", "aa", "aaaa", 2}, // replacements are never searched again
      {"an", "", "banana", "ba", 2},
      {"\r\n", " ", "a\r\nb\r\n", "a b ", 2},
      {"[0-9]+", "#", "a12b345", "a#b#", 2},
      // Line ends: nothing is ever inserted between CR and LF.
      {"$", "#", "ab\r\ncd\r\n", "ab#\r\ncd#\r\n", 2},
      {"$", "#", "ab\r\ncd", "ab#\r\ncd#", 2},
      {"$", "#", "a\nb", "a#\nb#", 2, mcls_LF},
      {"a$", "A", "xa\r\nya", "xA\r\nyA", 2},
      {"a$", "A", "xa\r\n", "xa\r\n", 0, mcls_LF},
      {"x*", "-", "a\r\nb", "-a-\r\n-b", 3},
      {"x*", "-", "a\r\nb", "-a-\r-\n-b", 4, mcls_LF},
      {"x*", "-", "\ra", "-\r-a", 2}, // a lone CR is one character
      {"^", ">", "ab\r\ncd\r\n", ">ab\r\n>cd\r\n>", 3},
      {"^a", "X", "ab\na\r\nba", "Xb\nX\r\nba", 2},
      {"^a", "\\n", "aa", "\na", 1}, // a replacement never makes a line start
      {"^a|b", "X", "ab\nba", "XX\nXa", 3},
      // Double-byte characters are one character; the text ends at a NUL.
      {"x*", "-", "\x82\xA0\x82\xA2", "-\x82\xA0-\x82\xA2", 2},
      {"\\x5C", "/", "\x83\x5C\\", "\x83\x5C/", 1},
      {"a", "X", std::string("a\0a", 3), std::string("X\0a", 3), 1},
      {"x*", "-", std::string("\0z", 2), std::string("-\0z", 3), 1},
      {"$", "#", std::string("a\0b", 3), std::string("a#\0b", 4), 1},
  };
  for (const TReplaceCase& c : cases) {
    TAWKStr engine;
    engine.SetLineSeparator(c.separator);
    engine.SetRegExp(c.pattern);
    std::string text = c.text;
    EXPECT_EQ(engine.ReplaceAll(c.replacement, text), c.count) << c.pattern << " on " << c.text;
    EXPECT_EQ(text, c.expected) << c.pattern << " on " << c.text;
  }
}

TEST(ReplaceAllTest, BadReplacementRaisesOnlyWhenSomethingMatches) {
  TAWKStr engine;
  engine.SetRegExp("a");
  std::string text = "banana";
  try {
    engine.ReplaceAll("x\\", text);
    ADD_FAILURE() << "no error";
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.what(), std::string(re_message::kBackslashAtEnd));
  }
  EXPECT_EQ(text, "banana");
  std::string other = "xyz";
  EXPECT_EQ(engine.ReplaceAll("x\\", other), 0u);
}

TEST(ReplaceAllTest, CancelRaisesAndLeavesTheText) {
  TAWKStr engine;
  engine.SetRegExp("a");
  engine.SetCancel(true);
  std::string text = "banana";
  try {
    engine.ReplaceAll("X", text);
    ADD_FAILURE() << "no cancel";
  } catch (const EGrepCancel& e) {
    EXPECT_STREQ(e.what(), "CancelRequest");
  }
  EXPECT_EQ(text, "banana");
  std::string noMatch = "xyz";
  EXPECT_EQ(engine.ReplaceAll("X", noMatch), 0u); // read once per replacement
  engine.SetRegExp("n");                          // setting a pattern clears it
  EXPECT_FALSE(engine.Cancel());
  EXPECT_EQ(engine.ReplaceAll("N", text), 2u);
}

// Searches that walk a long way and find nothing: Cancel is read inside them, not only between
// replacements. Each search walks a few million characters in all, far more than the check
// interval.
TEST(ReplaceAllTest, CancelStopsALongSearchThatFindsNothing) {
  // Longer than the stretch of text a search walks between two looks at the flag.
  const std::string longLine(TREMatcher::kCancelCheckSteps, 'a');
  const struct {
    std::string pattern;
    std::string text;
  } cases[] = {
      {".*z", longLine + "\r\n" + longLine + "\r\n"},
      {"(.|\\r|\\n)*END", longLine + "\r\n" + longLine},
      {"a*b", longLine + longLine},
  };
  for (const auto& c : cases) {
    TAWKStr engine;
    engine.SetRegExp(c.pattern);
    engine.SetCancel(true);
    std::string text = c.text;
    EXPECT_THROW(engine.ReplaceAll("X", text), EGrepCancel) << c.pattern;
    EXPECT_EQ(text, c.text) << c.pattern;
    // An owner's flag is read the same way, and the engine's own is then not consulted.
    engine.SetRegExp(c.pattern);
    const std::atomic<bool> outside{true};
    std::string output;
    EXPECT_THROW(engine.ReplaceAllInto("X", c.text, output, outside), EGrepCancel) << c.pattern;
  }
}

// A word list far beyond what a complete automaton could hold: 10,000 words of four kanji and
// 4,000 hiragana words, with look-alike matching on (every kana widened to its look-alikes).
TEST(ReplaceAllTest, LongWordListsWithLookAlikesRun) {
  std::string pattern;
  std::vector<std::string> words;
  for (unsigned i = 0; i < 14'000; ++i) {
    std::string word;
    const bool kanji = i < 10'000;
    for (unsigned c = 0; c < (kanji ? 4U : 2U + i % 4); ++c) {
      const unsigned step = i * 7 + c * 131 + i / 94;
      const unsigned code =
          kanji ? 0x889F + 0x100 * (step / 94 % 15) + step % 94 : 0x829F + (i * 5 + c * 17) % 83;
      word += static_cast<char>(code >> 8);
      word += static_cast<char>(code & 0xFF);
    }
    pattern += (pattern.empty() ? "" : "|") + word;
    words.push_back(word);
  }
  TAWKStr engine;
  engine.SetUseFuzzyCharDic(true);
  ASSERT_NO_THROW(engine.SetRegExp(pattern));
  // A kanji word, a kana word written in katakana (its look-alike), and text that is no word.
  const std::string kanjiWord = words[1234];
  const std::string kanaWord = words[12'345];
  std::string katakana;
  for (std::size_t i = 0; i < kanaWord.size(); i += 2) {
    katakana += '\x83';
    const auto trail = static_cast<unsigned char>(kanaWord[i + 1]);
    katakana += static_cast<char>(trail - 0x9F + (trail - 0x9F < 0x3F ? 0x40 : 0x41));
  }
  std::string text = "<" + kanjiWord + ">" + katakana + "|xyz";
  EXPECT_EQ(engine.ReplaceAll("#", text), 2U);
  EXPECT_EQ(text, "<#>#|xyz");
}

std::vector<std::string> CachedPatterns(TAWKStr& engine) {
  const TAWKStrTestPeer peer(engine);
  std::vector<std::string> patterns;
  for (std::size_t i = 0; i < peer.CacheSize(); ++i) {
    patterns.push_back(peer.CachedPattern(i));
  }
  return patterns;
}

TEST(PatternCacheTest, KeepsTheEmptyPatternAndDropsTheOldestInserted) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  EXPECT_EQ(CachedPatterns(engine), std::vector<std::string>{""});
  for (int i = 1; i <= 29; ++i) {
    engine.SetRegExp(std::string(1, 'p').append(std::to_string(i)));
  }
  ASSERT_EQ(peer.CacheSize(), 30u);
  EXPECT_EQ(peer.CachedPattern(1), "p29");
  EXPECT_EQ(peer.CachedPattern(29), "p1");

  // A hit makes its entry current without compiling or moving it.
  engine.SetRegExp("p5");
  const TRE_DFA* p5 = &peer.Automaton();
  EXPECT_EQ(peer.CurrentIndex(), 25u);
  engine.SetRegExp("p6");
  engine.SetRegExp("p5");
  EXPECT_EQ(&peer.Automaton(), p5);
  EXPECT_EQ(peer.CachedPattern(25), "p5");

  engine.SetRegExp("p30");
  EXPECT_EQ(peer.CacheSize(), 30u);
  EXPECT_EQ(peer.CachedPattern(1), "p30");
  EXPECT_EQ(peer.CachedPattern(29), "p2");
  engine.SetRegExp("p31");
  EXPECT_EQ(peer.CachedPattern(29), "p3");
  EXPECT_EQ(peer.CachedPattern(0), "");
  std::string text = "p5p31";
  EXPECT_EQ(engine.ReplaceAll("-", text), 1u);
  EXPECT_EQ(text, "p5-");
}

TEST(PatternCacheTest, ParserErrorsFallBackToTheEmptyPattern) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  engine.SetRegExp("^a");
  ASSERT_TRUE(peer.AnchoredSearchSelected());
  const std::string bad[] = {"(a", "a**", "[z-a]", "a)"};
  const std::string messages[] = {re_message::kNeedRightParen, re_message::kNeedPrimary,
                                  re_message::kBadRange, re_message::kExtraCharacters};
  for (std::size_t i = 0; i < std::size(bad); ++i) {
    engine.SetRegExp("^a");
    try {
      engine.SetRegExp(bad[i]);
      ADD_FAILURE() << "no error for " << bad[i];
    } catch (const ERegExpParser& e) {
      EXPECT_EQ(e.what(), messages[i]);
    }
    EXPECT_EQ(engine.RegExp(), "");
    EXPECT_EQ(peer.CurrentIndex(), 0u);
    EXPECT_EQ(CachedPatterns(engine), (std::vector<std::string>{"", "^a"})) << bad[i];
    EXPECT_TRUE(peer.AnchoredSearchSelected()); // the selection is left as it was
  }
  std::string text = "ab";
  EXPECT_EQ(engine.ReplaceAll("-", text), 2u);
  EXPECT_EQ(text, "-a-b");
}

TEST(PatternCacheTest, DictionaryErrorsKeepThePreviousPattern) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  engine.SetUseFuzzyCharDic(true);
  engine.SetRegExp("a");
  const std::size_t current = peer.CurrentIndex();
  EXPECT_THROW(engine.SetRegExp("[a"), ERegExpParser);
  EXPECT_EQ(engine.RegExp(), "a");
  EXPECT_EQ(peer.CurrentIndex(), current);
  std::string text = Sjis("aＡb");
  EXPECT_EQ(engine.ReplaceAll("-", text), 2u);
}

TEST(PatternCacheTest, TooComplexPatternsAreRefusedAndLeaveTheEmptyPattern) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  TRECompileBudget budget;
  budget.maxNfaStates = 8;
  peer.SetCompileBudget(budget);
  try {
    engine.SetRegExp("(a|b)*a(a|b)(a|b)(a|b)(a|b)");
    ADD_FAILURE() << "no error";
  } catch (const ERegExpParser& e) {
    EXPECT_EQ(e.what(), std::string(re_message::kTooComplex));
  }
  EXPECT_EQ(peer.CacheSize(), 1u);
  EXPECT_EQ(engine.RegExp(), "");
}

TEST(DictionarySwitchTest, ReexpandsTheCurrentPatternAtOnce) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  engine.SetRegExp("a");
  std::string text = Sjis("aＡ");
  engine.SetUseFuzzyCharDic(true);
  EXPECT_EQ(engine.RegExp(), "a");
  EXPECT_EQ(peer.CachedPattern(peer.CurrentIndex()), Sjis("(Ａ|ａ|A|a)"));
  EXPECT_EQ(engine.ReplaceAll("-", text), 2u);
  engine.SetUseFuzzyCharDic(false);
  EXPECT_EQ(peer.CachedPattern(peer.CurrentIndex()), "a"); // found again in the cache
  EXPECT_EQ(peer.CacheSize(), 3u);

  const TREDictionary synonyms = {{"cat", "dog"}};
  engine.AddSynonymDic(synonyms);
  engine.SetRegExp("cat");
  engine.SetUseSynonymDic(true);
  std::string pets = "cat, dog";
  EXPECT_EQ(engine.ReplaceAll("pet", pets), 2u);
  EXPECT_EQ(pets, "pet, pet");
}

TEST(DictionarySwitchTest, LookAlikeMatchesEveryWayOfWritingACharacter) {
  const struct {
    std::string pattern;
    std::string text;
    std::string expected;
  } cases[] = {
      {"ｶﾞ", "が ガ ｶﾞ か゛ カ゛ か", "X X X X X か"},
      {"データー", "データ,データー,ﾃﾞｰﾀｰ", "X,X,X"},
      {"abc", "ａｂｃ ABC Ａbｃ", "X X X"},
      {"[a]b", "ab Ab aｂ", "X Ab X"},
  };
  for (const auto& c : cases) {
    TAWKStr engine;
    engine.SetUseFuzzyCharDic(true);
    engine.SetRegExp(Sjis(c.pattern));
    std::string text = Sjis(c.text);
    engine.ReplaceAll("X", text);
    EXPECT_EQ(text, Sjis(c.expected)) << c.pattern;
  }
}

TEST(DictionarySwitchTest, EveryEngineStartsWithTheBasicDictionaryAlone) {
  TAWKStr engine;
  TAWKStrTestPeer peer(engine);
  EXPECT_EQ(peer.FuzzyCharDicCount(), 1u);
  EXPECT_EQ(peer.SynonymDicCount(), 0u);
  EXPECT_FALSE(engine.UseFuzzyCharDic());
  EXPECT_FALSE(engine.UseSynonymDic());
  EXPECT_FALSE(peer.AnchoredSearchSelected());
  EXPECT_EQ(engine.LineSeparator(), mcls_CRLF);
}

} // namespace
} // namespace zorbe
