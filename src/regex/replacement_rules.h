#pragma once
// The rules of a replacement file applied one after another to a whole text: the one entry into
// the regular-expression engine that a sort job needs.
//
// A rule is one line of comma text, "pattern,replacement"; a line with fewer than two fields does
// nothing, but counts in the line numbers all the same. Every rule works on the text the rules
// before it left, so what a rule puts in is searched by the rules after it, never by itself.
// The rule set owns its engine and the dictionaries the patterns are expanded with; the texts it
// makes live in two buffers of its own that take turns as a rule's output.
//
// One rule set is used by one thread; only the cancel flag it is given may be set from another
// thread while ApplyAll runs. The flag is only read, never cleared.

#include "regex/dictionary.h"
#include "regex/regexp_error.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TAWKStr;

struct TReplacementOptions {
  // Synonym groups: the synonym expansion is on exactly when there are some.
  std::optional<TREDictionary> synonymDic;
  // The user's look-alike groups, which come after the basic ones.
  std::optional<TREDictionary> fuzzyCharDic;
  // The look-alike expansion, with the basic dictionary and the user's.
  bool useFuzzyCharDic = false;
};

// A rule the engine refused: why (one of the engine's messages), and the rule's line from 1.
class EReplacementRule : public std::runtime_error {
public:
  EReplacementRule(int line, const std::string& message)
      : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

private:
  int line_;
};

class TReplacementRules {
public:
  // `rules`: the lines of the replacement file, in file order.
  TReplacementRules(const std::vector<std::string>& rules, TReplacementOptions options);
  ~TReplacementRules();
  TReplacementRules(const TReplacementRules&) = delete;
  TReplacementRules& operator=(const TReplacementRules&) = delete;

  // The rule lines, those that do nothing included.
  std::size_t Size() const { return rules_.size(); }

  // Applies every rule in file order and returns the final text: `text` itself when no rule
  // matched, else one of the rule set's buffers, valid until the next call. `cancel` is read
  // before every rule line and while each rule searches and replaces; once it is set, raises
  // EGrepCancel. `ruleApplied` is called after each rule that was applied, matched or not (not
  // after a line that does nothing). Raises EReplacementRule for a pattern or replacement the
  // engine refuses (a replacement only when its pattern matched), and std::bad_alloc.
  std::string_view ApplyAll(std::string_view text, const std::atomic<bool>& cancel,
                            const std::function<void()>& ruleApplied = {});

private:
  // The comma-text fields of each rule line.
  std::vector<std::vector<std::string>> rules_;
  std::unique_ptr<TAWKStr> engine_;
  std::string buffers_[2];
};

} // namespace zorbe
