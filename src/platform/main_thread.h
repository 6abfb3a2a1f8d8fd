#pragma once
// Synchronous calls from a worker thread into the main (GUI) thread.
//
// The sort job shows its phase, asks its questions and reports its end on the main thread and
// waits for each call to finish. The Qt side implements this with a blocking queued call; the
// command line drains a TMainThreadQueue while it waits for the job.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

namespace zorbe {

class IMainThreadInvoker {
public:
  virtual ~IMainThreadInvoker() = default;
  // Runs the call on the main thread and returns when it has finished; an exception thrown by
  // the call is thrown again here.
  virtual void InvokeAndWait(const std::function<void()>& call) = 0;
};

class TMainThreadQueue : public IMainThreadInvoker {
public:
  void InvokeAndWait(const std::function<void()>& call) override;

  // Main thread: runs the queued calls until done() is true. Between calls it wakes at least
  // every `tickMs` milliseconds to run onTick (the console's progress line).
  void RunUntil(const std::function<bool()>& done, const std::function<void()>& onTick = {},
                int tickMs = 50);

private:
  struct Request {
    const std::function<void()>* call;
    bool finished = false;
    std::exception_ptr error;
  };
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request*> queue_;
};

} // namespace zorbe
