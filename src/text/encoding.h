#pragma once
// UTF-8 <-> CP932 at the program's boundaries: file names, messages and zorbe.ini are UTF-8 on
// this platform, while everything a sort handles is Shift-JIS (CP932) bytes.

#include <stdexcept>
#include <string>
#include <string_view>

namespace zorbe {

// A text that can't be carried into the other code; the message names the offending character.
class EEncodingError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Converts UTF-8 to CP932. Throws EEncodingError naming the first character that has no CP932
// form (or the first byte that isn't UTF-8): a character is never silently changed.
std::string Utf8ToCp932(std::string_view utf8);

// Converts CP932 to UTF-8. A byte sequence that isn't CP932 becomes U+FFFD, so that the result
// is always valid UTF-8; use it for display and for reading files written elsewhere.
std::string Cp932ToUtf8(std::string_view cp932);

// Converts UTF-16 that starts with its byte-order mark (either order) to UTF-8, without the
// mark. A unit that isn't part of a character becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view utf16);

bool IsValidUtf8(std::string_view text);

// The length of the UTF-8 character at the start of the text, or 0 when it isn't well formed.
std::size_t Utf8CharacterLength(std::string_view text);

// "U+301C" for the UTF-8 character at the start of the text (U+FFFD when it isn't one): names a
// character in a message even when it can't be seen (a joiner, a variation selector).
std::string CodePointName(std::string_view utf8Character);

} // namespace zorbe
