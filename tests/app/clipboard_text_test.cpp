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

TEST(ClipboardText, TextThatCantComeBackAsItselfIsRefusedNamingTheCharacter) {
  struct Case {
    std::string clipboard;
    std::vector<std::string> named;
  };
  const Case cases[] = {
      {"ok\n😀 smile", {"「😀」", "U+1F600"}},
      {"a\xE2\x80\x8D"
       "b",
       {"U+200D"}}, // a zero-width joiner: named by its number too
      {"\xE3\x80\x9C and ～", {"「\xE3\x80\x9C」", "「～」"}},
      {"C:\\ and \xC2\xA5", {"「\\」", "「\xC2\xA5」"}},
  };
  for (const Case& c : cases) {
    try {
      TClipboardText text(c.clipboard);
      ADD_FAILURE() << "accepted: " << c.clipboard;
    } catch (const EEncodingError& e) {
      const std::string message = ClipboardTextRefusal(e.what());
      EXPECT_EQ(message.rfind("クリップボードのテキストをソートできません。\r\n", 0), 0u);
      for (const std::string& part : c.named) {
        EXPECT_NE(message.find(part), std::string::npos) << message;
      }
    }
  }
}

} // namespace
} // namespace zorbe
