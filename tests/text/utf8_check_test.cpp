#include "text/utf8_check.h"

#include "text/encoding.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

// The check fed in pieces of `step` bytes (0: all at once), in both of its ways.
bool Check(std::string_view text, bool vectors, std::size_t step) {
  TUtf8Check check(vectors);
  if (step == 0) {
    check.Feed(text);
  } else {
    for (std::size_t at = 0; at < text.size(); at += step) {
      check.Feed(text.substr(at, step));
    }
  }
  return check.Finish();
}

TEST(Utf8Check, AgreesWithTheCharacterByCharacterReadingWhereverTheBytesFall) {
  const struct {
    const char* name;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ascii", "plain text", true},
      {"kana", "あいう", true},
      {"four bytes", "\xF0\xA0\xAE\xB7", true},
      {"last of each length", "\x7F\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF", true},
      {"overlong two", "\xC0\x80", false},
      {"overlong two C1", "\xC1\xBF", false},
      {"overlong three", "\xE0\x9F\xBF", false},
      {"shortest three", "\xE0\xA0\x80", true},
      {"surrogate", "\xED\xA0\x80", false},
      {"below the surrogates", "\xED\x9F\xBF", true},
      {"overlong four", "\xF0\x8F\xBF\xBF", false},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
      {"F5", "\xF5\x80\x80\x80", false},
      {"FF", "a\xFF", false},
      {"lone continuation", "a\x80", false},
      {"three continuations after a two-byte lead", "\xC3\xA9\xA9", false},
      {"cut at the end", "\xE3\x81", false},
      {"cut by ASCII",
       "\xE3\x81"
       "a",
       false},
      {"Shift-JIS", "\x82\xA0\x88\x9F", false},
      {"Shift-JIS that reads as two-byte UTF-8",
       "\xC5\x83"
       "A",
       true},
      {"EUC that reads as two-byte UTF-8", "\xC2\xBC", true},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(IsValidUtf8(c.bytes), c.valid) << c.name; // the reference agrees with the table
    // Every alignment within a sixteen-byte block, and every way of cutting it into pieces.
    for (std::size_t shift = 0; shift < 18; ++shift) {
      const std::string text = std::string(shift, 'x') + c.bytes + std::string(shift % 5, 'y');
      for (const bool vectors : {true, false}) {
        for (const std::size_t step : {0, 1, 2, 3, 7, 16}) {
          EXPECT_EQ(Check(text, vectors, step), c.valid)
              << c.name << " shift " << shift << " vectors " << vectors << " step " << step;
        }
      }
    }
  }
}

TEST(Utf8Check, RandomTextsAgreeWithTheReference) {
  std::mt19937 random(13);
  const std::string pieces[] = {"a",        "\n",   "é",    "あ",   "𠮷",       "\x80", "\xE3",
                                "\xF0\x9F", "\xED", "\xC2", "\xBF", "\xF4\x90", "\xFF"};
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 40);
    const bool clean = round % 2 == 0; // half of them valid characters only
    for (int i = 0; i < count; ++i) {
      text += pieces[random() % (clean ? 5 : std::size(pieces))];
    }
    const bool expected = IsValidUtf8(text);
    for (const bool vectors : {true, false}) {
      const std::size_t step = 1 + random() % 20;
      ASSERT_EQ(Check(text, vectors, step), expected) << testing::PrintToString(text);
    }
  }
}

TEST(Utf8Check, NotesTheFirstHighByteAndLongCharacters) {
  TUtf8Check check;
  check.Feed("abc");
  EXPECT_FALSE(check.SawHighByte());
  check.Feed("d\xC3\xA9");
  EXPECT_TRUE(check.SawHighByte());
  EXPECT_EQ(check.FirstHighByte(), 4u);
  EXPECT_FALSE(check.SawLongSequence());
  check.Feed("あ");
  EXPECT_TRUE(check.SawLongSequence());
  EXPECT_EQ(check.Fed(), 9u);
  EXPECT_TRUE(check.MaybeValid());
  check.Feed("\xE3"); // cut: not yet a fault
  EXPECT_TRUE(check.MaybeValid());
  EXPECT_FALSE(check.Finish());
}

} // namespace
} // namespace zorbe
