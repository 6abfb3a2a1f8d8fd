#include "text/encoding.h"

#include "text/iconv_call.h"

#include <algorithm>
#include <cstdio>

namespace zorbe {
namespace {

// Length of the UTF-8 sequence starting at text[0], or 0 when it isn't well formed.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto b0 = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  char32_t code = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) {
      return 0;
    }
    code = (code << 6) | (b & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

} // namespace

std::string CodePointName(std::string_view utf8Character) {
  const std::size_t length = utf8Character.empty() ? 0 : Utf8SequenceLength(utf8Character);
  if (length == 0) {
    return "U+FFFD";
  }
  const auto b0 = static_cast<unsigned char>(utf8Character[0]);
  char32_t code = length == 1 ? b0 : (b0 & (0x7F >> length));
  for (std::size_t i = 1; i < length; ++i) {
    code = (code << 6) | (static_cast<unsigned char>(utf8Character[i]) & 0x3F);
  }
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return name;
}

std::size_t Utf8CharacterLength(std::string_view text) {
  return text.empty() ? 0 : Utf8SequenceLength(text);
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
      return false;
    }
    text.remove_prefix(length);
  }
  return true;
}

std::string Utf8ToCp932(std::string_view utf8) {
  TIconv converter("CP932", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  std::string_view rest = utf8;
  converter.ConvertAll(rest, out);
  if (rest.empty()) {
    return out;
  }
  const std::size_t length = Utf8SequenceLength(rest);
  if (length == 0) {
    throw EEncodingError("UTF-8 として正しくないバイトがあります（" +
                         std::to_string(utf8.size() - rest.size() + 1) + " バイト目）。");
  }
  throw EEncodingError("文字「" + std::string(rest.substr(0, length)) + "」(" +
                       CodePointName(rest.substr(0, length)) +
                       ") は Shift-JIS (CP932) で表せません。");
}

std::string Cp932ToUtf8(std::string_view cp932) {
  TIconv converter("UTF-8", "CP932");
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  std::string_view rest = cp932;
  for (converter.ConvertAll(rest, out); !rest.empty(); converter.ConvertAll(rest, out)) {
    out += "\xEF\xBF\xBD"; // U+FFFD for the byte that isn't CP932
    rest.remove_prefix(1);
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view utf16) {
  // The mark names the order and is not part of the text.
  const bool bigEndian = utf16.starts_with("\xFE\xFF");
  TIconv converter("UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE");
  std::string out;
  out.reserve(utf16.size() + utf16.size() / 2);
  std::string_view rest = utf16.substr(std::min<std::size_t>(utf16.size(), 2));
  for (converter.ConvertAll(rest, out); !rest.empty(); converter.ConvertAll(rest, out)) {
    out += "\xEF\xBF\xBD"; // U+FFFD for the unit that isn't part of a character
    rest.remove_prefix(std::min<std::size_t>(rest.size(), 2));
  }
  return out;
}

} // namespace zorbe
