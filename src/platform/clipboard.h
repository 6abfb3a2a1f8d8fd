#pragma once
// The clipboard: whether it holds text, and its text in and out (UTF-8).

#include <string>

namespace zorbe {

class IClipboard {
public:
  virtual ~IClipboard() = default;
  virtual bool HasText() const = 0;
  virtual std::string Text() const = 0;
  // Replaces the clipboard's content by the text.
  virtual void SetText(const std::string& utf8) = 0;
};

} // namespace zorbe
