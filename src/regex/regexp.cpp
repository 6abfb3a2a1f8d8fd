// Compilation of one pattern: parser, NFA and DFA, in that order.

#include "regex/regexp.h"

#include "regex/parser.h"

namespace zorbe {

std::unique_ptr<TRE_DFA> CompileRegExp(std::string_view expandedPattern,
                                       const TRECompileBudget& budget, TRECode lineStartCode,
                                       TRECode lineEndCode) {
  TREParser parser(expandedPattern);
  parser.Run(budget.maxDisjoinSteps);
  TRE_NFA nfa(parser.Tree(), lineEndCode, lineStartCode);
  nfa.Build(budget.maxNfaStates);
  auto dfa = std::make_unique<TRE_DFA>();
  dfa->Build(nfa, budget.dfa);
  return dfa;
}

} // namespace zorbe
