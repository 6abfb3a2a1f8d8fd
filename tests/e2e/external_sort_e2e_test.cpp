// The built program with a memory budget smaller than its input: the same output as without
// one, and after a full scratch folder or a kill during the merge, the earlier output intact
// and no scratch file left.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>

namespace zorbe {
namespace {

class ExternalSortE2E : public testing::Test {
protected:
  void SetUp() override {
    std::filesystem::copy_file(ZORBE_EXECUTABLE, program);
    std::filesystem::create_directories(scratch);
    std::uint32_t x = 99;
    std::string text;
    while (text.size() < (std::size_t{1} << 20)) {
      x = x * 1103515245 + 12345;
      text += (x % 3 == 0 ? "Line " : "line ") + std::to_string(x % 50000) + "\r\n";
    }
    test::WriteBytes(Work("in.txt"), text);
  }
  std::string Work(const std::string& name) const { return (folder.Path() / name).string(); }
  std::set<std::string> ScratchFiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  test::TRunResult Sort(const std::vector<std::string>& options,
                        const test::TRunOptions& run = {}) {
    std::vector<std::string> args = {"--batch", "-y", "-o", "out.txt"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("in.txt");
    return test::RunProgram(program, args, folder.Path().string(), run);
  }

  test::TTempFolder folder;
  std::string program = folder.File("zorbe");
  std::filesystem::path scratch = folder.Path() / "scratch";
};

TEST_F(ExternalSortE2E, ABudgetGivesTheSameOutputFromTheOptionOrTheSettingsFile) {
  test::WriteBytes(Work("zorbe.ini"), "[dup]\nDuplicate=1\nSortDirection=1\n");
  ASSERT_EQ(Sort({"--setting=dup"}).status, 0);
  const std::string inMemory = test::ReadBytes(Work("out.txt"));
  const test::TRunResult run =
      Sort({"--setting=dup", "--memory=64K", "--temporary-directory=scratch"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == inMemory);
  test::WriteBytes(Work("zorbe.ini"),
                   "[Option]\nMemoryLimit=1\n[dup]\nDuplicate=1\nSortDirection=1\n");
  test::TRunOptions env;
  env.environment = {"TMPDIR=" + scratch.string()};
  std::filesystem::remove(Work("out.txt"));
  ASSERT_EQ(Sort({"--setting=dup"}, env).status, 0);
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == inMemory);
  EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(ExternalSortE2E, BadBudgetsAreUsageErrors) {
  for (const char* value : {"--memory=0", "--memory=lots", "--memory=1.5G"}) {
    const test::TRunResult run = Sort({value});
    EXPECT_EQ(run.status, 2) << value;
    EXPECT_NE(run.err.find("メモリ量として使えません"), std::string::npos) << run.err;
  }
}

TEST_F(ExternalSortE2E, AFullScratchFolderFailsAndLeavesNothing) {
  test::WriteBytes(Work("out.txt"), "earlier");
  test::TRunOptions options;
  options.fileSizeLimit = 200000; // the runs of the 1 MB input don't fit
  const test::TRunResult run = Sort({"--memory=64K", "--temporary-directory=scratch"}, options);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("一時フォルダ「scratch」"), std::string::npos) << run.err;
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == "earlier");
  EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(ExternalSortE2E, KilledWhileMergingLeavesNothingBehind) {
  test::WriteBytes(Work("out.txt"), "earlier");
  // The output is written as the runs are merged: killed at its first write, in the merge.
  const test::TWriteGate gate(folder.File("gate"), folder.Path().string(),
                              [](int pid) { ::kill(pid, SIGKILL); });
  const test::TRunResult run =
      Sort({"--memory=64K", "--temporary-directory=scratch"}, gate.Options());
  EXPECT_EQ(run.status, 128 + SIGKILL);
  EXPECT_TRUE(test::ReadBytes(Work("out.txt")) == "earlier");
  EXPECT_TRUE(ScratchFiles().empty());
}

} // namespace
} // namespace zorbe
