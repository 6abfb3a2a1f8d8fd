#include "app/message_routine.h"

#include "platform/console.h"

namespace zorbe {
namespace {

// Serves while no other implementation is installed: stderr, answers from stdin.
constinit TConsoleMessageBox console;
IMessageBox* installed = &console;

} // namespace

void SetMessageBox(IMessageBox* messageBox) {
  installed = messageBox != nullptr ? messageBox : &console;
}

TMsgResult ShowMessage(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
  return installed->Show(text, kind, buttons);
}

} // namespace zorbe
