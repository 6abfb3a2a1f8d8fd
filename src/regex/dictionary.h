#pragma once
// Dictionaries of interchangeable strings, as the pattern preprocessor uses them.
//
// A dictionary is an ordered list of groups; a group is an ordered list of members (texts of
// the internal form, possibly empty) that stand for one another. Order matters: the preprocessor
// takes the first member that matches, in dictionary, group and member order. The preprocessor's
// dictionary lists only point at dictionaries; whoever adds one keeps it alive for as long as
// the engine may read it.

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

using TREDictionaryGroup = std::vector<std::string>;
using TREDictionary = std::vector<TREDictionaryGroup>;
using TREDictionaryList = std::vector<const TREDictionary*>;

// One group per line, in order, each holding the comma-text fields of its line; a blank line
// gives an empty group.
TREDictionary DictionaryFromLines(const std::vector<std::string>& lines);

} // namespace zorbe
