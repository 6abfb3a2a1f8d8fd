// Sorting onto an existing file, as users with owners, groups, links and write-protected files
// meet it: the file keeps its owner, group, mode and links, a write-protected one is asked about
// first, and a file in a folder the user can't write is still rewritten. The cases that need
// another user run the program through setpriv with numeric ids, and are skipped when the test
// is not run by the superuser.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbe {
namespace {

constexpr uid_t kOwner = 1234;
constexpr gid_t kTeam = 4321;
constexpr uid_t kMember = 2001; // a user in the team's group, not the owner

struct stat StatOf(const std::string& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st;
}

class ReplaceE2E : public testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(folder.Path() / "bin");
    std::filesystem::copy_file(ZORBE_EXECUTABLE, program);
    test::WriteBytes(folder.File("bin/zorbe.ini"), ""); // the program folder, read only
    std::filesystem::create_directories(work);
    test::WriteBytes(Work("in.txt"), "b\r\na\r\n");
    for (const char* open : {"", "bin", "work"}) {
      ::chmod((folder.Path() / open).c_str(), 0755);
    }
    std::filesystem::create_directory(folder.Path() / "tmp");
    ::chmod(folder.File("tmp").c_str(), 01777);
  }
  std::string Work(const std::string& name) const { return (work / name).string(); }
  // Sorts in.txt onto `output` as the superuser, or with `user` as that user in the team.
  test::TRunResult Sort(const std::string& output, const std::string& input = "",
                        std::optional<uid_t> user = std::nullopt) {
    test::TRunOptions options;
    options.input = input;
    std::vector<std::string> args = {"/s", output, "in.txt"};
    if (!user) {
      return test::RunProgram(program, args, work.string(), options);
    }
    args.insert(args.begin(),
                {"--reuid=" + std::to_string(*user), "--regid=" + std::to_string(*user),
                 "--groups=" + std::to_string(kTeam), program});
    // setpriv leaves the superuser's capabilities behind with its ids.
    options.environment = {"HOME=" + work.string(), "TMPDIR=" + folder.File("tmp")};
    return test::RunProgram("/usr/bin/setpriv", args, work.string(), options);
  }
  bool CanActAsAnotherUser() const {
    return ::geteuid() == 0 && std::filesystem::exists("/usr/bin/setpriv");
  }

  test::TTempFolder folder;
  std::string program = (folder.Path() / "bin" / "zorbe").string();
  std::filesystem::path work = folder.Path() / "work";
};

// A file with another name keeps both: the sorted text is written into it, not beside it.
TEST_F(ReplaceE2E, AHardLinkedFileIsRewrittenInPlace) {
  test::WriteBytes(Work("out.txt"), "old\r\n");
  ASSERT_EQ(::link(Work("out.txt").c_str(), Work("other.txt").c_str()), 0);
  const ino_t inode = StatOf(Work("out.txt")).st_ino;
  const test::TRunResult run = Sort("out.txt", "y\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("other.txt")), "a\r\nb\r\n");
  EXPECT_EQ(StatOf(Work("out.txt")).st_ino, inode);
  EXPECT_EQ(StatOf(Work("out.txt")).st_nlink, 2u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work), {}), 3); // no copy left
}

// A write-protected file is replaced only after its own question, whose default is No; -y
// answers it. The replaced file is write-protected still.
TEST_F(ReplaceE2E, AWriteProtectedFileIsAskedAboutFirst) {
  test::WriteBytes(Work("out.txt"), "old\r\n");
  ::chmod(Work("out.txt").c_str(), 0444);
  const std::string question = "「out.txt」は書き込み禁止です。上書きしますか？";
  for (const char* answer : {"", "n\n"}) {
    const test::TRunResult run = Sort("out.txt", answer);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(question), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadBytes(Work("out.txt")), "old\r\n");
  }
  test::TRunResult run = Sort("out.txt", "y\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "a\r\nb\r\n");
  EXPECT_EQ(StatOf(Work("out.txt")).st_mode & 07777, 0444u);
  test::WriteBytes(Work("in.txt"), "d\r\nc\r\n");
  run = test::RunProgram(program, {"-y", "/s", "out.txt", "in.txt"}, work.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, ""); // -y answers it
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "c\r\nd\r\n");
}

// The superuser's sort keeps the owner and group of the file; a member of the file's group keeps
// them too (the file is rewritten in place, as a new file would be the member's own); and a file
// the user may write in a folder the user can't write is rewritten in place.
TEST_F(ReplaceE2E, OwnersGroupsAndFoldersAreKept) {
  if (!CanActAsAnotherUser()) {
    GTEST_SKIP() << "needs the superuser and setpriv";
  }
  const std::string shared = Work("shared");
  std::filesystem::create_directory(shared);
  ASSERT_EQ(::chown(shared.c_str(), kOwner, kTeam), 0);
  ::chmod(shared.c_str(), 0775);
  const std::string out = shared + "/out.txt";
  test::WriteBytes(out, "old\r\n");
  ASSERT_EQ(::chown(out.c_str(), kOwner, kTeam), 0);
  ::chmod(out.c_str(), 0664);

  test::TRunResult run = Sort(out, "y\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(out), "a\r\nb\r\n");
  EXPECT_EQ(StatOf(out).st_uid, kOwner);
  EXPECT_EQ(StatOf(out).st_gid, kTeam);
  EXPECT_EQ(StatOf(out).st_mode & 07777, 0664u);

  test::WriteBytes(Work("in.txt"), "d\r\nc\r\n");
  const ino_t inode = StatOf(out).st_ino;
  run = Sort(out, "y\n", kMember);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(out), "c\r\nd\r\n");
  EXPECT_EQ(StatOf(out).st_uid, kOwner);
  EXPECT_EQ(StatOf(out).st_gid, kTeam);
  EXPECT_EQ(StatOf(out).st_ino, inode);

  const std::string locked = Work("locked");
  std::filesystem::create_directory(locked);
  ::chmod(locked.c_str(), 0755); // the superuser's: the member can't write it
  const std::string own = locked + "/own.txt";
  test::WriteBytes(own, "old\r\n");
  ASSERT_EQ(::chown(own.c_str(), kMember, kMember), 0);
  run = Sort(own, "y\n", kMember);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(own), "c\r\nd\r\n");
  EXPECT_EQ(StatOf(own).st_uid, kMember);
}

} // namespace
} // namespace zorbe
