#pragma once
// The message box routine: every message of the program, from every window and from the sort
// job's host, goes through the one installed implementation (a dialog, the console, a script).

#include "app/message_texts.h"
#include "platform/message_box.h"

#include <string>

namespace zorbe {

// Installs the implementation; it must outlive its use. Null restores the console.
void SetMessageBox(IMessageBox* messageBox);

TMsgResult ShowMessage(const std::string& text, TMsgKind kind, TMsgButtons buttons);

} // namespace zorbe
