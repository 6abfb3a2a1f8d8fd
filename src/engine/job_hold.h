#pragma once
// A hold on a running job while its user is asked whether to stop it. The job may go on
// computing, but whatever it reaches that the user would have to answer or could lose by (a
// question, a message, an output put in place of a file, the job's end) waits until the hold is
// released: so the answer meant for the stop question never answers another one, and a stop
// confirmed meanwhile ends the job before it has touched anything.

#include <condition_variable>
#include <mutex>

namespace zorbe {

class TJobHold {
public:
  // The asking side; holds nest.
  void Hold() {
    std::lock_guard lock(mutex_);
    ++holds_;
    everHeld_ = true;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      if (holds_ > 0) {
        --holds_;
      }
    }
    released_.notify_all();
  }
  // The job's side: returns once no hold is on, telling whether the job was ever held (a stop
  // requested then is the user's answer to the question).
  bool Pass() {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    released_.wait(lock, [this] { return holds_ == 0; });
    waiting_ = false;
    return everHeld_;
  }
  // Whether the job waits at the hold now.
  bool JobWaiting() const {
    std::lock_guard lock(mutex_);
    return waiting_;
  }

private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  int holds_ = 0;
  bool waiting_ = false;
  bool everHeld_ = false;
};

} // namespace zorbe
