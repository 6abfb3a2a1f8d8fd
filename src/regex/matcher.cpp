// The searches: a forward scan that finds where the leftmost-longest match ends, then a
// backward scan that finds where it starts.
//
// Forward. A deterministic state is an ordered list of groups of NFA states, one group per
// start still alive, earlier starts first; an NFA state belongs only to the earliest group that
// reached it, since a later start in the same state can only repeat the earlier one's matches.
// At each position the scan adds a new start as the last group (at a line start the start with
// the `^` moves taken). When a group accepts, the match ends there for now; every later group,
// and every later start, is dropped, because the leftmost start that matches wins. Earlier
// groups stay, since they may still match and would win. The scan goes on until no group is
// left, and the last position where a group accepted is the end of the leftmost-longest match:
// after the winning start first accepts, only it and earlier starts (which never accept) are
// left. While the state holds only a fresh start at an ordinary position, the start filter
// skips the positions where no match can begin.
//
// Backward. The leftmost start of a match that ends at that end is the match's start (any
// earlier one would have been a leftmost match itself). The scan runs a reversed automaton from
// the end back towards the search position and notes every character boundary where the
// reversed set meets the start set; the last one noted is the start. The text is read
// backwards from the few bytes before each boundary and the parity of the run of lead-valued
// bytes before it, counted back to the search position (text_reading.h); each byte is counted
// once.
//
// States are made the first time a text needs them and kept in a TREStateCache; when it is
// emptied, the scan goes on from a state made anew, so memory stays bounded and the time stays
// linear in the text.
//
// Checkpoints. Finding the longest match may take a scan far past the match's end (`a(.|\n)*z|a`
// looks for a z to the end of the text after every a). While a replace-all goes through a text,
// each scan notes its state every few hundred characters; a later scan that meets a noted state
// at the same place would repeat the rest of that scan, so it takes that scan's end instead.

#include "regex/matcher.h"

#include "regex/state_cache.h"
#include "regex/text_reading.h"

#include <algorithm>

namespace zorbe {
namespace {

constexpr std::uint32_t kUnknown = TREStateCache::kUnknown;
constexpr std::uint32_t kDead = TREStateCache::kDead;
constexpr std::uint32_t kGroupEnd = 0xFFFFFFFF;

// Forward state flags: a group accepts here; a group accepts before a line end.
constexpr std::uint8_t kAccepting = 1;
constexpr std::uint8_t kAcceptingAtLineEnd = 2;
// Backward state flags: the set meets the start set, or the start set at a line start.
constexpr std::uint8_t kMeetsStart = 1;
constexpr std::uint8_t kMeetsLineStart = 2;

// The first word of a forward key.
constexpr std::uint32_t kRestarts = 1;
constexpr std::uint32_t kAnchors = 2;

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

bool AtEnd(std::string_view text, std::size_t pos) {
  return pos >= text.size() || text[pos] == 0;
}

std::size_t ReadCode(const unsigned char* text, std::size_t size, std::size_t pos, TRECode& code) {
  return re_text::ReadTextCode(text, size, pos, code);
}

using re_text::TBackReader;

} // namespace

TREMatcher::TREMatcher(const TRE_DFA& dfa, TMatchCORE_LineSeparator separator,
                       const std::atomic<bool>* cancel)
    : dfa_(dfa), separator_(separator), cancel_(cancel) {}

TREMatcher::~TREMatcher() = default;
TREMatcher::TREMatcher(TREMatcher&&) noexcept = default;

std::size_t TREMatcher::CacheResets() const {
  return (forward_ ? forward_->Generation() : 0) + (backward_ ? backward_->Generation() : 0);
}

void TREMatcher::CheckCancel() const {
  stepsUntilCheck_ = kCancelCheckSteps;
  if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
    throw EGrepCancel();
  }
}

void TREMatcher::MakeCaches() const {
  if (!forward_) {
    forward_ = std::make_unique<TREStateCache>(dfa_.ClassCount(), dfa_.Budget());
    backward_ = std::make_unique<TREStateCache>(dfa_.ClassCount(), dfa_.Budget());
    seen_.assign(dfa_.NfaStateCount(), 0);
  }
}

