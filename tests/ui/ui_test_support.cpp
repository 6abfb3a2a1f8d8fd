#include "ui/ui_test_support.h"

#include "app/message_routine.h"
#include "settings/setting_option_items.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace zorbe::test {

void UiTest::SetUp() {
  SetMessageBox(&messages);
}

void UiTest::TearDown() {
  // Windows released with deleteLater go now, while the test's objects still exist.
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  SetMessageBox(nullptr);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!condition()) {
    if (elapsed.elapsed() > timeoutMs) {
      return false;
    }
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

} // namespace zorbe::test
