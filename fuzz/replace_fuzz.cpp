// Fuzz target for ReplaceAll: sets a fuzzed pattern on a TAWKStr and replaces in a fuzzed text
// with a fuzzed replacement. Input layout: one byte of options, one byte giving the pattern
// length, one giving the replacement length, the pattern, the replacement, then the text.
//
// Checked properties:
// - setting the pattern and ReplaceAll raise nothing but ERegExpParser; after an error the text
//   is unchanged;
// - the result is the text with each match (found the way a replace-all walks the text) replaced
//   by the replacement expanded by the three passes written out one by one;
// - nothing matched: the text is unchanged and the count is 0;
// - replacing with "&" gives the text back with the same count;
// - in mcls_CRLF mode nothing is inserted between a CR and its LF: an empty match there only
//   follows a match that took the CR.

#include "fuzz_check.h"
#include "regex/awk_str_test_peer.h"
#include "regex/regexp_error.h"
#include "regex/regular_expression.h"
#include "regex/text_reading.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace zorbe;

using zorbe::fuzz::Check;

// The character at i: its length, and whether it is the one byte c.
std::size_t Length(std::string_view s, std::size_t i) {
  TRECode code = 0;
  return re_text::ReadCodeAt<true>(reinterpret_cast<const unsigned char*>(s.data()), s.size(), i,
                                   code) -
         i;
}

bool Is(std::string_view s, std::size_t i, char c) {
  return i < s.size() && s[i] == c && Length(s, i) == 1;
}

// Protect, decode escapes, substitute: each pass over the whole text, as the syntax defines it.
std::string ThreePasses(std::string_view replacement, std::string_view matched) {
  replacement = replacement.substr(0, replacement.find('\0'));
  std::string protectedText;
  for (std::size_t i = 0; i < replacement.size();) {
    if (Is(replacement, i, '\\') && i + 1 < replacement.size()) {
      const std::size_t m = Length(replacement, i + 1);
      protectedText += Is(replacement, i + 1, '&') ? "\\\\" : "\\";
      protectedText += replacement.substr(i + 1, m);
      i += 1 + m;
      continue;
    }
    const std::size_t n = Length(replacement, i);
    protectedText += replacement.substr(i, n);
    i += n;
  }
  const std::string decoded = DecodeEscapes(protectedText);
  std::string result;
  for (std::size_t i = 0; i < decoded.size();) {
    if (Is(decoded, i, '&')) {
      result += matched;
      ++i;
    } else if (Is(decoded, i, '\\') && Is(decoded, i + 1, '&')) {
      result += '&';
      i += 2;
    } else {
      const std::size_t n = Length(decoded, i);
      result += decoded.substr(i, n);
      i += n;
    }
  }
  return result;
}

// The replace-all result built from the matcher's own walk through the text. In mcls_CRLF mode
// an empty match never falls between a CR and its LF unless a match just took the CR.
std::string Expected(const TREMatcher& matcher, std::string_view text,
                     std::string_view replacement) {
  std::string expected;
  std::size_t rest = 0;
  matcher.ForEachMatch(text, [&](const TREMatch& match) {
    if (matcher.LineSeparator() == mcls_CRLF && match.start == match.end && match.start > 0 &&
        match.start < text.size() && text[match.start - 1] == '\r' && text[match.start] == '\n') {
      Check(rest == match.start && rest > 0);
    }
    expected.append(text.substr(rest, match.start - rest));
    expected += ThreePasses(replacement, text.substr(match.start, match.end - match.start));
    rest = matcher.AfterMatch(text, match);
    expected.append(text.substr(match.end, rest - match.end));
  });
  expected.append(text.substr(rest));
  return expected;
}

void CheckReplaceAll(TAWKStr& engine, std::string_view replacement, std::string_view text) {
  const TREMatcher matcher = TAWKStrTestPeer(engine).Matcher();
  const std::size_t matches = matcher.ForEachMatch(text, [](const TREMatch&) {});
  std::string expected;
  bool badReplacement = false;
  try {
    expected = Expected(matcher, text, replacement);
  } catch (const ERegExpParser&) {
    badReplacement = true;
  }
  std::string replaced(text);
  try {
    const std::size_t count = engine.ReplaceAll(replacement, replaced);
    Check(!badReplacement && count == matches);
    Check(count > 0 ? replaced == expected : replaced == text);
  } catch (const ERegExpParser&) {
    Check(badReplacement && matches > 0);
    Check(replaced == text);
  }
  std::string same(text);
  Check(engine.ReplaceAll("&", same) == matches);
  Check(same == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) {
    return 0;
  }
  const std::uint8_t options = data[0];
  const char* bytes = reinterpret_cast<const char*>(data + 3);
  std::size_t left = size - 3;
  const std::size_t patternLength = std::min<std::size_t>(data[1] % 32, left);
  const std::string_view pattern(bytes, patternLength);
  left -= patternLength;
  const std::size_t replacementLength = std::min<std::size_t>(data[2] % 16, left);
  const std::string_view replacement(bytes + patternLength, replacementLength);
  left -= replacementLength;
  const std::string_view text(bytes + patternLength + replacementLength,
                              std::min<std::size_t>(left, 128));

  TAWKStr engine;
  TRECompileBudget budget;
  budget.maxNfaStates = 10000;
  budget.dfa.maxCacheBytes = 1 << 20;
  TAWKStrTestPeer(engine).SetCompileBudget(budget);
  engine.SetLineSeparator((options & 1) != 0 ? mcls_LF : mcls_CRLF);
  try {
    engine.SetUseFuzzyCharDic((options & 2) != 0);
    engine.SetRegExp(pattern);
  } catch (const ERegExpParser&) {
    Check(engine.RegExp().empty() && TAWKStrTestPeer(engine).CurrentIndex() == 0);
  }
  CheckReplaceAll(engine, replacement, text);
  return 0;
}
