#pragma once
// TRE_NFA: the nondeterministic automaton of a parsed pattern.
//
// State 0 is the initial state and state 1 the final state. Each tree node is generated between
// a "from" and a "to" state: a range becomes a move labelled with its codes, a concatenation
// gets a middle state, an alternation generates both sides between the same two states, and a
// repetition gets its own loop states joined by empty moves. `^` is a line-start anchor (a move
// on the line-start code) only where it is generated from the initial state, and `$` a line-end
// anchor only where it is generated into the final state; elsewhere each is its own literal
// character. Generation walks the tree with an explicit stack, so neither deep nesting nor a
// long concatenation can exhaust the call stack; a shared subtree is generated once per place
// that refers to it.
//
// After generation, states that no text can tell apart are merged, which turns an alternation
// of words into a tree of their shared prefixes and suffixes: the targets of equal moves from
// one state that nothing else enters become one state, and so do the sources of equal moves
// into one state that have no other move. The language stays the same; a search then follows
// one state per shared prefix instead of one per word. Merged-away states stay as states
// without moves that nothing enters.

#include "regex/parse_tree.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorbe {

struct TRELabel {
  TRECode start = kEmptyCode;
  TRECode end = kEmptyCode;

  bool IsEmpty() const { return start == kEmptyCode && end == kEmptyCode; }
  bool operator==(const TRELabel&) const = default;
};

struct TRENfaMove {
  TRELabel label;
  std::uint32_t target = 0;
};

class TRE_NFA {
public:
  static constexpr std::uint32_t kInitialState = 0;
  static constexpr std::uint32_t kFinalState = 1;
  static constexpr std::size_t kDefaultMaxStates = 4'000'000;

  explicit TRE_NFA(const TREParseTree& tree, TRECode lineEndCode = kLineEndCode,
                   TRECode lineStartCode = kLineStartCode)
      : tree_(tree), lineStartCode_(lineStartCode), lineEndCode_(lineEndCode) {}

  // Generates the automaton from the tree's root. Raises ERegExpParser (too complex) when it
  // would need more than maxStates states or 4 moves per allowed state.
  void Build(std::size_t maxStates = kDefaultMaxStates);

  std::size_t StateCount() const { return states_.size(); }
  const std::vector<TRENfaMove>& Moves(std::uint32_t state) const { return states_[state]; }
  bool LineStartAnchored() const { return lineStartAnchored_; }
  bool LineEndAnchored() const { return lineEndAnchored_; }
  TRECode LineStartCode() const { return lineStartCode_; }
  TRECode LineEndCode() const { return lineEndCode_; }

private:
  void MergePrefixes();
  void MergeSuffixes();
  std::uint32_t NewState();
  void AddMove(std::uint32_t from, TRELabel label, std::uint32_t to);

  const TREParseTree& tree_;
  std::vector<std::vector<TRENfaMove>> states_;
  std::size_t moveCount_ = 0;
  std::size_t maxStates_ = kDefaultMaxStates;
  TRECode lineStartCode_;
  TRECode lineEndCode_;
  bool lineStartAnchored_ = false;
  bool lineEndAnchored_ = false;
};

} // namespace zorbe