namespace {

// The flags of a forward key: whether some group holds the final state, and whether some group
// can end a match with `$`.
std::uint8_t ForwardFlags(const TRE_DFA& dfa, const std::vector<std::uint32_t>& key) {
  std::uint8_t flags = 0;
  for (std::size_t i = 1; i < key.size(); ++i) {
    if (key[i] == TRE_DFA::kFinalNfaState) {
      flags |= kAccepting;
    } else if (key[i] != kGroupEnd && (key[0] & kAnchors) != 0 && dfa.HasLineEndMove(key[i])) {
      flags |= kAcceptingAtLineEnd;
    }
  }
  return flags;
}

std::uint8_t BackwardFlags(const TRE_DFA& dfa, const std::vector<std::uint32_t>& key) {
  std::uint8_t flags = 0;
  for (const std::uint32_t state : key) {
    flags |= dfa.InPlainStart(state) ? kMeetsStart : 0;
    flags |= dfa.InLineStart(state) ? kMeetsLineStart : 0;
  }
  return flags;
}

} // namespace

// The state of a scan's first position, or of a fresh start at an ordinary position; kept by
// kind until the cache is emptied.
std::uint32_t TREMatcher::ForwardStart(TScan scan, bool lineStart) const {
  const std::size_t kind = (scan.restarts ? 4 : 0) | (scan.anchors ? 2 : 0) | (lineStart ? 1 : 0);
  if (forwardStarts_[kind].generation == forward_->Generation() + 1) {
    return forwardStarts_[kind].state;
  }
  key_.assign(1, (scan.restarts ? kRestarts : 0) | (scan.anchors ? kAnchors : 0));
  const std::vector<std::uint32_t>& start = lineStart ? dfa_.LineStart() : dfa_.PlainStart();
  key_.insert(key_.end(), start.begin(), start.end());
  key_.push_back(kGroupEnd);
  const std::uint32_t state = forward_->Intern(key_, ForwardFlags(dfa_, key_));
  forwardStarts_[kind] = {state, forward_->Generation() + 1};
  return state;
}

// The state after reading code in the state: groups after the first accepting one are dropped
// (and so are further starts), each group steps on the code, and a new start is added.
std::uint32_t TREMatcher::ForwardNext(std::uint32_t state, TRECode code) const {
  const std::size_t generation = forward_->Generation();
  const std::vector<std::uint32_t> key = forward_->Key(state);
  const bool anchors = (key[0] & kAnchors) != 0;
  const bool lineEnd = anchors && IsLineEnd(code);
  bool restarts = (key[0] & kRestarts) != 0;
  key_.assign(1, 0);
  std::vector<std::uint32_t> touched;
  for (std::size_t i = 1; i < key.size();) {
    set_.clear();
    bool accepts = false;
    for (; key[i] != kGroupEnd; ++i) {
      set_.push_back(key[i]);
      accepts =
          accepts || key[i] == TRE_DFA::kFinalNfaState || (lineEnd && dfa_.HasLineEndMove(key[i]));
    }
    ++i;
    next_.clear();
    dfa_.Step(set_, code, seen_, next_);
    touched.insert(touched.end(), next_.begin(), next_.end());
    if (!next_.empty()) {
      std::sort(next_.begin(), next_.end());
      key_.insert(key_.end(), next_.begin(), next_.end());
      key_.push_back(kGroupEnd);
    }
    if (accepts) {
      restarts = false;
      break;
    }
  }
  if (restarts) {
    const bool lineStart = anchors && code == '\n';
    std::size_t first = key_.size();
    for (const std::uint32_t s : lineStart ? dfa_.LineStart() : dfa_.PlainStart()) {
      if (seen_[s] == 0) {
        key_.push_back(s);
      }
    }
    if (key_.size() > first) {
      key_.push_back(kGroupEnd);
    }
  }
  for (const std::uint32_t s : touched) {
    seen_[s] = 0;
  }
  if (key_.size() == 1) {
    if (forward_->Generation() == generation) {
      forward_->SetNext(state, dfa_.ClassOf(code), kDead);
    }
    return kDead;
  }
  key_[0] = (restarts ? kRestarts : 0) | (anchors ? kAnchors : 0);
  const std::uint32_t next = forward_->Intern(key_, ForwardFlags(dfa_, key_));
  if (forward_->Generation() == generation) {
    forward_->SetNext(state, dfa_.ClassOf(code), next);
  }
  return next;
}

