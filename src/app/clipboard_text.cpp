#include "app/clipboard_text.h"

#include "platform/line_ends.h"
#include "text/encoding.h"
#include "text/shift_jis.h"

namespace zorbe {
namespace {

std::size_t Cp932CharacterLength(std::string_view text) {
  return text.size() >= 2 && IsLeadByte(static_cast<unsigned char>(text[0])) ? 2 : 1;
}

} // namespace

TClipboardText::TClipboardText(std::string_view unicode)
    : crlf_(unicode.find("\r\n") != std::string_view::npos) {
  try {
    bytes_ = Utf8ToCp932(unicode);
  } catch (const EEncodingError&) {
    bytes_ = unicode;
    utf8_ = true;
    return;
  }
  if (!NoteRestoredCharacters(unicode)) {
    restored_.clear();
    bytes_ = unicode;
    utf8_ = true;
  }
}

bool TClipboardText::NoteRestoredCharacters(std::string_view unicode) {
  const std::string back = Cp932ToUtf8(bytes_);
  if (back == unicode) {
    return true; // the usual case: every character comes back as itself
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
      return false;
    }
    if (original != returned) {
      restored_.emplace(std::string(code), std::string(original));
    }
    in.remove_prefix(original.size());
    bytes.remove_prefix(code.size());
    out.remove_prefix(returned.size());
  }
  return true;
}

std::string TClipboardText::Unicode(std::string_view sorted) const {
  std::string text;
  if (utf8_) {
    text = sorted;
  } else if (restored_.empty()) {
    text = Cp932ToUtf8(sorted);
  } else {
    text.reserve(sorted.size() * 3 / 2);
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < sorted.size()) {
      const std::string_view code = sorted.substr(i, Cp932CharacterLength(sorted.substr(i)));
      const auto found = restored_.find(code);
      if (found != restored_.end()) {
        text += Cp932ToUtf8(sorted.substr(runStart, i - runStart));
        text += found->second;
        runStart = i + code.size();
      }
      i += code.size();
    }
    text += Cp932ToUtf8(sorted.substr(runStart));
  }
  return crlf_ ? text : WithLfLineEnds(text);
}

} // namespace zorbe
