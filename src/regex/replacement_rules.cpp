#include "regex/replacement_rules.h"

#include "regex/comma_text.h"
#include "regex/regular_expression.h"

#include <utility>

namespace zorbe {

TReplacementRules::TReplacementRules(const std::vector<std::string>& rules,
                                     TReplacementOptions options)
    : engine_(std::make_unique<TAWKStr>()) {
  rules_.reserve(rules.size());
  for (const std::string& rule : rules) {
    rules_.push_back(SplitCommaText(rule));
  }
  engine_->SetUseSynonymDic(options.synonymDic.has_value());
  engine_->SetUseFuzzyCharDic(options.useFuzzyCharDic);
  if (options.synonymDic) {
    engine_->AddSynonymDic(std::move(*options.synonymDic));
  }
  if (options.fuzzyCharDic) {
    engine_->AddFuzzyCharDic(std::move(*options.fuzzyCharDic));
  }
}

TReplacementRules::~TReplacementRules() = default;

std::string_view TReplacementRules::ApplyAll(std::string_view text, const std::atomic<bool>& cancel,
                                             const std::function<void()>& ruleApplied) {
  std::string_view current = text;
  int next = 0;
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    if (cancel.load()) {
      throw EGrepCancel();
    }
    const std::vector<std::string>& fields = rules_[i];
    if (fields.size() < 2) {
      continue;
    }
    try {
      engine_->SetRegExp(fields[0]);
      if (engine_->ReplaceAllInto(fields[1], current, buffers_[next], cancel) > 0) {
        current = buffers_[next];
        next = 1 - next;
      }
    } catch (const ERegExpParser& e) {
      throw EReplacementRule(static_cast<int>(i + 1), e.what());
    }
    if (ruleApplied) {
      ruleApplied();
    }
  }
  return current;
}

} // namespace zorbe
