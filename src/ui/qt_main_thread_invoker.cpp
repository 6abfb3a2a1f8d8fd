#include "ui/qt_main_thread_invoker.h"

#include <QCoreApplication>
#include <QThread>

#include <exception>

namespace zorbe {

TQtMainThreadInvoker::TQtMainThreadInvoker(QObject* parent) : QObject(parent) {
  Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
}

void TQtMainThreadInvoker::InvokeAndWait(const std::function<void()>& call) {
  if (QThread::currentThread() == thread()) {
    call();
    return;
  }
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      this,
      [&call, &error] {
        try {
          call();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) {
    std::rethrow_exception(error);
  }
}

} // namespace zorbe
