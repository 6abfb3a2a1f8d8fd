// Replacement texts: every row of the replacement syntax, double-byte characters whose trail
// byte looks like a backslash, and the errors; the prepared form must agree with the three
// passes written out step by step.

#include "internal_text.h"
#include "regex/regexp_error.h"
#include "regex/regular_expression.h"
#include "regex/replacement.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zorbe {
namespace {

using test::Sjis;

TEST(ReplacementTest, SyntaxTable) {
  const struct {
    std::string replacement;
    std::string expanded; // with the matched text "M"
  } cases[] = {
      {"&", "M"},
      {"[&]", "[M]"},
      {"&&", "MM"},
      {"\\&", "&"},
      {"\\n\\r\\t\\b", "\n\r\t\b"},
      {"\\x41\\101", "AA"},
      {"\\x8140", "\x81\x40"},
      {"\\\\", "\\"},
      {"\\\\\\\\", "\\\\"},
      {"\\\\&", "&"},
      {"\\x26", "M"},
      {"\\046", "M"},
      {"\\x5c&", "&"}, // decodes to \&, a literal &
      {"\\q\\.", "q."},
      {"\\x41g\\x00412", "AgA2"}, // 4 hexadecimal digits at most
      {"\\x412", "\x12"},         // a code whose high byte is no lead byte gives its low byte
      {"", ""},
      {"plain", "plain"},
      {std::string("a&\0&", 4), "aM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TREReplacement(c.replacement).Expand("M"), c.expanded) << c.replacement;
  }
}

TEST(ReplacementTest, TrailBytesThatLookLikeABackslashStayPartOfTheirCharacter) {
  // ソ and 表 end in 0x5C: they are neither escapes nor escaped.
  EXPECT_EQ(TREReplacement(Sjis("ソ&表\\&")).Expand("x"), Sjis("ソx表&"));
  EXPECT_EQ(TREReplacement(Sjis("\\ソ")).Expand("x"), Sjis("ソ"));
  EXPECT_EQ(TREReplacement(Sjis("【&】")).Expand(Sjis("語")), Sjis("【語】"));
}

TEST(ReplacementTest, BadReplacementsRaise) {
  const struct {
    std::string replacement;
    std::string message;
  } cases[] = {
      {"abc\\", re_message::kBackslashAtEnd}, {"\\", re_message::kBackslashAtEnd},
      {"\\x", re_message::kBadHex},           {"\\xz", re_message::kBadHex},
      {"\\200000", re_message::kBadOctal},    {std::string("a\x82"), re_message::kBadDoubleByte},
  };
  for (const auto& c : cases) {
    try {
      TREReplacement replacement(c.replacement);
      ADD_FAILURE() << "no error for " << c.replacement;
    } catch (const ERegExpParser& e) {
      EXPECT_EQ(e.what(), c.message) << c.replacement;
    }
  }
}

// The three passes of the replacement syntax, one after the other, as plain string rewrites,
// stepping through characters with InternalCharLength.
std::string ThreePasses(const std::string& replacement, const std::string& matched) {
  auto length = [](const std::string& s, std::size_t i) {
    return InternalCharLength(s.data() + i, s.data() + s.size());
  };
  // Whether the character at i is the one byte c.
  auto is = [&](const std::string& s, std::size_t i, char c) {
    return i < s.size() && s[i] == c && length(s, i) == 1;
  };
  std::string protectedText;
  for (std::size_t i = 0; i < replacement.size();) {
    const std::size_t n = length(replacement, i);
    if (is(replacement, i, '\\') && i + 1 < replacement.size()) {
      const std::size_t m = length(replacement, i + 1);
      protectedText += is(replacement, i + 1, '&') ? "\\\\" : "\\";
      protectedText.append(replacement, i + 1, m);
      i += 1 + m;
    } else {
      protectedText += replacement.substr(i, n);
      i += n;
    }
  }
  const std::string decoded = DecodeEscapes(protectedText);
  std::string result;
  for (std::size_t i = 0; i < decoded.size();) {
    if (is(decoded, i, '&')) {
      result += matched;
      ++i;
    } else if (is(decoded, i, '\\') && is(decoded, i + 1, '&')) {
      result += '&';
      i += 2;
    } else {
      const std::size_t n = length(decoded, i);
      result += decoded.substr(i, n);
      i += n;
    }
  }
  return result;
}

TEST(ReplacementTest, PreparedFormAgreesWithTheThreePasses) {
  const std::string ga = test::Escaped(0xAC00);
  const std::string pieces[] = {"&",       "\\",    "\\\\",        "\\&",      "x",
                                "\\x26",   "\\x5c", "\\x81",       "\x83\x5C", "\\n",
                                "\\101",   "\\q",   "\x82\xA0",    "\\x8140",  "\x5C\xFF",
                                "\\" + ga, ga,      "\x81\x60\xFF"};
  for (const std::string& a : pieces) {
    for (const std::string& b : pieces) {
      for (const std::string& c : pieces) {
        const std::string replacement = a + b + c;
        std::string expected;
        try {
          expected = ThreePasses(replacement, "<m>");
        } catch (const ERegExpParser&) {
          EXPECT_THROW(TREReplacement{replacement}, ERegExpParser) << replacement;
          continue;
        }
        EXPECT_EQ(TREReplacement(replacement).Expand("<m>"), expected) << replacement;
      }
    }
  }
}

// Escapes and characters with the alternate mark stay whole: ¥ (the backslash byte with the
// mark) escapes nothing, and a replace-all neither splits them nor inserts into them.
TEST(ReplacementTest, EscapesAndMarksStayWhole) {
  const std::string ga = test::Escaped(0xAC00);
  const std::string waveDash = "\x81\x60\xFF";
  const std::string yen = "\x5C\xFF";
  EXPECT_EQ(TREReplacement(yen + "&" + yen + "n").Expand("M"), yen + "M" + yen + "n");
  EXPECT_EQ(TREReplacement("\\" + ga + "&\\" + yen).Expand("M"), ga + "M" + yen);
  EXPECT_EQ(DecodeEscapes("\\" + waveDash + "\\x8160"), waveDash + Sjis("～"));
  const struct {
    std::string pattern;
    std::string replacement;
    std::string text;
    std::string replaced;
  } cases[] = {
      {".", "<&>", "a" + ga + waveDash, "<a><" + ga + "><" + waveDash + ">"},
      {"x*", "-", ga + waveDash, "-" + ga + "-" + waveDash},
      {Sjis("～"), "~", waveDash + Sjis("～"), waveDash + "~"},
      {ga, "[" + yen + "&]", "a" + ga, "a[" + yen + ga + "]"},
  };
  for (const auto& c : cases) {
    TAWKStr engine;
    engine.SetRegExp(c.pattern);
    std::string text = c.text;
    engine.ReplaceAll(c.replacement, text);
    EXPECT_EQ(text, c.replaced) << test::Visible(c.pattern);
  }
}

TEST(ReplacementTest, DecodesEscapesAndExpands) {
  EXPECT_EQ(DecodeEscapes("a\\tb\\x41\\\\"), "a\tbA\\");
  EXPECT_EQ(TREReplacement("<&>\\&").Expand("m"), "<m>&");
}

} // namespace
} // namespace zorbe
