#pragma once
// TRE_DFA: the compiled form of a pattern, from which TREMatcher builds deterministic states
// lazily, only for the texts it meets.
//
// The compiled form keeps the NFA in compact arrays (each state's labelled moves sorted by
// label, its empty moves, and the same moves reversed for the backward scan that finds where a
// match starts), a map from character codes to classes (codes that no label tells apart share a
// class, so a deterministic state needs one transition per class), the two start sets (the
// closure of the initial state, and the same with the moves of a `^` anchor taken: the start
// at a line start) and the start filter. Deterministic states are subsets of NFA states; they
// are made while matching and kept in a cache of bounded size that is emptied and refilled when
// full, so a pattern whose complete automaton would be huge (a word list, `(a|b)*a(a|b)(a|b)...`)
// costs memory only for the states a text reaches. Only the NFA itself has a size limit.
//
// Ranges of the syntax tree are disjoint, so the labels leaving one NFA state are disjoint or
// equal; only a literal `^` or `$` can overlap a range, and such states are scanned move by move.
// The line-start and line-end labels (0xFFFD, 0xFFFE) are never read from text and no range
// holds them: they are the anchors' moves. The object is immutable after Build and may be shared by
// any number of matchers and threads.

#include "regex/nfa.h"
#include "regex/start_filter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbe {

struct TREDfaBudget {
  // Memory for the deterministic states one matcher keeps per direction of search; when full,
  // the cache is emptied and the search goes on. A few states always fit.
  std::size_t maxCacheBytes = 32u << 20;
  // Up to this many code classes each state has a row of transitions; with more (a long word
  // list has thousands) the transitions are kept in one hash table, since a state meets only a
  // few classes.
  std::size_t maxRowClasses = 256;
  // How many characters a forward scan walks between two checkpoints that a later scan over the
  // same text may meet (see TREMatcher).
  std::size_t checkpointSteps = 256;
};

class TRE_DFA {
public:
  static constexpr std::uint32_t kInitialNfaState = TRE_NFA::kInitialState;
  static constexpr std::uint32_t kFinalNfaState = TRE_NFA::kFinalState;

  // Compacts the NFA and prepares the start sets, the classes and the start filter.
  void Build(const TRE_NFA& nfa, const TREDfaBudget& budget = {});

  struct TMove {
    TRECode start;
    TRECode end;
    std::uint32_t state; // the target, or for a reversed move its source
  };
  struct TMoves {
    const TMove* begin;
    const TMove* end;
  };
  // Labelled moves by state, sorted by label: those leaving each state (with their targets) or
  // those entering it (with their sources).
  struct TMoveLists {
    std::vector<std::uint32_t> first; // per state, and one more: where its moves begin
    std::vector<TMove> moves;
    // Whether a state's labels overlap (a literal `^` or `$` inside a range), so that a lookup
    // must scan them all.
    std::vector<std::uint8_t> overlapping;
    // For states with many moves (the start of a long alternation, the final state of one): per
    // class, the first of the moves whose label holds it and how many there are, at
    // index[indexOf[state] + 2 * class].
    std::vector<std::uint32_t> indexOf;
    std::vector<std::uint32_t> index;

    TMoves Of(std::uint32_t state) const {
      return {moves.data() + first[state], moves.data() + first[state + 1]};
    }
  };
  std::size_t NfaStateCount() const { return leaving_.first.size() - 1; }
  TMoves Labelled(std::uint32_t state) const { return leaving_.Of(state); }
  const std::uint32_t* EmptyBegin(std::uint32_t state) const {
    return emptyTargets_.data() + emptyStart_[state];
  }
  const std::uint32_t* EmptyEnd(std::uint32_t state) const {
    return emptyTargets_.data() + emptyStart_[state + 1];
  }
  const std::uint32_t* EmptySourcesBegin(std::uint32_t state) const {
    return emptySources_.data() + emptySourcesStart_[state];
  }
  const std::uint32_t* EmptySourcesEnd(std::uint32_t state) const {
    return emptySources_.data() + emptySourcesStart_[state + 1];
  }
  // Whether the state has a `$` move (to the final state on the line-end code).
  bool HasLineEndMove(std::uint32_t state) const { return lineEndMove_[state] != 0; }
  const std::vector<std::uint32_t>& LineEndStates() const { return lineEndStates_; }

