// Node creation and the disjoining of ranges.
//
// Disjoin takes the leaves in list order; for leaf i it looks for the first later leaf that
// overlaps it, splits the two and starts over at index i, because splitting removes leaves from
// the list and appends the pieces. Only when leaf i overlaps no later leaf does it move on. The
// pieces of a split are found or created as leaves, so a piece that already exists is shared.

#include "regex/parse_tree.h"

#include "regex/regexp_error.h"

#include <algorithm>
#include <stdexcept>

namespace zorbe {
namespace {

std::uint64_t RangeKey(TRECode start, TRECode end) {
  return static_cast<std::uint64_t>(start) | static_cast<std::uint64_t>(end) << 32;
}

bool Overlap(const TRENode* a, const TRENode* b) {
  return a->start <= b->end && b->start <= a->end;
}

} // namespace

TRENode* TREParseTree::NewNode(TRENodeKind kind, TRENode* left, TRENode* right) {
  auto node = std::make_unique<TRENode>();
  node->kind = kind;
  node->left = left;
  node->right = right;
  nodes_.push_back(std::move(node));
  return nodes_.back().get();
}

TRENode* TREParseTree::Leaf(TRECode start, TRECode end) {
  const auto [found, inserted] = leafByRange_.try_emplace(RangeKey(start, end), nullptr);
  if (!inserted) {
    return found->second;
  }
  auto leaf = std::make_unique<TRENode>();
  leaf->kind = TRENodeKind::Range;
  leaf->start = start;
  leaf->end = end;
  found->second = leaf.get();
  leaves_.push_back(std::move(leaf));
  return found->second;
}

TRENode* TREParseTree::LineStartNode(TRECode code) {
  TRENode* node = NewNode(TRENodeKind::LineStart);
  node->start = node->end = code;
  return node;
}

TRENode* TREParseTree::LineEndNode(TRECode code) {
  TRENode* node = NewNode(TRENodeKind::LineEnd);
  node->start = node->end = code;
  return node;
}

TRENode* TREParseTree::AnyCharacterSet() {
  TRENode* any = nullptr;
  for (const auto& [start, end] : kAnyCharacterRanges) {
    TRENode* leaf = Leaf(start, end);
    any = any != nullptr ? NewNode(TRENodeKind::Alternation, any, leaf) : leaf;
  }
  return any;
}

void TREParseTree::Clear() {
  nodes_.clear();
  leaves_.clear();
  leafByRange_.clear();
  root_ = nullptr;
}

std::vector<const TRENode*> TREParseTree::Leaves() const {
  std::vector<const TRENode*> leaves;
  leaves.reserve(leaves_.size());
  for (const auto& leaf : leaves_) {
    leaves.push_back(leaf.get());
  }
  return leaves;
}

void TREParseTree::Disjoin(std::size_t maxSteps) {
  std::size_t steps = 0;
  std::size_t i = 0;
  while (i < leaves_.size()) {
    bool split = false;
    for (std::size_t j = i + 1; j < leaves_.size(); ++j) {
      if (++steps > maxSteps) {
        throw ERegExpParser(re_message::kTooComplex, 0);
      }
      if (Overlap(leaves_[i].get(), leaves_[j].get())) {
        Split(leaves_[i].get(), leaves_[j].get());
        split = true;
        break;
      }
    }
    if (!split) {
      ++i;
    }
  }
}

// Cuts two overlapping leaves into the piece L before the later start, the common piece M and
// the piece R after the earlier end, and turns each old leaf into the alternation of its pieces.
void TREParseTree::Split(TRENode* first, TRENode* second) {
  TRENode* a = second->start < first->start ? second : first;
  TRENode* b = a == first ? second : first;
  const TRECode commonEnd = std::min(a->end, b->end);
  const TRECode lastEnd = std::max(a->end, b->end);
  const bool aEndsLast = a->end > b->end;
  TRENode* l = a->start < b->start ? Leaf(a->start, static_cast<TRECode>(b->start - 1)) : nullptr;
  TRENode* m = Leaf(b->start, commonEnd);
  TRENode* r = a->end != b->end ? Leaf(static_cast<TRECode>(commonEnd + 1), lastEnd) : nullptr;
  if (l != nullptr && r == nullptr) {
    TurnIntoAlternation(a, l, m);
  } else if (l != nullptr && aEndsLast) {
    TurnIntoAlternation(a, NewNode(TRENodeKind::Alternation, l, m), r);
  } else if (l != nullptr) {
    TurnIntoAlternation(a, l, m);
    TurnIntoAlternation(b, m, r);
  } else if (aEndsLast) {
    TurnIntoAlternation(a, m, r);
  } else {
    TurnIntoAlternation(b, m, r);
  }
}

void TREParseTree::TurnIntoAlternation(TRENode* leaf, TRENode* left, TRENode* right) {
  if (left == nullptr || right == nullptr) {
    throw std::logic_error("TREParseTree : 致命的エラー");
  }
  const auto owner = std::find_if(leaves_.begin(), leaves_.end(), [leaf](const auto& candidate) {
    return candidate.get() == leaf;
  });
  if (owner == leaves_.end()) {
    throw std::logic_error("TREParseTree : 致命的エラー");
  }
  leafByRange_.erase(RangeKey(leaf->start, leaf->end));
  nodes_.push_back(std::move(*owner));
  leaves_.erase(owner);
  leaf->kind = TRENodeKind::Alternation;
  leaf->left = left;
  leaf->right = right;
  leaf->start = leaf->end = 0;
}

} // namespace zorbe
