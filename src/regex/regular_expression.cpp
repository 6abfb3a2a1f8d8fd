// The pattern cache and ReplaceAll. ReplaceAll builds the new text in one pass: the parts
// between matches and the expanded replacements are appended to one output, so a text with
// many matches is copied once, not once per match.

#include "regex/regular_expression.h"

#include "regex/basic_dictionary.h"

namespace zorbe {
namespace {

bool AtEnd(std::string_view text, std::size_t pos) {
  return pos >= text.size() || text[pos] == '\0';
}

} // namespace

TAWKStr::TAWKStr() {
  preProcessor_.FuzzyCharDics().push_back(&BasicFuzzyCharDic());
  cache_.reserve(kCacheCapacity);
  cache_.push_back(TCacheEntry{std::string(), nullptr});
  Compile();
}

void TAWKStr::SetRegExp(std::string_view pattern) {
  const std::string text(pattern);
  preProcessor_.SetText(text);
  preProcessor_.Run(); // an error here leaves the current pattern as it is
  try {
    FindOrCompile(preProcessor_.OutputText());
  } catch (...) {
    current_ = 0;
    regExp_.clear();
    throw;
  }
  regExp_ = text;
  anchoredSearch_ = Automaton().LineStartAnchored() || Automaton().LineEndAnchored();
  cancel_.store(false);
}

void TAWKStr::FindOrCompile(const std::string& expanded) {
  for (std::size_t i = 0; i < cache_.size(); ++i) {
    if (cache_[i].pattern == expanded) {
      current_ = i;
      return;
    }
  }
  if (cache_.size() == kCacheCapacity) {
    cache_.pop_back();
  }
  cache_.insert(cache_.begin() + 1, TCacheEntry{expanded, nullptr});
  current_ = 1;
  Compile();
}

void TAWKStr::Compile() {
  try {
    cache_[current_].dfa = CompileRegExp(cache_[current_].pattern, budget_);
  } catch (...) {
    if (current_ != 0) {
      cache_.erase(cache_.begin() + static_cast<std::ptrdiff_t>(current_));
    }
    current_ = 0;
    throw;
  }
}

void TAWKStr::AddSynonymDic(TREDictionary dictionary) {
  preProcessor_.SynonymDics().push_back(&dictionaries_.emplace_back(std::move(dictionary)));
}

void TAWKStr::AddFuzzyCharDic(TREDictionary dictionary) {
  preProcessor_.FuzzyCharDics().push_back(&dictionaries_.emplace_back(std::move(dictionary)));
}

void TAWKStr::SetUseFuzzyCharDic(bool use) {
  preProcessor_.SetUseFuzzyCharDic(use);
  SetRegExp(std::string(RegExp()));
}

void TAWKStr::SetUseSynonymDic(bool use) {
  preProcessor_.SetUseSynonymDic(use);
  SetRegExp(std::string(RegExp()));
}

std::optional<TREMatch> TAWKStr::SelectedSearch(const TREMatcher& matcher, std::string_view text,
                                                std::size_t pos) const {
  return anchoredSearch_ ? matcher.AnchoredSearch(text, pos) : matcher.UnanchoredSearch(text, pos);
}

std::size_t TAWKStr::ReplaceAll(std::string_view replacement, std::string& text) {
  std::string output;
  const std::size_t count = ReplaceAllInto(replacement, text, output);
  if (count > 0) {
    text.swap(output);
  }
  return count;
}

std::size_t TAWKStr::ReplaceAllInto(std::string_view replacement, std::string_view text,
                                    std::string& output) {
  return ReplaceAllInto(replacement, text, output, cancel_);
}

std::size_t TAWKStr::ReplaceAllInto(std::string_view replacement, std::string_view text,
                                    std::string& output, const std::atomic<bool>& cancel) {
  // The searches read the flag too, so a long search that finds nothing can be stopped.
  const TREMatcher matcher(Automaton(), LineSeparator(), &cancel);
  matcher.GoThrough(text);
  std::optional<TREMatch> match = SelectedSearch(matcher, text, 0);
  if (!match) {
    return 0;
  }
  const TREReplacement expansion(replacement);
  output.clear();
  output.reserve(text.size());
  std::size_t rest = 0; // where the text not yet copied begins
  std::size_t count = 0;
  while (match) {
    if (cancel.load(std::memory_order_relaxed)) {
      throw EGrepCancel();
    }
    output.append(text, rest, match->start - rest);
    expansion.AppendTo(output, text.substr(match->start, match->end - match->start));
    // After an empty match the character at it is kept as it is, and the search goes on
    // behind it.
    rest = matcher.AfterMatch(text, *match);
    output.append(text, match->end, rest - match->end);
    ++count;
    if (AtEnd(text, rest)) {
      break;
    }
    // The line-start decision looks at the text before the rest, never at a replacement.
    match = text[rest - 1] == '\n' ? SelectedSearch(matcher, text, rest)
                                   : matcher.SearchFrom(text, rest);
  }
  output.append(text, rest);
  return count;
}

} // namespace zorbe
