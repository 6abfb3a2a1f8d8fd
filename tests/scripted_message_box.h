#pragma once
// A message routine for tests: answers from a script, or from a hook that may act while the
// question is open, and records every message shown.

#include "platform/message_box.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorbe::test {

class TScriptedMessageBox : public IMessageBox {
public:
  struct Shown {
    std::string text;
    TMsgKind kind;
    TMsgButtons buttons;
  };

  // Runs before the scripted answer; an answer it gives is used instead.
  using Hook = std::function<std::optional<TMsgResult>(const std::string& text)>;

  // The answer to the next Yes/No question; questions without a scripted answer get No.
  void SetNextAnswer(TMsgResult answer) { answers_.push_back(answer); }
  void SetHook(Hook hook) { hook_ = std::move(hook); }
  const std::vector<Shown>& Messages() const { return shown_; }
  void Clear() { shown_.clear(); }

  TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) override {
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

  // The texts of the messages shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : shown_) {
      texts.push_back(shown.text);
    }
    return texts;
  }

private:
  std::deque<TMsgResult> answers_;
  std::vector<Shown> shown_;
  Hook hook_;
};

} // namespace zorbe::test
