#pragma once
// TREScanner cuts a pattern into tokens.
//
// Outside brackets every metacharacter is a token of its own and everything else, escapes
// included, is a character token. After `[` or `[^` the scanner is in class mode until the
// closing `]`: there it yields characters and ranges `a-z` (escapes allowed on both ends), and
// `^` and `-` are literal where they can't mean anything else. A failed read leaves class mode
// so that the scanner never stays half inside a class.

#include "regex/pattern_text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zorbe {

enum class TRETokenKind : std::uint8_t {
  Character,
  ClassRange,
  Bar,
  OpenParen,
  CloseParen,
  Star,
  Plus,
  Question,
  ClassOpen,
  NegatedClassOpen,
  ClassClose,
  Dot,
  Caret,
  Dollar,
  End,
};

class TREScanner {
public:
  explicit TREScanner(std::string_view text = {}) { SetText(text); }

  // Starts over on a new text: position 1, outside any class.
  void SetText(std::string_view text);
  // Reads the next token, stores it and returns its kind. Raises ERegExpParser.
  TRETokenKind NextToken();

  const std::string& Text() const { return text_; }
  TRETokenKind Token() const { return token_; }
  // The character of the token (the start of a range; 0 at the end).
  TRECode Code() const { return code_; }
  // The end of a class range.
  TRECode RangeEnd() const { return rangeEnd_; }
  std::uint32_t Position() const { return position_; }

private:
  TRETokenKind ReadOrdinaryToken();
  TRETokenKind ReadClassToken();
  TRETokenKind ReadBracket();

  std::string text_;
  std::uint32_t position_ = 1;
  TRETokenKind token_ = TRETokenKind::End;
  TRECode code_ = 0;
  TRECode rangeEnd_ = 0;
  bool classMode_ = false;
};

} // namespace zorbe
