#include "platform/main_thread.h"

#include <chrono>

namespace zorbe {

void TMainThreadQueue::InvokeAndWait(const std::function<void()>& call) {
  Request request{&call, false, nullptr};
  std::unique_lock lock(mutex_);
  queue_.push_back(&request);
  changed_.notify_all();
  changed_.wait(lock, [&request] { return request.finished; });
  if (request.error) {
    std::rethrow_exception(request.error);
  }
}

void TMainThreadQueue::RunUntil(const std::function<bool()>& done,
                                const std::function<void()>& onTick, int tickMs) {
  std::unique_lock lock(mutex_);
  for (;;) {
    while (!queue_.empty()) {
      Request* request = queue_.front();
      queue_.pop_front();
      lock.unlock();
      try {
        (*request->call)();
      } catch (...) {
        request->error = std::current_exception();
      }
      lock.lock();
      request->finished = true;
      changed_.notify_all();
    }
    lock.unlock();
    if (onTick) {
      onTick();
    }
    if (done()) {
      return;
    }
    lock.lock();
    changed_.wait_for(lock, std::chrono::milliseconds(tickMs), [this] { return !queue_.empty(); });
  }
}

} // namespace zorbe
