#pragma once
// Line storage of a sort job. A file is read once into one buffer and its lines are references
// (pointer, length) into it; a line that a step changes is copied once, in its final form, into
// an arena. Sorting and filing move 16-byte references, never the bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

struct TLineRef {
  const char* data;
  std::uint32_t size;
  std::uint32_t tag; // the line's class, or its flags; owned by whoever files the line

  std::string_view View() const { return {data, size}; }
};

// The longest line a reference can hold.
inline constexpr std::size_t kMaxLineLength = 0xFFFFFFFFu;

// Owns the bytes of changed lines until the job releases them all at once.
class TLineArena {
public:
  std::string_view Store(std::string_view bytes);
  void Clear() {
    blocks_.clear();
    used_ = capacity_ = 0;
  }

private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
};

// Visits the lines of a text: CR, LF and CR LF each end one line; a last piece without a line
// end is one more line; a line end at the very end adds no empty line. Linear in the text even
// when it holds only one kind of line end.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
  const char* const base = text.data();
  const auto size = static_cast<std::ptrdiff_t>(text.size());
  // The next CR and LF at or after the cursor; each byte is searched once per kind.
  auto locate = [base, size](std::ptrdiff_t cached, std::ptrdiff_t from, char c) {
    if (cached >= from) {
      return cached;
    }
    const void* hit = std::memchr(base + from, c, static_cast<std::size_t>(size - from));
    return hit == nullptr ? size : static_cast<const char*>(hit) - base;
  };
  std::ptrdiff_t nextCr = -1;
  std::ptrdiff_t nextLf = -1;
  std::ptrdiff_t pos = 0;
  while (pos < size) {
    nextCr = locate(nextCr, pos, '\r');
    nextLf = locate(nextLf, pos, '\n');
    const std::ptrdiff_t lineEnd = nextCr < nextLf ? nextCr : nextLf;
    visit(base + pos, static_cast<std::size_t>(lineEnd - pos));
    if (lineEnd == size) {
      break;
    }
    pos = lineEnd + 1;
    if (base[lineEnd] == '\r' && pos < size && base[pos] == '\n') {
      ++pos;
    }
  }
}

std::size_t CountLines(std::string_view text);

// Appends a reference for every line of the text (tag 0), the list first sized for all of them.
// Throws EFileError naming the file when a line is longer than kMaxLineLength.
void AppendLines(std::string_view text, std::vector<TLineRef>& lines, const std::string& fileName);

// The lines of a list joined into one text, every line followed by CR LF.
std::string JoinLinesCrLf(const TLineRef* first, const TLineRef* last);

// The lines of a settings-driven text file (deletion, replacement, dictionaries): split like the
// target files, but a NUL byte ends the text.
std::vector<std::string> SplitTextFileLines(std::string_view text);

} // namespace zorbe
