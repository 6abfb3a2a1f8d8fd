#include "app/output_field_check.h"

#include <string_view>

namespace zorbe {
namespace {

TCheckedField WithoutChars(std::string_view text, std::string_view forbidden) {
  TCheckedField out;
  for (const char c : text) {
    if (forbidden.find(c) != std::string_view::npos) {
      out.removed = true;
      continue;
    }
    out.text += c;
  }
  return out;
}

} // namespace

TCheckedField CheckOutputFileName(const std::string& text) {
  return WithoutChars(text, "\\/:,*?\"<>|");
}

TCheckedField CheckOutputFolder(const std::string& text) {
  std::string_view rest = text;
  std::string_view opening, closing;
  if (rest.starts_with('"')) {
    opening = rest.substr(0, 1);
    rest.remove_prefix(1);
    if (rest.ends_with('"')) {
      closing = rest.substr(rest.size() - 1);
      rest.remove_suffix(1);
    }
  }
  if (rest.size() < 2 || rest.front() != '/') {
    return {text, false};
  }
  TCheckedField checked = WithoutChars(rest.substr(1), "\"*,:<>?|");
  checked.text = std::string(opening) + "/" + checked.text + std::string(closing);
  return checked;
}

} // namespace zorbe
