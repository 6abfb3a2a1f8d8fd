#include "app/target_files.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace zorbe {
namespace {

using test::Sjis;

TEST(TargetFiles, FoldersExpandToEveryFileBelowThemAndOtherNamesStay) {
  test::TTempFolder folder;
  const std::string a = folder.Write("tree/a.txt", "a");
  const std::string b = folder.Write("tree/sub/deeper/b.dat", "b");
  std::filesystem::create_directories(folder.File("tree/empty"));
  std::vector<std::string> work =
      ExpandTargetNames({folder.File("single.txt"), folder.File("tree"), "", "/no/such"});
  ASSERT_EQ(work.size(), 5u);
  EXPECT_EQ(work.front(), folder.File("single.txt"));
  EXPECT_EQ(work[3], "");
  EXPECT_EQ(work.back(), "/no/such");
  std::vector<std::string> expanded(work.begin() + 1, work.begin() + 3);
  std::sort(expanded.begin(), expanded.end());
  EXPECT_EQ(expanded, (std::vector<std::string>{a, b}));
}

TEST(TargetFiles, ListAcceptsEveryTextAndRefusesTheRestByName) {
  test::TTempFolder folder;
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<TCharCode> code; // none: refused
    const char* refusal;
  };
  const Case cases[] = {
      {"ascii.txt", "plain ascii\r\n", ccShiftJis, nullptr},
      {"sjis.txt", Sjis("日本語\r\n"), ccShiftJis, nullptr},
      {"jis.txt", "\x1b$B$\"\x1b(B\r\n", ccJis83, nullptr},
      {"euc.txt", "\xa4\xa2\xf0\xa1\r\n", ccEuc, nullptr},
      {"utf8.txt",
       "\xef\xbb\xbf"
       "abc",
       ccUtf8, nullptr},
      {"utf8-without-mark.txt", "日本語\n", ccUtf8, nullptr},
      {"utf16.txt",
       "\xff\xfe"
       "a\0",
       ccUtf16LE, nullptr},
      {"utf16be.txt", std::string("\xfe\xff\0a", 4), ccUtf16BE, nullptr},
      {"binary.dat", std::string("ab\0cd", 5), std::nullopt,
       "」はテキストファイルではありません。"},
      {"half-width.txt", "\xb1\xb2\r\n", ccShiftJis, nullptr}, // by the second opinion
      {"ambiguous.txt", "\xb1\xb2\xb3\xb4\xa4\xa2\xb5\xb6\xb7\xb8\r\n", std::nullopt,
       "」はEUCかShift-JISか判定できません。"},
      {"empty.txt", "", ccShiftJis, nullptr}, // text without lines
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.Write(c.name, c.bytes);
    std::vector<std::string> messages;
    const std::optional<TCharCode> code =
        AcceptedListCode(file, [&](const std::string& m) { messages.push_back(m); });
    if (c.code) {
      EXPECT_EQ(code, c.code);
      EXPECT_TRUE(messages.empty());
      continue;
    }
    EXPECT_FALSE(code.has_value());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("「" + file + c.refusal, 0), 0u) << messages[0];
  }
}

// One message per file, with the true cause, and no second refusal after it.
TEST(TargetFiles, AFileThatCannotBeOpenedGetsOneMessageWithItsCause) {
  test::TTempFolder folder;
  const std::string notAFolder = folder.Write("plain", "x") + "/x.txt";
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {"/no/such/file.txt", "ファイル「/no/such/file.txt」は存在しないか使用中です。"},
      {notAFolder, "ファイル「" + notAFolder +
                       "」を開けませんでした。\r\nパスの途中にフォルダでないものがあります。"},
      {folder.File("pipe"),
       "「" + folder.File("pipe") + "」は名前付きパイプ (FIFO) なので、読み込みません。"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> messages;
    EXPECT_FALSE(
        AcceptedListCode(c.file, [&](const std::string& m) { messages.push_back(m); }).has_value());
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
  }
}

TEST(TargetFiles, CountText) {
  EXPECT_EQ(FileCountText(0), "0 個");
  EXPECT_EQ(FileCountText(12), "12 個");
}

} // namespace
} // namespace zorbe
