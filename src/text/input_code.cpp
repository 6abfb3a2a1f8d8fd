#include "text/input_code.h"

#include <algorithm>
#include <iterator>

namespace zorbe {
namespace {

constexpr TInputCode kInputCodes[] = {
    {"shift-jis", "Shift-JIS", ccShiftJis},
    {"jis", "JIS", ccJis83},
    {"euc-jp", "EUC-JP", ccEuc},
    {"utf-8", "UTF-8", ccUtf8},
    {"utf-16le", "UTF-16LE", ccUtf16LE},
    {"utf-16be", "UTF-16BE", ccUtf16BE},
    {"euc-jis-2004", "EUC-JIS-2004", ccEucJis2004},
    {"shift-jis-2004", "Shift_JIS-2004", ccShiftJis2004},
    {"iso-2022-jp-3", "ISO-2022-JP-3", ccIso2022Jp3},
};

char Normalised(char c) {
  return c == '_' ? '-' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::span<const TInputCode> InputCodes() {
  return kInputCodes;
}

std::optional<TCharCode> InputCodeOfValue(std::int32_t value) {
  if (value < 1 || value > static_cast<std::int32_t>(std::size(kInputCodes))) {
    return std::nullopt;
  }
  return kInputCodes[value - 1].code;
}

std::int32_t InputCodeValueOfName(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kInputCodes); ++i) {
    const std::string_view known = kInputCodes[i].name;
    if (known.size() == name.size() &&
        std::equal(name.begin(), name.end(), known.begin(),
                   [](char a, char b) { return Normalised(a) == b; })) {
      return static_cast<std::int32_t>(i + 1);
    }
  }
  return 0;
}

std::string InputCodeNames() {
  std::string names;
  for (const TInputCode& row : kInputCodes) {
    names += names.empty() ? "" : ", ";
    names += row.name;
  }
  return names;
}

} // namespace zorbe
