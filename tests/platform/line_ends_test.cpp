// The platform's line ends: CR LF becomes LF, nothing else changes.

#include "platform/line_ends.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(LineEndsTest, OnlyCrLfPairsLoseTheirCr) {
  const struct {
    std::string_view text;
    std::string_view expected;
  } cases[] = {
      {"", ""},
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\rb", "a\rb"},               // a lone CR stays
      {"a\r\r\nb", "a\r\nb"},         // only the CR right before LF goes
      {"a\n\rb\r", "a\n\rb\r"},       // LF CR is not a pair; a CR at the end stays
      {"\x82\xa0\r\n", "\x82\xa0\n"}, // bytes other than CR and LF pass as they are
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithLfLineEnds(c.text), c.expected) << c.text;
  }
}

} // namespace
} // namespace zorbe
