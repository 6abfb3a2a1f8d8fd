// Compaction of the NFA, the start sets, the code classes and the start filter of TRE_DFA, and
// the set steps that the matcher's lazily built states are made of.

#include "regex/dfa.h"

#include "text/internal_char.h"
#include "text/shift_jis.h"

#include <algorithm>

namespace zorbe {
namespace {

bool LessByLabel(const TRE_DFA::TMove& a, const TRE_DFA::TMove& b) {
  if (a.start != b.start) {
    return a.start < b.start;
  }
  return a.end < b.end;
}

// A code that reads back from text as itself whatever follows it: a byte that is neither a
// lead byte nor 0xFD-0xFF, a lead and a trail below 0xFD, either with a mark, or an escape.
bool IsTextCode(TRECode code) {
  if (code >= kEscapeCodeBase) {
    return code - (code >= kMarkedEscapeCodeBase ? kMarkedEscapeCodeBase : kEscapeCodeBase) <=
           0x10FFFF;
  }
  if (code >= kMarkedCodeBase) {
    code -= kMarkedCodeBase;
  }
  if (code < 0x100) {
    return code != 0 && code < kEscapeLead && !IsLeadByte(static_cast<unsigned char>(code));
  }
  const unsigned trail = code & 0xFF;
  return code < kMarkedCodeBase && IsLeadByte(static_cast<unsigned char>(code >> 8)) &&
         trail != 0 && trail < kEscapeLead;
}

// Sorts each state's moves by label and notes the states whose labels overlap.
void SortByLabel(TRE_DFA::TMoveLists& lists) {
  const std::size_t count = lists.first.size() - 1;
  lists.overlapping.assign(count, 0);
  for (std::uint32_t state = 0; state < count; ++state) {
    const auto first = lists.moves.begin() + lists.first[state];
    const auto last = lists.moves.begin() + lists.first[state + 1];
    std::stable_sort(first, last, LessByLabel);
    for (auto it = first; it != last && it + 1 != last; ++it) {
      const TRE_DFA::TMove& next = *(it + 1);
      if ((next.start != it->start || next.end != it->end) && next.start <= it->end) {
        lists.overlapping[state] = 1;
      }
    }
  }
}

constexpr std::uint32_t kNotIndexed = 0xFFFFFFFF;

// Calls add(move) for each of the state's moves whose label holds the code (of class cls).
template <class TAdd>
void ForMovesOn(const TRE_DFA::TMoveLists& lists, std::uint32_t state, TRECode code,
                std::uint32_t cls, TAdd&& add) {
  const TRE_DFA::TMoves moves = lists.Of(state);
  if (lists.indexOf[state] != kNotIndexed) {
    const std::uint32_t* entry = lists.index.data() + lists.indexOf[state] + 2 * cls;
    const TRE_DFA::TMove* first = lists.moves.data() + entry[0];
    for (const TRE_DFA::TMove* move = first; move != first + entry[1]; ++move) {
      add(*move);
    }
    return;
  }
  const TRE_DFA::TMove* it = moves.begin;
  if (lists.overlapping[state] == 0) {
    // Disjoint or equal labels: the ones that hold the code are the run of equal labels right
    // before the first label starting above it.
    it = std::upper_bound(moves.begin, moves.end, code,
                          [](TRECode c, const TRE_DFA::TMove& move) { return c < move.start; });
    if (it == moves.begin || code > (it - 1)->end) {
      return;
    }
    const TRE_DFA::TMove& hit = *(it - 1);
    for (it = it - 1; it != moves.begin && (it - 1)->start == hit.start; --it) {
    }
  }
  for (; it != moves.end && it->start <= code; ++it) {
    if (code <= it->end) {
      add(*it);
    }
  }
}

// Fills starts (one more entry than there are states) from per-state counts.
void Offsets(const std::vector<std::uint32_t>& counts, std::vector<std::uint32_t>& starts) {
  starts.assign(counts.size() + 1, 0);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    starts[i + 1] = starts[i] + counts[i];
  }
}

} // namespace

void TRE_DFA::Build(const TRE_NFA& nfa, const TREDfaBudget& budget) {
  budget_ = budget;
  lineStartAnchored_ = nfa.LineStartAnchored();
  lineEndAnchored_ = nfa.LineEndAnchored();
  lineStartCode_ = nfa.LineStartCode();
  lineEndCode_ = nfa.LineEndCode();
  Compact(nfa);
  BuildClasses();
  BuildMoveIndex(leaving_);
  BuildMoveIndex(entering_);
  BuildStarts();
  BuildStartFilter();
}

