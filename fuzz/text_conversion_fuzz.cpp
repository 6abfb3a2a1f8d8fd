// libFuzzer target for the text conversions. Any bytes are a possible file or line, so for each
// input it checks what must hold whatever the bytes are:
// - EucToSjis and JisToSjis never produce more bytes than they read, and their in-place forms
//   give the same bytes;
// - each width conversion agrees with its pure form, reports a change exactly when the line
//   changed, and never more than doubles a line;
// - the line pass's conversions, chosen by the first byte, give what running every conversion
//   in turn gives: a conversion skipped because the line holds no character of its kind would
//   not have changed the line, and a character converted by itself gives what it gives in the
//   line; converted in place, the line comes out the same.

#include "engine/line_conversions.h"
#include "engine/line_conversions_reference.h"
#include "fuzz_check.h"
#include "text/code_conversion.h"
#include "text/width_conversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using TPure = std::string (*)(std::string_view);

struct TWidthPair {
  zorbe::TWidthConversion reusing;
  TPure pure;
};

const TWidthPair kWidthConversions[] = {
    {zorbe::SymbolsToHalfWidth, zorbe::SymbolsToHalfWidth},
    {zorbe::SymbolsToFullWidth, zorbe::SymbolsToFullWidth},
    {zorbe::DigitsToHalfWidth, zorbe::DigitsToHalfWidth},
    {zorbe::DigitsToFullWidth, zorbe::DigitsToFullWidth},
    {zorbe::LettersToHalfWidth, zorbe::LettersToHalfWidth},
    {zorbe::LettersToFullWidth, zorbe::LettersToFullWidth},
    {zorbe::KatakanaToHalfWidth, zorbe::KatakanaToHalfWidth},
    {zorbe::KatakanaToFullWidth, zorbe::KatakanaToFullWidth},
};

using zorbe::fuzz::Check;

void CheckCodeConversion(std::string_view text, std::string (*convert)(std::string_view),
                         std::size_t (*inPlace)(char*, std::size_t)) {
  const std::string converted = convert(text);
  Check(converted.size() <= text.size());
  std::string buffer(text);
  buffer.resize(inPlace(buffer.data(), buffer.size()));
  Check(buffer == converted);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckCodeConversion(text, zorbe::EucToSjis, zorbe::EucToSjisInPlace);
  CheckCodeConversion(text, zorbe::JisToSjis, zorbe::JisToSjisInPlace);
  std::string out;
  for (const TWidthPair& conversion : kWidthConversions) {
    const std::string pure = conversion.pure(text);
    const bool changed = conversion.reusing(text, out);
    Check(changed == (pure != text));
    Check(!changed || out == pure);
    Check(pure.size() <= 2 * text.size());
  }
  if (size > 1) {
    const zorbe::TSettingOptionItems setting =
        zorbe::ConversionSetting(data[0] % 3, data[0] / 3 % 3, data[0] / 9 % 3, data[0] / 27 % 3,
                                 data[0] / 81 % 3, (data[0] & 0x80) != 0 && data[0] % 2 == 0);
    const std::string_view line = text.substr(1);
    const zorbe::TLineConversions conversions(setting);
    const std::string expected = zorbe::ConvertEveryStep(std::string(line), setting);
    std::string first, second;
    Check(conversions.Apply(line, first, second) == expected);
    if (conversions.NeverLonger()) {
      std::string inPlace(line);
      inPlace.resize(conversions.ApplyInPlace(inPlace.data(), inPlace.size()));
      Check(inPlace == expected);
    }
  }
  return 0;
}
