#pragma once
// TREMatcher finds matches of a compiled pattern (a TRE_DFA) in text of the internal form:
// CP932 with escapes and alternate marks, each character one code (pattern_text.h).
//
// Results follow one rule set: the leftmost start wins and, at that start, the longest end; an
// empty match counts. `$` matches just before a line-end character of the separator mode (CR
// for mcls_CRLF, LF for mcls_LF) and at the end of the text; `^` matches at the start of a
// search made at a line start and right after any LF in both modes. A match may run across line
// breaks when the pattern itself contains them.
//
// Texts are byte views; positions are 0-based byte offsets into them. A text ends at its size or
// at its first NUL byte, whichever comes first: nothing at or after a NUL is read or matched.
// A lead byte directly before that end is read as a one-byte character whose code is the byte.
// A match starts and ends only between characters: never inside an escape, nor between a
// character and its mark.
// A search is linear in the text it reads: one forward pass over deterministic states that
// follow every candidate start at once, earlier starts first, finds where the leftmost-longest
// match ends, and one backward pass from that end finds where it starts. The states are built
// the first time a text needs them and kept in the matcher's bounded caches, so a matcher is
// cheap to make, gets faster as it is reused, and is used by one thread. Matching never throws,
// except EGrepCancel when a cancel flag was given and is found set: the flag is read once every
// kCancelCheckSteps characters walked, so a long search that finds nothing (`.*z` over a long
// line, `(.|\r|\n)*END` over a whole file) still stops soon after it was asked to.

#include "regex/dfa.h"
#include "regex/regexp_error.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace zorbe {

enum TMatchCORE_LineSeparator : int {
  mcls_CRLF = 0,
  mcls_LF = 1,
};

struct TREMatch {
  std::size_t start = 0;
  std::size_t end = 0; // one past the last byte; start == end for an empty match

  bool operator==(const TREMatch&) const = default;
};

class TREStateCache;

class TREMatcher {
public:
  // About 256 KB of text: a fraction of a second of the slowest walk.
  static constexpr std::size_t kCancelCheckSteps = 1 << 18;

  explicit TREMatcher(const TRE_DFA& dfa, TMatchCORE_LineSeparator separator = mcls_CRLF,
                      const std::atomic<bool>* cancel = nullptr);
  ~TREMatcher();
  TREMatcher(TREMatcher&&) noexcept;
  TREMatcher& operator=(TREMatcher&&) = delete;

  // The search for a position at a line start (the start of a text, or after an LF): the
  // anchored search when the pattern has a line anchor, else the unanchored search.
  std::optional<TREMatch> SearchAtLineStart(std::string_view text, std::size_t pos) const;
  // The search for a position that is not a line start: `^` can match only after an LF.
  std::optional<TREMatch> SearchFrom(std::string_view text, std::size_t pos) const;

  // A line-start search for patterns with an anchor: a match starting right at pos (where `^`
  // holds), else SearchFrom(pos).
  std::optional<TREMatch> AnchoredSearch(std::string_view text, std::size_t pos) const;
  // A line-start search for patterns without anchors (anchors are not honoured). Called at the
  // end of the text it finds the empty match when the pattern accepts the empty string;
  // otherwise the end of the text is never a match start.
  std::optional<TREMatch> UnanchoredSearch(std::string_view text, std::size_t pos) const;

  // The end of the longest match starting at pos, with `$` honoured and `^` not.
  std::optional<std::size_t> Walk(std::string_view text, std::size_t pos) const;
  // The end of the longest match starting at pos, a line start.
  std::optional<std::size_t> MatchAtLineStart(std::string_view text, std::size_t pos) const;
  // The end of the longest match starting at pos with neither anchor honoured.
  std::optional<std::size_t> WalkWithoutAnchors(std::string_view text, std::size_t pos) const;
  bool IsLineEnd(TRECode code) const { return code == (separator_ == mcls_CRLF ? '\r' : '\n'); }

