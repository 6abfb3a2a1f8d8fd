// Faults around the program's output: a full device, a folder that can't be made, the program
// stopped or killed while it writes. After each, the exit status and message are right, no
// temporary file is left behind, and an earlier output of the same name is intact.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace zorbe {
namespace {

class FaultE2E : public testing::Test {
protected:
  void SetUp() override {
    std::filesystem::copy_file(ZORBE_EXECUTABLE, program);
    std::filesystem::create_directories(work);
  }
  std::string Work(const std::string& name) const { return (work / name).string(); }
  std::set<std::string> WorkFiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  // Lines enough that writing them takes a while: about `megabytes` MB.
  void WriteLargeInput(int megabytes) const {
    std::string text;
    text.reserve(static_cast<std::size_t>(megabytes) << 20);
    std::uint32_t x = 12345;
    while (text.size() < (static_cast<std::size_t>(megabytes) << 20)) {
      x = x * 1103515245 + 12345;
      text += "line " + std::to_string(x) + "\r\n";
    }
    test::WriteBytes(Work("in.txt"), text);
  }
  // Sends the program the signal while it holds a partly written output.
  test::TRunResult SignalWhileWriting(int signal) {
    const test::TWriteGate gate(folder.File("gate"), work.string(),
                                [signal](int pid) { test::SignalTaken(pid, signal); });
    test::TRunOptions options;
    options.input = "y\n";
    return test::RunProgram(program, {"/s", "out.txt", "in.txt"}, work.string(),
                            gate.Options(options));
  }

  test::TTempFolder folder;
  std::string program = folder.File("zorbe");
  std::filesystem::path work = folder.Path() / "work";
};

TEST_F(FaultE2E, FullDeviceFailsAndKeepsTheEarlierOutput) {
  WriteLargeInput(1);
  test::WriteBytes(Work("out.txt"), "earlier");
  test::TRunOptions options;
  options.input = "y\n";
  options.fileSizeLimit = 100000;
  const test::TRunResult run =
      test::RunProgram(program, {"/s", "out.txt", "in.txt"}, work.string(), options);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("out.txt"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ファイルが大きすぎます。"), std::string::npos) << run.err;
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == "earlier"); // no diff of megabytes
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"in.txt", "out.txt"}));
}

// Standard output redirected to a file gets the whole output or is left as it was: a copy into
// it that fails (here at the file size limit, after the earlier content) cuts it back to the
// length it had.
TEST_F(FaultE2E, StandardOutputAppendedToIsCutBackWhenTheCopyFails) {
  std::string lines;
  for (int i = 0; lines.size() < 60000; ++i) {
    lines += "line " + std::to_string(i) + "\r\n";
  }
  test::WriteBytes(Work("in.txt"), lines);
  const std::string earlier(100000, 'e');
  test::WriteBytes(Work("log.txt"), earlier);
  std::filesystem::create_directories(folder.Path() / "tmp");
  test::TRunOptions options;
  options.fileSizeLimit = 128 << 10; // the sorted text fits alone, not behind the earlier one
  options.environment = {"TMPDIR=" + folder.File("tmp")};
  const test::TRunResult run = test::RunProgram(
      "/bin/sh", {"-c", "\"$0\" -o - in.txt >> log.txt", program}, work.string(), options);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("標準出力に書き込めません。"), std::string::npos) << run.err;
  EXPECT_TRUE(test::ReadBytes(Work("log.txt")) == earlier);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "tmp"));
}

TEST_F(FaultE2E, OutputFolderThatCannotBeMade) {
  test::WriteBytes(Work("in.txt"), "a\r\n");
  test::WriteBytes(Work("blocker"), "");
  const test::TRunResult run =
      test::RunProgram(program, {"/s", "blocker/sub/out.txt", "in.txt"}, work.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("フォルダ「blocker/sub」を作成できませんでした。"), std::string::npos)
      << run.err;
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"blocker", "in.txt"}));
}

TEST_F(FaultE2E, UnreadableTargetIsRefusedBeforeSorting) {
  test::WriteBytes(Work("in.txt"), "a\r\n");
  std::filesystem::permissions(Work("in.txt"), std::filesystem::perms::none);
  test::TRunOptions options;
  options.checkPermissions = true;
  const test::TRunResult run =
      test::RunProgram(program, {"/s", "out.txt", "in.txt"}, work.string(), options);
  EXPECT_EQ(run.status, 1);
  // One message, with the true cause.
  EXPECT_EQ(run.err, "zorbe: ファイル「in.txt」を開けませんでした。\nアクセスが拒否されました。\n"
                     "処理を中止します。\n");
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"in.txt"}));
}

// A named pipe given as a file is read as every tool reads one: once its writer has opened it
// (here a writer that comes after the program has started). In a folder it is skipped, naming
// it, and never read.
TEST_F(FaultE2E, ANamedPipeIsReadOnceItsWriterComesAndSkippedInAFolder) {
  ASSERT_EQ(::mkfifo(Work("pipe").c_str(), 0600), 0);
  test::TRunOptions options;
  bool written = false;
  options.whileRunning = [&](int, const std::string&) {
    // The writer comes once the program waits for it (before, opening finds no reader).
    const int fd = ::open(Work("pipe").c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
      return false;
    }
    written = ::write(fd, "b\r\na\r\n", 6) == 6;
    ::close(fd);
    return true;
  };
  test::TRunResult run =
      test::RunProgram(program, {"/s", "out.txt", "pipe"}, work.string(), options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(written);
  EXPECT_EQ(test::ReadBytes(Work("out.txt")), "a\r\nb\r\n");

  std::filesystem::create_directory(work / "dir");
  ASSERT_EQ(::mkfifo(Work("dir/pipe").c_str(), 0600), 0);
  test::WriteBytes(Work("dir/a.txt"), "c\r\n");
  run = test::RunProgram(program, {"/s", "dir.txt", "dir"}, work.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("「dir/pipe」は名前付きパイプ (FIFO) なので、読み込みません。"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(test::ReadBytes(Work("dir.txt")), "c\r\n");
  run = test::RunProgram(program, {"--detect", "dir"}, work.string());
  EXPECT_EQ(run.out, "dir/a.txt: S-JIS\n");
  EXPECT_NE(run.err.find("「dir/pipe」は名前付きパイプ"), std::string::npos) << run.err;
}

TEST_F(FaultE2E, OutputToADeviceIsWrittenNotReplaced) {
  test::WriteBytes(Work("in.txt"), "b\r\na\r\n");
  const test::TRunResult run =
      test::RunProgram(program, {"/s", "/dev/stdout", "in.txt"}, work.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "a\r\nb\r\n");
  EXPECT_EQ(run.err, ""); // nothing asked: a device holds nothing to lose
}

TEST_F(FaultE2E, InterruptWhileWritingRemovesTheOutput) {
  WriteLargeInput(30);
  test::WriteBytes(Work("out.txt"), "earlier");
  const test::TRunResult run = SignalWhileWriting(SIGINT);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == "earlier"); // no diff of megabytes
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"in.txt", "out.txt"}));
}

TEST_F(FaultE2E, KilledWhileWritingLeavesNothingBehind) {
  WriteLargeInput(30);
  test::WriteBytes(Work("out.txt"), "earlier");
  const test::TRunResult run = SignalWhileWriting(SIGKILL);
  EXPECT_EQ(run.status, 128 + SIGKILL);
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == "earlier"); // no diff of megabytes
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"in.txt", "out.txt"}));
}

} // namespace
} // namespace zorbe
