// Dictionary expansion of patterns: what each pass makes of a pattern, with the basic look-alike
// dictionary and with small synonym dictionaries, and the errors it raises.

#include "internal_text.h"
#include "regex/basic_dictionary.h"
#include "regex/preprocessor.h"
#include "regex/regexp_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorbe {
namespace {

using test::Sjis;

TREDictionary Dictionary(const std::vector<std::vector<std::string>>& groups) {
  TREDictionary dictionary;
  for (const auto& group : groups) {
    dictionary.emplace_back();
    for (const std::string& member : group) {
      dictionary.back().push_back(Sjis(member));
    }
  }
  return dictionary;
}

struct TExpansionCase {
  std::string pattern; // UTF-8, like the expected text
  std::string expanded;
  bool synonyms = false;
  bool fuzzy = true;
};

std::string Expand(TREPreProcessor& preprocessor, const std::string& pattern) {
  preprocessor.SetText(Sjis(pattern));
  preprocessor.Run();
  return preprocessor.OutputText();
}

void ExpectExpansions(const TREDictionary* synonyms, const std::vector<TExpansionCase>& cases) {
  for (const TExpansionCase& c : cases) {
    TREPreProcessor preprocessor;
    preprocessor.FuzzyCharDics().push_back(&BasicFuzzyCharDic());
    if (synonyms != nullptr) {
      preprocessor.SynonymDics().push_back(synonyms);
    }
    preprocessor.SetUseSynonymDic(c.synonyms);
    preprocessor.SetUseFuzzyCharDic(c.fuzzy);
    EXPECT_EQ(Expand(preprocessor, c.pattern), Sjis(c.expanded)) << c.pattern;
  }
}

const std::string kGa = "(が|ガ|ｶﾞ|か゛|カ゛)";
const std::string kA = "(Ａ|ａ|A|a)";
const std::string kB = "(Ｂ|ｂ|B|b)";

TEST(PreProcessorTest, LookAlikePassWithTheBasicDictionary) {
  ExpectExpansions(nullptr,
                   {
                       {"が", kGa},
                       {"ｶﾞ", kGa}, // the が row comes before the か row
                       {"か゛", kGa},
                       {"カ゛ｶ", kGa + "(か|カ|ｶ)"},
                       {"a", kA},
                       {"ab", kA + kB},
                       {"\\.", "(｡|\\.|。|．)"},
                       {"-", "(-|ー|－|～|ｰ)"},
                       {"ー", "(ー|～|ｰ|)"},
                       {"データー", "(で|デ|ﾃﾞ|て゛|テ゛)(ー|～|ｰ|)(た|タ|ﾀ)(ー|～|ｰ|)"},
                       {"　", "(　| )"},
                       {"\"", "(\"|”)"},
                       {",", "(,|､|、|，)"},
                       {"\\\\", "(\\\\|￥)"},
                       {"\\x41", kA},            // escapes take part by their code
                       {"\\x7f\\t", "\\x7f\\t"}, // and keep their source text when nothing matches
                       {"^a*$", "^" + kA + "*$"},
                       {"a|.b?", kA + "|." + kB + "?"},
                       {"[a-zが]", "[a-zが]"},
                       {"[^ab]a", "[^ab]" + kA},
                       {"[]]a", "[]]" + kA},
                       {"漢字", "漢字"},
                       {"", ""},
                   });
}

TEST(PreProcessorTest, SynonymPassComesFirstAndFirstMemberWins) {
  const TREDictionary synonyms = Dictionary({{"ab", "X"}, {"abc", "Y"}, {"ABC", "xyz"}, {"p.q"}});
  ExpectExpansions(
      &synonyms,
      {
          {"abc", "(ab|X)c", true, false}, // the first group wins, not the longest member
          {"ab*", "(ab|X)*", true, false}, // the postfix applies to the whole group
          {"a*b", "a*b", true, false},     // a member never spans an operator
          {"ABC", "((Ａ|ａ|A|a)(Ｂ|ｂ|B|b)(Ｃ|ｃ|C|c)|(Ｘ|ｘ|X|x)(Ｙ|ｙ|Y|y)(Ｚ|ｚ|Z|z))", true,
           true},
          {"p\\.q", "(p\\.q)", true, false}, // members are quoted
          {"ABC", "ABC", false, false},
          {"xyz", "(ABC|xyz)", true, false},
      });
}

// A member matches an escape or a character with the alternate mark only as that very
// character: 〜 is not ～, ¥ (the backslash byte with the mark) is not the backslash, and the
// basic dictionary, which holds neither, leaves them as written.
TEST(PreProcessorTest, EscapesAndMarksAreTheirOwnCharacters) {
  const std::string ga = test::Escaped(0xAC00);
  const std::string na = test::Escaped(0xB098);
  const std::string waveDash = "\x81\x60\xFF";
  const std::string yen = "\x5C\xFF";
  const TREDictionary synonyms = {{ga + na, "x"}, {waveDash, "y"}};
  TREPreProcessor preprocessor;
  preprocessor.FuzzyCharDics().push_back(&BasicFuzzyCharDic());
  preprocessor.SynonymDics().push_back(&synonyms);
  preprocessor.SetUseSynonymDic(true);
  const auto expand = [&preprocessor](const std::string& pattern) { // bytes as they are
    preprocessor.SetText(pattern);
    preprocessor.Run();
    return preprocessor.OutputText();
  };
  EXPECT_EQ(expand(ga + na + ga), "(" + ga + na + "|x)" + ga);
  EXPECT_EQ(expand(Sjis("～") + waveDash), Sjis("～") + "(" + waveDash + "|y)");
  preprocessor.SetUseSynonymDic(false);
  preprocessor.SetUseFuzzyCharDic(true);
  EXPECT_EQ(expand(waveDash + Sjis("～")), waveDash + Sjis("(ー|～|ｰ|)"));
  EXPECT_EQ(expand(yen + "\\\\" + ga), yen + Sjis("(\\\\|￥)") + ga);
}

TEST(PreProcessorTest, EarlierDictionariesAndGroupsWin) {
  const TREDictionary first = Dictionary({{"b", "1"}});
  const TREDictionary second = Dictionary({{"ab", "2"}, {"a", "3"}});
  TREPreProcessor preprocessor;
  preprocessor.SynonymDics() = {&first, &second};
  preprocessor.SetUseSynonymDic(true);
  EXPECT_EQ(Expand(preprocessor, "ab"), "(ab|2)");
  EXPECT_EQ(Expand(preprocessor, "ba"), "(b|1)(a|3)");
  preprocessor.SynonymDics() = {&second, &first};
  EXPECT_EQ(Expand(preprocessor, "bab"), "(b|1)(ab|2)");
}

TEST(PreProcessorTest, EmptyMembersNeverMatchButBecomeEmptyAlternatives) {
  const TREDictionary synonyms = Dictionary({{"", "x", ""}, {}});
  TREPreProcessor preprocessor;
  preprocessor.SynonymDics().push_back(&synonyms);
  preprocessor.SetUseSynonymDic(true);
  EXPECT_EQ(Expand(preprocessor, "xy"), "(|x|)y");
}

TEST(PreProcessorTest, ScannerErrorsAndCutOffMembersRaise) {
  const TREDictionary cutOffFirst = {{std::string("\x82")}, {"x"}};
  const TREDictionary cutOffLater = {{"x", std::string("y\x82")}};
  const struct {
    std::string pattern;
    const TREDictionary* dictionary;
    std::string message;
  } cases[] = {
      {"[a", nullptr, re_message::kNeedRightBracket},
      {"a\\", nullptr, re_message::kBackslashAtEnd},
      {"\\xg", nullptr, re_message::kBadHex},
      {std::string("a\x82"), nullptr, re_message::kBadDoubleByte},
      {"x", &cutOffFirst, re_message::kBadDoubleByte},
      {"x", &cutOffLater, re_message::kBadDoubleByte},
  };
  for (const auto& c : cases) {
    TREPreProcessor preprocessor;
    if (c.dictionary != nullptr) {
      preprocessor.FuzzyCharDics().push_back(c.dictionary);
    }
    preprocessor.SetUseFuzzyCharDic(true);
    preprocessor.SetText(c.pattern);
    try {
      preprocessor.Run();
      ADD_FAILURE() << "no error for " << c.pattern;
    } catch (const ERegExpParser& e) {
      EXPECT_EQ(e.what(), c.message) << c.pattern;
    }
  }
}

TEST(PreProcessorTest, PatternsWithoutCharacterTokensNeedNoValidDictionary) {
  const TREDictionary cutOff = {{std::string("\x82")}};
  TREPreProcessor preprocessor;
  preprocessor.FuzzyCharDics().push_back(&cutOff);
  preprocessor.SetUseFuzzyCharDic(true);
  EXPECT_EQ(Expand(preprocessor, "[x]*.$"), "[x]*.$");
}

} // namespace
} // namespace zorbe
