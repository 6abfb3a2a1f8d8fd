#pragma once
// The width and case conversions of the line pass, chosen by a setting, in their fixed order:
// symbols (not while the column key is on), digits, letters, katakana, then letter case.

#include "settings/setting_option_items.h"
#include "text/width_conversion.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TLineConversions {
public:
  explicit TLineConversions(const TSettingOptionItems& setting);
  // Whether any conversion is chosen.
  bool Any() const { return !steps_.empty(); }
  // Converts a non-empty line. Returns `line` itself when nothing changed (no copy is made),
  // otherwise a view into one of the two buffers, which must not hold `line`.
  std::string_view Apply(std::string_view line, std::string& first, std::string& second) const;

private:
  std::vector<TWidthConversion> steps_; // the chosen conversions, case last
};

} // namespace zorbe
