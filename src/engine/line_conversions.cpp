#include "engine/line_conversions.h"

#include "text/shift_jis.h"

namespace zorbe {
namespace {

// Case conversion in the form of the width conversions: false, without a copy, when the line
// has no letter of the other case outside a double-byte character.
template <char From, char To> bool ConvertCase(std::string_view line, std::string& out) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (IsLeadByte(c)) {
      ++i;
    } else if (c >= From && c <= To) {
      out.assign(line);
      if (From == 'A') {
        LowerCaseInPlace(out);
      } else {
        UpperCaseInPlace(out);
      }
      return true;
    }
  }
  return false;
}

// Value 1 selects the first conversion, value 2 the second; any other value none.
void Choose(std::vector<TWidthConversion>& steps, int value, TWidthConversion one,
            TWidthConversion two) {
  if (value == 1) {
    steps.push_back(one);
  } else if (value == 2) {
    steps.push_back(two);
  }
}

} // namespace

TLineConversions::TLineConversions(const TSettingOptionItems& setting) {
  if (!setting.CsvSupport) { // a symbol could become a delimiter or a quote
    Choose(steps_, setting.Pun, SymbolsToHalfWidth, SymbolsToFullWidth);
  }
  Choose(steps_, setting.Num, DigitsToHalfWidth, DigitsToFullWidth);
  Choose(steps_, setting.Alpha, LettersToHalfWidth, LettersToFullWidth);
  Choose(steps_, setting.KataKana, KatakanaToHalfWidth, KatakanaToFullWidth);
  Choose(steps_, setting.AlphaUL, ConvertCase<'A', 'Z'>, ConvertCase<'a', 'z'>);
}

std::string_view TLineConversions::Apply(std::string_view line, std::string& first,
                                         std::string& second) const {
  std::string* out = &first;
  for (const TWidthConversion step : steps_) {
    if (step(line, *out)) {
      line = *out;
      out = out == &first ? &second : &first;
    }
  }
  return line;
}

} // namespace zorbe
