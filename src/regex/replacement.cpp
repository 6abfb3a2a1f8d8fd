// The three passes of a replacement text. The first two run once per ReplaceAll, when the first
// match is found; substitution is left as pieces to copy around each match.

#include "regex/replacement.h"

#include "regex/pattern_text.h"
#include "text/shift_jis.h"

namespace zorbe {
namespace {

// The length of the character at i: 2 for a lead byte with a byte after it, else 1.
std::size_t CharLength(std::string_view text, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

std::string ProtectBackslashes(std::string_view text) {
  std::string protectedText;
  protectedText.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = CharLength(text, i);
    if (text[i] != '\\' || i + 1 >= text.size()) {
      protectedText.append(text, i, length);
      i += length;
      continue;
    }
    const std::size_t nextLength = CharLength(text, i + 1);
    protectedText += text[i + 1] == '&' ? "\\\\" : "\\";
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
    if (text[i] == '&') {
      pieces_.emplace_back();
      ++i;
      continue;
    }
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '&') {
      pieces_.back() += '&';
      i += 2;
      continue;
    }
    // Any other character, a backslash before something else included, is copied; the
    // character after such a backslash is then read on its own.
    const std::size_t length = CharLength(text, i);
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
