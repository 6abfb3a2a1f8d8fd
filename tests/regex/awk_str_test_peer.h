#pragma once
// What tests look at inside a TAWKStr: the pattern cache, the current automaton and the chosen
// search. Not for the program's own code.

#include "regex/regular_expression.h"

namespace zorbe {

class TAWKStrTestPeer {
public:
  explicit TAWKStrTestPeer(TAWKStr& engine) : engine_(engine) {}

  // The cache, entry by entry: the expanded patterns, and which one is current.
  std::size_t CacheSize() const { return engine_.cache_.size(); }
  const std::string& CachedPattern(std::size_t index) const {
    return engine_.cache_[index].pattern;
  }
  std::size_t CurrentIndex() const { return engine_.current_; }
  const TRE_DFA& Automaton() const { return engine_.Automaton(); }
  bool AnchoredSearchSelected() const { return engine_.anchoredSearch_; }
  // The search operations over the current pattern, as ReplaceAll makes them.
  TREMatcher Matcher() const { return TREMatcher(engine_.Automaton(), engine_.lineSeparator_); }
  std::size_t SynonymDicCount() const { return engine_.preProcessor_.SynonymDics().size(); }
  std::size_t FuzzyCharDicCount() const { return engine_.preProcessor_.FuzzyCharDics().size(); }
  // Limits for the automata compiled from now on.
  void SetCompileBudget(const TRECompileBudget& budget) { engine_.budget_ = budget; }

private:
  TAWKStr& engine_;
};

} // namespace zorbe
