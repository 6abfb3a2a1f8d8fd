// Character-level reading of patterns: characters, stepping back, escapes, code to text and
// quoting.

#include "internal_text.h"
#include "regex/pattern_text.h"
#include "regex/regexp.h"
#include "regex/regexp_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorbe {
namespace {

using test::Escaped;
using test::Sjis;

TEST(REPatternText, ReadCharacterTakesDoubleByteCharactersWhole) {
  std::string text = "a";
  text += test::Sjis("あ");
  text += '\xB1';
  std::uint32_t pos = 1;
  EXPECT_EQ(ReadCharacter(text, pos), 'a');
  EXPECT_EQ(ReadCharacter(text, pos), 0x82A0);
  EXPECT_EQ(pos, 4U);
  EXPECT_EQ(ReadCharacter(text, pos), 0xB1);
  EXPECT_EQ(ReadCharacter(text, pos), 0);
  EXPECT_EQ(pos, 5U);
  pos = 0;
  EXPECT_EQ(ReadCharacter(text, pos), 0);
  EXPECT_EQ(pos, 0U);
}

TEST(REPatternText, StepBackUsesTheTrailByteRule) {
  // ぁ is 0x82 0x9F: both bytes are lead-valued, so only the run's parity tells them apart.
  const std::string text = test::Sjis("ぁぁ") + "a" + test::Sjis("ソ") + "b";
  struct TStep {
    std::uint32_t from;
    std::uint32_t to;
  };
  const TStep steps[] = {{1, 1}, {2, 1}, {3, 1}, {5, 3}, {6, 5}, {8, 6}, {9, 8}};
  for (const auto& [from, to] : steps) {
    std::uint32_t pos = from;
    StepBack(text, pos);
    EXPECT_EQ(pos, to) << "from " << from;
  }
  std::uint32_t pos = 5;
  StepBack(text, pos, 3);
  EXPECT_EQ(pos, 3U);
}

// Characters of the internal form that CP932 lacks, as the converters write them.
const std::string kGa = Escaped(0xAC00);      // 가: FD AA D0 A0
const std::string kWide = Escaped(0x10FFFD);  // FE A4 AF DF DD
const std::string kWaveDash = "\x81\x60\xFF"; // 〜: ～'s code with the mark
const std::string kYen = "\x5C\xFF";          // ¥: the backslash byte with the mark

TEST(REPatternText, EscapesAndMarksAreOneCharacterEachWay) {
  const struct {
    std::string text;
    std::vector<TRECode> codes;
  } cases[] = {
      {"a" + kGa + "b", {'a', 0x20AC00, 'b'}},
      {kWaveDash + Sjis("～") + kYen + "\\", {0x18160, 0x8160, 0x1005C, '\\'}},
      {kWide + kGa + "\xFF", {0x30FFFD, MarkedCode(0x20AC00)}},
      // Bytes that make no escape are characters of their own: an escape cut off, an 0xFE whose
      // trail bytes hold no code point above U+3FFFF.
      {"\xFD\xAA\xD0", {0xFD, 0xAA, 0xD0}},
      {"\xFE\xA0\xA0\xA0\xA1", {0xFE, 0xA0, 0xA0, 0xA0, 0xA1}},
  };
  for (const auto& [text, codes] : cases) {
    std::vector<std::uint32_t> starts;
    std::vector<TRECode> read;
    for (std::uint32_t pos = 1; pos <= text.size();) {
      starts.push_back(pos);
      read.push_back(ReadCharacter(text, pos));
    }
    EXPECT_EQ(read, codes) << test::Visible(text);
    std::string rebuilt;
    for (const TRECode code : codes) {
      rebuilt += CodeToText(code);
    }
    EXPECT_EQ(rebuilt, text);
    for (std::size_t i = starts.size(); i > 0; --i) {
      std::uint32_t pos =
          i < starts.size() ? starts[i] : static_cast<std::uint32_t>(text.size() + 1);
      StepBack(text, pos);
      EXPECT_EQ(pos, starts[i - 1]) << test::Visible(text) << " character " << i;
    }
  }
  EXPECT_EQ(QuoteRegExp(kYen + "." + kGa + "\\"), kYen + "\\." + kGa + "\\\\");
  // A lead byte without its trail byte and a mark with no character before it are refused where
  // they stand: in an expanded pattern they would take in a metacharacter.
  const struct {
    std::string text;
    std::uint32_t position;
  } refused[] = {{"a\x82", 2}, {"\x82" + kGa, 1}, {"\x82\xFF", 1}, {"\xFF", 1}, {"a\xFF\xFF", 3}};
  for (const auto& [text, position] : refused) {
    std::uint32_t pos = 1;
    try {
      while (ReadCharacter(text, pos) != 0) {
      }
      ADD_FAILURE() << test::Visible(text) << " read";
    } catch (const ERegExpParser& error) {
      EXPECT_STREQ(error.what(), re_message::kBadDoubleByte);
      EXPECT_EQ(error.Position(), position) << test::Visible(text);
    }
  }
}

struct TEscapeCase {
  std::string text; // what follows the backslash
  TRECode code;
  std::uint32_t nextPos;
};

TEST(REPatternText, DecodeEscape) {
  const TEscapeCase cases[] = {
      {"b", 8, 2},
      {"n", 10, 2},
      {"r", 13, 2},
      {"t", 9, 2},
      {"x41", 0x41, 4},
      {"xfF", 0xFF, 4},
      {"x12345", 0x1234, 6},
      {"x4", 4, 3},
      {"x4g", 4, 3},
      {"101", 0x41, 4},
      {"0", 0, 2},
      {"177777", 0xFFFF, 7},
      {"1234567", 0xA72E, 7},
      {"78", 7, 2},
      {"8", '8', 2},
      {"\\", '\\', 2},
      {".", '.', 2},
      {"q", 'q', 2},
  };
  for (const auto& [text, code, nextPos] : cases) {
    std::uint32_t pos = 1;
    EXPECT_EQ(DecodeEscape(text, pos), code) << text;
    EXPECT_EQ(pos, nextPos) << text;
  }
  std::uint32_t pos = 1;
  EXPECT_EQ(DecodeEscape(test::Sjis("あ"), pos), 0x82A0);
}

TEST(REPatternText, CodeToTextAndQuote) {
  EXPECT_EQ(CodeToText('A'), "A");
  EXPECT_EQ(CodeToText(0x82A0), test::Sjis("あ"));
  EXPECT_EQ(CodeToText(0x0141), "A"); // 0x01 is no lead byte: only the low byte counts
  EXPECT_EQ(CodeToText(0xB1), "\xB1");
  EXPECT_EQ(QuoteRegExp("a.b*[c]"), "a\\.b\\*\\[c\\]");
  EXPECT_EQ(QuoteRegExp("^(x|y)+?$\\"), "\\^\\(x\\|y\\)\\+\\?\\$\\\\");
  EXPECT_EQ(QuoteRegExp("{-}"), "{-}");
  EXPECT_EQ(QuoteRegExp(test::Sjis("ソ表")), test::Sjis("ソ表")); // trail bytes 0x5C untouched
  EXPECT_EQ(QuoteRegExp("a\x83"), "a\x83");
}

TEST(REPatternText, QuotedTextMatchesItself) {
  const std::string texts[] = {"a.b", "^(x|y)+?$\\", test::Sjis("ソ表[]"), "[^a]*"};
  for (const std::string& text : texts) {
    const auto dfa = CompileRegExp(QuoteRegExp(text));
    const auto match = TREMatcher(*dfa).SearchAtLineStart("<" + text + ">", 0);
    ASSERT_TRUE(match.has_value()) << text;
    EXPECT_EQ(match->start, 1U);
    EXPECT_EQ(match->end, 1 + text.size());
  }
}

} // namespace
} // namespace zorbe
