#pragma once
// The desktop's message box routine: a modal QMessageBox of the given kind with the buttons
// "はい"/"いいえ" or "OK", centred over its owner when the owner is visible, with a beep.
//
// The owner is the window the user is working in: the active modal dialog, else the active
// window, else the main window when it is visible. Without one (a command-line run) the dialog
// appears where the desktop puts it.

#include "platform/message_box.h"

class QWidget;

namespace zorbe {

class TQtMessageBox : public IMessageBox {
public:
  // The owner of messages shown while none of the program's windows is active (a drop from the
  // file manager); null for none.
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) override;

  // The window a message shown now is centred over, or null.
  QWidget* Owner() const;

private:
  QWidget* mainWindow_ = nullptr;
};

} // namespace zorbe
