#include "text/shift_jis.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(ShiftJis, LowerCaseKeepsTrailBytes) {
  std::string text = "AB\x83\x41Z";
  LowerCaseInPlace(text);
  EXPECT_EQ(text, "ab\x83\x41z");
}

} // namespace
} // namespace zorbe
