#include "engine/line_filters.h"

#include "engine/sort_keys.h"
#include "text/internal_char.h"
#include "text/shift_jis.h"

#include <algorithm>

namespace zorbe {

TDeletionList::TDeletionList(std::vector<std::string> entries, bool ignoreCase)
    : entries_(std::move(entries)), ignoreCase_(ignoreCase) {
  auto compare = ignoreCase_ ? CompareFolded : CompareBytes;
  std::sort(entries_.begin(), entries_.end(),
            [compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
  entries_.erase(std::unique(entries_.begin(), entries_.end(),
                             [compare](const std::string& a, const std::string& b) {
                               return compare(a, b) == 0;
                             }),
                 entries_.end());
}

bool TDeletionList::Contains(std::string_view line) const {
  auto compare = ignoreCase_ ? CompareFolded : CompareBytes;
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), line,
                                   [compare](const std::string& entry, std::string_view key) {
                                     return compare(entry, key) < 0;
                                   });
  return it != entries_.end() && compare(*it, line) == 0;
}

TCommentPrefixes::TCommentPrefixes(std::string_view cltc)
    : prefixes_(SplitFields(dkSemicolon, cltc)) {
  matchesAll_ = std::any_of(prefixes_.begin(), prefixes_.end(),
                            [](const std::string& prefix) { return prefix.empty(); });
}

bool TCommentPrefixes::Matches(std::string_view line) const {
  if (matchesAll_) {
    return true;
  }
  // A prefix ends where a character of the line ends: not before an alternate mark, which makes
  // the line's character another one (〜 is ～'s code and the mark).
  return std::any_of(prefixes_.begin(), prefixes_.end(), [line](const std::string& prefix) {
    return line.starts_with(prefix) &&
           (line.size() == prefix.size() ||
            static_cast<unsigned char>(line[prefix.size()]) != kAlternateMark);
  });
}

std::string_view TrimBlanks(std::string_view line) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!line.empty() && blank(line.front())) {
    line.remove_prefix(1);
  }
  while (!line.empty() && blank(line.back())) {
    line.remove_suffix(1);
  }
  return line;
}

} // namespace zorbe
