#pragma once
// The width and case conversions of the line pass, chosen by a setting, in their fixed order:
// symbols (not while the column key is on), digits, letters, katakana, then letter case.
//
// Every conversion but half-width katakana to full width acts on each character by itself, so
// their chain is worked out once per character when the setting is read: a table gives, for
// each single byte and each pair with lead byte 0x81-0x83 (no other pair changes), what the
// whole chain makes of it. A line is then converted in one pass over its characters. A
// kana-row code no kana has is the exception: the conversions to half width give its lead byte
// alone and read the bytes after it out of step, so from there to the end of the line they run
// one after another, each only when the line holds a character it could change.
//
// Half-width katakana to full width joins a sound mark with the letter before it; it runs over
// the whole line after the others (letter case, which follows it, changes other characters),
// when the tables say that the line then holds a half-width katakana byte.
//
// When no chosen conversion makes a line longer (none to full width), lines are converted where
// they lie, with no copy. Characters CP932 lacks, and the other characters of shared codes
// (internal_char.h), are left as they are: the conversions work on the stretches between them.

#include "settings/setting_option_items.h"
#include "text/width_conversion.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TLineConversions {
public:
  explicit TLineConversions(const TSettingOptionItems& setting);
  // Whether any conversion is chosen.
  bool Any() const { return !steps_.empty() || katakanaToFull_; }
  // Whether conversions are chosen and none ever makes a line longer; then ApplyInPlace may be
  // used.
  bool NeverLonger() const { return neverLonger_; }

  // Converts a non-empty line. Returns `line` itself when nothing changed (no copy is made),
  // otherwise a view into one of the two buffers, which must not hold `line`.
  std::string_view Apply(std::string_view line, std::string& first, std::string& second) const;
  // Converts the `size` bytes at `line` where they lie and returns the new size (at most
  // `size`). Only when NeverLonger().
  std::size_t ApplyInPlace(char* line, std::size_t size) const;

  // The kinds of character in a line, as bits: a conversion that may change a line needs one
  // of its bits there.
  static unsigned KindsOf(std::string_view line);

  struct TStep {
    TWidthConversion convert;
    unsigned kinds;    // the line holds one of these, or the conversion can't change it
    unsigned produces; // the kinds a change by this conversion may bring into the line
  };

  // What the chain of conversions makes of one character: `length` bytes, the character itself
  // when it is kept.
  struct TCharChange {
    enum : std::uint8_t { kKeep, kReplace, kStepByStep } action = kKeep;
    std::uint8_t length = 0;
    bool halfKana = false; // half-width katakana to full width is chosen and may change the result
    std::array<char, 4> bytes{};
  };

private:
  std::string_view ApplyAround(std::string_view line, std::string& out) const;
  std::string_view StepByStep(std::string_view line, std::string& first, std::string& second) const;
  std::size_t FirstChange(const unsigned char* p, std::size_t n, bool& halfKana) const;
  template <bool InPlace>
  std::size_t Rewrite(const unsigned char* p, std::size_t i, std::size_t n, unsigned char* out,
                      bool& halfKana) const;

  std::vector<TStep> steps_; // every chosen conversion but half-width katakana to full width
  bool neverLonger_ = false;
  bool katakanaToFull_ = false; // after the chain of steps_, over the whole line
  // By first byte: how many bytes a scan for changes may pass over, 0 where it must look.
  std::array<std::uint8_t, 256> skip_{};
  std::array<TCharChange, 256> singles_{};
  std::array<TCharChange, 3 * 256> pairs_{}; // lead bytes 0x81-0x83
};

} // namespace zorbe
