#pragma once
// A sort job on its own worker thread.
//
// The job's calls into its host (status, overwrite question, replacement error) and the end
// callback run on the main thread through the invoker while the worker waits for them. The
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
    MainThreadHost(TSortJobHost& host, IMainThreadInvoker& invoker)
        : host_(host), invoker_(invoker) {}
    void ShowStatus(const std::string& statusText) override;
    bool AskOverwrite(const std::string& fileName, bool writeProtected) override;
    void ShowReplacementError(int lineNumber, const std::string& message) override;

  private:
    TSortJobHost& host_;
    IMainThreadInvoker& invoker_;
  };

  void Execute();

  TSortJobInputs inputs_;
  MainThreadHost host_;
  IMainThreadInvoker& mainThread_;
  EndCallback onEnd_;
  TJobControl control_;
  TJobResult result_;
  std::atomic<bool> ended_{false};
  std::thread worker_;
};

} // namespace zorbe
