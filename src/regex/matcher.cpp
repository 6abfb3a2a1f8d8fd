// The search loops. Each loop asks the start filter for the next position where a match may
// begin and walks the automaton only there; positions the filter passes over could not have
// produced a match, so the results are those of trying every position.

#include "regex/matcher.h"

#include "text/shift_jis.h"

namespace zorbe {
namespace {

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

bool AtEnd(std::string_view text, std::size_t pos) {
  return pos >= text.size() || text[pos] == 0;
}

// Reads the character at pos into code and returns the position after it; at the end of the
// text the code is 0 and the position stays.
std::size_t ReadCode(const unsigned char* text, std::size_t size, std::size_t pos, TRECode& code) {
  if (pos >= size || text[pos] == 0) {
    code = 0;
    return pos;
  }
  const unsigned char byte = text[pos];
  if (IsLeadByte(byte) && pos + 1 < size && text[pos + 1] != 0) {
    code = static_cast<TRECode>(byte << 8 | text[pos + 1]);
    return pos + 2;
  }
  code = byte;
  return pos + 1;
}

std::size_t NextCharacter(std::string_view text, std::size_t pos) {
  TRECode code = 0;
  return ReadCode(Bytes(text), text.size(), pos, code);
}

} // namespace

void TREMatcher::CheckCancel() const {
  stepsUntilCheck_ = kCancelCheckSteps;
  if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
    throw EGrepCancel();
  }
}

// The end of the longest match from the state at pos, line anchors aside, or kNoEnd.
std::size_t TREMatcher::LongestEnd(std::uint32_t state, std::string_view text,
                                   std::size_t pos) const {
  const unsigned char* bytes = Bytes(text);
  const std::size_t size = text.size();
  std::size_t accepted = kNoEnd;
  for (;;) {
    if (dfa_.IsAccepting(state)) {
      accepted = pos;
    }
    TRECode code = 0;
    const std::size_t next = ReadCode(bytes, size, pos, code);
    const std::uint32_t target = dfa_.Move(state, code);
    if (target == TRE_DFA::kNoState) {
      return accepted;
    }
    Step();
    state = target;
    pos = next;
  }
}

// Like LongestEnd, but `$` also ends a match wherever the walk meets a line end or the end of
// the text in a state that has a line-end move, even when the walk could go on past it.
std::size_t TREMatcher::WalkEnd(std::uint32_t state, std::string_view text, std::size_t pos) const {
  if (state == TRE_DFA::kNoState) {
    return kNoEnd;
  }
  if (!dfa_.LineEndAnchored()) {
    return LongestEnd(state, text, pos);
  }
  const unsigned char* bytes = Bytes(text);
  std::size_t accepted = kNoEnd;
  for (;;) {
    TRECode code = 0;
    const std::size_t next = ReadCode(bytes, text.size(), pos, code);
    if (dfa_.IsAccepting(state) || ((code == 0 || IsLineEnd(code)) &&
                                    dfa_.Move(state, dfa_.LineEndCode()) != TRE_DFA::kNoState)) {
      accepted = pos;
    }
    const std::uint32_t target = dfa_.Move(state, code);
    if (target == TRE_DFA::kNoState) {
      return accepted;
    }
    Step();
    state = target;
    pos = next;
  }
}

std::size_t TREMatcher::LineStartEnd(std::string_view text, std::size_t pos) const {
  const std::uint32_t initial = TRE_DFA::kInitialState;
  if (!dfa_.LineStartAnchored()) {
    return WalkEnd(initial, text, pos);
  }
  // The longer of the anchored and the plain alternatives. (Giving up when no anchored one
  // matches would lose the empty match of a pattern like `^a|x*` at the end of the text.)
  const std::size_t anchored = WalkEnd(dfa_.Move(initial, dfa_.LineStartCode()), text, pos);
  const std::size_t plain = WalkEnd(initial, text, pos);
  if (anchored == kNoEnd || (plain != kNoEnd && plain >= anchored)) {
    return plain;
  }
  return anchored;
}

std::optional<std::size_t> TREMatcher::Walk(std::uint32_t state, std::string_view text,
                                            std::size_t pos) const {
  const std::size_t end = WalkEnd(state, text, pos);
  return end == kNoEnd ? std::nullopt : std::optional<std::size_t>(end);
}

std::optional<std::size_t> TREMatcher::MatchAtLineStart(std::string_view text,
                                                        std::size_t pos) const {
  const std::size_t end = LineStartEnd(text, pos);
  return end == kNoEnd ? std::nullopt : std::optional<std::size_t>(end);
}

std::optional<TREMatch> TREMatcher::SearchFrom(std::string_view text, std::size_t pos) const {
  const TREStartFilter& filter = dfa_.StartFilter();
  const std::uint32_t initial = TRE_DFA::kInitialState;
  for (;;) {
    pos = filter.NextCandidate(Bytes(text), text.size(), pos);
    if (AtEnd(text, pos)) {
      break;
    }
    if (const std::size_t end = WalkEnd(initial, text, pos); end != kNoEnd) {
      return TREMatch{pos, end};
    }
    if (text[pos] == '\n' && dfa_.LineStartAnchored()) {
      if (const std::size_t end = LineStartEnd(text, pos + 1); end != kNoEnd) {
        return TREMatch{pos + 1, end};
      }
    }
    pos = NextCharacter(text, pos);
  }
  if (dfa_.LineEndAnchored() && dfa_.Move(initial, dfa_.LineEndCode()) != TRE_DFA::kNoState) {
    return TREMatch{pos, pos};
  }
  return std::nullopt;
}

std::optional<TREMatch> TREMatcher::AnchoredSearch(std::string_view text, std::size_t pos) const {
  if (const std::size_t end = LineStartEnd(text, pos); end != kNoEnd) {
    return TREMatch{pos, end};
  }
  return SearchFrom(text, pos);
}

std::optional<TREMatch> TREMatcher::UnanchoredSearch(std::string_view text, std::size_t pos) const {
  const std::uint32_t initial = TRE_DFA::kInitialState;
  if (AtEnd(text, pos) && dfa_.IsAccepting(initial)) {
    return TREMatch{pos, pos};
  }
  const TREStartFilter& filter = dfa_.StartFilter();
  for (;;) {
    pos = filter.NextCandidate(Bytes(text), text.size(), pos);
    if (AtEnd(text, pos)) {
      return std::nullopt;
    }
    if (const std::size_t end = LongestEnd(initial, text, pos); end != kNoEnd) {
      return TREMatch{pos, end};
    }
    pos = NextCharacter(text, pos);
  }
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
  const std::size_t next = NextCharacter(text, match.start);
  if (separator_ == mcls_CRLF && text[match.start] == '\r' && !AtEnd(text, next) &&
      text[next] == '\n') {
    return next + 1;
  }
  return next;
}

std::size_t TREMatcher::ForEachMatch(std::string_view text,
                                     const std::function<void(const TREMatch&)>& onMatch) const {
  std::size_t count = 0;
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
