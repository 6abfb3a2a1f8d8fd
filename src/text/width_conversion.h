#pragma once
// Width conversion of Shift-JIS lines: symbols, digits, Latin letters and katakana between their
// full-width (double-byte) and half-width (single-byte) forms.
//
// Every conversion reads the line one character at a time from the left: a lead byte and the
// byte after it are one character and are never separated, and a lead byte that ends the line is
// copied as it is. The one exception is shared by the four conversions to half width: a
// character of JIS row 0x24 or 0x25 whose cell lies outside 0x21-0x76 (codes no kana has) gives
// its lead byte alone, and the byte after it is read as a character of its own.
//
// Each conversion first scans the line for a character it would change and returns false at once,
// without touching `out`, when there is none; that is the common case and costs no allocation.
// Otherwise `out` receives the whole converted line (its capacity is reused from call to call) and
// the result is true. `line` and `out` must not share storage. A line pass applies a chosen
// conversion as
//
//   if (SymbolsToHalfWidth(line, scratch)) { line.swap(scratch); }
//
// Letter case has no conversion here: LowerCaseInPlace / UpperCaseInPlace of shift_jis.h.

#include <string>
#include <string_view>

namespace zorbe {

// Any of the eight conversions below, in the form that reuses the caller's buffer.
using TWidthConversion = bool (*)(std::string_view line, std::string& out);

// The full-width symbols of the 38-entry symbol table to their half-width bytes, the full-width
// space to a space and ￥ to a backslash; ＼ and the full-width tilde are in no table.
bool SymbolsToHalfWidth(std::string_view line, std::string& out);
// The 38 half-width symbol bytes (ASCII punctuation, the space, ､｡･｢｣) to full width.
bool SymbolsToFullWidth(std::string_view line, std::string& out);
// ０-９ to 0-9.
bool DigitsToHalfWidth(std::string_view line, std::string& out);
// 0-9 to ０-９.
bool DigitsToFullWidth(std::string_view line, std::string& out);
// Ａ-Ｚ and ａ-ｚ to A-Z and a-z.
bool LettersToHalfWidth(std::string_view line, std::string& out);
// A-Z and a-z to Ａ-Ｚ and ａ-ｚ.
bool LettersToFullWidth(std::string_view line, std::string& out);
// Full-width katakana and hiragana to half-width katakana, voiced letters with ﾞ or ﾟ after them
// (ガ and が to ｶﾞ, ヴ to ｳﾞ, ヶ to ｹ). ー, ゛ and ゜ stay full width.
bool KatakanaToHalfWidth(std::string_view line, std::string& out);
// Half-width katakana to full width, joining ﾞ and ﾟ with the letter before them where a
// combined letter exists (ｶﾞ to ガ, ﾊﾟ to パ); elsewhere the mark becomes ゛ or ゜ (ｳﾞ to ウ゛,
// ｶﾟ to カ゜). ｰ becomes ー and the punctuation ｡｢｣､･ becomes 。「」、・. A mark after ｰ or after
// the punctuation, and a mark with no letter before it, stays half width.
bool KatakanaToFullWidth(std::string_view line, std::string& out);

// The same conversions as pure functions of a text: the converted copy.
std::string SymbolsToHalfWidth(std::string_view text);
std::string SymbolsToFullWidth(std::string_view text);
std::string DigitsToHalfWidth(std::string_view text);
std::string DigitsToFullWidth(std::string_view text);
std::string LettersToHalfWidth(std::string_view text);
std::string LettersToFullWidth(std::string_view text);
std::string KatakanaToHalfWidth(std::string_view text);
std::string KatakanaToFullWidth(std::string_view text);

} // namespace zorbe
