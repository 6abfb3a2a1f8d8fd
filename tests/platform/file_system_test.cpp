// The words for the causes of file errors: Japanese for the causes a user meets, and never a bare
// system text glued to "。" for the others. Outputs that appear only whole, keeping the mode of
// the file they replace, and names that start at the home folder.

#include "platform/file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <sys/stat.h>

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

TEST(AtomicFileTest, TheTargetChangesOnlyAtCommitAndKeepsItsMode) {
  test::TTempFolder folder;
  const std::string target = folder.Write("out.txt", "old");
  ::chmod(target.c_str(), 0640);
  {
    TAtomicFile file(target);
    file.Write("new ");
    file.Write('1');
    EXPECT_EQ(test::ReadBytes(target), "old"); // nothing visible before Commit
    file.Commit();
  }
  EXPECT_EQ(test::ReadBytes(target), "new 1");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  for (const bool discardItself : {true, false}) { // Discard, or the end of an uncommitted file
    TAtomicFile file(target);
    file.Write(std::string(3 << 20, 'x')); // larger than the buffer: some of it is written
    if (discardItself) {
      file.Discard();
    }
  }
  EXPECT_EQ(test::ReadBytes(target), "new 1");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

  const std::string fresh = folder.File("fresh.txt");
  TAtomicFile file(fresh);
  file.Commit();
  EXPECT_TRUE(FileExists(fresh));
  EXPECT_EQ(test::ReadBytes(fresh), "");
}

TEST(AtomicFileTest, AFolderThatCantBeWrittenIsAFileError) {
  EXPECT_THROW(TAtomicFile("/nonexistent-folder/out.txt"), EFileError);
}

// Large files are read in pieces by two threads: every byte lands where it belongs, whether the
// size is a whole number of pieces or not, and a read that asks for more room grows on.
TEST(ReadFileIntoTest, LargeFilesAreReadWhole) {
  test::TTempFolder folder;
  std::mt19937 random(2);
  for (const std::size_t size : {std::size_t{16} << 20, (std::size_t{21} << 20) + 3}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
      c = static_cast<char>(random());
    }
    const std::string name = folder.Write("large.bin", bytes);
    EXPECT_TRUE(ReadFileContents(name).View() == bytes) << size;
    std::string grown;
    const std::size_t read = ReadFileInto(name, [&](std::size_t needed) {
      grown.resize(needed);
      return grown.data();
    });
    ASSERT_EQ(read, size);
    EXPECT_TRUE(std::string_view(grown).substr(0, read) == bytes) << size;
  }
}

TEST(WithHomeFolderTest, OnlyALeadingTildeSlashOrALoneTildeIsTheHomeFolder) {
  const test::TScopedEnvironment home("HOME", "/home/someone");
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"~", "/home/someone"}, {"~/a.txt", "/home/someone/a.txt"},
      {"~a.txt", "~a.txt"},   {"a/~/b", "a/~/b"},
      {"/abs/~", "/abs/~"},   {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithHomeFolder(c.name), c.expected) << c.name;
  }
}

} // namespace
} // namespace zorbe
