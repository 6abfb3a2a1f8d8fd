// The words for the causes of file errors: Japanese for the causes a user meets, and never a bare
// system text glued to "。" for the others.

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace zorbe {
namespace {

TEST(FileErrorReasonTest, KnownCausesHaveJapaneseWordsAndOthersTheirNumber) {
  const struct {
    int error;
    const char* reason;
  } cases[] = {
      {EACCES, "アクセスが拒否されました。"},
      {ENOENT, "ファイルまたはフォルダが見つかりません。"},
      {EIO, "読み書き中に装置のエラーが起きました。"},
      {ELOOP, "シンボリックリンクが循環しています。"},
      {ENOSPC, "ディスクの空き容量が不足しています。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileErrorReason(c.error), c.reason) << c.error;
  }
  const std::string other = FileErrorReason(ECHILD);
  EXPECT_EQ(other.rfind("システムのエラーです（", 0), 0u) << other;
  EXPECT_NE(other.find("エラー番号 " + std::to_string(ECHILD) + "）。"), std::string::npos)
      << other;
}

} // namespace
} // namespace zorbe
