#pragma once
// The message box routine: every message and question of the program goes through one of these.
//
// The desktop shows a modal dialog with a beep; the console writes to stderr and reads the
// answer from stdin.

#include <string>

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
