// Dictionaries from comma-text lines, one group per line.

#include "regex/dictionary.h"

#include "regex/comma_text.h"

namespace zorbe {

TREDictionary DictionaryFromLines(const std::vector<std::string>& lines) {
  TREDictionary dictionary;
  dictionary.reserve(lines.size());
  for (const std::string& line : lines) {
    dictionary.push_back(SplitCommaText(line));
  }
  return dictionary;
}

} // namespace zorbe
