// The two token readers of TREScanner. Stepping back over a character restores the position
// where it began, which is where the trail-byte rule would lead as well.

#include "regex/scanner.h"

#include "regex/regexp_error.h"

namespace zorbe {
namespace {

[[noreturn]] void ThrowNeedRightBracket(std::uint32_t position) {
  throw ERegExpParser(re_message::kNeedRightBracket, position);
}

} // namespace

void TREScanner::SetText(std::string_view text) {
  text_.assign(text);
  position_ = 1;
  token_ = TRETokenKind::End;
  code_ = 0;
  rangeEnd_ = 0;
  classMode_ = false;
}

TRETokenKind TREScanner::NextToken() {
  if (classMode_) {
    try {
      token_ = ReadClassToken();
    } catch (...) {
      classMode_ = false;
      throw;
    }
    if (token_ == TRETokenKind::ClassClose) {
      classMode_ = false;
    }
    return token_;
  }
  token_ = ReadOrdinaryToken();
  if (token_ == TRETokenKind::ClassOpen || token_ == TRETokenKind::NegatedClassOpen) {
    classMode_ = true;
  }
  return token_;
}

TRETokenKind TREScanner::ReadOrdinaryToken() {
  code_ = ReadCharacter(text_, position_);
  switch (code_) {
  case 0:
    return TRETokenKind::End;
  case '$':
    return TRETokenKind::Dollar;
  case '(':
    return TRETokenKind::OpenParen;
  case ')':
    return TRETokenKind::CloseParen;
  case '*':
    return TRETokenKind::Star;
  case '+':
    return TRETokenKind::Plus;
  case '.':
    return TRETokenKind::Dot;
  case '?':
    return TRETokenKind::Question;
  case ']':
    return TRETokenKind::ClassClose;
  case '^':
    return TRETokenKind::Caret;
  case '|':
    return TRETokenKind::Bar;
  case '[':
    return ReadBracket();
  case '\\':
    code_ = DecodeEscape(text_, position_);
    return TRETokenKind::Character;
  default:
    return TRETokenKind::Character;
  }
}

// After `[`: `[^` opens a negated class; anything else is left for the class reader.
TRETokenKind TREScanner::ReadBracket() {
  const std::uint32_t next = position_;
  const TRECode c = ReadCharacter(text_, position_);
  if (c == 0) {
    ThrowNeedRightBracket(position_);
  }
  if (c == '^') {
    return TRETokenKind::NegatedClassOpen;
  }
  position_ = next;
  return TRETokenKind::ClassOpen;
}

TRETokenKind TREScanner::ReadClassToken() {
  code_ = ReadCharacter(text_, position_);
  if (code_ == 0) {
    ThrowNeedRightBracket(position_);
  }
  if (code_ == ']') {
    return TRETokenKind::ClassClose;
  }
  if (code_ == '\\') {
    code_ = DecodeEscape(text_, position_);
  }
  const std::uint32_t afterItem = position_;
  const TRECode b = ReadCharacter(text_, position_);
  if (b == 0) {
    ThrowNeedRightBracket(position_);
  }
  if (b != '-') {
    position_ = afterItem;
    return TRETokenKind::Character;
  }
  rangeEnd_ = ReadCharacter(text_, position_);
  if (rangeEnd_ == 0) {
    ThrowNeedRightBracket(position_);
  }
  if (rangeEnd_ == ']') {
    // `a-]`: the dash is a literal character of its own, read again with the `]` after it.
    position_ = afterItem;
    return TRETokenKind::Character;
  }
  if (rangeEnd_ == '\\') {
    rangeEnd_ = DecodeEscape(text_, position_);
  }
  if (rangeEnd_ < code_) {
    throw ERegExpParser(re_message::kBadRange, position_);
  }
  return TRETokenKind::ClassRange;
}

} // namespace zorbe
