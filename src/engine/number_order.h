#pragma once
// Numbers in the order people count (NumberOrder): 第2章 before 第10章, 二丁目 before 十丁目.
//
// A line is read as a sequence of text characters and numbers. Two lines compare as in byte
// order, except that where both have a number at the same point the numbers compare by value,
// equal values by their count of leading zeros (fewer first), then by their own bytes; so two
// lines compare equal only when they are the same bytes (the same but for letter case, folded),
// and 2, ２ and 二 keep a fixed order and are never each other's duplicates. A number against a
// text character compares as a half-width digit would; the end of a line comes before both.
//
// What a number is:
//  - digits (NumberOrder 1 and 2): a maximal run of 0-9 and ０-９, widths mixed. A comma
//    belongs to the number where it separates groups of exactly three digits after a first
//    group of one to three (1,234,567), unless commas delimit the columns of a column key.
//  - kanji numerals (NumberOrder 2): 〇 一 二 三 四 五 六 七 八 九 零 壱 弐 参 as positional digits
//    (二〇二六 = 2026), or with the multipliers 十 (拾) 百 千 (二千二十六 = 2026; 十 百 千 stand
//    alone for 10, 100, 1000); groups of those, or of digits, before 万 億 兆 (三万五千 = 35000,
//    1万2000 = 12000; these need a number before them; a group below the first holds at most
//    four digits). A run is read as far as it is well formed; the numeral kanji right after a
//    number are text (十十 is 10 and the text 十); digits always start a number of their own.
// No signs, decimals or exponents: 1.10 is 1, the text ".", then 10.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

enum TNumberOrderValue : int { noCodes = 0, noDigits = 1, noKanji = 2 };

struct TNumberOrder {
  int mode = noCodes; // TNumberOrderValue; anything else counts as noCodes
  bool fold = false;  // letters compared with case folded (Distinction)
  bool commas = true; // a comma may group digits (not when it delimits columns)
  bool descending = false;
};

// The order of two lines under `order` (mode not noCodes): -1, 0 or 1, reversed when descending.
// A line ends at `end` or at its first CR or LF, whichever comes first (pass nullptr for a line
// that is followed by a line end).
int CompareNumbered(const char* a, const char* aEnd, const char* b, const char* bEnd,
                    const TNumberOrder& order);

// The first bytes of a line's radix key under `order` (ascending, not folded), written to `key`:
// where the keys of two lines differ, the first different byte orders them as CompareNumbered
// does. The key holds the line's text bytes (mapped so that a number sorts among them as a
// half-width digit), 0 at the line's end, and for its first number a mark, the count of its
// significant digits and those digits. It stops after that number's digits, or after `room`
// bytes; returns its length. Whether it stops, and where, follows from its bytes: lines with
// the same key up to where one stops stop there together, and are left to the compare.
int NumberedKey(const char* line, const TNumberOrder& order, unsigned char* key, int room);

// A number in a line: where it lies, and a key whose byte order is the order of the values and
// then of the counts of leading zeros, that sorts among text bytes as a half-width digit would:
// the count of significant digits (one digit up to 8, else a 9 and six digits), the digits, and
// the count of leading zeros (one digit, at most 9).
struct TNumberSpan {
  std::size_t begin;
  std::size_t end;
  std::string key;
};

// The numbers of a line under `order` (mode not noCodes), in order.
std::vector<TNumberSpan> NumbersOf(std::string_view line, const TNumberOrder& order);

inline int CompareNumbered(std::string_view a, std::string_view b, const TNumberOrder& order) {
  return CompareNumbered(a.data(), a.data() + a.size(), b.data(), b.data() + b.size(), order);
}

} // namespace zorbe
