#pragma once
// The sort job's calls into the GUI thread: each call is queued to the GUI thread's event loop
// and the worker blocks until it has run. A call made on the GUI thread itself runs at once,
// since waiting for its own event loop would never end.
//
// The calls and their results pass between the threads through a standard mutex and condition
// variable; the event posted to the GUI thread only says that a call is waiting. Every hand-over
// is then visible to the thread checkers, which cannot see through Qt's own futex-based waits.

#include "platform/main_thread.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

namespace zorbe {

// Create it on the GUI thread: the calls run on the thread the object lives in.
class TQtMainThreadInvoker : public QObject, public IMainThreadInvoker {
  Q_OBJECT
public:
  explicit TQtMainThreadInvoker(QObject* parent = nullptr);
  void InvokeAndWait(const std::function<void()>& call) override;

private:
  struct TPendingCall {
    const std::function<void()>* call;
    std::exception_ptr error;
    bool finished = false;
  };

  // Runs every waiting call, on the GUI thread.
  Q_INVOKABLE void RunPending();

  std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<TPendingCall*> pending_;
};

} // namespace zorbe
