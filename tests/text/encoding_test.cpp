#include "text/encoding.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(Encoding, RoundTripsJapanese) {
  const std::string utf8 = "あア亜ｱ①～123";
  EXPECT_EQ(Utf8ToCp932(utf8), "\x82\xA0\x83\x41\x88\x9F\xB1\x87\x40\x81\x60"
                               "123");
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(utf8)), utf8);
}

TEST(Encoding, CharacterWithoutCp932FormIsNamed) {
  try {
    Utf8ToCp932("ab😀c");
    FAIL() << "no error";
  } catch (const EEncodingError& e) {
    EXPECT_NE(std::string(e.what()).find("😀"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("(U+1F600)"), std::string::npos);
  }
  EXPECT_EQ(CodePointName("\xE2\x80\x8D"), "U+200D"); // a joiner, invisible in a message
  EXPECT_EQ(CodePointName("A"), "U+0041");
  EXPECT_THROW(Utf8ToCp932("a\xFF"), EEncodingError);
}

TEST(Encoding, InvalidCp932BecomesReplacementCharacter) {
  const std::string utf8 = Cp932ToUtf8("a\x82");
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(utf8.substr(0, 1), "a");
}

TEST(Encoding, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("abc あ"));
  EXPECT_FALSE(IsValidUtf8("\x82\xA0"));     // Shift-JIS
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));     // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE3\x81"));     // cut short
}

} // namespace
} // namespace zorbe
