#pragma once
// The line filters a sort job builds once per job: the deletion list and the comment prefixes,
// and the trimming of blanks.

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// The lines of the deletion file, sorted without duplicates. Matches whole lines in byte order;
// with ignoreCase the ASCII letters are folded (a double-byte character's trail byte never is).
class TDeletionList {
public:
  TDeletionList(std::vector<std::string> entries, bool ignoreCase);
  bool Contains(std::string_view line) const;
  std::size_t Size() const { return entries_.size(); }

private:
  std::vector<std::string> entries_;
  bool ignoreCase_;
};

// The comment prefixes: the fields of CLTC (CP932 bytes) split at ";" like a field list, quoted
// fields keeping their quotes. A line starting with any of them, byte for byte and with case, is
// a comment line; an empty prefix makes every line one.
class TCommentPrefixes {
public:
  explicit TCommentPrefixes(std::string_view cltc = {});
  bool Matches(std::string_view line) const;

private:
  std::vector<std::string> prefixes_;
  bool matchesAll_ = false;
};

// The line without its leading and trailing bytes 0x00-0x20 (a full-width space stays).
std::string_view TrimBlanks(std::string_view line);

} // namespace zorbe
