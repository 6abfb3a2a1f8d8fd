// The words for the causes of file errors: Japanese for the causes a user meets, and never a bare
// system text glued to "。" for the others. Outputs that appear only whole, keeping the mode of
// the file they replace, and names that start at the home folder.

#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// Extended attributes, the ACL among them (system.posix_acl_access: version 2, then entries of
// tag, permissions and id), come with the new file. Skipped where the file system has none.
TEST(AtomicFileTest, ExtendedAttributesAndTheAclAreKept) {
  test::TTempFolder folder;
  const std::string target = folder.Write("out.txt", "old");
  const std::string user = "user.zorbe-test";
  if (::setxattr(target.c_str(), user.c_str(), "kept", 4, 0) != 0) {
    GTEST_SKIP() << "no user attributes here";
  }
  const std::uint16_t kUserObj = 1, kUser = 2, kGroupObj = 4, kMask = 0x10, kOther = 0x20;
  std::string acl("\x02\0\0\0", 4);
  auto entry = [&acl](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
    acl.append(reinterpret_cast<const char*>(&tag), 2);
    acl.append(reinterpret_cast<const char*>(&perm), 2);
    acl.append(reinterpret_cast<const char*>(&id), 4);
  };
  entry(kUserObj, 6, ~0u);
  entry(kUser, 6, 1234);
  entry(kGroupObj, 4, ~0u);
  entry(kMask, 6, ~0u);
  entry(kOther, 4, ~0u);
  const bool withAcl =
      ::setxattr(target.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  TAtomicFile file(target);
  file.Write("new");
  file.Commit();
  EXPECT_FALSE(file.RewritesInPlace());
  char value[256];
  const ssize_t size = ::getxattr(target.c_str(), user.c_str(), value, sizeof value);
  EXPECT_EQ(std::string(value, static_cast<std::size_t>(std::max<ssize_t>(size, 0))), "kept");
  if (withAcl) {
    const ssize_t aclSize =
        ::getxattr(target.c_str(), "system.posix_acl_access", value, sizeof value);
    EXPECT_EQ(std::string(value, static_cast<std::size_t>(std::max<ssize_t>(aclSize, 0))), acl);
  }
  EXPECT_EQ(test::ReadBytes(target), "new");

  // A folder's default ACL would give the new file an ACL the old one didn't have.
  const std::string plain = folder.Write("inherit/plain.txt", "old");
  if (::setxattr(folder.File("inherit").c_str(), "system.posix_acl_default", acl.data(), acl.size(),
                 0) == 0) {
    TAtomicFile replaced(plain);
    replaced.Write("new");
    replaced.Commit();
    EXPECT_LT(::getxattr(plain.c_str(), "system.posix_acl_access", value, sizeof value), 0);
    EXPECT_EQ(test::ReadBytes(plain), "new");
  }
}

// A file rewritten in place (it has a second link) whose rewrite fails for want of room: the
// whole output stays in the scratch folder and the message names it. The file sits on a small
// file system made for the test (skipped where it can't be mounted).
TEST(AtomicFileTest, AFailedRewriteKeepsTheWholeOutputAndNamesIt) {
  test::TTempFolder folder;
  const std::string small = folder.File("small");
  std::filesystem::create_directory(small);
  if (::geteuid() != 0 ||
      std::system(("mount -t tmpfs -o size=64k zorbe-test " + small + " 2>/dev/null").c_str()) !=
          0) {
    GTEST_SKIP() << "no small file system can be mounted here";
  }
  const std::string target = small + "/out.txt";
  test::WriteBytes(target, "old");
  ASSERT_EQ(::link(target.c_str(), (small + "/other.txt").c_str()), 0);
  const std::string sorted(200 << 10, 'x');
  std::string message;
  {
    TAtomicFile file(target, folder.Path().string());
    EXPECT_TRUE(file.RewritesInPlace());
    file.Write(sorted);
    try {
      file.Commit();
    } catch (const EFileError& e) {
      message = e.what();
    }
  }
  std::string kept;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    if (entry.path().filename().string().starts_with("zorbe-out.txt-")) {
      kept = entry.path().string();
    }
  }
  ASSERT_FALSE(kept.empty()) << message;
  EXPECT_TRUE(test::ReadBytes(kept) == sorted);
  EXPECT_NE(message.find("ソート結果は「" + kept + "」に残っています。"), std::string::npos)
      << message;
  EXPECT_NE(message.find("ディスクの空き容量が不足しています。"), std::string::npos) << message;
  [[maybe_unused]] const int unmounted = std::system(("umount " + small).c_str());
}

TEST(AtomicFileTest, WriteProtectionIsThePermissionToWrite) {
  test::TTempFolder folder;
  const std::string file = folder.Write("f.txt", "x");
  EXPECT_FALSE(IsWriteProtected(file));
  ::chmod(file.c_str(), 0444);
  EXPECT_TRUE(IsWriteProtected(file)); // the superuser too, as rm asks
  EXPECT_FALSE(IsWriteProtected(folder.File("missing.txt")));
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