std::uint32_t TREMatcher::BackwardNext(std::uint32_t state, TRECode code) const {
  const std::size_t generation = backward_->Generation();
  set_ = backward_->Key(state);
  next_.clear();
  dfa_.StepBack(set_, code, seen_, next_);
  for (const std::uint32_t s : next_) {
    seen_[s] = 0;
  }
  std::uint32_t next = kDead;
  if (!next_.empty()) {
    std::sort(next_.begin(), next_.end());
    next = backward_->Intern(next_, BackwardFlags(dfa_, next_));
  }
  if (backward_->Generation() == generation) {
    backward_->SetNext(state, dfa_.ClassOf(code), next);
  }
  return next;
}

// The start states of a forward scan: the fresh start that a skip to the next candidate
// begins with (kDead when the scan doesn't skip) and the scan's first state. Returns the cache's
// generation they belong to.
std::size_t TREMatcher::ForwardStarts(TScan scan, bool skips, std::uint32_t& fresh,
                                      std::uint32_t& state) const {
  std::size_t generation = forward_->Generation();
  fresh = skips ? ForwardStart(scan, false) : kDead;
  state = ForwardStart(scan, scan.lineStartFirst);
  if (forward_->Generation() != generation) { // emptied while the two were made
    generation = forward_->Generation();
    fresh = skips ? ForwardStart(scan, false) : kDead;
    state = ForwardStart(scan, scan.lineStartFirst);
  }
  return generation;
}

// The first of the last scan's checkpoints at pos or after it: those this scan may meet.
std::size_t TREMatcher::FirstCheckpointFrom(std::size_t pos) const {
  return static_cast<std::size_t>(
      std::lower_bound(memo_.points.begin(), memo_.points.end(), pos,
                       [](const TCheckpoint& point, std::size_t p) { return point.pos < p; }) -
      memo_.points.begin());
}

// The cache was emptied while `target` was made, and it may be the only state left: the fresh
// start is made again, and the target's state interned anew, which is returned.
std::uint32_t TREMatcher::AfterEmptied(std::uint32_t target, TScan scan, bool skips,
                                       std::uint32_t& fresh) const {
  const std::vector<std::uint32_t> keep = forward_->Key(target);
  fresh = skips ? ForwardStart(scan, false) : kDead;
  return forward_->Intern(keep, ForwardFlags(dfa_, keep));
}

