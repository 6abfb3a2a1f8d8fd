#include "platform/console.h"

#include "test_support.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(Console, AProgramRunToItsEndSaysWhetherItSucceeded) {
  const struct {
    std::vector<std::string> argv;
    bool succeeded;
  } cases[] = {
      {{"true"}, true},
      {{"false"}, false},
      {{"sh", "-c", "exit 3"}, false},
      {{"sh", "-c", "kill -TERM $$"}, false},
      {{"no-such-program-of-zorbe"}, false},
      {{}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunAndWait(c.argv), c.succeeded) << (c.argv.empty() ? "" : c.argv.back());
  }
}

TEST(Console, ADetachedProgramRunsOnWithoutUs) {
  const test::TTempFolder folder;
  const std::string done = folder.File("done");
  ASSERT_TRUE(SpawnDetached({"sh", "-c", "sleep 0.2; echo x > \"$0\"", done}));
  EXPECT_FALSE(std::filesystem::exists(done)); // not waited for
  for (int wait = 0; wait < 100 && !std::filesystem::exists(done); ++wait) {
    ::usleep(50000);
  }
  EXPECT_TRUE(std::filesystem::exists(done));
  EXPECT_FALSE(SpawnDetached({"no-such-program-of-zorbe"}));
}

} // namespace
} // namespace zorbe
