#include "app/message_routine.h"

#include "platform/console.h"

namespace zorbe {
namespace {

IMessageBox*& Installed() {
  static TConsoleMessageBox console;
  static IMessageBox* installed = &console;
  return installed;
}

} // namespace

void SetMessageBox(IMessageBox* messageBox) {
  static TConsoleMessageBox console;
  Installed() = messageBox != nullptr ? messageBox : &console;
}

TMsgResult ShowMessage(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
  return Installed()->Show(text, kind, buttons);
}

} // namespace zorbe
