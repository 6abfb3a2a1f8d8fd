#pragma once
// The sort job's calls into the GUI thread: each call is queued to the GUI thread's event loop
// and the worker blocks until it has run (a blocking queued invocation). A call made on the GUI
// thread itself runs at once, since waiting for its own event loop would never end.

#include "platform/main_thread.h"

#include <QObject>

namespace zorbe {

// Create it on the GUI thread: the calls run on the thread the object lives in.
class TQtMainThreadInvoker : public QObject, public IMainThreadInvoker {
  Q_OBJECT
public:
  explicit TQtMainThreadInvoker(QObject* parent = nullptr);
  void InvokeAndWait(const std::function<void()>& call) override;
};

} // namespace zorbe
