// Ctrl+C on the console: an action withdrawn while it runs; and the running of helper programs,
// waited for or detached.

#include "platform/console.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zorbe {
namespace {

using namespace std::chrono_literals;

TEST(InterruptWatcherTest, WithdrawingTheActionWaitsForARunningCall) {
  TInterruptWatcher interrupts;
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  interrupts.SetOnInterrupt([&] {
    started = true;
    std::this_thread::sleep_for(200ms);
    finished = true;
  });
  ::kill(::getpid(), SIGINT);
  while (!started) {
    std::this_thread::sleep_for(1ms);
  }
  interrupts.SetOnInterrupt({});
  EXPECT_TRUE(finished); // what the action used may be freed now
}

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

// The program waits for a byte at a gate (a named pipe) that is opened only once SpawnDetached
// has returned, then hands the byte back through a second pipe: it was started, not waited for,
// and runs on without us, however fast or slow the machine.
TEST(Console, ADetachedProgramRunsOnWithoutUs) {
  const test::TTempFolder folder;
  const std::string gate = folder.File("gate");
  const std::string done = folder.File("done");
  ASSERT_EQ(::mkfifo(gate.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(done.c_str(), 0600), 0);
  // Both ends open before the program starts, so that neither its opens nor ours wait.
  const int gateEnd = ::open(gate.c_str(), O_RDWR | O_CLOEXEC);
  const int doneEnd = ::open(done.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(gateEnd, 0);
  ASSERT_GE(doneEnd, 0);
  ASSERT_TRUE(SpawnDetached({"sh", "-c", "read x < \"$0\"; echo \"$x\" > \"$1\"", gate, done}));
  ASSERT_EQ(::write(gateEnd, "x\n", 2), 2);
  pollfd handedBack{doneEnd, POLLIN, 0};
  ASSERT_EQ(::poll(&handedBack, 1, 60'000), 1);
  char line[4] = {};
  EXPECT_EQ(::read(doneEnd, line, sizeof line), 2);
  EXPECT_STREQ(line, "x\n");
  ::close(gateEnd);
  ::close(doneEnd);
  EXPECT_FALSE(SpawnDetached({"no-such-program-of-zorbe"}));
}

} // namespace
} // namespace zorbe
