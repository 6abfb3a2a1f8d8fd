// libFuzzer target for the text conversions. Any bytes are a possible file or line, so for each
// input it checks what must hold whatever the bytes are:
// - EucToSjis and JisToSjis never produce more bytes than they read, and their in-place forms
//   give the same bytes;
// - each width conversion agrees with its pure form, reports a change exactly when the line
//   changed, and never more than doubles a line.

#include "text/code_conversion.h"
#include "text/width_conversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

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
  return 0;
}
