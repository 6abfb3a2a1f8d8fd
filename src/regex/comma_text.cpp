// The field reader. It works on bytes: only blanks, commas and double quotes are looked at, and
// none of them can be the trail byte of a double-byte character or a byte of an escape or mark.

#include "regex/comma_text.h"

namespace zorbe {
namespace {

bool IsBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) {
    ++pos;
  }
  return pos;
}

// The quoted field that starts at pos (on its opening quote); pos moves past it.
std::string QuotedField(std::string_view line, std::size_t& pos) {
  std::string field;
  for (std::size_t i = pos + 1; i < line.size(); ++i) {
    if (line[i] != '"') {
      field += line[i];
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == '"') {
      field += '"';
      ++i;
      continue;
    }
    pos = i + 1;
    return field;
  }
  // No closing quote: the rest of the line as written.
  field.assign(line.substr(pos));
  pos = line.size();
  return field;
}

std::string PlainField(std::string_view line, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < line.size() && line[pos] != ',' && !IsBlank(line[pos])) {
    ++pos;
  }
  return std::string(line.substr(start, pos - start));
}

} // namespace

std::vector<std::string> SplitCommaText(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> fields;
  std::size_t pos = SkipBlanks(line, 0);
  while (pos < line.size()) {
    // A comma where a field should start gives an empty plain field.
    fields.push_back(line[pos] == '"' ? QuotedField(line, pos) : PlainField(line, pos));
    pos = SkipBlanks(line, pos);
    if (pos < line.size() && line[pos] == ',') {
      if (pos + 1 == line.size()) {
        fields.emplace_back();
      }
      pos = SkipBlanks(line, pos + 1);
    }
  }
  return fields;
}

} // namespace zorbe