  // Where the search after a match goes on: its end or, after an empty match, past the
  // character at it (CR and LF together in mcls_CRLF mode, so that nothing ever lands between
  // them). At the end of the text it stays there.
  std::size_t AfterMatch(std::string_view text, const TREMatch& match) const;
  // Finds every match in turn, the way a replace-all goes through a text: the first search at
  // the start of the text, each next one after the previous match (AfterMatch), as a line-start
  // search when the byte before is an LF and as SearchFrom otherwise; it stops when the text is
  // used up. Calls onMatch for each and returns their number.
  std::size_t ForEachMatch(std::string_view text,
                           const std::function<void(const TREMatch&)>& onMatch) const;
  // Tells the matcher that the searches that follow go through this text front to back and
  // that it does not change meanwhile (a replace-all does so), so that a search may reuse what
  // an earlier one learned; an empty view ends that. ForEachMatch does it by itself.
  void GoThrough(std::string_view text) const;

  TMatchCORE_LineSeparator LineSeparator() const { return separator_; }
  const TRE_DFA& Automaton() const { return dfa_; }
  // How many times the caches of deterministic states were emptied because they were full.
  std::size_t CacheResets() const;

private:
  // kNoEnd stands for none in the scans, which keeps the hot loops free of optional values.
  static constexpr std::size_t kNoEnd = static_cast<std::size_t>(-1);
  struct TScan {
    bool lineStartFirst; // the first start is at a line start (`^` holds there)
    bool anchors;        // `^` after an LF and `$` are honoured
    bool restarts;       // a match may start at any later position too
  };
  std::optional<TREMatch> Search(std::string_view text, std::size_t pos, TScan scan) const;
  std::size_t ForwardEnd(std::string_view text, std::size_t pos, TScan scan) const;
  std::size_t ForwardStarts(TScan scan, bool skips, std::uint32_t& fresh,
                            std::uint32_t& state) const;
  std::size_t FirstCheckpointFrom(std::size_t pos) const;
  std::uint32_t AfterEmptied(std::uint32_t target, TScan scan, bool skips,
                             std::uint32_t& fresh) const;
  void KeepCheckpoints(std::size_t end, std::size_t met) const;
  std::size_t StartOf(std::string_view text, std::size_t pos, std::size_t end, TScan scan) const;
  std::uint32_t ForwardStart(TScan scan, bool lineStart) const;
  std::uint32_t BackwardStart(bool lineEnd) const;
  std::uint32_t ForwardNext(std::uint32_t state, TRECode code) const;
  std::uint32_t BackwardNext(std::uint32_t state, TRECode code) const;
  void MakeCaches() const;
  // Counts one automaton move; every kCancelCheckSteps moves reads the cancel flag.
  void Step() const {
    if (--stepsUntilCheck_ == 0) {
      CheckCancel();
    }
  }
  void CheckCancel() const;

  const TRE_DFA& dfa_;
  TMatchCORE_LineSeparator separator_;
  const std::atomic<bool>* cancel_;
  // The searches are const to their callers; the countdown, the caches of deterministic states
  // (made on first use) and the scratch sets are the matcher's only changing state.
  mutable std::size_t stepsUntilCheck_ = kCancelCheckSteps;
  mutable std::unique_ptr<TREStateCache> forward_;
  mutable std::unique_ptr<TREStateCache> backward_;
  mutable std::vector<std::uint8_t> seen_;
  mutable std::vector<std::uint32_t> set_;
  mutable std::vector<std::uint32_t> next_;
  mutable std::vector<std::uint32_t> key_;
  // Start states by kind, with the cache generation they belong to plus one (0: none yet).
  struct TKnownState {
    std::uint32_t state = 0;
    std::size_t generation = 0;
  };
  mutable TKnownState forwardStarts_[8];
  mutable TKnownState backwardStarts_[2];
  // The forward state every few hundred characters of the last scan over a text, and where
  // that scan's match ended. A scan that meets one of them in the same state would go on just
  // as that scan did, so it stops there with that end: a replace-all whose every match must
  // look far ahead for a longer one (`a(.|\n)*z|a` over a text of a's without z) stays linear.
  struct TCheckpoint {
    std::size_t pos;
    std::uint32_t state;
    std::size_t end;
  };
  struct TMemo {
    bool active = false; // GoThrough was told of the text
    const char* text = nullptr;
    std::size_t size = 0;
    std::size_t generation = 0;
    std::vector<TCheckpoint> points; // by position
  };
  mutable TMemo memo_;
  mutable std::vector<TCheckpoint> points_;
};

} // namespace zorbe
