// Subset construction, the move table and the start filter of TRE_DFA.
//
// States are processed in creation order. For each one, the labelled moves of its NFA states
// are cut into disjoint ranges (TRangeGroup), each range's targets are closed under empty moves,
// and the closed set is looked up in a hash map so that equal sets share one state. Sets are
// sorted vectors of NFA state numbers; they are only needed while building.

#include "regex/dfa.h"

#include "regex/regexp_error.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <unordered_map>

namespace zorbe {
namespace {

using TStateSet = std::vector<std::uint32_t>;

struct TStateSetHash {
  std::size_t operator()(const TStateSet& set) const {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const std::uint32_t state : set) {
      hash = (hash ^ state) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
  }
};

struct TRangeGroup {
  TRECode start;
  TRECode end;
  TStateSet targets;
};

[[noreturn]] void ThrowTooComplex() {
  throw ERegExpParser(re_message::kTooComplex, 0);
}

bool LessByLabel(const TRENfaMove& a, const TRENfaMove& b) {
  if (a.label.start != b.label.start) {
    return a.label.start < b.label.start;
  }
  return a.label.end < b.label.end;
}

// Moves sorted by label; no two different labels overlap. Equal labels form one group.
std::vector<TRangeGroup> GroupByLabel(const std::vector<TRENfaMove>& moves) {
  std::vector<TRangeGroup> groups;
  for (const TRENfaMove& move : moves) {
    if (groups.empty() || groups.back().start != move.label.start ||
        groups.back().end != move.label.end) {
      groups.push_back({move.label.start, move.label.end, {}});
    }
    groups.back().targets.push_back(move.target);
  }
  return groups;
}

// Moves sorted by label, some overlapping: cut the code space at every label's start and after
// every label's end; each piece that some label covers leads to the targets of all such labels.
std::vector<TRangeGroup> GroupByPiece(const std::vector<TRENfaMove>& moves) {
  std::vector<std::uint32_t> cuts;
  for (const TRENfaMove& move : moves) {
    cuts.push_back(move.label.start);
    cuts.push_back(static_cast<std::uint32_t>(move.label.end) + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::vector<TRangeGroup> groups;
  std::vector<const TRENfaMove*> active;
  std::size_t next = 0;
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const std::uint32_t low = cuts[k];
    while (next < moves.size() && moves[next].label.start <= low) {
      active.push_back(&moves[next++]);
    }
    std::erase_if(active, [low](const TRENfaMove* move) { return move->label.end < low; });
    if (active.empty()) {
      continue;
    }
    TRangeGroup group{static_cast<TRECode>(low), static_cast<TRECode>(cuts[k + 1] - 1), {}};
    for (const TRENfaMove* move : active) {
      group.targets.push_back(move->target);
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

bool LabelsOverlap(const std::vector<TRENfaMove>& sortedMoves) {
  for (std::size_t i = 1; i < sortedMoves.size(); ++i) {
    const TRELabel& previous = sortedMoves[i - 1].label;
    if (sortedMoves[i].label != previous && sortedMoves[i].label.start <= previous.end) {
      return true;
    }
  }
  return false;
}

class TSubsetBuilder {
public:
  TSubsetBuilder(const TRE_NFA& nfa, const TREDfaBudget& budget)
      : nfa_(nfa), budget_(budget), visited_(nfa.StateCount(), 0) {}

  void Run(std::vector<std::vector<TREDfaTransition>>& transitions,
           std::vector<std::uint8_t>& accepting) {
    Register({TRE_NFA::kInitialState}, accepting);
    for (std::size_t state = 0; state < sets_.size(); ++state) {
      transitions.emplace_back();
      for (TRangeGroup& group : Groups(*sets_[state])) {
        const std::uint32_t target = Register(std::move(group.targets), accepting);
        transitions[state].push_back({group.start, group.end, target});
        if (++transitionCount_ > budget_.maxTransitions) {
          ThrowTooComplex();
        }
      }
    }
  }

private:
  std::vector<TRangeGroup> Groups(const TStateSet& set) const {
    std::vector<TRENfaMove> moves;
    for (const std::uint32_t state : set) {
      for (const TRENfaMove& move : nfa_.Moves(state)) {
        if (!move.label.IsEmpty()) {
          moves.push_back(move);
        }
      }
    }
    std::sort(moves.begin(), moves.end(), LessByLabel);
    return LabelsOverlap(moves) ? GroupByPiece(moves) : GroupByLabel(moves);
  }

  // The closure of the states under empty moves, sorted.
  TStateSet Close(TStateSet states) {
    ++epoch_;
    TStateSet closed;
    while (!states.empty()) {
      const std::uint32_t state = states.back();
      states.pop_back();
      if (visited_[state] == epoch_) {
        continue;
      }
      visited_[state] = epoch_;
      closed.push_back(state);
      for (const TRENfaMove& move : nfa_.Moves(state)) {
        if (move.label.IsEmpty() && visited_[move.target] != epoch_) {
          states.push_back(move.target);
        }
      }
    }
    std::sort(closed.begin(), closed.end());
    return closed;
  }

  std::uint32_t Register(TStateSet targets, std::vector<std::uint8_t>& accepting) {
    TStateSet set = Close(std::move(targets));
    const auto found = ids_.find(set);
    if (found != ids_.end()) {
      return found->second;
    }
    if (sets_.size() >= budget_.maxStates) {
      ThrowTooComplex();
    }
    setElements_ += set.size();
    if (setElements_ > budget_.maxSetElements) {
      ThrowTooComplex();
    }
    const auto id = static_cast<std::uint32_t>(sets_.size());
    accepting.push_back(std::binary_search(set.begin(), set.end(), TRE_NFA::kFinalState) ? 1 : 0);
    const auto inserted = ids_.emplace(std::move(set), id).first;
    sets_.push_back(&inserted->first);
    return id;
  }

  const TRE_NFA& nfa_;
  const TREDfaBudget& budget_;
  std::unordered_map<TStateSet, std::uint32_t, TStateSetHash> ids_;
  std::vector<const TStateSet*> sets_; // by state number; keys of ids_ (stable addresses)
  std::vector<std::uint32_t> visited_;
  std::uint32_t epoch_ = 0;
  std::size_t setElements_ = 0;
  std::size_t transitionCount_ = 0;
};

// A code that reads back from text as itself: a non-lead byte, or a lead and a non-NUL trail.
bool IsTextCode(TRECode code) {
  if (code < 0x100) {
    return code != 0 && !IsLeadByte(static_cast<unsigned char>(code));
  }
  return IsLeadByte(static_cast<unsigned char>(code >> 8)) && (code & 0xFF) != 0;
}

} // namespace

void TRE_DFA::Build(const TRE_NFA& nfa, const TREDfaBudget& budget) {
  transitions_.clear();
  accepting_.clear();
  table_.clear();
  classRows_.clear();
  lineStartAnchored_ = nfa.LineStartAnchored();
  lineEndAnchored_ = nfa.LineEndAnchored();
  lineStartCode_ = nfa.LineStartCode();
  lineEndCode_ = nfa.LineEndCode();
  TSubsetBuilder(nfa, budget).Run(transitions_, accepting_);
  BuildMoveTable(budget.maxTableCells);
  BuildStartFilter();
}

std::uint32_t TRE_DFA::MoveBySearch(std::uint32_t state, TRECode code) const {
  const std::vector<TREDfaTransition>& moves = transitions_[state];
  const auto after = std::upper_bound(
      moves.begin(), moves.end(), code,
      [](TRECode c, const TREDfaTransition& transition) { return c < transition.start; });
  if (after == moves.begin()) {
    return kNoState;
  }
  const TREDfaTransition& candidate = *(after - 1);
  return code <= candidate.end ? candidate.target : kNoState;
}

// Codes fall into classes that no transition of any state cuts; the table then has one row of
// classes per state.
void TRE_DFA::BuildMoveTable(std::size_t maxCells) {
  std::vector<std::uint32_t> cuts{0, 0x10000};
  for (const auto& moves : transitions_) {
    for (const TREDfaTransition& transition : moves) {
      cuts.push_back(transition.start);
      cuts.push_back(static_cast<std::uint32_t>(transition.end) + 1);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  const std::size_t classes = cuts.size() - 1;
  if (classes >= kNoTableTarget || transitions_.size() >= kNoTableTarget ||
      classes * transitions_.size() > maxCells) {
    return;
  }
  classCount_ = classes;
  BuildClassRows(cuts);
  table_.assign(classes * transitions_.size(), kNoTableTarget);
  for (std::size_t state = 0; state < transitions_.size(); ++state) {
    for (const TREDfaTransition& transition : transitions_[state]) {
      for (std::size_t c = ClassOf(transition.start); c <= ClassOf(transition.end); ++c) {
        table_[state * classes + c] = static_cast<std::uint16_t>(transition.target);
      }
    }
  }
}

// cuts: the sorted starts of the classes, then 0x10000.
void TRE_DFA::BuildClassRows(const std::vector<std::uint32_t>& cuts) {
  std::vector<std::uint32_t> uniformRow(cuts.size(), kNoState);
  for (std::uint32_t high = 0; high < 256; ++high) {
    const std::uint32_t first = high << 8;
    auto cls = static_cast<std::size_t>(std::upper_bound(cuts.begin(), cuts.end(), first) -
                                        cuts.begin() - 1);
    if (cuts[cls + 1] > first + 255 && uniformRow[cls] != kNoState) {
      classRowStart_[high] = uniformRow[cls];
      continue;
    }
    const auto row = static_cast<std::uint32_t>(classRows_.size());
    if (cuts[cls + 1] > first + 255) {
      uniformRow[cls] = row;
    }
    classRowStart_[high] = row;
    for (std::uint32_t code = first; code < first + 256; ++code) {
      cls += code == cuts[cls + 1] ? 1 : 0;
      classRows_.push_back(static_cast<std::uint16_t>(cls));
    }
  }
}

void TRE_DFA::BuildStartFilter() {
  if (IsAccepting(kInitialState)) {
    startFilter_.AcceptEveryPosition();
    return;
  }
  std::vector<std::pair<TRECode, TRECode>> codes;
  bool lineEndMove = false;
  for (const TREDfaTransition& transition : Transitions(kInitialState)) {
    lineEndMove =
        lineEndMove || (transition.start <= lineEndCode_ && lineEndCode_ <= transition.end);
    const TRECode end = std::min(transition.end, kMaxCharacterCode);
    if (transition.start <= end) {
      codes.emplace_back(transition.start, end);
    }
  }
  if (lineStartAnchored_) {
    codes.emplace_back('\n', '\n');
  }
  if (lineEndMove) {
    codes.emplace_back('\n', '\n');
    codes.emplace_back('\r', '\r');
  }
  startFilter_.SetStartCodes(codes);
  if (!lineStartAnchored_ && !lineEndMove) {
    startFilter_.SetPrefix(LiteralPrefix());
  }
}

// The bytes every match begins with: followed from the initial state while a state does not
// accept and has one move, on one code that reads back from text as itself.
std::string TRE_DFA::LiteralPrefix() const {
  std::string prefix;
  std::uint32_t state = kInitialState;
  while (!IsAccepting(state) && transitions_[state].size() == 1 && prefix.size() < 255) {
    const TREDfaTransition& only = transitions_[state].front();
    if (only.start != only.end || !IsTextCode(only.start)) {
      break;
    }
    prefix += CodeToText(only.start);
    state = only.target;
  }
  return prefix;
}

} // namespace zorbe
