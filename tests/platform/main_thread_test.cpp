// Calls from worker threads into the main thread: each runs on the thread that drains the queue,
// the caller waits for it, and an exception it throws comes back to the caller.

#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace zorbe {
namespace {

TEST(MainThreadQueueTest, CallsRunOnTheDrainingThreadAndTheirErrorsComeBack) {
  TMainThreadQueue queue;
  const std::thread::id mainId = std::this_thread::get_id();
  std::vector<std::thread::id> ranOn;
  std::atomic<int> workersDone{0};
  std::string error;
  std::vector<std::thread> workers;
  for (int i = 0; i < 3; ++i) {
    workers.emplace_back([&, i] {
      try {
        queue.InvokeAndWait([&, i] {
          ranOn.push_back(std::this_thread::get_id()); // only the main thread touches it
          if (i == 2) {
            throw std::runtime_error("from the call");
          }
        });
      } catch (const std::runtime_error& e) {
        error = e.what(); // only the third worker writes it
      }
      ++workersDone;
    });
  }
  int ticks = 0;
  queue.RunUntil([&] { return workersDone == 3; }, [&] { ++ticks; }, 1);
  for (std::thread& worker : workers) {
    worker.join();
  }
  EXPECT_EQ(ranOn, std::vector<std::thread::id>(3, mainId));
  EXPECT_EQ(error, "from the call");
  EXPECT_GE(ticks, 1); // the tick runs before each look at done()
}

} // namespace
} // namespace zorbe
