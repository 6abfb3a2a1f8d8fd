// The sort job on its worker thread: the hand-over of a Ctrl+C to the running job's Stop, also
// at the instant the job ends and its owner withdraws the action and frees the job; and the end
// handling, which leaves the job ended for a main thread that waits for it.

#include "engine/sort_thread.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/main_thread.h"
#include "settings/setting_option_items.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>
#include <unistd.h>

namespace zorbe {
namespace {

using namespace std::chrono_literals;

// Waits until the watcher has taken the interrupt sent to the process, so that no SIGINT is
// left pending when the watcher unblocks the signal again.
void WaitUntilInterrupted(const TInterruptWatcher& interrupts) {
  while (!interrupts.Interrupted()) {
    std::this_thread::sleep_for(1ms);
  }
}

class TSilentHost : public TSortJobHost {
public:
  bool AskOverwrite(const std::string&, bool) override { return true; }
  void ShowReplacementError(int, const std::string&) override {}
};

// Short jobs, each with one Ctrl+C fired at a different moment around its end; the action is
// withdrawn and the job freed as soon as the job has ended, as the command line does. Each job
// either finished with its whole output or stopped with none; a stop that reached a freed job
// would show under the sanitizers.
TEST(SortThread, InterruptsAroundTheEndOfShortJobsNeverReachAFreedJob) {
  test::TTempFolder folder;
  const std::string input = folder.Write("in.txt", "b\r\na\r\n");
  const std::string output = folder.File("out.txt");
  TSilentHost host;
  for (int round = 0; round < 40; ++round) {
    std::filesystem::remove(output);
    TInterruptWatcher interrupts;
    TMainThreadQueue mainThread;
    TSortJobInputs inputs{SettingDefaults(), {input}, {ccShiftJis}, output};
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
    const TJobOutcome outcome = job->Result().outcome;
    job.reset();
    sender.join();
    WaitUntilInterrupted(interrupts);
    if (outcome == TJobOutcome::Finished) {
      EXPECT_EQ(ReadWholeFile(output), "a\r\nb\r\n") << round;
    } else {
      EXPECT_EQ(outcome, TJobOutcome::Stopped) << round;
      EXPECT_FALSE(std::filesystem::exists(output)) << round;
    }
  }
}

// Runs each call at once and notes whether the job counted as ended when the call returned.
class TNotingInvoker : public IMainThreadInvoker {
public:
  void InvokeAndWait(const std::function<void()>& call) override {
    call();
    endedAfter.push_back(job != nullptr && job->Ended());
  }
  const TSortThread* job = nullptr;
  std::vector<bool> endedAfter;
};

// A main thread that waits for the job checks whether it has ended after each call it runs: the
// job's last call, its end handling, has to leave it ended, or the wait goes on to its next tick.
TEST(SortThread, TheEndHandlingLeavesTheJobEnded) {
  test::TTempFolder folder;
  TSilentHost host;
  TNotingInvoker invoker;
  bool handled = false;
  TSortThread job({SettingDefaults(),
                   {folder.Write("in.txt", "b\r\na\r\n")},
                   {ccShiftJis},
                   folder.File("out.txt")},
                  host, invoker, [&](TSortThread& ended) { handled = !ended.Ended(); });
  invoker.job = &job;
  job.Start();
  job.Wait();
  EXPECT_TRUE(handled); // not ended while its end is being handled
  ASSERT_FALSE(invoker.endedAfter.empty());
  EXPECT_TRUE(invoker.endedAfter.back());
  EXPECT_EQ(ReadWholeFile(folder.File("out.txt")), "a\r\nb\r\n");
}

} // namespace
} // namespace zorbe
