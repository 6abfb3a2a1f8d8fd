// The three passes of a replacement text. The first two run once per ReplaceAll, when the first
// match is found; substitution is left as pieces to copy around each match.

#include "regex/replacement.h"

#include "regex/pattern_text.h"
#include "regex/text_reading.h"

namespace zorbe {
namespace {

// The character at i (i < text.size()): its code, and its length as the return value.
std::size_t CharAt(std::string_view text, std::size_t i, TRECode& code) {
  return re_text::ReadCodeAt<true>(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                   i, code) -
         i;
}

std::string ProtectBackslashes(std::string_view text) {
  std::string protectedText;
  protectedText.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    TRECode code = 0;
    const std::size_t length = CharAt(text, i, code);
    if (code != '\\' || i + 1 >= text.size()) {
      protectedText.append(text, i, length);
      i += length;
      continue;
    }
    TRECode next = 0;
    const std::size_t nextLength = CharAt(text, i + 1, next);
    protectedText += next == '&' ? "\\\\" : "\\";
    protectedText.append(text, i + 1, nextLength);
    i += 1 + nextLength;
  }
  return protectedText;
}

} // namespace

std::string DecodeEscapes(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  std::uint32_t pos = 1;
  while (pos <= text.size()) {
    const std::uint32_t start = pos;
    const TRECode code = ReadCharacter(text, pos);
    if (code == '\\') {
      decoded += CodeToText(DecodeEscape(text, pos));
    } else {
      decoded.append(text, start - 1, pos - start);
    }
  }
  return decoded;
}

TREReplacement::TREReplacement(std::string_view replacement) {
  replacement = replacement.substr(0, replacement.find('\0'));
  const std::string text = DecodeEscapes(ProtectBackslashes(replacement));
  pieces_.emplace_back();
  std::size_t i = 0;
  while (i < text.size()) {
    TRECode code = 0;
    const std::size_t length = CharAt(text, i, code);
    if (code == '&') {
      pieces_.emplace_back();
      ++i;
      continue;
    }
    TRECode next = 0;
    if (code == '\\' && i + 1 < text.size()) {
      CharAt(text, i + 1, next);
    }
    if (next == '&') { // a backslash and an &
      pieces_.back() += '&';
      i += 2;
      continue;
    }
    // Any other character, a backslash before something else included, is copied; the
    // character after such a backslash is then read on its own.
    pieces_.back().append(text, i, length);
    i += length;
  }
}

void TREReplacement::AppendTo(std::string& output, std::string_view matched) const {
  output += pieces_.front();
  for (std::size_t i = 1; i < pieces_.size(); ++i) {
    output += matched;
    output += pieces_[i];
  }
}

std::string TREReplacement::Expand(std::string_view matched) const {
  std::string expanded;
  AppendTo(expanded, matched);
  return expanded;
}

} // namespace zorbe
