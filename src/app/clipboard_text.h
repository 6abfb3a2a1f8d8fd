#pragma once
// The clipboard's text as a sort handles it: CP932 bytes on the way in, Unicode on the way out.
//
// The clipboard of this desktop holds Unicode text, while a sort reads and writes CP932. A few
// CP932 characters are reached from more than one Unicode character (0x8160 from the wave dash
// U+301C and from the full-width tilde U+FF5E; 0x5C from the backslash and from the yen sign
// U+00A5), and CP932 gives back only one of them. So that a sorted text keeps its own
// characters, every CP932 character that the text reached from a character other than the one
// CP932 gives back is turned back into the text's character on the way out. A text in which one
// CP932 character would stand for two different characters can't be restored and is refused, as
// is a text with a character that has no CP932 form at all: a character is never silently
// changed.
//
// Line ends: a sort writes CR LF; they go back as LF, this desktop's line end, unless the text
// came with CR LF itself.

#include <map>
#include <string>
#include <string_view>

namespace zorbe {

class TClipboardText {
public:
  // Throws EEncodingError naming the first character that can't be carried.
  explicit TClipboardText(std::string_view unicode);

  // The text in CP932, byte for byte as the sort reads it.
  const std::string& Bytes() const { return bytes_; }
  // A CP932 text (the sort's output) in UTF-8, with the text's own characters and line ends.
  std::string Unicode(std::string_view cp932) const;

private:
  std::string bytes_;
  // A CP932 character (one or two bytes) -> the UTF-8 character it stands for in this text,
  // only where that differs from the character CP932 gives back.
  std::map<std::string, std::string, std::less<>> restored_;
  bool crlf_ = false;
};

// The refusal of a clipboard text that can't be sorted; `reason` names the character.
std::string ClipboardTextRefusal(const std::string& reason);

} // namespace zorbe
