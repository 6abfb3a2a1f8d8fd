#include "ui/qt_main_thread_invoker.h"

#include <QCoreApplication>
#include <QThread>

namespace zorbe {

TQtMainThreadInvoker::TQtMainThreadInvoker(QObject* parent) : QObject(parent) {
  Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
}

void TQtMainThreadInvoker::InvokeAndWait(const std::function<void()>& call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  TPendingCall pending{&call, nullptr};
  {
    const std::lock_guard lock(mutex_);
    pending_.push_back(&pending);
  }
  QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&pending] { return pending.finished; });
  if (pending.error) {
    std::rethrow_exception(pending.error);
  }
}

void TQtMainThreadInvoker::RunPending() {
  for (;;) {
    TPendingCall* pending;
    {
      const std::lock_guard lock(mutex_);
      if (pending_.empty()) {
        return;
      }
      pending = pending_.front();
      pending_.pop_front();
    }
    // The call runs unlocked: it may open a dialog whose event loop runs further calls.
    std::exception_ptr error;
    try {
      (*pending->call)();
    } catch (...) {
      error = std::current_exception();
    }
    const std::lock_guard lock(mutex_);
    pending->error = error;
    pending->finished = true;
    finished_.notify_all();
  }
}

} // namespace zorbe
