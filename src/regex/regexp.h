#pragma once
// The public entry of the regular-expression engine: compile an expanded pattern once, then
// search texts with TREMatcher.
//
//   std::unique_ptr<TRE_DFA> dfa = CompileRegExp(pattern);  // may throw ERegExpParser
//   TREMatcher matcher(*dfa, mcls_CRLF);
//   auto first = matcher.SearchAtLineStart(text, 0);        // leftmost-longest, or nullopt
//   matcher.ForEachMatch(text, [&](const TREMatch& m) { ... });  // every match, replace-all order
//
// A replace-all that builds its own loop goes on from matcher.AfterMatch(text, match) with
// SearchAtLineStart when the byte before that position is an LF and SearchFrom otherwise, and
// stops at the end of the text (its size or its first NUL byte).
//
// Patterns and texts are of the internal form, CP932 bytes with escapes and alternate marks (a
// double-byte character, an escape or a character with its mark is one code: pattern_text.h),
// and patterns follow the syntax that
// TREScanner and TREParser describe: literals, escapes, `.`, classes `[...]` and `[^...]`,
// groups, `|`, postfix `*`, `+`, `?`, and the line anchors `^` (only at the very start of an
// alternative of the whole pattern) and `$` (only at its very end); elsewhere they are literal.
// The compiled automaton is immutable; a TAWKStr-style owner caches it by expanded pattern.

#include "regex/dfa.h"
#include "regex/matcher.h"
#include "regex/regexp_error.h"

#include <memory>
#include <string_view>

namespace zorbe {

struct TRECompileBudget {
  std::size_t maxNfaStates = TRE_NFA::kDefaultMaxStates;
  std::size_t maxDisjoinSteps = TREParseTree::kDefaultDisjoinSteps;
  TREDfaBudget dfa;
};

// Parses the pattern, builds its NFA and from it the compiled automaton, whose deterministic
// states each matcher makes as its texts need them; the parser and the NFA are freed on every
// path. Raises ERegExpParser with the syntax error's message and position, or
// "正規表現が複雑すぎます。" (position 0) when the NFA would exceed maxNfaStates (a pattern
// whose size blows up, like forty nested `+`; a list of 100,000 words with look-alikes stays far
// below) or disjoining its ranges would take more than maxDisjoinSteps. The line-start and
// line-end codes become the labels of the anchor moves.
std::unique_ptr<TRE_DFA> CompileRegExp(std::string_view expandedPattern,
                                       const TRECompileBudget& budget = {},
                                       TRECode lineStartCode = kLineStartCode,
                                       TRECode lineEndCode = kLineEndCode);

} // namespace zorbe
