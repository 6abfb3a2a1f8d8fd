// Fuzz target for the dictionary preprocessor: a fuzzed dictionary (comma-text lines) and a
// fuzzed pattern. Input layout: one byte of options, one byte giving the dictionary's length,
// the dictionary text (lines split at LF), then the pattern.
//
// Checked properties:
// - comma-text splitting never yields a field with a NUL and never more fields than bytes + 1;
// - expansion raises nothing but ERegExpParser; with both switches off the output is the
//   pattern itself;
// - whatever the dictionaries, a pattern that is a quoted literal text still matches that text
//   in full after expansion (every group's alternation includes the member that was found);
// - an expanded pattern compiles or raises ERegExpParser, never anything else.

#include "fuzz_check.h"
#include "regex/basic_dictionary.h"
#include "regex/comma_text.h"
#include "regex/preprocessor.h"
#include "regex/regexp.h"
#include "regex/regexp_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace zorbe;

using zorbe::fuzz::Check;

TREDictionary ReadDictionary(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = SplitCommaText(line);
    Check(fields.size() <= line.size() + 1);
    for (const std::string& field : fields) {
      Check(field.find('\0') == std::string::npos);
    }
  }
  return DictionaryFromLines(lines);
}

std::unique_ptr<TRE_DFA> Compile(const std::string& expanded) {
  TRECompileBudget budget;
  budget.maxNfaStates = 10000;
  budget.dfa.maxCacheBytes = 1 << 20;
  try {
    return CompileRegExp(expanded, budget);
  } catch (const ERegExpParser&) {
    return nullptr;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::uint8_t options = data[0];
  const char* bytes = reinterpret_cast<const char*>(data + 2);
  const std::size_t dictionaryLength = std::min<std::size_t>(data[1], size - 2);
  const TREDictionary dictionary = ReadDictionary({bytes, dictionaryLength});
  const std::string_view rest(bytes + dictionaryLength,
                              std::min<std::size_t>(size - 2 - dictionaryLength, 24));
  const bool literal = (options & 4) != 0;
  const std::string pattern = literal ? QuoteRegExp(rest) : std::string(rest);

  TREPreProcessor preprocessor;
  preprocessor.SynonymDics().push_back(&dictionary);
  if ((options & 8) != 0) {
    preprocessor.FuzzyCharDics().push_back(&BasicFuzzyCharDic());
  }
  preprocessor.FuzzyCharDics().push_back(&dictionary);
  preprocessor.SetUseSynonymDic((options & 1) != 0);
  preprocessor.SetUseFuzzyCharDic((options & 2) != 0);
  preprocessor.SetText(pattern);
  try {
    preprocessor.Run();
  } catch (const ERegExpParser&) {
    return 0;
  }
  const std::string& expanded = preprocessor.OutputText();
  if ((options & 3) == 0) {
    Check(expanded == pattern);
  }
  const std::unique_ptr<TRE_DFA> dfa = Compile(expanded);
  const std::string_view text = rest.substr(0, rest.find('\0'));
  if (literal && dfa && text.size() == rest.size()) {
    const auto end = TREMatcher(*dfa).MatchAtLineStart(text, 0);
    Check(end && *end == text.size());
  }
  return 0;
}
