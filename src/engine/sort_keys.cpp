#include "engine/sort_keys.h"

#include "text/shift_jis.h"

#include <cstring>

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

// Where a field lies in its line. A quoted field's bytes, from its opening quote to its closing
// one, are its quoted form already (doubled quotes stay doubled), and an unquoted field's bytes
// are the field: fields never need to be copied to be joined.
struct TFieldSpan {
  std::size_t start;
  std::size_t size;
};

class FieldSplitter {
public:
  FieldSplitter(int kind, std::string_view line) : delimiter_(SplitDelimiter(kind)), line_(line) {}

  // Whether the last field is a quoted field without its closing quote, or ends in a lead byte
  // without its trail byte: either swallows what follows once another field is put behind it.
  bool LastFieldOpen() const { return lastOpen_; }

  void Split(std::vector<TFieldSpan>& fields) {
    fields.clear();
    SkipControls();
    while (pos_ < line_.size()) {
      lastOpen_ = false;
      const std::size_t start = pos_;
      if (line_[pos_] == '"') {
        SkipQuotedField();
      } else {
        SkipPlainField();
      }
      fields.push_back({start, pos_ - start});
      SkipControls();
      if (pos_ < line_.size() && line_[pos_] == delimiter_) {
        if (pos_ + 1 == line_.size()) {
          fields.push_back({pos_ + 1, 0}); // a delimiter at the very end ends an empty field
        }
        ++pos_;
        SkipControls();
      }
    }
  }

private:
  void SkipControls() {
    while (pos_ < line_.size() && IsControl(static_cast<unsigned char>(line_[pos_]))) {
      ++pos_;
    }
  }

  // A byte below 0x40 is never a trail byte of a well-formed character, so the field's end is
  // found by looking for the delimiter and control bytes alone. Such a byte is still taken as
  // the trail byte of a lead byte right before it that starts a character: that lead byte ends a
  // run of lead-range bytes whose length from the run's start, which starts a character, is odd.
  bool TakenAsTrail(std::size_t at, std::size_t from) const {
    std::size_t run = 0;
    while (at - run > from && IsLeadByte(static_cast<unsigned char>(line_[at - run - 1]))) {
      ++run;
    }
    return run % 2 == 1;
  }

  void SkipPlainField() {
    const std::size_t from = pos_;
    while (pos_ < line_.size()) {
      const auto c = static_cast<unsigned char>(line_[pos_]);
      if (c == static_cast<unsigned char>(delimiter_) || IsControl(c)) {
        if (!TakenAsTrail(pos_, from)) {
          return;
        }
      }
      ++pos_;
    }
    // A lead byte at the very end has no trail byte: put before a delimiter, it would take the
    // delimiter as its trail byte.
    lastOpen_ = TakenAsTrail(pos_, from);
  }

  // Runs to the next double quote that isn't doubled; "" inside stands for one quote. Without a
  // closing quote the field keeps every byte to the end of the line.
  void SkipQuotedField() {
    const std::size_t from = ++pos_;
    for (;;) {
      const auto* quote =
          static_cast<const char*>(std::memchr(line_.data() + pos_, '"', line_.size() - pos_));
      if (quote == nullptr) {
        pos_ = line_.size();
        lastOpen_ = true;
        return;
      }
      pos_ = static_cast<std::size_t>(quote - line_.data());
      if (TakenAsTrail(pos_, from)) {
        ++pos_;
      } else if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '"') {
        pos_ += 2;
      } else {
        ++pos_;
        return;
      }
    }
  }

  char delimiter_;
  std::string_view line_;
  std::size_t pos_ = 0;
  bool lastOpen_ = false;
};

} // namespace

std::vector<std::string> SplitFields(int kind, std::string_view line) {
  std::vector<TFieldSpan> spans;
  FieldSplitter(kind, line).Split(spans);
  std::vector<std::string> fields;
  fields.reserve(spans.size());
  for (const TFieldSpan& span : spans) {
    fields.emplace_back(line.substr(span.start, span.size));
  }
  return fields;
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

bool MoveField(std::string_view line, int from, int to, int kind, std::string& out) {
  thread_local std::vector<TFieldSpan> fields;
  FieldSplitter splitter(kind, line);
  splitter.Split(fields);
  const auto count = static_cast<long long>(fields.size());
  // An open last field (an unclosed quote, a lone lead byte at the end) must stay last, or the
  // keyed line would split differently and the undo could not restore it.
  if (from < 0 || to < 0 || from >= count || to >= count ||
      (splitter.LastFieldOpen() && from != to && (from == count - 1 || to == count - 1))) {
    out.assign(line);
    return true;
  }
  const char delimiter = JoinDelimiter(kind);
  // Each field right after the one before it and a delimiter, the first at the start, the last
  // at the end: the line is its fields joined.
  bool asTheyStand =
      fields.front().start == 0 && fields.back().start + fields.back().size == line.size();
  for (std::size_t j = 1; j < fields.size() && asTheyStand; ++j) {
    const std::size_t end = fields[j - 1].start + fields[j - 1].size;
    asTheyStand = fields[j].start == end + 1 && line[end] == delimiter;
  }
  std::size_t size = fields.size() - 1;
  for (const TFieldSpan& field : fields) {
    size += field.size;
  }
  out.resize(size);
  char* next = out.data();
  for (long long j = 0; j < count; ++j) {
    // The field at j of the list with the field at `from` taken out and put in at `to`.
    long long source = j;
    if (j == to) {
      source = from;
    } else if (from < to && j >= from && j < to) {
      source = j + 1;
    } else if (from > to && j > to && j <= from) {
      source = j - 1;
    }
    if (j != 0) {
      *next++ = delimiter;
    }
    const TFieldSpan& field = fields[static_cast<std::size_t>(source)];
    std::memcpy(next, line.data() + field.start, field.size);
    next += field.size;
  }
  return asTheyStand;
}

std::string MoveField(std::string_view line, int from, int to, int kind) {
  std::string moved;
  MoveField(line, from, to, kind, moved);
  return moved;
}

void RotateLine(std::string_view line, int n, bool fromEnd, std::string& out) {
  if (n <= 0 || static_cast<std::size_t>(n) >= line.size()) {
    out.assign(line);
    return;
  }
  const std::size_t split = fromEnd ? line.size() - n : static_cast<std::size_t>(n);
  out.assign(line.substr(split));
  out.append(line.substr(0, split));
}

std::string RotateLine(std::string_view line, int n, bool fromEnd) {
  std::string rotated;
  RotateLine(line, n, fromEnd, rotated);
  return rotated;
}

} // namespace zorbe
