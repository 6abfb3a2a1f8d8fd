#pragma once
// The Shift-JIS (code page 932) byte model shared by the whole engine.
//
// A lead byte (0x81-0x9F, 0xE0-0xFC) takes the next byte with it as its trail byte; every other
// byte is one character (ASCII 0x00-0x7F, half-width katakana 0xA1-0xDF). Text is never decoded:
// every routine here works on bytes and keeps double-byte characters whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace zorbe {

constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Lower- or upper-cases the ASCII letters of a Shift-JIS text in place. Trail bytes never change,
// even where they look like letters (ア is 0x83 0x41); full-width letters and half-width katakana
// are left alone. A lone lead byte at the end is kept.
void LowerCaseInPlace(char* data, std::size_t size);
void UpperCaseInPlace(char* data, std::size_t size);
inline void LowerCaseInPlace(std::string& text) {
  LowerCaseInPlace(text.data(), text.size());
}
inline void UpperCaseInPlace(std::string& text) {
  UpperCaseInPlace(text.data(), text.size());
}
std::string LowerCased(std::string_view text);

// Byte order of the lower-cased texts, without building the copies: -1, 0 or 1.
// Equal to comparing LowerCased(a) with LowerCased(b) byte by byte (shorter first on a tie).
int CompareFolded(std::string_view a, std::string_view b);
bool EqualFolded(std::string_view a, std::string_view b);

// Plain byte order (bytes unsigned, a prefix first): -1, 0 or 1.
int CompareBytes(std::string_view a, std::string_view b);

} // namespace zorbe
