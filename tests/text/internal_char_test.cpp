#include "text/internal_char.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zorbe {
namespace {

std::string Escape(char32_t codePoint) {
  unsigned char bytes[kMaxEscapeLength];
  return {reinterpret_cast<const char*>(bytes), PutEscape(codePoint, bytes)};
}

TEST(InternalChar, EscapesRoundTripAndSortInCodePointOrderAfterEveryCp932Byte) {
  const std::vector<char32_t> points = {0x0,     0x7F,    0xE9,    0x3FFF,  0xAC00,  0x20BB7,
                                        0x3FFFF, 0x40000, 0xE0100, 0xFFFFD, 0x10FFFF};
  std::string previous;
  for (const char32_t c : points) {
    const std::string escape = Escape(c);
    ASSERT_EQ(escape.size(), c >= kWideEscapeFirst ? 5U : 4U)
        << std::hex << static_cast<unsigned>(c);
    const auto* p = reinterpret_cast<const unsigned char*>(escape.data());
    EXPECT_EQ(EscapeCodePoint(p), c);
    EXPECT_GT(static_cast<unsigned char>(escape[0]), 0xFC); // after every lead byte
    for (std::size_t i = 1; i < escape.size(); ++i) {
      const auto b = static_cast<unsigned char>(escape[i]);
      EXPECT_TRUE(b >= 0xA0 && b <= 0xDF) << "trail byte " << std::hex << int(b);
    }
    EXPECT_LT(previous, escape) << std::hex << static_cast<unsigned>(c);
    previous = escape;
  }
}

// Forward lengths and backward steps must find the same boundaries in any mix of characters.
TEST(InternalChar, BackwardStepsFindTheBoundariesForwardLengthsFind) {
  const std::vector<std::string> pieces = {
      "a",        "\xB1",     "\x82\xA0",   "\x81\x60",     "\x81\x60\xFF",  "\x5C\xFF",
      "\x81\x81", "\x88\x9F", Escape(0xE9), Escape(0xAC00), Escape(0xE0100), "\xE0\x40",
      "\xFC\xFC"};
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    std::vector<std::size_t> bounds{0};
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      text += pieces[random() % pieces.size()];
      bounds.push_back(text.size());
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<std::size_t> forward{0};
    for (std::size_t at = 0; at < text.size();) {
      at += InternalCharLength(p + at, p + text.size());
      forward.push_back(at);
    }
    ASSERT_EQ(forward, bounds) << testing::PrintToString(text);
    for (std::size_t i = bounds.size() - 1; i > 0; --i) {
      ASSERT_EQ(PreviousCharStart(p, 0, bounds[i]), bounds[i - 1])
          << testing::PrintToString(text) << " at " << bounds[i];
    }
  }
}

TEST(InternalChar, CutCharactersAndStrayMarksStayInsideTheText) {
  const struct {
    std::string text;
    std::size_t length;
  } cases[] = {
      {"\x82", 1}, {"\xFD\xA0", 2}, {"\xFF\xFF", 1}, {"\x81\x60\xFF", 3}, {"\xFE\xA0\xA0", 3},
  };
  for (const auto& c : cases) {
    const auto* p = reinterpret_cast<const unsigned char*>(c.text.data());
    EXPECT_EQ(InternalCharLength(p, p + c.text.size()), c.length) << testing::PrintToString(c.text);
  }
  EXPECT_FALSE(HoldsInternalOnlyBytes("\x82\xA0\xFC\xFC", 4));
  EXPECT_TRUE(HoldsInternalOnlyBytes("a\x81\x60\xFF", 4));
}

} // namespace
} // namespace zorbe
