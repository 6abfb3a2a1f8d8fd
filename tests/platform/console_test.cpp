// Ctrl+C on the console: the hand-over of an interrupt to the running job's Stop, also at the
// instant the job ends and its owner withdraws the action and frees the job.

#include "engine/sort_thread.h"
#include "platform/console.h"
#include "platform/main_thread.h"
#include "settings/setting_option_items.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <thread>
#include <unistd.h>

namespace zorbe {
namespace {

using namespace std::chrono_literals;

// Waits until the watcher has taken the interrupt sent to the process, so that no SIGINT is
// left pending when the watcher unblocks the signal again.
void WaitUntilInterrupted() {
  while (!TInterruptWatcher::Interrupted()) {
    std::this_thread::sleep_for(1ms);
  }
}

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

class TSilentHost : public TSortJobHost {
public:
  void ShowStatus(const std::string&) override {}
  bool AskOverwrite(const std::string&) override { return true; }
  void ShowReplacementError(int, const std::string&) override {}
};

// Short jobs, each with one Ctrl+C fired at a different moment around its end; the action is
// withdrawn and the job freed as soon as the job has ended, as the command line does. A stop
// that reached a freed job would show under the sanitizers.
TEST(InterruptWatcherTest, InterruptsAroundTheEndOfShortJobsNeverReachAFreedJob) {
  test::TTempFolder folder;
  const std::string input = folder.Write("in.txt", "b\r\na\r\n");
  TSilentHost host;
  for (int round = 0; round < 40; ++round) {
    TInterruptWatcher interrupts;
    TMainThreadQueue mainThread;
    TSortJobInputs inputs{SettingDefaults(), {input}, {ccShiftJis}, folder.File("out.txt")};
    auto job =
        std::make_unique<TSortThread>(std::move(inputs), host, mainThread, [](TSortThread&) {});
    TSortThread* running = job.get();
    interrupts.SetOnInterrupt([running] { running->Stop(); });
    std::thread sender([round] {
      std::this_thread::sleep_for(std::chrono::microseconds(round * 50));
      ::kill(::getpid(), SIGINT);
    });
    job->Start();
    mainThread.RunUntil([running] { return running->Ended(); });
    interrupts.SetOnInterrupt({});
    job.reset();
    sender.join();
    WaitUntilInterrupted();
  }
}

} // namespace
} // namespace zorbe