// The end of the leftmost-longest match of the scan from pos, or kNoEnd.
std::size_t TREMatcher::ForwardEnd(std::string_view text, std::size_t pos, TScan scan) const {
  MakeCaches();
  const unsigned char* bytes = Bytes(text);
  const std::size_t size = text.size();
  const TREStartFilter& filter = dfa_.StartFilter();
  const bool skips = scan.restarts && !filter.EveryPosition();
  std::uint32_t fresh = kDead;
  std::uint32_t state = kDead;
  std::size_t generation = ForwardStarts(scan, skips, fresh, state);
  const bool goingThrough = memo_.active && memo_.text == text.data() && memo_.size == size;
  std::size_t known = goingThrough && memo_.generation == generation ? FirstCheckpointFrom(pos)
                                                                     : memo_.points.size();
  points_.clear();
  const std::size_t every = std::max<std::size_t>(dfa_.Budget().checkpointSteps, 1);
  std::size_t untilCheckpoint = every;
  const std::uint8_t* flags = forward_->Flags();
  std::size_t end = kNoEnd;
  std::size_t met = kNoEnd; // the checkpoint met, if any
  for (;;) {
    if (state == fresh) {
      pos = filter.NextCandidate(bytes, size, pos);
    }
    while (known < memo_.points.size() && memo_.points[known].pos < pos) {
      ++known;
    }
    if (known < memo_.points.size() && memo_.points[known].pos == pos &&
        memo_.points[known].state == state) {
      // The same state at the same place: the rest of the scan is the one made before.
      const std::size_t before = memo_.points[known].end;
      end = before != kNoEnd && before >= pos ? before : end;
      met = known;
      break;
    }
    if (--untilCheckpoint == 0) {
      untilCheckpoint = every;
      points_.push_back({pos, state, kNoEnd});
    }
    TRECode code = 0;
    const std::size_t next = ReadCode(bytes, size, pos, code);
    const std::uint8_t stateFlags = flags[state];
    if (stateFlags != 0 && ((stateFlags & kAccepting) != 0 || code == 0 || IsLineEnd(code))) {
      end = pos;
    }
    if (code == 0) {
      break;
    }
    std::uint32_t target = forward_->Next(state, dfa_.ClassOf(code));
    if (target >= kDead) {
      if (target == kDead) {
        break;
      }
      target = ForwardNext(state, code);
      if (target == kDead) {
        break;
      }
      flags = forward_->Flags();
      if (forward_->Generation() != generation) {
        generation = forward_->Generation();
        target = AfterEmptied(target, scan, skips, fresh);
        flags = forward_->Flags();
        points_.clear(); // states noted before are gone
        known = memo_.points.size();
      }
    }
    Step();
    state = target;
    pos = next;
  }
  if (goingThrough) {
    KeepCheckpoints(end, met);
  }
  return end;
}

// Keeps this scan's checkpoints, each with the scan's end, followed by those of the scan before
// that lie beyond the checkpoint this one met.
void TREMatcher::KeepCheckpoints(std::size_t end, std::size_t met) const {
  if (points_.empty()) {
    return;
  }
  for (TCheckpoint& point : points_) {
    point.end = end;
  }
  if (met != kNoEnd) {
    points_.insert(points_.end(), memo_.points.begin() + static_cast<std::ptrdiff_t>(met),
                   memo_.points.end());
  }
  memo_.points.swap(points_);
  memo_.generation = forward_->Generation();
}

void TREMatcher::GoThrough(std::string_view text) const {
  memo_.active = !text.empty();
  memo_.text = text.data();
  memo_.size = text.size();
  memo_.points.clear();
}

// The reversed automaton's state at the end of a match: the final state, and with `$` (a line
// end or the end of the text follows) the states with a `$` move; kept until the cache is
// emptied.
std::uint32_t TREMatcher::BackwardStart(bool lineEnd) const {
  if (backwardStarts_[lineEnd].generation == backward_->Generation() + 1) {
    return backwardStarts_[lineEnd].state;
  }
  set_.clear();
  dfa_.Close(TRE_DFA::kFinalNfaState, seen_, set_, true);
  if (lineEnd) {
    for (const std::uint32_t s : dfa_.LineEndStates()) {
      dfa_.Close(s, seen_, set_, true);
    }
  }
  for (const std::uint32_t s : set_) {
    seen_[s] = 0;
  }
  std::sort(set_.begin(), set_.end());
  const std::uint32_t state = backward_->Intern(set_, BackwardFlags(dfa_, set_));
  backwardStarts_[lineEnd] = {state, backward_->Generation() + 1};
  return state;
}

// The leftmost start at or after pos of a match of the scan that ends at end.
std::size_t TREMatcher::StartOf(std::string_view text, std::size_t pos, std::size_t end,
                                TScan scan) const {
  const unsigned char* bytes = Bytes(text);
  TRECode endCode = 0;
  ReadCode(bytes, text.size(), end, endCode);
  std::uint32_t state = BackwardStart(scan.anchors && (endCode == 0 || IsLineEnd(endCode)));
  TBackReader reader(bytes, pos);
  std::size_t start = end;
  for (std::size_t k = end;;) {
    TRECode code = 0;
    const std::size_t previous = k > pos ? reader.Previous(k, code) : k;
    const bool lineStart = k == pos ? scan.lineStartFirst : scan.anchors && code == '\n';
    const std::uint8_t flags = backward_->Flags()[state];
    if ((flags & (lineStart ? kMeetsLineStart : kMeetsStart)) != 0) {
      start = k;
    }
    if (k == pos) {
      return start;
    }
    std::uint32_t target = backward_->Next(state, dfa_.ClassOf(code));
    if (target == kUnknown) {
      target = BackwardNext(state, code);
    }
    if (target == kDead) {
      return start;
    }
    Step();
    state = target;
    k = previous;
  }
}