  // The closure of the initial state, and the start at a line start (the same with the `^`
  // moves taken); both sorted.
  const std::vector<std::uint32_t>& PlainStart() const { return plainStart_; }
  const std::vector<std::uint32_t>& LineStart() const { return lineStart_; }
  bool InPlainStart(std::uint32_t state) const { return (startMembership_[state] & 1) != 0; }
  bool InLineStart(std::uint32_t state) const { return (startMembership_[state] & 2) != 0; }
  // Whether the empty string matches at any position (the initial closure holds the final
  // state), and whether a `$` can end a match right where it starts.
  bool AcceptsEmpty() const { return acceptsEmpty_; }
  bool StartHasLineEndMove() const { return startLineEndMove_; }

  std::size_t ClassCount() const { return classCount_; }
  std::uint32_t ClassOf(TRECode code) const {
    if (code < kMarkedCodeBase) [[likely]] {
      return classRows_[classRowStart_[code >> 8] + (code & 0xFF)];
    }
    return HighClassOf(code);
  }

  bool LineStartAnchored() const { return lineStartAnchored_; }
  bool LineEndAnchored() const { return lineEndAnchored_; }
  TRECode LineStartCode() const { return lineStartCode_; }
  TRECode LineEndCode() const { return lineEndCode_; }
  const TREStartFilter& StartFilter() const { return startFilter_; }
  const TREDfaBudget& Budget() const { return budget_; }

  // The targets of the set's labelled moves on the code, closed under empty moves, in the
  // order found; states marked in `seen` are skipped and every state added is marked.
  void Step(const std::vector<std::uint32_t>& set, TRECode code, std::vector<std::uint8_t>& seen,
            std::vector<std::uint32_t>& out) const;
  // The states from which a labelled move on the code leads into the set, closed under
  // reversed empty moves; same marking.
  void StepBack(const std::vector<std::uint32_t>& set, TRECode code,
                std::vector<std::uint8_t>& seen, std::vector<std::uint32_t>& out) const;
  // Adds the state and everything its empty moves reach (`backward`: everything that reaches it
  // by empty moves).
  void Close(std::uint32_t state, std::vector<std::uint8_t>& seen, std::vector<std::uint32_t>& out,
             bool backward = false) const;

private:
  void Compact(const TRE_NFA& nfa);
  void BuildStarts();
  void BuildClasses();
  void BuildStartFilter();
  void BuildMoveIndex(TMoveLists& lists) const;
  std::string LiteralPrefix() const;

  TMoveLists leaving_;
  TMoveLists entering_;
  std::vector<std::uint32_t> emptyStart_;
  std::vector<std::uint32_t> emptyTargets_;
  std::vector<std::uint32_t> emptySourcesStart_;
  std::vector<std::uint32_t> emptySources_;
  std::vector<std::uint8_t> lineEndMove_;
  std::vector<std::uint32_t> lineEndStates_;
  std::vector<std::uint32_t> plainStart_;
  std::vector<std::uint32_t> lineStart_;
  std::vector<std::uint8_t> startMembership_;
  bool acceptsEmpty_ = false;
  bool startLineEndMove_ = false;
  std::uint32_t HighClassOf(TRECode code) const;

  // Code classes below 0x10000 in two levels: the row for a code's high byte, then its low byte
  // in the row. High bytes whose 256 codes all fall in one class share one row per class. Codes
  // from 0x10000 on (characters with a mark, escapes) are looked up among the cuts from
  // 0x10000 on: the first of them is the start of class highFirstClass_.
  std::array<std::uint32_t, 256> classRowStart_{};
  std::vector<std::uint32_t> classRows_;
  std::vector<TRECode> highCuts_;
  std::uint32_t highFirstClass_ = 0;
  std::size_t classCount_ = 0;
  TREStartFilter startFilter_;
  TREDfaBudget budget_;
  bool lineStartAnchored_ = false;
  bool lineEndAnchored_ = false;
  TRECode lineStartCode_ = kLineStartCode;
  TRECode lineEndCode_ = kLineEndCode;
};

} // namespace zorbe
