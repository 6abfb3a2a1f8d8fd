#pragma once
// The line pass's conversions one after another, every one of them run on every line: what the
// quick scan of TLineConversions skips must never change the result. Shared by the tests and
// the fuzz target.

#include "settings/setting_option_items.h"
#include "text/internal_char.h"
#include "text/shift_jis.h"
#include "text/width_conversion.h"

#include <string>
#include <string_view>

namespace zorbe {

// A setting with the five conversions chosen as given: 0 none, 1 the first way (to half width,
// lower case), 2 the other.
inline TSettingOptionItems ConversionSetting(int pun, int num, int alpha, int kataKana, int alphaUL,
                                             bool csvSupport) {
  TSettingOptionItems s = SettingDefaults();
  s.Pun = pun;
  s.Num = num;
  s.Alpha = alpha;
  s.KataKana = kataKana;
  s.AlphaUL = alphaUL;
  s.CsvSupport = csvSupport;
  return s;
}

inline std::string ConvertEveryStep(std::string line, const TSettingOptionItems& s);

// Characters only the internal form has (escapes, shared codes with their mark) are kept, and
// every stretch of CP932 between them is converted by itself.
inline std::string ConvertAroundInternalCharacters(std::string_view line,
                                                   const TSettingOptionItems& s) {
  std::string out;
  std::string stretch;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t length = InternalCharLength(line.data() + i, line.data() + line.size());
    const std::string_view character = line.substr(i, length);
    if (IsInternalOnlyChar(character.data(), character.size())) {
      out += ConvertEveryStep(std::move(stretch), s);
      out += character;
      stretch.clear();
    } else {
      stretch += character;
    }
    i += length;
  }
  return out + ConvertEveryStep(std::move(stretch), s);
}

inline std::string ConvertEveryStep(std::string line, const TSettingOptionItems& s) {
  if (HoldsInternalOnlyBytes(line.data(), line.size())) {
    return ConvertAroundInternalCharacters(line, s);
  }
  auto apply = [&line](int value, std::string (*one)(std::string_view),
                       std::string (*two)(std::string_view)) {
    if (value == 1) {
      line = one(line);
    } else if (value == 2) {
      line = two(line);
    }
  };
  if (!s.CsvSupport) {
    apply(s.Pun, SymbolsToHalfWidth, SymbolsToFullWidth);
  }
  apply(s.Num, DigitsToHalfWidth, DigitsToFullWidth);
  apply(s.Alpha, LettersToHalfWidth, LettersToFullWidth);
  apply(s.KataKana, KatakanaToHalfWidth, KatakanaToFullWidth);
  if (s.AlphaUL == 1) {
    LowerCaseInPlace(line);
  } else if (s.AlphaUL == 2) {
    UpperCaseInPlace(line);
  }
  return line;
}

} // namespace zorbe
