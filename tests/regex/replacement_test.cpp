// Replacement texts: every row of the replacement syntax, double-byte characters whose trail
// byte looks like a backslash, and the errors; the prepared form must agree with the three
// passes written out step by step.

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

// The three passes of the replacement syntax, one after the other, as plain string rewrites.
std::string ThreePasses(const std::string& replacement, const std::string& matched) {
  auto length = [](const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return lead && i + 1 < s.size() ? 2 : 1;
  };
  std::string protectedText;
  for (std::size_t i = 0; i < replacement.size();) {
    const std::size_t n = length(replacement, i);
    if (replacement[i] == '\\' && i + 1 < replacement.size()) {
      const std::size_t m = length(replacement, i + 1);
      protectedText += replacement[i + 1] == '&' ? "\\\\" : "\\";
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
    if (decoded[i] == '&') {
      result += matched;
      ++i;
    } else if (decoded.compare(i, 2, "\\&") == 0) {
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
  const char* const pieces[] = {"&",     "\\",       "\\\\", "\\&",   "x",   "\\x26",    "\\x5c",
                                "\\x81", "\x83\x5C", "\\n",  "\\101", "\\q", "\x82\xA0", "\\x8140"};
  const std::size_t count = std::size(pieces);
  for (std::size_t a = 0; a < count; ++a) {
    for (std::size_t b = 0; b < count; ++b) {
      for (std::size_t c = 0; c < count; ++c) {
        const std::string replacement = std::string(pieces[a]) + pieces[b] + pieces[c];
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

TEST(ReplacementTest, DecodesEscapesAndExpands) {
  EXPECT_EQ(DecodeEscapes("a\\tb\\x41\\\\"), "a\tbA\\");
  EXPECT_EQ(TREReplacement("<&>\\&").Expand("m"), "<m>&");
}

} // namespace
} // namespace zorbe