void TRE_DFA::Compact(const TRE_NFA& nfa) {
  const std::size_t count = nfa.StateCount();
  std::vector<std::uint32_t> labelled(count, 0);
  std::vector<std::uint32_t> entering(count, 0);
  std::vector<std::uint32_t> empty(count, 0);
  std::vector<std::uint32_t> emptySources(count, 0);
  for (std::uint32_t state = 0; state < count; ++state) {
    for (const TRENfaMove& move : nfa.Moves(state)) {
      if (move.label.IsEmpty()) {
        ++empty[state];
        ++emptySources[move.target];
      } else {
        ++labelled[state];
        ++entering[move.target];
      }
    }
  }
  Offsets(labelled, leaving_.first);
  Offsets(entering, entering_.first);
  Offsets(empty, emptyStart_);
  Offsets(emptySources, emptySourcesStart_);
  leaving_.moves.resize(leaving_.first.back());
  entering_.moves.resize(entering_.first.back());
  emptyTargets_.resize(emptyStart_.back());
  emptySources_.resize(emptySourcesStart_.back());
  lineEndMove_.assign(count, 0);
  std::vector<std::uint32_t> fill[4] = {leaving_.first, entering_.first, emptyStart_,
                                        emptySourcesStart_};
  // Moves are kept in creation order (the NFA lists them that way), so that sets come out in a
  // stable order.
  for (std::uint32_t state = 0; state < count; ++state) {
    for (const TRENfaMove& move : nfa.Moves(state)) {
      if (move.label.IsEmpty()) {
        emptyTargets_[fill[2][state]++] = move.target;
        emptySources_[fill[3][move.target]++] = state;
        continue;
      }
      leaving_.moves[fill[0][state]++] = {move.label.start, move.label.end, move.target};
      entering_.moves[fill[1][move.target]++] = {move.label.start, move.label.end, state};
      if (move.label.start == lineEndCode_ && move.label.end == lineEndCode_ &&
          nfa.LineEndAnchored()) {
        lineEndMove_[state] = 1;
      }
    }
  }
  lineEndStates_.clear();
  for (std::uint32_t state = 0; state < count; ++state) {
    if (lineEndMove_[state] != 0) {
      lineEndStates_.push_back(state);
    }
  }
  SortByLabel(leaving_);
  SortByLabel(entering_);
}

void TRE_DFA::Close(std::uint32_t state, std::vector<std::uint8_t>& seen,
                    std::vector<std::uint32_t>& out, bool backward) const {
  if (seen[state] != 0) {
    return;
  }
  const std::size_t first = out.size();
  seen[state] = 1;
  out.push_back(state);
  for (std::size_t i = first; i < out.size(); ++i) {
    const std::uint32_t from = out[i];
    const std::uint32_t* end = backward ? EmptySourcesEnd(from) : EmptyEnd(from);
    for (const std::uint32_t* t = backward ? EmptySourcesBegin(from) : EmptyBegin(from); t != end;
         ++t) {
      if (seen[*t] == 0) {
        seen[*t] = 1;
        out.push_back(*t);
      }
    }
  }
}

// States with at least kIndexedMoves moves get a move index, within kMaxIndexWords in all.
constexpr std::size_t kIndexedMoves = 64;
constexpr std::size_t kMaxIndexWords = 4u << 20;

void TRE_DFA::BuildMoveIndex(TMoveLists& lists) const {
  lists.indexOf.assign(NfaStateCount(), kNotIndexed);
  lists.index.clear();
  for (std::uint32_t state = 0; state < NfaStateCount(); ++state) {
    const TMoves moves = lists.Of(state);
    if (static_cast<std::size_t>(moves.end - moves.begin) < kIndexedMoves ||
        lists.overlapping[state] != 0 || lists.index.size() + 2 * classCount_ > kMaxIndexWords) {
      continue;
    }
    lists.indexOf[state] = static_cast<std::uint32_t>(lists.index.size());
    lists.index.resize(lists.index.size() + 2 * classCount_, 0);
    std::uint32_t* index = lists.index.data() + lists.indexOf[state];
    for (const TMove* it = moves.begin; it != moves.end;) {
      const TMove* run = it;
      while (it != moves.end && it->start == run->start && it->end == run->end) {
        ++it;
      }
      // Classes never straddle a label: the run's label is a whole number of classes.
      for (std::uint32_t c = ClassOf(run->start); c <= ClassOf(run->end); ++c) {
        index[2 * c] = static_cast<std::uint32_t>(run - lists.moves.data());
        index[2 * c + 1] = static_cast<std::uint32_t>(it - run);
      }
    }
  }
}

void TRE_DFA::Step(const std::vector<std::uint32_t>& set, TRECode code,
                   std::vector<std::uint8_t>& seen, std::vector<std::uint32_t>& out) const {
  const std::uint32_t cls = ClassOf(code);
  for (const std::uint32_t state : set) {
    ForMovesOn(leaving_, state, code, cls,
               [&](const TMove& move) { Close(move.state, seen, out); });
  }
}

void TRE_DFA::StepBack(const std::vector<std::uint32_t>& set, TRECode code,
                       std::vector<std::uint8_t>& seen, std::vector<std::uint32_t>& out) const {
  const std::uint32_t cls = ClassOf(code);
  for (const std::uint32_t state : set) {
    ForMovesOn(entering_, state, code, cls,
               [&](const TMove& move) { Close(move.state, seen, out, true); });
  }
}

