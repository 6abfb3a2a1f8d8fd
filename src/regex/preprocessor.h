#pragma once
// TREPreProcessor widens a pattern through dictionaries before it is parsed, so that one
// pattern also matches the other ways of writing the same thing.
//
// A pass cuts the pattern into tokens with TREScanner and rewrites each maximal run of ordinary
// character tokens: at each token it looks for the first non-empty member, in dictionary, group
// and member order, whose characters equal the codes of the tokens from there on (escapes take
// part by their decoded code), and replaces the tokens it covers by the group's alternation
// "(m1|m2|...)" with every member quoted and empty members as empty alternatives. The first
// member found wins, not the longest. Everything else (operators, anchors, and the whole content
// of a bracket class) is copied as written, so characters that no member covers keep their
// source text, escapes included. The synonym pass runs first, then the look-alike pass over its
// output; with both switches off the output is the pattern itself.
//
// The dictionary lists only point at dictionaries that their owners keep alive. Scanner errors
// in the pattern, and a member that ends in a cut-off double-byte character, raise
// ERegExpParser from Run.

#include "regex/dictionary.h"
#include "regex/scanner.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// One token of a pass: its kind and code as the scanner read them, and where its source text
// lies in the pattern (1-based byte positions, the end exclusive).
struct TREToken {
  TRETokenKind kind = TRETokenKind::End;
  TRECode code = 0;
  TRECode rangeEnd = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
};

class TREPreProcessor {
public:
  explicit TREPreProcessor(std::string_view text = {}) : scanner_(text) {}

  void SetText(std::string_view text) { scanner_.SetText(text); }
  // Expands the text into OutputText(). Raises ERegExpParser.
  void Run();
  const std::string& OutputText() const { return output_; }

  TREDictionaryList& SynonymDics() { return synonymDics_; }
  TREDictionaryList& FuzzyCharDics() { return fuzzyCharDics_; }
  const TREDictionaryList& SynonymDics() const { return synonymDics_; }
  const TREDictionaryList& FuzzyCharDics() const { return fuzzyCharDics_; }

  bool UseFuzzyCharDic() const { return useFuzzyCharDic_; }
  void SetUseFuzzyCharDic(bool use) { useFuzzyCharDic_ = use; }
  bool UseSynonymDic() const { return useSynonymDic_; }
  void SetUseSynonymDic(bool use) { useSynonymDic_ = use; }

private:
  std::string ExpansionPass(const TREDictionaryList& dictionaries);
  void ReadTokens();
  std::size_t ExpandRun(const TREDictionaryList& dictionaries, std::size_t first,
                        std::string& output);
  const TREDictionaryGroup* Lookup(const TREDictionaryList& dictionaries, std::size_t i,
                                   std::size_t runEnd, std::size_t& matchEnd) const;
  bool MemberMatches(const std::string& member, std::size_t i, std::size_t runEnd,
                     std::size_t& matchEnd) const;
  void AppendSource(std::string& output, const TREToken& token) const;

  TREScanner scanner_;
  std::string output_;
  TREDictionaryList synonymDics_;
  TREDictionaryList fuzzyCharDics_;
  std::vector<TREToken> tokens_;
  bool useFuzzyCharDic_ = false;
  bool useSynonymDic_ = false;
};

// The alternation that stands for a group: "(" the quoted members joined by "|" ")". Raises
// ERegExpParser when a member ends in a cut-off double-byte character.
std::string GroupAlternation(const TREDictionaryGroup& group);

} // namespace zorbe
