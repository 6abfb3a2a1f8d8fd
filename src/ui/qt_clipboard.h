#pragma once
// The desktop's clipboard (the system clipboard through Qt), as UTF-8 text.

#include "platform/clipboard.h"

namespace zorbe {

class TQtClipboard : public IClipboard {
public:
  bool HasText() const override;
  std::string Text() const override;
  void SetText(const std::string& utf8) override;
};

} // namespace zorbe
