#include "engine/sort_keys.h"

#include "text/shift_jis.h"

namespace zorbe {
namespace {

char SplitDelimiter(int kind) {
  switch (kind) {
  case dkSpace:
    return ' ';
  case dkTab:
    return '\t';
  case dkSemicolon:
    return ';';
  default:
    return ',';
  }
}

char JoinDelimiter(int kind) {
  if (kind == dkSpace) {
    return ' ';
  }
  return kind == dkTab ? '\t' : ',';
}

bool IsControl(unsigned char c) {
  return c >= 0x01 && c <= 0x1F && c != '\t';
}

// Index after the character at i: a lead byte takes its trail byte, if any, with it.
std::size_t NextChar(std::string_view line, std::size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) ? i + 2 : i + 1;
}

class FieldSplitter {
public:
  FieldSplitter(int kind, std::string_view line) : delimiter_(SplitDelimiter(kind)), line_(line) {}

  // Whether the last field is a quoted field without its closing quote, or ends in a lead byte
  // without its trail byte: either swallows what follows once another field is put behind it.
  bool LastFieldOpen() const { return lastOpen_; }

  std::vector<std::string> Split() {
    SkipControls();
    while (pos_ < line_.size()) {
      lastOpen_ = false;
      fields_.push_back(line_[pos_] == '"' ? QuotedField() : PlainField());
      SkipControls();
      if (pos_ < line_.size() && line_[pos_] == delimiter_) {
        if (pos_ + 1 == line_.size()) {
          fields_.emplace_back(); // a delimiter at the very end ends an empty last field
        }
        ++pos_;
        SkipControls();
      }
    }
    return std::move(fields_);
  }

private:
  void SkipControls() {
    while (pos_ < line_.size() && IsControl(static_cast<unsigned char>(line_[pos_]))) {
      ++pos_;
    }
  }

  std::string PlainField() {
    const std::size_t start = pos_;
    while (pos_ < line_.size()) {
      const auto c = static_cast<unsigned char>(line_[pos_]);
      if (c == static_cast<unsigned char>(delimiter_) || IsControl(c)) {
        break;
      }
      // A lead byte at the very end has no trail byte: put before a delimiter, it would take
      // the delimiter as its trail byte.
      lastOpen_ = IsLeadByte(c) && pos_ + 1 == line_.size();
      pos_ = NextChar(line_, pos_);
    }
    return std::string(line_.substr(start, pos_ - start));
  }

  // Runs to the next double quote that isn't doubled; "" inside stands for one quote. Stored in
  // quoted form; without a closing quote the field keeps every byte to the end of the line.
  std::string QuotedField() {
    const std::size_t start = pos_;
    std::string inner;
    ++pos_;
    while (pos_ < line_.size()) {
      if (line_[pos_] == '"') {
        if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '"') {
          inner += "\"\"";
          pos_ += 2;
          continue;
        }
        ++pos_;
        return "\"" + inner + "\"";
      }
      const std::size_t next = NextChar(line_, pos_);
      inner.append(line_.substr(pos_, next - pos_));
      pos_ = next;
    }
    lastOpen_ = true;
    return std::string(line_.substr(start));
  }

  char delimiter_;
  std::string_view line_;
  std::size_t pos_ = 0;
  bool lastOpen_ = false;
  std::vector<std::string> fields_;
};

} // namespace

std::vector<std::string> SplitFields(int kind, std::string_view line) {
  return FieldSplitter(kind, line).Split();
}

std::string JoinFields(int kind, const std::vector<std::string>& fields) {
  std::string line;
  const char delimiter = JoinDelimiter(kind);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) {
      line += delimiter;
    }
    line += fields[i];
  }
  return line;
}

std::string MoveField(std::string_view line, int from, int to, int kind) {
  FieldSplitter splitter(kind, line);
  std::vector<std::string> fields = splitter.Split();
  const auto count = static_cast<long long>(fields.size());
  if (from < 0 || to < 0 || from >= count || to >= count) {
    return std::string(line);
  }
  // An open last field (an unclosed quote, a lone lead byte at the end) must stay last, or the
  // keyed line would split differently and the undo could not restore it.
  if (splitter.LastFieldOpen() && from != to && (from == count - 1 || to == count - 1)) {
    return std::string(line);
  }
  std::string moved = std::move(fields[from]);
  fields.erase(fields.begin() + from);
  fields.insert(fields.begin() + to, std::move(moved));
  return JoinFields(kind, fields);
}

std::string RotateLine(std::string_view line, int n, bool fromEnd) {
  if (n <= 0 || static_cast<std::size_t>(n) >= line.size()) {
    return std::string(line);
  }
  const std::size_t split = fromEnd ? line.size() - n : static_cast<std::size_t>(n);
  std::string rotated(line.substr(split));
  rotated.append(line.substr(0, split));
  return rotated;
}

} // namespace zorbe
