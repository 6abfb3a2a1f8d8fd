#include "app/clipboard_text.h"

#include "test_support.h"
#include "text/encoding.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using test::Sjis;

// A sorted text comes back with the clipboard's own characters and line ends.
TEST(ClipboardText, SortedBytesComeBackWithTheTextsCharactersAndLineEnds) {
  struct Case {
    const char* name;
    std::string clipboard;
    std::string sorted; // what a sort wrote, in CP932
    std::string back;
  };
  const Case cases[] = {
      {"plain, LF", "い\nあ", Sjis("あ\r\nい\r\n"), "あ\nい\n"},
      {"plain, CR LF kept", "い\r\nあ\r\n", Sjis("あ\r\nい\r\n"), "あ\r\nい\r\n"},
      // U+301C and U+00A5 become 0x8160 and 0x5C, which CP932 gives back as U+FF5E and "\".
      {"wave dash", "10時\xE3\x80\x9C\n9時\xE3\x80\x9C",
       "9\x8E\x9E\x81\x60\r\n10\x8E\x9E\x81\x60\r\n", "9時\xE3\x80\x9C\n10時\xE3\x80\x9C\n"},
      {"yen sign",
       "\xC2\xA5"
       "200\n\xC2\xA5"
       "100",
       "\\100\r\n\\200\r\n",
       "\xC2\xA5"
       "100\n\xC2\xA5"
       "200\n"},
      {"full-width tilde is CP932's own", "～b\n～a",
       "\x81\x60"
       "a\r\n\x81\x60"
       "b\r\n",
       "～a\n～b\n"},
  };
  for (const Case& c : cases) {
    const TClipboardText text(c.clipboard);
    EXPECT_EQ(text.Unicode(c.sorted), c.back) << c.name;
    // Unsorted, the text comes back exactly as it was taken.
    EXPECT_EQ(text.Unicode(text.Bytes()), c.clipboard) << c.name;
  }
  EXPECT_EQ(TClipboardText("あ\nい").Bytes(), Sjis("あ\nい"));
  EXPECT_EQ(TClipboardText("").Unicode(""), "");
}

// A text CP932 can't carry goes to the sort as UTF-8 and comes back as itself.
TEST(ClipboardText, TextCp932CantCarryIsSortedAsUtf8) {
  struct Case {
    const char* name;
    std::string clipboard;
  };
  const Case cases[] = {
      {"astral", "ok\n😀 smile\n𠮷"},
      {"accents", "é\nō"},
      {"zero-width joiner", "a\xE2\x80\x8D"
                            "b"},
      {"both wave dashes", "\xE3\x80\x9C and ～"},
      {"backslash and yen", "C:\\ and \xC2\xA5"},
      {"CR LF kept", "𠮷\r\na\r\n"},
  };
  for (const Case& c : cases) {
    const TClipboardText text(c.clipboard);
    EXPECT_TRUE(text.IsUtf8()) << c.name;
    EXPECT_EQ(text.Bytes(), c.clipboard) << c.name;
    EXPECT_EQ(text.Unicode(text.Bytes()), c.clipboard) << c.name;
  }
  // The sort's CR LF go back as LF unless the text came with CR LF.
  EXPECT_EQ(TClipboardText("𠮷\na").Unicode("a\r\n𠮷\r\n"), "a\n𠮷\n");
  EXPECT_EQ(TClipboardText("𠮷\r\na").Unicode("a\r\n𠮷\r\n"), "a\r\n𠮷\r\n");
  EXPECT_FALSE(TClipboardText("あ\n～").IsUtf8());
}

} // namespace
} // namespace zorbe
