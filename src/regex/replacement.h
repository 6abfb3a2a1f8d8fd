#pragma once
// Replacement texts: what a match is replaced by.
//
// A replacement is read in three passes, character by character as patterns are (a double-byte
// character, an escape or a character with its mark is one character, so a trail byte that
// looks like a backslash is never taken for one, nor is ¥, a backslash byte with its mark):
//   1. protect: a backslash and the character after it are kept, except that `\&` becomes
//      `\\&`, so that the next pass turns it into `\&` again;
//   2. decode escapes: each backslash escape becomes the character it stands for (\n \r \t \b,
//      \x with up to 4 hexadecimal digits, up to 6 octal digits, any other character itself);
//   3. substitute: `&` stands for the matched text, `\&` for a literal &, and any other
//      backslash is kept as it is.
// So `&` is the match, `\&` and `\\&` a literal &, `\\` one backslash, and `\x26` (which decodes
// to &) the match again. The first two passes do not depend on the match, so TREReplacement
// runs them once and keeps the result as literal pieces with the places of the match between
// them; expanding is then only copying.

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// The text with each backslash escape replaced by the text of its code (CodeToText: two bytes
// when the code's high byte is a lead byte, else its low byte; an escaped character itself). Raises
// ERegExpParser: a backslash at the very end, a bad hexadecimal or octal escape, or a cut-off
// double-byte character at the end.
std::string DecodeEscapes(std::string_view text);

class TREReplacement {
public:
  // Reads the replacement (up to a NUL byte, if any). Raises ERegExpParser like DecodeEscapes.
  explicit TREReplacement(std::string_view replacement);

  // Appends the replacement of one match.
  void AppendTo(std::string& output, std::string_view matched) const;
  std::string Expand(std::string_view matched) const;

private:
  // pieces_[0], the match, pieces_[1], the match, ..., pieces_.back().
  std::vector<std::string> pieces_;
};

} // namespace zorbe
