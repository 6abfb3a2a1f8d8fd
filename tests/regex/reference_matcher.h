#pragma once
// A deliberately simple matcher that the engine is checked against. Patterns are trees that the
// test builds directly (so the engine's parser is not involved) and prints as pattern text. The
// matcher computes, for a start position, the set of every end position the tree can reach,
// trying each alternative and each number of repetitions, and derives each search from that
// set by the engine's documented rules.

#include "regex/matcher.h"
#include "regex/pattern_text.h"
#include "text/internal_char.h"

#include <cstddef>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace zorbe::test {

using TCodeRanges = std::vector<std::pair<TRECode, TRECode>>;

struct TRefNode {
  enum TKind { Char, Set, Cat, Alt, Star, Plus, Opt, Caret, Dollar, Empty };
  TKind kind = Empty;
  TRECode code = 0;     // Char
  TCodeRanges ranges;   // Set: the characters it matches
  bool negated = false; // Set: it matches every character but NUL, LF, CR and those instead
  std::string setText;  // Set: how it is written
  int left = -1;        // Cat, Alt, Star, Plus, Opt
  int right = -1;       // Cat, Alt
};

struct TRefPattern {
  std::vector<TRefNode> nodes;
  int root = -1;

  std::string Text() const;
  bool HasLineStartAnchor() const;
  bool HasLineEndAnchor() const;
};

// The code of the character at pos and the position after it, read with InternalCharLength;
// 0 and pos at the end of the text (its size or its first NUL).
std::pair<TRECode, std::size_t> ReadReference(const std::string& text, std::size_t pos);
// The bytes of a character's code.
std::string ReferenceBytes(TRECode code);

// Random patterns and texts over a small alphabet of ASCII, half-width kana and double-byte
// characters, line ends and the anchor characters; with `extended`, also characters with the
// alternate mark and escapes.
class TRefGenerator {
public:
  explicit TRefGenerator(unsigned seed, bool extended = true)
      : random_(seed), extended_(extended) {}
  TRefPattern Pattern();
  // An alternation of count words of one to four characters: a start state with many moves.
  TRefPattern WordList(int count);
  std::string Text();

private:
  int Node(TRefPattern& pattern, int depth);
  int SetNode(TRefPattern& pattern);
  TRECode Character();
  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::mt19937 random_;
  bool extended_;
};

class TReferenceMatcher {
public:
  TReferenceMatcher(const TRefPattern& pattern, TMatchCORE_LineSeparator separator)
      : pattern_(pattern), separator_(separator) {}

  std::optional<TREMatch> SearchAtLineStart(const std::string& text, std::size_t pos) const;
  std::optional<TREMatch> SearchFrom(const std::string& text, std::size_t pos) const;
  std::optional<TREMatch> AnchoredSearch(const std::string& text, std::size_t pos) const;
  std::optional<TREMatch> UnanchoredSearch(const std::string& text, std::size_t pos) const;
  std::vector<TREMatch> AllMatches(const std::string& text) const;

private:
  struct TContext {
    const std::string* text;
    bool lineStart; // `^` anchors hold at the start
    bool anchors;   // `$` anchors can hold at all, and `^` anchors too when lineStart
  };
  // Ends reachable from pos, each with whether a `$` anchor was passed on the way.
  using TEnds = std::set<std::pair<std::size_t, bool>>;
  TEnds Ends(int node, std::size_t pos, bool atStart, bool atEnd, const TContext& context) const;
  TEnds CharEnds(bool matches, std::size_t next) const;
  std::optional<std::size_t> Longest(const std::string& text, std::size_t pos, bool lineStart,
                                     bool anchors) const;

  const TRefPattern& pattern_;
  TMatchCORE_LineSeparator separator_;
  // Longest results of the last text, by position and flags: the searches ask for the same
  // ones again and again.
  mutable std::string cachedText_;
  mutable std::map<std::tuple<std::size_t, bool, bool>, std::optional<std::size_t>> cache_;
};

} // namespace zorbe::test
