// Fuzz target for the regular-expression engine: compiles a fuzzed pattern and searches a
// fuzzed text with it. Input layout: one byte of options, one byte giving the pattern length,
// the pattern, then the text. With option bit 4 the bytes 0x01-0x08 of both stand for whole
// characters of the internal form (escapes of two-, three- and four-byte UTF-8 characters, a
// wide one, one whose trail bytes look like half-width kana, 〜 and ¥ with the alternate mark),
// so that well-formed escapes and marks meet patterns that name them.
//
// Checked properties:
// - compiling either succeeds or raises ERegExpParser, never anything else;
// - every search finds a match that lies inside the text, starts no earlier than where the
//   search started and ends no earlier than it starts;
// - the searches agree with a naive search that walks from every position with a single start
//   (no start filter, no backward scan), and a matcher with a roomy cache of states agrees with
//   one whose cache is emptied again and again;
// - a replace-all style pass over the text makes progress and stays inside the text;
// - a quoted text compiles to a pattern that matches exactly that text (unless it holds a mark
//   or a lead byte standing alone, which patterns refuse).

#include "fuzz_check.h"
#include "regex/pattern_text.h"
#include "regex/regexp.h"
#include "regex/text_reading.h"
#include "text/internal_char.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace zorbe;

using zorbe::fuzz::Check;

std::size_t EndOf(std::string_view text) {
  return std::min(text.find('\0'), text.size());
}

std::size_t Next(std::string_view text, std::size_t pos, TRECode& code) {
  return re_text::ReadTextCode(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                               pos, code);
}

// The searches rebuilt from walks at every position, each walk a scan with a single start.
std::optional<TREMatch> NaiveSearchFrom(const TREMatcher& matcher, std::string_view text,
                                        std::size_t pos) {
  const TRE_DFA& dfa = matcher.Automaton();
  TRECode code = 0;
  while (pos < EndOf(text)) {
    if (const auto end = matcher.Walk(text, pos)) {
      return TREMatch{pos, *end};
    }
    const std::size_t next = Next(text, pos, code);
    if (code == '\n' && dfa.LineStartAnchored()) { // a line feed with a stray mark is none
      if (const auto end = matcher.MatchAtLineStart(text, next)) {
        return TREMatch{next, *end};
      }
    }
    pos = next;
  }
  if (dfa.StartHasLineEndMove()) {
    return TREMatch{pos, pos};
  }
  return std::nullopt;
}

std::optional<TREMatch> NaiveUnanchored(const TREMatcher& matcher, std::string_view text,
                                        std::size_t pos) {
  if (pos >= EndOf(text) && matcher.Automaton().AcceptsEmpty()) {
    return TREMatch{pos, pos};
  }
  TRECode code = 0;
  for (; pos < EndOf(text); pos = Next(text, pos, code)) {
    if (const auto end = matcher.WalkWithoutAnchors(text, pos)) {
      return TREMatch{pos, *end};
    }
  }
  return std::nullopt;
}

void CheckInside(const std::optional<TREMatch>& match, std::string_view text, std::size_t pos) {
  if (match) {
    Check(pos <= match->start && match->start <= match->end && match->end <= EndOf(text));
  }
}

void CheckSearches(const TRE_DFA& dfa, const TRE_DFA& searched, std::string_view text,
                   TMatchCORE_LineSeparator separator) {
  const TREMatcher matcher(dfa, separator);
  const TREMatcher other(searched, separator);
  TRECode code = 0;
  for (std::size_t pos = 0;; pos = Next(text, pos, code)) {
    const auto from = matcher.SearchFrom(text, pos);
    const auto unanchored = matcher.UnanchoredSearch(text, pos);
    const auto anchored = matcher.AnchoredSearch(text, pos);
    CheckInside(from, text, pos);
    CheckInside(unanchored, text, pos);
    CheckInside(anchored, text, pos);
    Check(from == NaiveSearchFrom(matcher, text, pos));
    Check(unanchored == NaiveUnanchored(matcher, text, pos));
    Check(from == other.SearchFrom(text, pos));
    Check(unanchored == other.UnanchoredSearch(text, pos));
    Check(anchored == other.AnchoredSearch(text, pos));
    if (pos >= EndOf(text)) {
      break;
    }
  }
  std::size_t last = 0;
  const std::size_t count = matcher.ForEachMatch(text, [&](const TREMatch& match) {
    Check(match.start >= last && match.end <= EndOf(text));
    last = match.end;
  });
  Check(count <= EndOf(text) + 1);
}

void CheckQuoted(std::string_view text) {
  text = text.substr(0, EndOf(text));
  for (std::size_t pos = 0; pos < text.size();) {
    TRECode code = 0;
    pos = Next(text, pos, code);
    const TRECode unmarked = code < kEscapeCodeBase ? code & 0xFFFF : code;
    if (unmarked == 0xFF ||
        (unmarked < 0x100 && IsLeadByte(static_cast<unsigned char>(unmarked)))) {
      return; // a mark or a lead byte standing alone is no pattern character
    }
  }
  TRECompileBudget budget;
  budget.dfa.maxCacheBytes = 1 << 20;
  const auto dfa = CompileRegExp(QuoteRegExp(text), budget);
  const auto match = TREMatcher(*dfa).UnanchoredSearch(text, 0);
  Check(match && match->start == 0 && match->end == text.size());
}

// The bytes with 0x01-0x08 replaced by whole characters of the internal form.
std::string Widened(std::string_view bytes) {
  static const char32_t kEscaped[] = {0xE9, 0xAC00, 0xD7A3, 0x11491, 0x20B9F, 0x10FFFD};
  std::string widened;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 1 && byte <= 6) {
      unsigned char escape[kMaxEscapeLength];
      widened.append(reinterpret_cast<const char*>(escape), PutEscape(kEscaped[byte - 1], escape));
    } else if (byte == 7) {
      widened += "\x81\x60\xFF"; // 〜
    } else if (byte == 8) {
      widened += "\x5C\xFF"; // ¥
    } else {
      widened += c;
    }
  }
  return widened;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::uint8_t options = data[0];
  const std::size_t patternLength = std::min<std::size_t>(data[1], size - 2);
  std::string_view pattern(reinterpret_cast<const char*>(data + 2), patternLength);
  std::string_view text(reinterpret_cast<const char*>(data + 2 + patternLength),
                        std::min<std::size_t>(size - 2 - patternLength, 64));
  std::string widenedPattern;
  std::string widenedText;
  if ((options & 4) != 0) {
    widenedPattern = Widened(pattern);
    widenedText = Widened(text);
    pattern = widenedPattern;
    text = widenedText;
  }
  TRECompileBudget budget;
  budget.maxNfaStates = 10000;
  budget.dfa.maxCacheBytes = 1 << 20;
  std::unique_ptr<TRE_DFA> dfa;
  std::unique_ptr<TRE_DFA> searched;
  try {
    dfa = CompileRegExp(pattern, budget);
    budget.dfa.maxCacheBytes = 0; // a few states: the cache is emptied often
    searched = CompileRegExp(pattern, budget);
  } catch (const ERegExpParser& error) {
    Check(error.Position() <= pattern.size() + 1);
  }
  if (dfa) {
    CheckSearches(*dfa, *searched, text, (options & 1) != 0 ? mcls_LF : mcls_CRLF);
  }
  if ((options & 2) != 0) {
    CheckQuoted(text);
  }
  return 0;
}
