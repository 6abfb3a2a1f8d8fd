#pragma once
// The message box routine: every message of the program, from every window and from the sort
// job's host, goes through the one installed implementation (a dialog, the console, a script).

#include "platform/message_box.h"

#include <string>

namespace zorbe {

// The last line of a message about an error that ends what was being done.
inline constexpr const char* kAbortLine = "\r\n処理を中止します。";

// Installs the implementation; it must outlive its use. Null restores the console.
void SetMessageBox(IMessageBox* messageBox);

TMsgResult ShowMessage(const std::string& text, TMsgKind kind, TMsgButtons buttons);

} // namespace zorbe
