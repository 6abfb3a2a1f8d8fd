#pragma once
// TRE_DFA: the deterministic automaton of a pattern, built completely and at once from its NFA
// by subset construction.
//
// Each deterministic state stands for the empty-move closure of a set of NFA states; it accepts
// when the set holds the NFA's final state. The moves leaving a set are cut into disjoint code
// ranges and each range leads to the closure of every NFA target it reaches. Ranges of the
// syntax tree are already disjoint, so this normally groups moves by their exact label; only a
// literal `^` or `$` can overlap a range, and cutting keeps the result exact in that case too.
// A state's transitions are sorted by start code and never overlap; the line-start and line-end
// labels (0xFFFD, 0xFFFE) sort after every character.
//
// Construction has a budget: more states, state-set elements or transitions than the budget
// allows refuse the pattern with ERegExpParser "too complex" instead of exhausting memory.
// Moves are found through a table indexed by state and code class (codes that no transition
// tells apart share a class) when it fits the budget's cell count, otherwise by binary search
// in the state's transitions. The automaton is immutable after Build and may be shared by any
// number of matchers and threads.

#include "regex/nfa.h"
#include "regex/start_filter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbe {

struct TREDfaTransition {
  TRECode start = 0;
  TRECode end = 0;
  std::uint32_t target = 0;
};

struct TREDfaBudget {
  std::size_t maxStates = 20'000;
  std::size_t maxSetElements = 16'000'000; // NFA states summed over all deterministic states
  std::size_t maxTransitions = 4'000'000;
  std::size_t maxTableCells = 4'000'000; // 2 bytes each; above it moves use binary search
};

class TRE_DFA {
public:
  static constexpr std::uint32_t kNoState = 0xFFFFFFFF;
  static constexpr std::uint32_t kInitialState = 0;

  // Builds every state reachable from the NFA's initial state. Raises ERegExpParser (too
  // complex) when the budget is exceeded.
  void Build(const TRE_NFA& nfa, const TREDfaBudget& budget = {});

  // The target of the state's move on the code, or kNoState.
  std::uint32_t Move(std::uint32_t state, TRECode code) const {
    if (!table_.empty()) {
      const std::uint16_t target = table_[state * classCount_ + ClassOf(code)];
      return target == kNoTableTarget ? kNoState : target;
    }
    return MoveBySearch(state, code);
  }
  bool IsAccepting(std::uint32_t state) const { return accepting_[state] != 0; }

  std::size_t StateCount() const { return transitions_.size(); }
  const std::vector<TREDfaTransition>& Transitions(std::uint32_t state) const {
    return transitions_[state];
  }
  bool LineStartAnchored() const { return lineStartAnchored_; }
  bool LineEndAnchored() const { return lineEndAnchored_; }
  TRECode LineStartCode() const { return lineStartCode_; }
  TRECode LineEndCode() const { return lineEndCode_; }
  // Whether moves are looked up in the table rather than searched.
  bool HasMoveTable() const { return !table_.empty(); }
  const TREStartFilter& StartFilter() const { return startFilter_; }

private:
  static constexpr std::uint16_t kNoTableTarget = 0xFFFF;

  std::uint32_t MoveBySearch(std::uint32_t state, TRECode code) const;
  std::uint16_t ClassOf(TRECode code) const {
    return classRows_[classRowStart_[code >> 8] + (code & 0xFF)];
  }
  void BuildMoveTable(std::size_t maxCells);
  void BuildClassRows(const std::vector<std::uint32_t>& cuts);
  void BuildStartFilter();
  std::string LiteralPrefix() const;

  std::vector<std::vector<TREDfaTransition>> transitions_;
  std::vector<std::uint8_t> accepting_;
  // Code classes in two levels: the row for a code's high byte, then its low byte in the row.
  // High bytes whose 256 codes all fall in one class share one row per class.
  std::array<std::uint32_t, 256> classRowStart_{};
  std::vector<std::uint16_t> classRows_;
  std::size_t classCount_ = 0;
  std::vector<std::uint16_t> table_; // state * classCount_ + class -> target
  TREStartFilter startFilter_;
  bool lineStartAnchored_ = false;
  bool lineEndAnchored_ = false;
  TRECode lineStartCode_ = kLineStartCode;
  TRECode lineEndCode_ = kLineEndCode;
};

} // namespace zorbe
