#include "app/job_host.h"

#include "app/message_routine.h"

namespace zorbe {

bool TAppJobHost::AskOverwrite(const std::string& fileName, bool writeProtected) {
  if (overwriteWithoutAsking_) {
    return true;
  }
  const std::string question =
      writeProtected ? WriteProtectedQuestion(fileName) : OverwriteQuestion(fileName);
  if (ShowMessage(question, TMsgKind::Warning, TMsgButtons::YesNoDefaultNo) == TMsgResult::Yes) {
    return true;
  }
  cancelled_ = true;
  ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
  return false;
}

std::string ReplacementErrorMessage(int lineNumber, const std::string& message) {
  return "置換用ファイル " + std::to_string(lineNumber) +
         "行目の正規表現に誤りがあります。\r\n「 " + message + " 」\r\n\r\n処理を中止します。";
}

void TAppJobHost::ShowReplacementError(int lineNumber, const std::string& message) {
  ShowMessage(ReplacementErrorMessage(lineNumber, message), TMsgKind::Error, TMsgButtons::OK);
}

} // namespace zorbe
