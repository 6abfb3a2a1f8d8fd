#pragma once
// The width and case conversions of the line pass, chosen by a setting, in their fixed order:
// symbols (not while the column key is on), digits, letters, katakana, then letter case.

#include "settings/setting_option_items.h"

#include <string>

namespace zorbe {

class TLineConversions {
public:
  explicit TLineConversions(const TSettingOptionItems& setting);
  // Whether any conversion is chosen; without one a line is never copied.
  bool Any() const { return any_; }
  // Converts a non-empty line in place.
  void Apply(std::string& line) const;

private:
  int symbols_;
  int digits_;
  int letters_;
  int katakana_;
  int letterCase_;
  bool any_;
};

} // namespace zorbe
