#pragma once
// The public front of the regular-expression engine: TAWKStr, one engine for one caller.
//
// It holds the pattern (RegExp), the dictionary preprocessor with the dictionaries it owns, and
// a cache of compiled patterns: up to 30 entries, each an expanded pattern with its automaton,
// entry 0 always the empty pattern. The key is the expanded pattern, so one text under other
// dictionary switches is another entry. A new pattern goes in at entry 1 and, when the cache is
// full, the last entry goes out; a hit makes its entry current without moving it, so the entry
// inserted longest ago is dropped first. Which pattern is current after an error:
//   - the preprocessor refuses the pattern: the previous pattern and RegExp stay;
//   - the parser or the automaton build refuses it: the empty pattern becomes current and RegExp
//     becomes empty (the failed entry is removed).
// Setting a pattern also chooses the search (anchored when the pattern has a line anchor) that
// ReplaceAll uses, and clears the cancel flag.
//
// One engine is used by one thread; only the cancel flag may be set from another thread while
// ReplaceAll runs (it is read once per replacement and every few hundred KB of text that a
// search walks).

#include "regex/dictionary.h"
#include "regex/preprocessor.h"
#include "regex/regexp.h"
#include "regex/replacement.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TAWKStr {
public:
  // The look-alike dictionary list starts with the basic look-alike dictionary.
  TAWKStr();
  TAWKStr(const TAWKStr&) = delete;
  TAWKStr& operator=(const TAWKStr&) = delete;

  // The pattern as last set successfully, before dictionary expansion.
  const std::string& RegExp() const { return regExp_; }
  // Expands the pattern, then finds it in the cache or compiles it. Raises ERegExpParser (and
  // std::bad_alloc); see the header comment for what stays current.
  void SetRegExp(std::string_view pattern);

  // Dictionaries for the expansion, kept by the engine; a look-alike dictionary comes after the
  // basic one and those added before. They take effect with the next pattern.
  void AddSynonymDic(TREDictionary dictionary);
  void AddFuzzyCharDic(TREDictionary dictionary);
  // The switches expand the current pattern again at once.
  bool UseFuzzyCharDic() const { return preProcessor_.UseFuzzyCharDic(); }
  void SetUseFuzzyCharDic(bool use);
  bool UseSynonymDic() const { return preProcessor_.UseSynonymDic(); }
  void SetUseSynonymDic(bool use);

  TMatchCORE_LineSeparator LineSeparator() const { return lineSeparator_; }
  void SetLineSeparator(TMatchCORE_LineSeparator separator) { lineSeparator_ = separator; }

  bool Cancel() const { return cancel_.load(); }
  void SetCancel(bool cancel) { cancel_.store(cancel); }

  // Replaces every match in the text, leftmost-longest, by the expanded replacement, and returns
  // their number. The text ends at its size or its first NUL; bytes after a NUL are kept. An
  // empty match also keeps the character after it (CR and LF together in mcls_CRLF mode), so
  // nothing is inserted between CR and LF and no position gets two replacements. Replacements
  // are never searched again. Raises ERegExpParser for a bad replacement (only when something
  // matches) and EGrepCancel when Cancel is set; the text is then unchanged.
  std::size_t ReplaceAll(std::string_view replacement, std::string& text);
  // The same, writing the new text to output (which must not be the text) when anything
  // matched; output is left alone when nothing did and undefined after an error.
  std::size_t ReplaceAllInto(std::string_view replacement, std::string_view text,
                             std::string& output);
  // The same, reading `cancel` instead of the engine's own flag: the flag of an owner that runs
  // many patterns under one stop request, which setting a pattern does not clear.
  std::size_t ReplaceAllInto(std::string_view replacement, std::string_view text,
                             std::string& output, const std::atomic<bool>& cancel);

private:
  friend class TAWKStrTestPeer; // the cache and the current automaton, for tests

  static constexpr std::size_t kCacheCapacity = 30;
  struct TCacheEntry {
    std::string pattern;
    std::unique_ptr<TRE_DFA> dfa;
  };

  const TRE_DFA& Automaton() const { return *cache_[current_].dfa; }
  void FindOrCompile(const std::string& expanded);
  // Compiles the current entry's expanded pattern. On failure removes the entry, makes the
  // empty pattern current and passes the error on.
  void Compile();
  std::optional<TREMatch> SelectedSearch(const TREMatcher& matcher, std::string_view text,
                                         std::size_t pos) const;

  std::string regExp_;
  std::vector<TCacheEntry> cache_;
  std::size_t current_ = 0;
  // The preprocessor's lists point into these; a deque never moves what it holds.
  std::deque<TREDictionary> dictionaries_;
  TREPreProcessor preProcessor_;
  TRECompileBudget budget_;
  TMatchCORE_LineSeparator lineSeparator_ = mcls_CRLF;
  bool anchoredSearch_ = false;
  std::atomic<bool> cancel_{false};
};

} // namespace zorbe
