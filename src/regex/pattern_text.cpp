// Reading pattern characters and escapes. Escape decoding remembers where each character began
// instead of stepping back by the trail-byte rule: it only ever returns over the character it
// has just read, which gives the same position in constant time. A read at the end consumes
// nothing, so there is nothing to return over (`\x4` at the end is code 4, not code 4 and a 4).

#include "regex/pattern_text.h"

#include "regex/regexp_error.h"
#include "regex/text_reading.h"

namespace zorbe {
namespace {

unsigned char ByteAt(std::string_view text, std::uint32_t pos) {
  return static_cast<unsigned char>(text[pos - 1]);
}

int HexDigitValue(TRECode c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

bool IsOctalDigit(TRECode c) {
  return c >= '0' && c <= '7';
}

TRECode DecodeHex(std::string_view text, std::uint32_t& pos) {
  unsigned value = 0;
  int digits = 0;
  while (digits < 4) {
    const std::uint32_t start = pos;
    const int digit = HexDigitValue(ReadCharacter(text, pos));
    if (digit < 0) {
      pos = start;
      break;
    }
    value = value * 16 + static_cast<unsigned>(digit);
    ++digits;
  }
  if (digits == 0) {
    throw ERegExpParser(re_message::kBadHex, pos);
  }
  return static_cast<TRECode>(value);
}

TRECode DecodeOctal(std::string_view text, std::uint32_t& pos) {
  unsigned value = 0;
  for (int digits = 0; digits < 6; ++digits) {
    const std::uint32_t start = pos;
    const TRECode c = ReadCharacter(text, pos);
    if (!IsOctalDigit(c)) {
      pos = start;
      break;
    }
    value = value * 8 + (c - '0');
    if (value > 0xFFFF) {
      throw ERegExpParser(re_message::kBadOctal, pos);
    }
  }
  return static_cast<TRECode>(value);
}

bool IsMetaCharacter(unsigned char c) {
  switch (c) {
  case '^':
  case '(':
  case '|':
  case ')':
  case '+':
  case '*':
  case '?':
  case '.':
  case '[':
  case ']':
  case '$':
  case '\\':
    return true;
  default:
    return false;
  }
}

} // namespace

TRECode ReadCharacter(std::string_view text, std::uint32_t& pos) {
  if (pos < 1 || pos > text.size()) {
    return 0;
  }
  // A lead byte without its trail byte, or a mark without a character before it, could take in
  // what stands next to it once the pattern is expanded or joined with others.
  const unsigned char byte = ByteAt(text, pos);
  if ((IsLeadByte(byte) && (pos == text.size() || ByteAt(text, pos + 1) >= kEscapeLead)) ||
      byte == kAlternateMark) {
    throw ERegExpParser(re_message::kBadDoubleByte, pos);
  }
  TRECode code = 0;
  pos = static_cast<std::uint32_t>(re_text::ReadCodeAt<true>(
            reinterpret_cast<const unsigned char*>(text.data()), text.size(), pos - 1, code)) +
        1;
  return code;
}

void StepBack(std::string_view text, std::uint32_t& pos, std::uint32_t floor) {
  if (pos <= floor || pos > text.size() + 1) {
    return;
  }
  TRECode code = 0;
  re_text::TBackReader reader(reinterpret_cast<const unsigned char*>(text.data()), floor - 1);
  pos = static_cast<std::uint32_t>(reader.Previous(pos - 1, code)) + 1;
}

TRECode DecodeEscape(std::string_view text, std::uint32_t& pos) {
  const std::uint32_t start = pos;
  const TRECode c = ReadCharacter(text, pos);
  switch (c) {
  case 0:
    throw ERegExpParser(re_message::kBackslashAtEnd, pos);
  case 'b':
    return 8;
  case 'n':
    return 10;
  case 'r':
    return 13;
  case 't':
    return 9;
  case 'x':
    return DecodeHex(text, pos);
  default:
    break;
  }
  if (IsOctalDigit(c)) {
    pos = start;
    return DecodeOctal(text, pos);
  }
  return c;
}

std::string CodeToText(TRECode code) {
  const bool marked =
      code >= kMarkedEscapeCodeBase || (code >= kMarkedCodeBase && code < kEscapeCodeBase);
  if (marked) {
    code -=
        code >= kMarkedEscapeCodeBase ? kMarkedEscapeCodeBase - kEscapeCodeBase : kMarkedCodeBase;
  }
  std::string text;
  if (code >= kEscapeCodeBase && code - kEscapeCodeBase <= 0x10FFFF) {
    unsigned char escape[kMaxEscapeLength];
    text.assign(reinterpret_cast<const char*>(escape), PutEscape(code - kEscapeCodeBase, escape));
  } else if (code < kMarkedCodeBase) {
    const auto high = static_cast<unsigned char>(code >> 8);
    if (IsLeadByte(high)) {
      text += static_cast<char>(high);
    }
    text += static_cast<char>(code & 0xFF);
  }
  if (marked && !text.empty()) {
    text += static_cast<char>(kAlternateMark);
  }
  return text;
}

std::string QuoteRegExp(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::string quoted;
  quoted.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    TRECode code = 0;
    const std::size_t next = re_text::ReadCodeAt<true>(bytes, text.size(), i, code);
    if (code < 0x80 && IsMetaCharacter(static_cast<unsigned char>(code))) {
      quoted += '\\';
    }
    quoted.append(text, i, next - i);
    i = next;
  }
  return quoted;
}

} // namespace zorbe
