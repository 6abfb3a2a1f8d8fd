#include "ui/qt_message_box.h"

#include "app/window_placement.h"
#include "ui/qt_window_placement.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace zorbe {
namespace {

// A message box that puts itself over its owner once its size is known.
class TCentredMessageBox : public QMessageBox {
public:
  using QMessageBox::QMessageBox;

protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible()) {
      const QSize size = frameGeometry().size();
      const TRect place = CentredOver(ToRect(owner->frameGeometry()), size.width(), size.height());
      move(place.left, place.top);
    }
  }
};

QMessageBox::Icon IconOf(TMsgKind kind) {
  switch (kind) {
  case TMsgKind::Warning:
    return QMessageBox::Warning;
  case TMsgKind::Error:
    return QMessageBox::Critical;
  default:
    return QMessageBox::Information;
  }
}

} // namespace

QWidget* TQtMessageBox::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    return modal;
  }
  if (QWidget* active = QApplication::activeWindow()) {
    return active;
  }
  if (mainWindow_ != nullptr && mainWindow_->isVisible()) {
    return mainWindow_;
  }
  return nullptr;
}

TMsgResult TQtMessageBox::Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
  Q_ASSERT(QThread::currentThread() == QApplication::instance()->thread());
  QString message = QString::fromStdString(text);
  message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  TCentredMessageBox box(IconOf(kind), QStringLiteral("Zorbe 2nd"), message, QMessageBox::NoButton,
                         Owner());
  QPushButton* yes = nullptr;
  if (buttons != TMsgButtons::OK) {
    yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(buttons == TMsgButtons::YesNoDefaultNo ? no : yes);
    box.setEscapeButton(no);
  } else {
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
  }
  QApplication::beep();
  box.exec();
  if (buttons == TMsgButtons::OK) {
    return TMsgResult::OK;
  }
  return box.clickedButton() == yes ? TMsgResult::Yes : TMsgResult::No;
}

} // namespace zorbe
