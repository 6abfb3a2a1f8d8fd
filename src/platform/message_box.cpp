#include "platform/message_box.h"

namespace zorbe {

TMsgResult TScriptedMessageBox::Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
  shown_.push_back({text, kind, buttons});
  if (hook_) {
    if (const std::optional<TMsgResult> answer = hook_(text)) {
      return *answer;
    }
  }
  if (buttons == TMsgButtons::OK) {
    return TMsgResult::OK;
  }
  if (answers_.empty()) {
    return TMsgResult::No;
  }
  const TMsgResult answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::vector<std::string> TScriptedMessageBox::Texts() const {
  std::vector<std::string> texts;
  for (const Shown& shown : shown_) {
    texts.push_back(shown.text);
  }
  return texts;
}

} // namespace zorbe