std::optional<TREMatch> TREMatcher::Search(std::string_view text, std::size_t pos,
                                           TScan scan) const {
  const std::size_t end = ForwardEnd(text, pos, scan);
  if (end == kNoEnd) {
    return std::nullopt;
  }
  return TREMatch{StartOf(text, pos, end, scan), end};
}

std::optional<std::size_t> TREMatcher::Walk(std::string_view text, std::size_t pos) const {
  const std::size_t end = ForwardEnd(text, pos, {false, true, false});
  return end == kNoEnd ? std::nullopt : std::optional<std::size_t>(end);
}

std::optional<std::size_t> TREMatcher::MatchAtLineStart(std::string_view text,
                                                        std::size_t pos) const {
  const std::size_t end = ForwardEnd(text, pos, {true, true, false});
  return end == kNoEnd ? std::nullopt : std::optional<std::size_t>(end);
}

std::optional<std::size_t> TREMatcher::WalkWithoutAnchors(std::string_view text,
                                                          std::size_t pos) const {
  const std::size_t end = ForwardEnd(text, pos, {false, false, false});
  return end == kNoEnd ? std::nullopt : std::optional<std::size_t>(end);
}

std::optional<TREMatch> TREMatcher::SearchFrom(std::string_view text, std::size_t pos) const {
  if (AtEnd(text, pos)) {
    // Only a `$` right at the start can match at the end of the text.
    if (dfa_.StartHasLineEndMove()) {
      return TREMatch{pos, pos};
    }
    return std::nullopt;
  }
  return Search(text, pos, {false, true, true});
}

std::optional<TREMatch> TREMatcher::AnchoredSearch(std::string_view text, std::size_t pos) const {
  return Search(text, pos, {true, true, true});
}

std::optional<TREMatch> TREMatcher::UnanchoredSearch(std::string_view text, std::size_t pos) const {
  if (AtEnd(text, pos)) {
    return dfa_.AcceptsEmpty() ? std::optional<TREMatch>(TREMatch{pos, pos}) : std::nullopt;
  }
  return Search(text, pos, {false, false, true});
}

std::optional<TREMatch> TREMatcher::SearchAtLineStart(std::string_view text,
                                                      std::size_t pos) const {
  if (dfa_.LineStartAnchored() || dfa_.LineEndAnchored()) {
    return AnchoredSearch(text, pos);
  }
  return UnanchoredSearch(text, pos);
}

std::size_t TREMatcher::AfterMatch(std::string_view text, const TREMatch& match) const {
  if (match.end != match.start || AtEnd(text, match.start)) {
    return match.end;
  }
  TRECode code = 0;
  const std::size_t next = ReadCode(Bytes(text), text.size(), match.start, code);
  if (separator_ == mcls_CRLF && code == '\r' && !AtEnd(text, next) && text[next] == '\n') {
    return next + 1;
  }
  return next;
}

std::size_t TREMatcher::ForEachMatch(std::string_view text,
                                     const std::function<void(const TREMatch&)>& onMatch) const {
  std::size_t count = 0;
  GoThrough(text);
  struct TEnd {
    const TREMatcher& matcher;
    ~TEnd() { matcher.GoThrough({}); }
  } endGoingThrough{*this};
  std::optional<TREMatch> match = SearchAtLineStart(text, 0);
  while (match) {
    onMatch(*match);
    ++count;
    const std::size_t next = AfterMatch(text, *match);
    if (AtEnd(text, next)) {
      break;
    }
    match = text[next - 1] == '\n' ? SearchAtLineStart(text, next) : SearchFrom(text, next);
  }
  return count;
}

} // namespace zorbe
