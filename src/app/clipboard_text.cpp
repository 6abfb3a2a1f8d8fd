#include "app/clipboard_text.h"

#include "text/encoding.h"
#include "text/shift_jis.h"

namespace zorbe {
namespace {

std::size_t Cp932CharacterLength(std::string_view text) {
  return text.size() >= 2 && IsLeadByte(static_cast<unsigned char>(text[0])) ? 2 : 1;
}

} // namespace

TClipboardText::TClipboardText(std::string_view unicode)
    : bytes_(Utf8ToCp932(unicode)), crlf_(unicode.find("\r\n") != std::string_view::npos) {
  const std::string back = Cp932ToUtf8(bytes_);
  if (back == unicode) {
    return; // the usual case: every character comes back as itself
  }
  // Each character of the text became one CP932 character, and each of those one character
  // again: walk the three side by side.
  std::map<std::string, std::string, std::less<>> seen; // CP932 character -> text's character
  std::string_view in = unicode;
  std::string_view bytes = bytes_;
  std::string_view out = back;
  while (!in.empty() && !bytes.empty() && !out.empty()) {
    const std::string_view original = in.substr(0, Utf8CharacterLength(in));
    const std::string_view code = bytes.substr(0, Cp932CharacterLength(bytes));
    const std::string_view returned = out.substr(0, Utf8CharacterLength(out));
    const auto [entry, added] = seen.emplace(std::string(code), std::string(original));
    if (!added && entry->second != original) {
      throw EEncodingError("文字「" + entry->second + "」(" + CodePointName(entry->second) +
                           ") と「" + std::string(original) + "」(" + CodePointName(original) +
                           ") は Shift-JIS (CP932) では同じ文字になり、区別できません。");
    }
    if (original != returned) {
      restored_.emplace(std::string(code), std::string(original));
    }
    in.remove_prefix(original.size());
    bytes.remove_prefix(code.size());
    out.remove_prefix(returned.size());
  }
}

std::string TClipboardText::Unicode(std::string_view cp932) const {
  std::string text;
  if (restored_.empty()) {
    text = Cp932ToUtf8(cp932);
  } else {
    text.reserve(cp932.size() * 3 / 2);
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < cp932.size()) {
      const std::string_view code = cp932.substr(i, Cp932CharacterLength(cp932.substr(i)));
      const auto found = restored_.find(code);
      if (found != restored_.end()) {
        text += Cp932ToUtf8(cp932.substr(runStart, i - runStart));
        text += found->second;
        runStart = i + code.size();
      }
      i += code.size();
    }
    text += Cp932ToUtf8(cp932.substr(runStart));
  }
  return crlf_ ? text : WithLfLineEnds(text);
}

std::string ClipboardTextRefusal(const std::string& reason) {
  return "クリップボードのテキストをソートできません。\r\n" + reason + "\r\n処理を中止します。";
}

} // namespace zorbe
