#pragma once
// A sort job on its own worker thread.
//
// The job's questions to its host (overwrite question, replacement error) and the end callback
// run on the main thread through the invoker while the worker waits for them; its phase is not
// passed on: the owner reads it from Progress(). While
// the job is held (Hold), its question, its error message, an output put in place and its end
// callback wait; a stop requested meanwhile answers the question No without asking. The
// owner keeps the inputs untouched while the job runs and reads the written-back output name
// in the end callback.

#include "engine/sort_job.h"
#include "platform/main_thread.h"

#include <atomic>
#include <functional>
#include <thread>

namespace zorbe {

class TSortThread {
public:
  using EndCallback = std::function<void(TSortThread&)>;

  TSortThread(TSortJobInputs inputs, TSortJobHost& host, IMainThreadInvoker& mainThread,
              EndCallback onEnd);
  ~TSortThread(); // waits for the worker
  TSortThread(const TSortThread&) = delete;
  TSortThread& operator=(const TSortThread&) = delete;

  void Start();
  // Main thread: requests the stop; a running replacement is cancelled at its next match.
  void Stop() { control_.RequestStop(); }
  // Main thread, around a question about the job: see TJobHold.
  void Hold() { control_.Hold().Hold(); }
  void Release() { control_.Hold().Release(); }
  // Whether the job waits at a hold now.
  bool WaitingAtHold() const { return control_.Hold().JobWaiting(); }
  // True once the job's work is over and its result known (its end callback may still wait).
  bool WorkEnded() const { return workEnded_.load(); }
  // True once the end callback has run.
  bool Ended() const { return ended_.load(); }
  void Wait();

  const TSortJobInputs& Inputs() const { return inputs_; }
  const TJobResult& Result() const { return result_; }
  // How far the job has come: may be read on any thread at any time.
  const TJobProgress& Progress() const { return control_.Progress(); }

private:
  // Forwards the job's calls to the host on the main thread.
  class MainThreadHost : public TSortJobHost {
  public:
    MainThreadHost(TSortJobHost& host, IMainThreadInvoker& invoker, TJobControl& control)
        : host_(host), invoker_(invoker), control_(control) {}
    bool AskOverwrite(const std::string& fileName, bool writeProtected) override;
    void ShowReplacementError(int lineNumber, const std::string& message) override;

  private:
    TSortJobHost& host_;
    IMainThreadInvoker& invoker_;
    TJobControl& control_;
  };

  void Execute();

  TSortJobInputs inputs_;
  MainThreadHost host_;
  IMainThreadInvoker& mainThread_;
  EndCallback onEnd_;
  TJobControl control_;
  TJobResult result_;
  std::atomic<bool> workEnded_{false};
  std::atomic<bool> ended_{false};
  std::thread worker_;
};

} // namespace zorbe
