// The rules of a replacement file as one entry: each rule on the text the rules before it left,
// lines that do nothing, the dictionaries, refused rules named by their line, and the cancel
// flag read before every rule.

#include "regex/regexp_error.h"
#include "regex/replacement_rules.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace zorbe {
namespace {

using test::Sjis;

TEST(ReplacementRulesTest, EachRuleWorksOnTheTextTheRulesBeforeLeft) {
  const struct {
    std::vector<std::string> rules;
    std::string text;
    std::string expected;
    int applied; // rules applied, matched or not
  } cases[] = {
      {{"a,b", "b,c", "c,d"}, "ab", "dd", 3},
      {{"a,b", "z,y", "b,c"}, "ab", "cc", 3}, // a rule that matches nothing leaves the text
      {{"a,aa", "aa,b"}, "a", "b", 2},
      {{"", "a", "  ", "a,"}, "abc", "bc", 1}, // fewer than two fields: nothing, not counted
      {{"x,y"}, "abc", "abc", 1},
      {{}, "abc", "abc", 0},
  };
  for (const auto& c : cases) {
    TReplacementRules rules(c.rules, {});
    EXPECT_EQ(rules.Size(), c.rules.size());
    int applied = 0;
    const std::atomic<bool> cancel{false};
    EXPECT_EQ(rules.ApplyAll(c.text, cancel, [&] { ++applied; }), c.expected) << c.text;
    EXPECT_EQ(applied, c.applied) << c.text;
    EXPECT_EQ(rules.ApplyAll(c.text, cancel), c.expected) << "again: " << c.text;
  }
}

TEST(ReplacementRulesTest, TextWithoutMatchesIsReturnedItself) {
  TReplacementRules rules({"x,y", "z,w"}, {});
  const std::string text = "abc";
  const std::atomic<bool> cancel{false};
  EXPECT_EQ(rules.ApplyAll(text, cancel).data(), text.data());
}

TEST(ReplacementRulesTest, DictionariesExpandThePatterns) {
  const std::atomic<bool> cancel{false};
  TReplacementOptions options;
  options.synonymDic = TREDictionary{TREDictionaryGroup{"dog", "cat"}};
  TReplacementRules synonyms({"cat,pet"}, options);
  EXPECT_EQ(synonyms.ApplyAll("dog cat", cancel), "pet pet");

  const std::string kan = Sjis("漢"), ji = Sjis("字");
  options = {};
  options.fuzzyCharDic = TREDictionary{TREDictionaryGroup{kan, ji}};
  TReplacementRules off({kan + ",1"}, options);
  EXPECT_EQ(off.ApplyAll(kan + ji, cancel), "1" + ji); // the switch is off
  options.useFuzzyCharDic = true;
  TReplacementRules on({kan + ",1"}, options);
  EXPECT_EQ(on.ApplyAll(kan + ji, cancel), "11");
}

TEST(ReplacementRulesTest, RefusedRulesAreNamedByTheirLine) {
  const struct {
    std::vector<std::string> rules;
    std::string text;
    int line;
    std::string message;
  } cases[] = {
      {{"a,b", "", "(x,y", "z,w"}, "a", 3, re_message::kNeedRightParen},
      {{"q,r", "a,\"b\\\""}, "a", 2, re_message::kBackslashAtEnd},
      {{"[a,b"}, "a", 1, re_message::kNeedRightBracket},
  };
  for (const auto& c : cases) {
    TReplacementRules rules(c.rules, {});
    const std::atomic<bool> cancel{false};
    try {
      rules.ApplyAll(c.text, cancel);
      ADD_FAILURE() << "accepted: " << c.rules[c.line - 1];
    } catch (const EReplacementRule& e) {
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_EQ(e.what(), c.message);
    }
  }
  // A bad replacement is found only when its pattern matches.
  TReplacementRules unmatched({"q,\"b\\\""}, {});
  const std::atomic<bool> cancel{false};
  EXPECT_EQ(unmatched.ApplyAll("a", cancel), "a");
}

TEST(ReplacementRulesTest, CancelIsReadBeforeEveryRule) {
  TReplacementRules rules({"a,b", "", "b,c", "c,d"}, {});
  std::atomic<bool> cancel{false};
  int applied = 0;
  EXPECT_THROW(rules.ApplyAll("a", cancel, [&] { cancel.store(++applied == 1); }), EGrepCancel);
  EXPECT_EQ(applied, 1);
}

} // namespace
} // namespace zorbe
