#pragma once
// The message box routine: every message and question of the program goes through one of these.
//
// The desktop shows a modal dialog with a beep; the console writes to stderr and reads the
// answer from stdin; tests script the answers in advance.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zorbe {

enum class TMsgKind { Warning, Error, Information };
// YesNo offers Yes as the default answer (Enter); YesNoDefaultNo is for questions whose Yes
// destroys or replaces something: Enter and Escape answer No there, as an empty answer does on
// the console.
enum class TMsgButtons { YesNo, YesNoDefaultNo, OK };
enum class TMsgResult { Yes, No, OK };

class IMessageBox {
public:
  virtual ~IMessageBox() = default;
  // Shows the text (lines joined by CR LF) and returns the button pressed.
  virtual TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) = 0;
};

// Answers from a script, and records every message shown: for tests.
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
  TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) override;
  const std::vector<Shown>& Messages() const { return shown_; }
  // The texts of the messages shown, in order.
  std::vector<std::string> Texts() const;
  void Clear() { shown_.clear(); }

private:
  std::deque<TMsgResult> answers_;
  std::vector<Shown> shown_;
  Hook hook_;
};

// Passes on errors and questions only; warnings and information that need no answer are left
// out (the command line's --quiet).
class TErrorsOnlyMessageBox : public IMessageBox {
public:
  explicit TErrorsOnlyMessageBox(IMessageBox& inner) : inner_(inner) {}
  TMsgResult Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) override {
    if (kind != TMsgKind::Error && buttons == TMsgButtons::OK) {
      return TMsgResult::OK;
    }
    return inner_.Show(text, kind, buttons);
  }

private:
  IMessageBox& inner_;
};

} // namespace zorbe