void TRE_DFA::BuildStarts() {
  std::vector<std::uint8_t> seen(NfaStateCount(), 0);
  plainStart_.clear();
  Close(kInitialNfaState, seen, plainStart_);
  std::vector<std::uint32_t> anchored;
  Step(plainStart_, lineStartCode_, seen, anchored);
  lineStart_ = plainStart_;
  lineStart_.insert(lineStart_.end(), anchored.begin(), anchored.end());
  std::sort(plainStart_.begin(), plainStart_.end());
  std::sort(lineStart_.begin(), lineStart_.end());
  startMembership_.assign(NfaStateCount(), 0);
  for (const std::uint32_t state : plainStart_) {
    startMembership_[state] |= 1;
  }
  for (const std::uint32_t state : lineStart_) {
    startMembership_[state] |= 2;
  }
  acceptsEmpty_ = InPlainStart(kFinalNfaState);
  startLineEndMove_ = std::any_of(plainStart_.begin(), plainStart_.end(),
                                  [this](std::uint32_t s) { return HasLineEndMove(s); });
}

// Codes fall into classes that no label cuts; NUL, LF and CR have classes of their own, since
// the matcher treats them apart (the end of the text and the line ends).
void TRE_DFA::BuildClasses() {
  std::vector<std::uint64_t> cuts{0, 1, '\n', '\n' + 1, '\r', '\r' + 1, kMarkedCodeBase};
  for (const TMove& move : leaving_.moves) {
    cuts.push_back(move.start);
    cuts.push_back(static_cast<std::uint64_t>(move.end) + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  // Each cut starts a class; the last one runs on to the highest code.
  classCount_ = cuts.size();
  const auto high = std::lower_bound(cuts.begin(), cuts.end(), kMarkedCodeBase);
  highFirstClass_ = static_cast<std::uint32_t>(high - cuts.begin());
  highCuts_.assign(high, cuts.end());
  classRows_.clear();
  std::vector<std::uint32_t> uniformRow(cuts.size(), 0xFFFFFFFF);
  for (std::uint32_t highByte = 0; highByte < 256; ++highByte) {
    const std::uint32_t first = highByte << 8;
    auto cls = static_cast<std::size_t>(std::upper_bound(cuts.begin(), cuts.end(), first) -
                                        cuts.begin() - 1);
    const bool uniform = cuts[cls + 1] > first + 255;
    if (uniform && uniformRow[cls] != 0xFFFFFFFF) {
      classRowStart_[highByte] = uniformRow[cls];
      continue;
    }
    const auto row = static_cast<std::uint32_t>(classRows_.size());
    if (uniform) {
      uniformRow[cls] = row;
    }
    classRowStart_[highByte] = row;
    for (std::uint32_t code = first; code < first + 256; ++code) {
      cls += code == cuts[cls + 1] ? 1 : 0;
      classRows_.push_back(static_cast<std::uint32_t>(cls));
    }
  }
}

std::uint32_t TRE_DFA::HighClassOf(TRECode code) const {
  const auto after = std::upper_bound(highCuts_.begin(), highCuts_.end(), code);
  return highFirstClass_ + static_cast<std::uint32_t>(after - highCuts_.begin()) - 1;
}

void TRE_DFA::BuildStartFilter() {
  startFilter_ = TREStartFilter();
  if (acceptsEmpty_) {
    startFilter_.AcceptEveryPosition();
    return;
  }
  std::vector<std::pair<TRECode, TRECode>> codes;
  for (const std::uint32_t state : plainStart_) {
    const TMoves moves = Labelled(state);
    for (const TMove* it = moves.begin; it != moves.end; ++it) {
      // The anchors' moves are on codes no text has.
      if (it->start != lineStartCode_ && it->start != lineEndCode_) {
        codes.emplace_back(it->start, it->end);
      }
    }
  }
  if (lineStartAnchored_) {
    codes.emplace_back('\n', '\n');
  }
  if (startLineEndMove_) {
    codes.emplace_back('\n', '\n');
    codes.emplace_back('\r', '\r');
  }
  startFilter_.SetStartCodes(codes);
  if (!lineStartAnchored_ && !startLineEndMove_) {
    startFilter_.SetPrefix(LiteralPrefix());
  }
}

// The bytes every match begins with: followed from the start while the set does not accept,
// has no `$` move and all its moves are on one code that reads back from text as itself.
std::string TRE_DFA::LiteralPrefix() const {
  std::string prefix;
  std::vector<std::uint32_t> set = plainStart_;
  std::vector<std::uint8_t> seen(NfaStateCount(), 0);
  while (prefix.size() < 255) {
    bool single = true;
    bool any = false;
    TRECode code = 0;
    for (const std::uint32_t state : set) {
      if (state == kFinalNfaState || HasLineEndMove(state)) {
        return prefix;
      }
      const TMoves moves = Labelled(state);
      for (const TMove* it = moves.begin; it != moves.end; ++it) {
        single = single && it->start == it->end && (!any || it->start == code);
        code = it->start;
        any = true;
      }
    }
    if (!any || !single || !IsTextCode(code)) {
      return prefix;
    }
    prefix += CodeToText(code);
    std::vector<std::uint32_t> next;
    Step(set, code, seen, next);
    for (const std::uint32_t state : next) {
      seen[state] = 0;
    }
    set.swap(next);
  }
  return prefix;
}

} // namespace zorbe
