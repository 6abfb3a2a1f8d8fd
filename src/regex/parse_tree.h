#pragma once
// TREParseTree: the syntax tree of one pattern.
//
// Nodes are owned by two lists: the leaf list holds the character ranges, at most one leaf per
// (start, end) pair, and the node list holds everything else. Leaves are shared: every
// occurrence of a range in the pattern refers to the same leaf, and `x+` refers to x twice, so
// the tree is a directed acyclic graph and no node owns its children.
//
// Disjoin makes the ranges pairwise disjoint: two overlapping leaves are cut into their common
// part and the rest, and each old leaf is turned in place into an alternation of the pieces
// (moving from the leaf list to the node list), so every place that referred to it now refers to
// the same set of characters spelled with disjoint ranges. Afterwards no two leaves overlap.

#include "regex/pattern_text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zorbe {

// The codes of every character but NUL, LF and CR: the single bytes and CP932 pairs, then the
// characters with a mark and the escapes. No text has a code between 0xFCFD and 0xFFFF.
inline constexpr std::pair<TRECode, TRECode> kAnyCharacterRanges[] = {
    {1, 9}, {11, 12}, {14, 0xFCFC}, {kMarkedCodeBase, kMaxCharacterCode}};

enum class TRENodeKind : std::uint8_t {
  Range,         // one character whose code lies in start..end
  LineStart,     // `^`: an anchor or the literal character, decided by the automaton
  LineEnd,       // `$`: likewise
  Concatenation, // left followed by right
  Alternation,   // left or right
  Repetition,    // left zero or more times
  Empty,         // the empty string
  Nothing,       // matches nothing: a class that excludes every character, or a code no text has
};

struct TRENode {
  TRENodeKind kind = TRENodeKind::Empty;
  TRENode* left = nullptr;
  TRENode* right = nullptr;
  TRECode start = 0; // Range, LineStart, LineEnd
  TRECode end = 0;
};

class TREParseTree {
public:
  TREParseTree() = default;
  TREParseTree(const TREParseTree&) = delete;
  TREParseTree& operator=(const TREParseTree&) = delete;

  TRENode* Root() const { return root_; }
  void SetRoot(TRENode* root) { root_ = root; }

  TRENode* NewNode(TRENodeKind kind, TRENode* left = nullptr, TRENode* right = nullptr);
  // The leaf for start..end (start <= end), created on first use.
  TRENode* Leaf(TRECode start, TRECode end);
  TRENode* LineStartNode(TRECode code);
  TRENode* LineEndNode(TRECode code);
  // Any character but NUL, LF and CR: (((1..9 | 11..12) | 14..0xFCFC) | 0x10000..0x50FFFF),
  // the ranges of kAnyCharacterRanges.
  TRENode* AnyCharacterSet();

  // Makes all leaves pairwise disjoint (see above). Raises ERegExpParser (too complex) when the
  // work exceeds maxSteps comparisons of two leaves.
  void Disjoin(std::size_t maxSteps = kDefaultDisjoinSteps);
  // Frees every node and leaf; the root becomes none.
  void Clear();

  // The leaves in list order: creation order, with the pieces made by disjoining at the end.
  std::vector<const TRENode*> Leaves() const;
  std::size_t LeafCount() const { return leaves_.size(); }

  static constexpr std::size_t kDefaultDisjoinSteps = 200'000'000;

private:
  void Split(TRENode* first, TRENode* second);
  void TurnIntoAlternation(TRENode* leaf, TRENode* left, TRENode* right);

  std::vector<std::unique_ptr<TRENode>> nodes_;
  std::vector<std::unique_ptr<TRENode>> leaves_;
  std::unordered_map<std::uint64_t, TRENode*> leafByRange_;
  TRENode* root_ = nullptr;
};

} // namespace zorbe
