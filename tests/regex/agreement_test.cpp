// The engine against the reference matcher on generated patterns and texts (CP932 characters,
// characters with the alternate mark and escapes): every search kind from every character
// position, in both separator modes, with a roomy cache of states and with one so small that it
// is emptied again and again, and the sequence of matches a replace-all goes through.

#include "internal_text.h"
#include "reference_matcher.h"
#include "regex/regexp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zorbe {
namespace {

using test::Visible;

std::string Show(const std::optional<TREMatch>& match) {
  return match ? std::to_string(match->start) + ".." + std::to_string(match->end) : "none";
}

std::string Show(const std::vector<TREMatch>& matches) {
  std::string shown;
  for (const TREMatch& match : matches) {
    shown += Show(match) + " ";
  }
  return shown;
}

std::vector<TREMatch> AllMatches(const TREMatcher& matcher, const std::string& text) {
  std::vector<TREMatch> matches;
  matcher.ForEachMatch(text, [&](const TREMatch& match) { matches.push_back(match); });
  return matches;
}

// Character boundaries up to and including the end of the text.
std::vector<std::size_t> Positions(const std::string& text) {
  const std::size_t end = std::min(text.find('\0'), text.size());
  std::vector<std::size_t> positions{0};
  for (std::size_t pos = 0; pos < end;) {
    pos = test::ReadReference(text, pos).second;
    positions.push_back(pos);
  }
  return positions;
}

// The start, a third and two thirds into the text, on character boundaries.
std::vector<std::size_t> SomePositions(const std::string& text) {
  const std::vector<std::size_t> all = Positions(text);
  return {all.front(), all[all.size() / 3], all[all.size() * 2 / 3]};
}

class TAgreement {
public:
  // Compares the engine with the reference for one pattern and text; false on a difference.
  bool Check(const test::TRefPattern& pattern, const std::vector<const TRE_DFA*>& automata,
             const std::string& text, bool everyPosition = true) {
    for (const auto separator : {mcls_CRLF, mcls_LF}) {
      const test::TReferenceMatcher reference(pattern, separator);
      for (const TRE_DFA* dfa : automata) {
        const TREMatcher engine(*dfa, separator);
        for (const std::size_t pos : everyPosition ? Positions(text) : SomePositions(text)) {
          Compare("line start", reference.SearchAtLineStart(text, pos),
                  engine.SearchAtLineStart(text, pos), pos);
          Compare("from", reference.SearchFrom(text, pos), engine.SearchFrom(text, pos), pos);
          Compare("anchored", reference.AnchoredSearch(text, pos), engine.AnchoredSearch(text, pos),
                  pos);
          Compare("unanchored", reference.UnanchoredSearch(text, pos),
                  engine.UnanchoredSearch(text, pos), pos);
        }
        const std::string expected = Show(reference.AllMatches(text));
        const std::string actual = Show(AllMatches(engine, text));
        if (expected != actual) {
          differences_ += "  all matches: expected " + expected + "got " + actual + "\n";
        }
        if (!differences_.empty()) {
          ADD_FAILURE() << "pattern " << Visible(pattern.Text()) << " text " << Visible(text)
                        << (separator == mcls_CRLF ? " CRLF" : " LF")
                        << (dfa->Budget().maxCacheBytes == 0 ? " small cache" : "") << "\n"
                        << differences_;
          differences_.clear();
          return false;
        }
      }
    }
    ++comparisons_;
    return true;
  }

  int Comparisons() const { return comparisons_; }

private:
  void Compare(const char* search, const std::optional<TREMatch>& expected,
               const std::optional<TREMatch>& actual, std::size_t pos) {
    if (Show(expected) != Show(actual)) {
      differences_ += std::string("  ") + search + " from " + std::to_string(pos) + ": expected " +
                      Show(expected) + ", got " + Show(actual) + "\n";
    }
  }

  std::string differences_;
  int comparisons_ = 0;
};

TEST(REAgreement, EngineAgreesWithReferenceOnGeneratedInput) {
  test::TRefGenerator generator(20240611);
  TAgreement agreement;
  int failures = 0;
  const int patterns = 800;
  const int textsPerPattern = 6;
  for (int i = 0; i < patterns && failures < 5; ++i) {
    const test::TRefPattern pattern = generator.Pattern();
    const std::string text = pattern.Text();
    std::unique_ptr<TRE_DFA> tabled;
    std::unique_ptr<TRE_DFA> searched;
    try {
      tabled = CompileRegExp(text);
      // A cache of a few states, emptied again and again while searching, with transitions in
      // a hash table, and a checkpoint at every character for the searches of a replace-all.
      TRECompileBudget smallCache;
      smallCache.dfa.maxCacheBytes = 0;
      smallCache.dfa.maxRowClasses = 0;
      smallCache.dfa.checkpointSteps = 1;
      searched = CompileRegExp(text, smallCache);
    } catch (const ERegExpParser& error) {
      ADD_FAILURE() << "pattern " << Visible(text) << ": " << error.what();
      ++failures;
      continue;
    }
    EXPECT_EQ(tabled->LineStartAnchored(), pattern.HasLineStartAnchor()) << Visible(text);
    EXPECT_EQ(tabled->LineEndAnchored(), pattern.HasLineEndAnchor()) << Visible(text);
    for (int t = 0; t < textsPerPattern; ++t) {
      if (!agreement.Check(pattern, {tabled.get(), searched.get()}, generator.Text())) {
        ++failures;
        break;
      }
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GE(agreement.Comparisons(), patterns * textsPerPattern / 2);
}

// Long alternations: the start state has more moves than a lookup scans, so they are found
// through the move index by class.
TEST(REAgreement, LongAlternationsAgree) {
  test::TRefGenerator generator(31);
  TAgreement agreement;
  int failures = 0;
  for (int i = 0; i < 20 && failures < 3; ++i) {
    const test::TRefPattern pattern = generator.WordList(100 + 20 * i);
    TRECompileBudget smallCache;
    smallCache.dfa.maxCacheBytes = 0;
    smallCache.dfa.maxRowClasses = 0;
    smallCache.dfa.checkpointSteps = 1;
    const auto dfa = CompileRegExp(pattern.Text());
    const auto small = CompileRegExp(pattern.Text(), smallCache);
    for (int t = 0; t < 4; ++t) {
      failures += agreement.Check(pattern, {dfa.get(), small.get()}, generator.Text()) ? 0 : 1;
    }
  }
  EXPECT_EQ(failures, 0);
}

// Texts long enough for the vector scans of the start filter, each checked with the widest
// scan, the 128-bit one and plain bytes.
TEST(REAgreement, VectorScansAgreeOnLongTexts) {
  test::TRefGenerator generator(7);
  TAgreement agreement;
  int failures = 0;
  for (int i = 0; i < 250 && failures < 3; ++i) {
    const test::TRefPattern pattern = generator.Pattern();
    const auto dfa = CompileRegExp(pattern.Text());
    std::string text;
    while (text.size() < 70) {
      const std::string piece = generator.Text();
      text += piece.substr(0, piece.find('\0'));
      if (!text.empty() && static_cast<unsigned char>(text.back()) == 0x82) {
        text.pop_back();
      }
    }
    for (const unsigned bits : {256U, 128U, 0U}) {
      TREStartFilter::LimitVectorWidth(bits);
      failures += agreement.Check(pattern, {dfa.get()}, text, false) ? 0 : 1;
    }
    TREStartFilter::LimitVectorWidth(256);
  }
  EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace zorbe
