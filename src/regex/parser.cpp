// The parser proper. Open groups live on an explicit stack of TGroup records, each holding the
// alternation built so far and the term being built; a closing parenthesis finishes the top
// record and appends the group, with its postfix operator, to the term of the record below.

#include "regex/parser.h"

#include "regex/regexp_error.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace zorbe {
namespace {

struct TGroup {
  TRENode* alternation = nullptr;
  TRENode* term = nullptr;
};

void AppendFactor(TREParseTree& tree, TGroup& group, TRENode* factor) {
  group.term =
      group.term != nullptr ? tree.NewNode(TRENodeKind::Concatenation, group.term, factor) : factor;
}

// Ends the current term (empty when it has no factor) and adds it to the alternation.
void FinishTerm(TREParseTree& tree, TGroup& group) {
  TRENode* term = group.term != nullptr ? group.term : tree.NewNode(TRENodeKind::Empty);
  group.term = nullptr;
  group.alternation = group.alternation != nullptr
                          ? tree.NewNode(TRENodeKind::Alternation, group.alternation, term)
                          : term;
}

using TCodeRange = std::pair<TRECode, TRECode>;

// Removes start..end from the disjoint pieces. An overlapped piece is deleted and what remains
// of it below and above the range is appended, where the walk passes it by.
void Subtract(std::vector<TCodeRange>& pieces, TRECode start, TRECode end) {
  std::size_t k = 0;
  while (k < pieces.size()) {
    const TCodeRange piece = pieces[k];
    if (piece.second < start || end < piece.first) {
      ++k;
      continue;
    }
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(k));
    if (piece.first < start) {
      pieces.emplace_back(piece.first, static_cast<TRECode>(start - 1));
    }
    if (end < piece.second) {
      pieces.emplace_back(static_cast<TRECode>(end + 1), piece.second);
    }
  }
}

// A character or class range; codes no text can contain (0, the reserved codes, those above
// kMaxCharacterCode) are cut off, so a range across the reserved codes becomes two leaves.
TRENode* CharacterRange(TREParseTree& tree, TRECode start, TRECode end) {
  const TRECode low = std::max<TRECode>(start, 1);
  const TRECode high = std::min(end, kMaxCharacterCode);
  if (low > high || (low >= kLineStartCode && high <= kEmptyCode)) {
    return tree.NewNode(TRENodeKind::Nothing);
  }
  TRENode* below =
      low < kLineStartCode ? tree.Leaf(low, std::min(high, kLineStartCode - 1)) : nullptr;
  TRENode* above = high > kEmptyCode ? tree.Leaf(std::max(low, kEmptyCode + 1), high) : nullptr;
  if (below != nullptr && above != nullptr) {
    return tree.NewNode(TRENodeKind::Alternation, below, above);
  }
  return below != nullptr ? below : above;
}

} // namespace

void TREParser::Run(std::size_t maxDisjoinSteps) {
  maxDisjoinSteps_ = maxDisjoinSteps;
  tree_.Clear();
  try {
    scanner_.NextToken();
    tree_.SetRoot(ParseRegExp());
    tree_.Disjoin(maxDisjoinSteps_);
  } catch (...) {
    tree_.Clear();
    throw;
  }
}

TRENode* TREParser::ParseRegExp() {
  std::vector<TGroup> groups(1);
  for (;;) {
    switch (scanner_.Token()) {
    case TRETokenKind::Bar:
      FinishTerm(tree_, groups.back());
      scanner_.NextToken();
      break;
    case TRETokenKind::OpenParen:
      groups.emplace_back();
      scanner_.NextToken();
      break;
    case TRETokenKind::CloseParen: {
      if (groups.size() == 1) {
        throw ERegExpParser(re_message::kExtraCharacters, scanner_.Position());
      }
      FinishTerm(tree_, groups.back());
      TRENode* group = groups.back().alternation;
      groups.pop_back();
      scanner_.NextToken();
      AppendFactor(tree_, groups.back(), ApplyPostfix(group));
      break;
    }
    case TRETokenKind::End:
      if (groups.size() > 1) {
        throw ERegExpParser(re_message::kNeedRightParen, scanner_.Position());
      }
      FinishTerm(tree_, groups.back());
      return groups.back().alternation;
    default:
      AppendFactor(tree_, groups.back(), ApplyPostfix(ParsePrimary()));
      break;
    }
  }
}

TRENode* TREParser::ApplyPostfix(TRENode* operand) {
  switch (scanner_.Token()) {
  case TRETokenKind::Star:
    scanner_.NextToken();
    return tree_.NewNode(TRENodeKind::Repetition, operand);
  case TRETokenKind::Plus:
    scanner_.NextToken();
    return tree_.NewNode(TRENodeKind::Concatenation, operand,
                         tree_.NewNode(TRENodeKind::Repetition, operand));
  case TRETokenKind::Question:
    scanner_.NextToken();
    return tree_.NewNode(TRENodeKind::Alternation, operand, tree_.NewNode(TRENodeKind::Empty));
  default:
    return operand;
  }
}

// A primary other than a group; consumes its tokens.
TRENode* TREParser::ParsePrimary() {
  TRENode* node = nullptr;
  switch (scanner_.Token()) {
  case TRETokenKind::Character:
    node = CharacterRange(tree_, scanner_.Code(), scanner_.Code());
    break;
  case TRETokenKind::ClassOpen:
    node = ParseClassItems(tree_);
    break;
  case TRETokenKind::NegatedClassOpen:
    node = ParseNegatedClass(maxDisjoinSteps_);
    break;
  case TRETokenKind::Dot:
    node = tree_.AnyCharacterSet();
    break;
  case TRETokenKind::Caret:
    node = tree_.LineStartNode(scanner_.Code());
    break;
  case TRETokenKind::Dollar:
    node = tree_.LineEndNode(scanner_.Code());
    break;
  default:
    throw ERegExpParser(re_message::kNeedPrimary, scanner_.Position());
  }
  scanner_.NextToken();
  return node;
}

// The items of a class up to its `]` (the current token afterwards), joined by alternation.
TRENode* TREParser::ParseClassItems(TREParseTree& tree) {
  if (scanner_.NextToken() == TRETokenKind::ClassClose) {
    throw ERegExpParser(re_message::kEmptyClass, scanner_.Position());
  }
  TRENode* items = nullptr;
  while (scanner_.Token() != TRETokenKind::ClassClose) {
    const TRECode end =
        scanner_.Token() == TRETokenKind::ClassRange ? scanner_.RangeEnd() : scanner_.Code();
    TRENode* item = CharacterRange(tree, scanner_.Code(), end);
    items = items != nullptr ? tree.NewNode(TRENodeKind::Alternation, items, item) : item;
    scanner_.NextToken();
  }
  return items;
}

TRENode* TREParser::ParseNegatedClass(std::size_t maxDisjoinSteps) {
  TREParseTree excluded;
  ParseClassItems(excluded);
  excluded.Disjoin(maxDisjoinSteps);
  std::vector<TCodeRange> pieces(std::begin(kAnyCharacterRanges), std::end(kAnyCharacterRanges));
  for (const TRENode* leaf : excluded.Leaves()) {
    Subtract(pieces, leaf->start, leaf->end);
  }
  TRENode* remaining = nullptr;
  for (const auto& [start, end] : pieces) {
    TRENode* leaf = tree_.Leaf(start, end);
    remaining =
        remaining != nullptr ? tree_.NewNode(TRENodeKind::Alternation, remaining, leaf) : leaf;
  }
  return remaining != nullptr ? remaining : tree_.NewNode(TRENodeKind::Nothing);
}

} // namespace zorbe
