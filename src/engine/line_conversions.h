#pragma once
// The width and case conversions of the line pass, chosen by a setting, in their fixed order:
// symbols (not while the column key is on), digits, letters, katakana, then letter case.
//
// One quick scan notes which kinds of character a line holds; a conversion runs only when the
// line holds a character it could change (the scan errs on the side of running it), so the
// common line that has nothing to convert costs one scan, not five. A conversion that changes
// the line adds the kinds it may have brought in; the line is not scanned again.

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

  // The kinds of character in a line, as bits: a conversion that may change a line needs one
  // of its bits there.
  static unsigned KindsOf(std::string_view line);

  struct TStep {
    TWidthConversion convert;
    unsigned kinds;    // the line holds one of these, or the conversion can't change it
    unsigned produces; // the kinds a change by this conversion may bring into the line
  };

private:
  std::vector<TStep> steps_;
};

} // namespace zorbe
