#include "engine/line_conversions.h"

#include "text/shift_jis.h"

#include <array>

namespace zorbe {
namespace {

// Kinds of character. Double-byte kinds go by lead byte and a trail-byte range wide enough to
// hold every character a conversion to half width changes.
constexpr unsigned kFullSymbol = 1u << 0; // lead 0x81: the full-width symbols
constexpr unsigned kFullAlnum = 1u
                                << 1; // lead 0x82 below the hiragana: full-width digits and letters
constexpr unsigned kFullKana = 1u << 2; // hiragana and katakana rows, unassigned cells included
constexpr unsigned kOddKanaCell =
    1u << 3; // a kana-row code no kana has: every conversion to half width acts
constexpr unsigned kHalfSymbol = 1u << 4;  // a byte of the half-width symbol table
constexpr unsigned kHalfDigit = 1u << 5;   // 0-9
constexpr unsigned kUpperLetter = 1u << 6; // A-Z
constexpr unsigned kLowerLetter = 1u << 7; // a-z
constexpr unsigned kHalfKana = 1u << 8; // 0xA0-0xDF: half-width katakana, its punctuation and marks

constexpr std::array<unsigned short, 256> MakeSingleByteKinds() {
  std::array<unsigned short, 256> kinds{};
  for (unsigned char c : std::string_view(" !\"#$%&'()=`|-^\\~{@[+*};:]<>?_,./")) {
    kinds[c] |= kHalfSymbol;
  }
  for (int c = '0'; c <= '9'; ++c) {
    kinds[c] |= kHalfDigit;
  }
  for (int c = 'A'; c <= 'Z'; ++c) {
    kinds[c] |= kUpperLetter;
    kinds[c + 32] |= kLowerLetter;
  }
  for (int c = 0xA0; c <= 0xDF; ++c) {
    kinds[c] |= kHalfKana;
  }
  for (int c = 0xA1; c <= 0xA5; ++c) {
    kinds[c] |= kHalfSymbol; // ｡｢｣､･ are in the symbol table too
  }
  return kinds;
}
constexpr std::array<unsigned short, 256> kSingleByteKinds = MakeSingleByteKinds();

unsigned DoubleByteKinds(unsigned char lead, unsigned char trail) {
  switch (lead) {
  case 0x81:
    return kFullSymbol;
  case 0x82:
    if (trail < 0x9F) {
      return kFullAlnum;
    }
    return trail >= 0xF2 ? kFullKana | kOddKanaCell : kFullKana;
  case 0x83:
    if (trail > 0x9E) {
      return 0;
    }
    return trail >= 0x97 ? kFullKana | kOddKanaCell : kFullKana;
  default:
    return 0;
  }
}

// Value 1 selects the first conversion, value 2 the second; any other value none.
void Choose(std::vector<TLineConversions::TStep>& steps, int value, TLineConversions::TStep one,
            TLineConversions::TStep two) {
  if (value == 1) {
    steps.push_back(one);
  } else if (value == 2) {
    steps.push_back(two);
  }
}

// Case conversion in the form of the width conversions: false, without a copy, when the line
// has no letter of the other case outside a double-byte character.
template <bool ToLower> bool ConvertCase(std::string_view line, std::string& out) {
  if ((TLineConversions::KindsOf(line) & (ToLower ? kUpperLetter : kLowerLetter)) == 0) {
    return false;
  }
  out.assign(line);
  if (ToLower) {
    LowerCaseInPlace(out);
  } else {
    UpperCaseInPlace(out);
  }
  return true;
}

} // namespace

unsigned TLineConversions::KindsOf(std::string_view line) {
  unsigned kinds = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = bytes[i];
    if (!IsLeadByte(c)) {
      kinds |= kSingleByteKinds[c];
    } else if (i + 1 < size) {
      kinds |= DoubleByteKinds(c, bytes[++i]);
    }
  }
  return kinds;
}

TLineConversions::TLineConversions(const TSettingOptionItems& setting) {
  constexpr unsigned kToHalfAlways = kOddKanaCell; // its lead byte alone, whatever the kind
  constexpr unsigned kLetters = kUpperLetter | kLowerLetter;
  if (!setting.CsvSupport) { // a symbol could become a delimiter or a quote
    // ｡｢｣､･ are half-width katakana punctuation as well as symbols.
    Choose(steps_, setting.Pun,
           {SymbolsToHalfWidth, kFullSymbol | kToHalfAlways, kHalfSymbol | kHalfKana},
           {SymbolsToFullWidth, kHalfSymbol, kFullSymbol});
  }
  Choose(steps_, setting.Num, {DigitsToHalfWidth, kFullAlnum | kToHalfAlways, kHalfDigit},
         {DigitsToFullWidth, kHalfDigit, kFullAlnum});
  Choose(steps_, setting.Alpha, {LettersToHalfWidth, kFullAlnum | kToHalfAlways, kLetters},
         {LettersToFullWidth, kLetters, kFullAlnum});
  Choose(steps_, setting.KataKana, {KatakanaToHalfWidth, kFullKana, kHalfKana},
         {KatakanaToFullWidth, kHalfKana,
          kFullKana | kFullSymbol}); // ー, ゛, ゜ and 。「」 are symbols
  Choose(steps_, setting.AlphaUL, {ConvertCase<true>, kUpperLetter, 0},
         {ConvertCase<false>, kLowerLetter, 0});
}

std::string_view TLineConversions::Apply(std::string_view line, std::string& first,
                                         std::string& second) const {
  std::string* out = &first;
  unsigned kinds = KindsOf(line);
  for (const TStep& step : steps_) {
    if ((kinds & step.kinds) == 0 || !step.convert(line, *out)) {
      continue;
    }
    line = *out;
    out = out == &first ? &second : &first;
    // A code no kana has makes the conversions to half width read the bytes after it out of
    // step: then nothing can be assumed about the result.
    kinds = (kinds & kOddKanaCell) != 0 ? KindsOf(line) : kinds | step.produces;
  }
  return line;
}

} // namespace zorbe
