#pragma once
// The public classes of the regular-expression engine.
//
// TRegularExpression holds the pattern (RegExp), the dictionary preprocessor and a cache of
// compiled patterns: up to 30 entries, each an expanded pattern with its automaton, entry 0
// always the empty pattern. The key is the expanded pattern, so one text under other dictionary
// switches is another entry. A new pattern goes in at entry 1 and, when the cache is full, the
// last entry goes out; a hit makes its entry current without moving it, so the entry inserted
// longest ago is dropped first. Which pattern is current after an error:
//   - the preprocessor refuses the pattern: the previous pattern and RegExp stay;
//   - the parser or the automaton build refuses it: the empty pattern becomes current and RegExp
//     becomes empty (the failed entry is removed).
// TMatchCORE adds the line separator mode and the matcher over the current automaton. TAWKStr
// adds the dictionary switches, the choice of search (anchored when the pattern has a line
// anchor), ReplaceAll and the cancel flag.
//
// One engine is used by one thread; only Cancel may be set from another thread while ReplaceAll
// runs (it is an atomic flag, read once per replacement and every few hundred KB of text that a
// search walks; setting RegExp clears it).

#include "regex/dictionary.h"
#include "regex/preprocessor.h"
#include "regex/regexp.h"
#include "regex/replacement.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TRegularExpression {
public:
  static constexpr std::size_t kCacheCapacity = 30;

  TRegularExpression();
  virtual ~TRegularExpression() = default;
  TRegularExpression(const TRegularExpression&) = delete;
  TRegularExpression& operator=(const TRegularExpression&) = delete;

  // The pattern as last set successfully, before dictionary expansion.
  const std::string& RegExp() const { return regExp_; }
  // Expands the pattern, then finds it in the cache or compiles it. Raises ERegExpParser (and
  // std::bad_alloc); see the header comment for what stays current.
  virtual void SetRegExp(std::string_view pattern);

  TREDictionaryList& SynonymDics() { return preProcessor_.SynonymDics(); }
  TREDictionaryList& FuzzyCharDics() { return preProcessor_.FuzzyCharDics(); }

  bool LineStartAnchored() const { return Automaton().LineStartAnchored(); }
  bool LineEndAnchored() const { return Automaton().LineEndAnchored(); }
  // The codes that label the automata's line-start and line-end moves.
  virtual TRECode LineStartCode() const { return kLineStartCode; }
  virtual TRECode LineEndCode() const { return kLineEndCode; }

  // The current pattern's automaton.
  const TRE_DFA& Automaton() const { return *cache_[current_].dfa; }
  // The cache, entry by entry: the expanded patterns, and which one is current.
  std::size_t CacheSize() const { return cache_.size(); }
  const std::string& CachedPattern(std::size_t index) const { return cache_[index].pattern; }
  std::size_t CurrentIndex() const { return current_; }
  // Limits for the automata compiled from now on.
  void SetCompileBudget(const TRECompileBudget& budget) { budget_ = budget; }

protected:
  // Compiles the current entry's expanded pattern. On failure removes the entry, makes the
  // empty pattern current and passes the error on.
  virtual void Compile();
  TREPreProcessor& PreProcessor() { return preProcessor_; }
  const TREPreProcessor& PreProcessor() const { return preProcessor_; }

private:
  struct TCacheEntry {
    std::string pattern;
    std::unique_ptr<TRE_DFA> dfa;
  };
  void FindOrCompile(const std::string& expanded);

  std::string regExp_;
  std::vector<TCacheEntry> cache_;
  std::size_t current_ = 0;
  TREPreProcessor preProcessor_;
  TRECompileBudget budget_;
};

class TMatchCORE : public TRegularExpression {
public:
  TMatchCORE_LineSeparator LineSeparator() const { return lineSeparator_; }
  void SetLineSeparator(TMatchCORE_LineSeparator separator) { lineSeparator_ = separator; }

  // The search operations over the current pattern. Valid until the pattern changes.
  TREMatcher Matcher() const { return TREMatcher(Automaton(), lineSeparator_); }

private:
  TMatchCORE_LineSeparator lineSeparator_ = mcls_CRLF;
};

class TAWKStr : public TMatchCORE {
public:
  // The look-alike dictionary list starts with the basic look-alike dictionary.
  TAWKStr();

  // Sets the pattern, then selects the anchored search when it has a line anchor and the
  // unanchored one otherwise, and clears Cancel. After an error nothing of that happens.
  void SetRegExp(std::string_view pattern) override;

  // The switches expand the current pattern again at once.
  bool UseFuzzyCharDic() const { return PreProcessor().UseFuzzyCharDic(); }
  void SetUseFuzzyCharDic(bool use);
  bool UseSynonymDic() const { return PreProcessor().UseSynonymDic(); }
  void SetUseSynonymDic(bool use);

  bool Cancel() const { return cancel_.load(); }
  void SetCancel(bool cancel) { cancel_.store(cancel); }
  // The flag itself, for a controller on another thread that sets it to stop a ReplaceAll.
  std::atomic<bool>* CancelFlag() { return &cancel_; }

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

  std::string ExpandReplacement(std::string_view replacement, std::string_view matched) const {
    return TREReplacement(replacement).Expand(matched);
  }
  std::string DecodeEscapes(std::string_view text) const { return zorbe::DecodeEscapes(text); }

  bool AnchoredSearchSelected() const { return anchoredSearch_; }

private:
  std::optional<TREMatch> SelectedSearch(const TREMatcher& matcher, std::string_view text,
                                         std::size_t pos) const;

  bool anchoredSearch_ = false;
  std::atomic<bool> cancel_{false};
};

} // namespace zorbe
