#pragma once
// The basic look-alike dictionary: 145 groups of characters that look alike or differ only in
// width, kana kind or the way a voicing mark is written (が, ガ, ｶﾞ, か゛, カ゛).
//
// Each group is built from one row of comma text, the same way dictionary files are read. Rows
// are consulted in order, so a member of an earlier row wins: ｶﾞ belongs to the が row before
// ｶ alone can match the か row, and ー is found in its own row (which ends with an empty member,
// so that データー also matches データ) before the row of -. The dictionary is built once, on
// first use, and only read afterwards, by any number of engines and threads.

#include "regex/dictionary.h"

#include <span>
#include <string_view>

namespace zorbe {

// The rows in Shift-JIS comma text, in order.
std::span<const std::string_view> BasicFuzzyCharRows();

const TREDictionary& BasicFuzzyCharDic();

} // namespace zorbe
