// The expansion passes. Members are decoded with the pattern's own character reading while they
// are compared, so a member that ends in a cut-off double-byte character is refused as soon as
// a lookup reaches it, whether or not it would have matched.

#include "regex/preprocessor.h"

#include "regex/regexp_error.h"

namespace zorbe {
namespace {

// Reads every character of a member, raising ERegExpParser for a cut-off double-byte one.
void CheckMember(const std::string& member) {
  std::uint32_t pos = 1;
  while (pos <= member.size()) {
    ReadCharacter(member, pos);
  }
}

} // namespace

std::string GroupAlternation(const TREDictionaryGroup& group) {
  std::string alternation = "(";
  for (std::size_t i = 0; i < group.size(); ++i) {
    CheckMember(group[i]);
    if (i > 0) {
      alternation += '|';
    }
    alternation += QuoteRegExp(group[i]);
  }
  alternation += ')';
  return alternation;
}

void TREPreProcessor::Run() {
  output_ = scanner_.Text();
  if (useSynonymDic_) {
    output_ = ExpansionPass(synonymDics_);
    scanner_.SetText(output_);
  }
  if (useFuzzyCharDic_) {
    output_ = ExpansionPass(fuzzyCharDics_);
  }
}

void TREPreProcessor::ReadTokens() {
  tokens_.clear();
  scanner_.SetText(std::string(scanner_.Text()));
  for (;;) {
    TREToken token;
    token.start = scanner_.Position();
    token.kind = scanner_.NextToken();
    if (token.kind == TRETokenKind::End) {
      break;
    }
    token.code = scanner_.Code();
    token.rangeEnd = scanner_.RangeEnd();
    token.end = scanner_.Position();
    tokens_.push_back(token);
  }
  tokens_.push_back(TREToken{});
}

std::string TREPreProcessor::ExpansionPass(const TREDictionaryList& dictionaries) {
  ReadTokens();
  std::string output;
  output.reserve(scanner_.Text().size());
  bool inClass = false;
  std::size_t i = 0;
  while (tokens_[i].kind != TRETokenKind::End) {
    const TREToken& token = tokens_[i];
    if (token.kind == TRETokenKind::ClassOpen || token.kind == TRETokenKind::NegatedClassOpen) {
      inClass = true;
    } else if (token.kind == TRETokenKind::ClassClose) {
      inClass = false;
    }
    if (inClass || token.kind != TRETokenKind::Character) {
      AppendSource(output, token);
      ++i;
      continue;
    }
    i = ExpandRun(dictionaries, i, output);
  }
  return output;
}

// Rewrites the run of character tokens that starts at `first`; returns the token after it.
std::size_t TREPreProcessor::ExpandRun(const TREDictionaryList& dictionaries, std::size_t first,
                                       std::string& output) {
  std::size_t runEnd = first;
  while (tokens_[runEnd].kind == TRETokenKind::Character) {
    ++runEnd;
  }
  std::size_t i = first;
  while (i < runEnd) {
    std::size_t matchEnd = i;
    if (const TREDictionaryGroup* group = Lookup(dictionaries, i, runEnd, matchEnd)) {
      output += GroupAlternation(*group);
      i = matchEnd;
      continue;
    }
    AppendSource(output, tokens_[i]);
    ++i;
  }
  return runEnd;
}

const TREDictionaryGroup* TREPreProcessor::Lookup(const TREDictionaryList& dictionaries,
                                                  std::size_t i, std::size_t runEnd,
                                                  std::size_t& matchEnd) const {
  for (const TREDictionary* dictionary : dictionaries) {
    for (const TREDictionaryGroup& group : *dictionary) {
      for (const std::string& member : group) {
        if (!member.empty() && MemberMatches(member, i, runEnd, matchEnd)) {
          return &group;
        }
      }
    }
  }
  return nullptr;
}

// Whether the member's characters equal the codes of the tokens i, i + 1, ... inside the run;
// matchEnd is then the token after the last one it covers.
bool TREPreProcessor::MemberMatches(const std::string& member, std::size_t i, std::size_t runEnd,
                                    std::size_t& matchEnd) const {
  std::uint32_t pos = 1;
  bool same = true;
  std::size_t k = i;
  while (pos <= member.size()) {
    const TRECode code = ReadCharacter(member, pos);
    same = same && k < runEnd && tokens_[k].code == code;
    ++k;
  }
  if (same) {
    matchEnd = k;
  }
  return same;
}

void TREPreProcessor::AppendSource(std::string& output, const TREToken& token) const {
  output.append(scanner_.Text(), token.start - 1, token.end - token.start);
}

} // namespace zorbe
