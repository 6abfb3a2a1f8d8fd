#pragma once
// TREParser turns an expanded pattern into a TREParseTree whose ranges are pairwise disjoint.
//
// Grammar (joins are left-associative):
//   regexp  := term ('|' term)*
//   term    := factor*            (an empty term is the empty node)
//   factor  := primary ('*' | '+' | '?')?     at most one postfix operator
//   primary := character | '(' regexp ')' | class | negated class | '.' | '^' | '$'
// `x+` becomes x followed by x*, sharing x; `x?` becomes x or empty. A negated class is the
// any-character set (no NUL, LF or CR) minus its items.
//
// The parser keeps its open groups on an explicit stack, so deeply nested parentheses cost heap,
// not call stack. Character codes that no text can contain (0 and the reserved codes 0xFFFD
// to 0xFFFF, reachable only through escapes) match nothing: a lone such character becomes the
// Nothing node and class ranges are clipped to 1..0xFFFC. A negated class that excludes every
// character is the Nothing node as well.

#include "regex/parse_tree.h"
#include "regex/scanner.h"

#include <string_view>

namespace zorbe {

class TREParser {
public:
  explicit TREParser(std::string_view expandedPattern) : scanner_(expandedPattern) {}

  // Builds the tree and disjoins it. Raises ERegExpParser on a syntax error (the tree is then
  // cleared) or when disjoining would take more than maxDisjoinSteps steps.
  void Run(std::size_t maxDisjoinSteps = TREParseTree::kDefaultDisjoinSteps);

  const TREParseTree& Tree() const { return tree_; }

private:
  TRENode* ParseRegExp();
  TRENode* ParsePrimary();
  TRENode* ApplyPostfix(TRENode* operand);
  TRENode* ParseClassItems(TREParseTree& tree);
  TRENode* ParseNegatedClass(std::size_t maxDisjoinSteps);

  TREScanner scanner_;
  TREParseTree tree_;
  std::size_t maxDisjoinSteps_ = TREParseTree::kDefaultDisjoinSteps;
};

} // namespace zorbe
