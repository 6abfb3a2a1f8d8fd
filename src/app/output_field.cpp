#include "app/output_field.h"

#include "platform/file_system.h"

namespace zorbe {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

} // namespace

std::string FirstCommandLineItem(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) {
    ++i;
  }
  std::string item;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && IsBlank(c)) {
      break;
    }
    item += c;
  }
  return item;
}

std::string OutputFieldFileName(const std::string& text) {
  if (!text.empty() && FileExists(text)) {
    return text;
  }
  return FirstCommandLineItem(text);
}

std::string QuotedName(const std::string& name) {
  return "\"" + name + "\"";
}

} // namespace zorbe
