#include "engine/sort_thread.h"

namespace zorbe {

bool TSortThread::MainThreadHost::AskOverwrite(const std::string& fileName, bool writeProtected) {
  control_.Hold().Pass();
  if (control_.StopRequested()) {
    return false; // the user has just stopped the job: nothing more is asked
  }
  bool answer = false;
  invoker_.InvokeAndWait([&] { answer = host_.AskOverwrite(fileName, writeProtected); });
  return answer;
}

void TSortThread::MainThreadHost::ShowReplacementError(int lineNumber, const std::string& message) {
  control_.Hold().Pass();
  if (control_.StopRequested()) {
    return;
  }
  invoker_.InvokeAndWait([&] { host_.ShowReplacementError(lineNumber, message); });
}

TSortThread::TSortThread(TSortJobInputs inputs, TSortJobHost& host, IMainThreadInvoker& mainThread,
                         EndCallback onEnd)
    : inputs_(std::move(inputs)), host_(host, mainThread, control_), mainThread_(mainThread),
      onEnd_(std::move(onEnd)) {}

TSortThread::~TSortThread() {
  Wait();
}

void TSortThread::Start() {
  worker_ = std::thread([this] { Execute(); });
}

void TSortThread::Wait() {
  if (worker_.joinable()) {
    worker_.join();
  }
}

void TSortThread::Execute() {
  result_ = RunSortJob(inputs_, host_, control_);
  workEnded_.store(true);
  control_.Hold().Pass();
  if (onEnd_) {
    try {
      // The job is marked ended on the main thread, as the end handling returns: a main thread
      // that waits for the end sees it then, not at its next tick.
      mainThread_.InvokeAndWait([this] {
        try {
          onEnd_(*this);
        } catch (...) {
          ended_.store(true);
          throw;
        }
        ended_.store(true);
      });
    } catch (...) {
      // The end handling reports its own troubles; the worker must still end.
    }
  }
  ended_.store(true);
}

} // namespace zorbe
