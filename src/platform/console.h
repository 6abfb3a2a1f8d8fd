#pragma once
// The console side of the platform: messages on stderr, answers from stdin, Ctrl+C as a stop
// request, and detached helper programs for the sound and the editor.

#include "platform/message_box.h"

#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorbe {

// Ctrl+C (SIGINT) and SIGTERM become a request to stop instead of ending the process at once.
// The signals are blocked in the creating thread, and so in every thread started after it, and
// a watching thread takes them: the first one sets the flag, makes WakeFd readable (so that a
// pending question is answered No) and calls the registered action (the job's Stop); a second
// one ends the program the usual way. Create it before any other thread.
//
// The action runs under the watcher's lock, so that once SetOnInterrupt has returned the action
// it replaced is neither running nor will run: its owner may then free what the action uses (an
// interrupt at the instant a job ends never reaches the freed job).
class TInterruptWatcher {
public:
  TInterruptWatcher();
  ~TInterruptWatcher();
  TInterruptWatcher(const TInterruptWatcher&) = delete;
  TInterruptWatcher& operator=(const TInterruptWatcher&) = delete;

  bool Interrupted() const { return interrupted_.load(); }
  int WakeFd() const { return wakePipe_[0]; } // readable once an interrupt has arrived
  // The action for an interrupt, run on the watching thread; empty for none. Waits for a call
  // of the previous action that is in progress. The action must not call SetOnInterrupt.
  void SetOnInterrupt(std::function<void()> action);

private:
  void Watch();

  sigset_t signals_{};
  sigset_t previousMask_{};
  std::mutex mutex_;
  std::function<void()> onInterrupt_;
  bool quitting_ = false;
  std::atomic<bool> interrupted_{false};
  int wakePipe_[2] = {-1, -1};
  std::thread thread_;
};

// Writes messages to stderr (with a bell when it is a terminal) and reads Yes/No as one line
// from stdin: "y", "yes" or "はい" is Yes; anything else, end of input or an interrupt is No.
// Without an input (inFd -1) every question is answered No at once.
class TConsoleMessageBox : public IMessageBox {
public:
  constexpr explicit TConsoleMessageBox(int inFd = 0, int outFd = 2, int wakeFd = -1)
      : inFd_(inFd), outFd_(outFd), wakeFd_(wakeFd) {}
  TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) override;

private:
  std::string ReadAnswerLine();
  bool Woken() const;
  int inFd_;
  int outFd_;
  int wakeFd_;
};

// True for an answer line that means Yes.
bool IsYesAnswer(std::string line);

// Starts a program with arguments, detached: it is not waited for, its output goes nowhere, and
// a failure to start is silent. Returns whether it could be started.
bool SpawnDetached(const std::vector<std::string>& argv);

// Replaces this process by the program `path`, given the arguments `argv` (its own name first,
// null at the end). Returns, with the errno, only when that fails.
int ReplaceProcess(const std::string& path, char* argv[]);

// Runs a program with arguments and waits for it, its output going nowhere. Returns whether it
// ran and exited with status 0.
bool RunAndWait(const std::vector<std::string>& argv);

// The full name of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);

} // namespace zorbe
