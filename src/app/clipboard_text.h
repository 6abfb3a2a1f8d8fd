#pragma once
// The clipboard's text as a sort handles it: the bytes of a target file on the way in, Unicode
// on the way out.
//
// The clipboard of this desktop holds Unicode text. A text that CP932 carries goes to the sort
// as a Shift-JIS file, as it always did. A few CP932 characters are reached from more than one
// Unicode character (0x8160 from the wave dash U+301C and from the full-width tilde U+FF5E; 0x5C
// from the backslash and from the yen sign U+00A5), and CP932 gives back only one of them; so
// that a sorted text keeps its own characters, every CP932 character that the text reached from
// a character other than the one CP932 gives back is turned back into the text's character on
// the way out.
//
// A text that CP932 can't carry (a character it has no code for, such as 𠮷 or é, or two
// characters it would make one) goes to the sort as a UTF-8 file instead, which the job reads
// losslessly; its output comes back as UTF-8.
//
// Line ends: a sort writes CR LF; they go back as LF, this desktop's line end, unless the text
// came with CR LF itself.

#include <map>
#include <string>
#include <string_view>

namespace zorbe {

class TClipboardText {
public:
  explicit TClipboardText(std::string_view unicode);

  // The text as the sort reads it: CP932 bytes, or UTF-8 when CP932 can't carry it.
  const std::string& Bytes() const { return bytes_; }
  bool IsUtf8() const { return utf8_; }
  // A sort's output, in the code of Bytes(), in UTF-8 with the text's own characters and line
  // ends.
  std::string Unicode(std::string_view sorted) const;

private:
  // Fills restored_; false when one CP932 character would stand for two of the text's.
  bool NoteRestoredCharacters(std::string_view unicode);

  std::string bytes_;
  // A CP932 character (one or two bytes) -> the UTF-8 character it stands for in this text,
  // only where that differs from the character CP932 gives back.
  std::map<std::string, std::string, std::less<>> restored_;
  bool utf8_ = false;
  bool crlf_ = false;
};

} // namespace zorbe
