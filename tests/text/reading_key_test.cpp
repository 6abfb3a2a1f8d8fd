// Reading keys: the order of readings (hand-picked cases for every folding rule), MeCab's
// analysis of lines in the internal form, the refusal without MeCab or its dictionary, and an
// oracle from the IPA dictionary's own entries.

#include "text/reading_key.h"

#include "test_support.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace zorbe {
namespace {

using test::Internal;

std::string Utf8(std::string_view internal) {
  return test::Utf8OfInternal(internal);
}

const TInternalCodec& UnicodeCodec() {
  return TInternalCodec::For(TOutputCode::Utf8);
}

TEST(CompareReadings, FoldingRulesOrderAsInADictionary) {
  // Each row lists readings in their order; every earlier one sorts before every later one.
  const std::vector<std::vector<std::string_view>> orders = {
      {"カート", "カード", "ガード"}, // voiced after unvoiced, ー as the vowel before it
      {"ハハ", "ババ", "パパ"},       // unvoiced, voiced, semi-voiced
      {"キヤ", "キャ"},               // large before small
      {"ツ", "ッ", "ヅ"},
      {"カア", "カー", "カイ"}, // ー reads as ア after カ, and sorts after the vowel itself
      {"コウ", "コーヒー"},     // ー after コ is オ, after ウ
      {"カ", "カア"},           // a prefix first
      {"A", "ア", "漢"},        // other characters by their codes
      {"ー", "ア"},             // ー with no kana before it stays itself
      {"ウ", "ヴ", "エ"},
      {"カ", "ヵ", "ガ", "キ"},
      {"ケ", "ヶ", "ゲ"},
  };
  for (const auto& order : orders) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      const std::string a = Internal(order[i]);
      EXPECT_EQ(CompareReadings(a, a), 0) << order[i];
      for (std::size_t j = i + 1; j < order.size(); ++j) {
        const std::string b = Internal(order[j]);
        EXPECT_LT(CompareReadings(a, b), 0) << order[i] << " < " << order[j];
        EXPECT_GT(CompareReadings(b, a), 0) << order[j] << " > " << order[i];
      }
    }
  }
}

TEST(CompareReadings, FirstStepDecidesBeforeVoicing) {
  // Raw codes would put バイ (0x836F) before ハウ (0x836E 0x8345) the other way; folded, ハイ <
  // ハウ.
  EXPECT_LT(CompareReadings(Internal("バイ"), Internal("ハウ")), 0);
  EXPECT_LT(CompareReadings(Internal("ヂ"), Internal("ツ")), 0);
}

TEST(CompareByReading, EqualReadingsFallBackToTheLinesBytes) {
  const std::string reading = Internal("ハシ");
  const std::string hashi = Internal("橋");           // 0x8BB4
  const std::string hashiChopsticks = Internal("箸"); // 0x94A2
  EXPECT_LT(CompareByReading(reading, hashi, reading, hashiChopsticks), 0);
  EXPECT_GT(CompareByReading(reading, hashiChopsticks, reading, hashi), 0);
  EXPECT_EQ(CompareByReading(reading, hashi, reading, hashi), 0);
  // The reading decides before the bytes.
  EXPECT_LT(CompareByReading(Internal("アシ"), hashiChopsticks, reading, hashi), 0);
}

// The dictionary, or a skip where this machine lacks it (CI installs it).
const TReadingDictionary* Dictionary() {
  static std::unique_ptr<TReadingDictionary> dictionary = [] {
    try {
      return std::make_unique<TReadingDictionary>();
    } catch (const EReadingUnavailable&) {
      return std::unique_ptr<TReadingDictionary>();
    }
  }();
  return dictionary.get();
}

#define REQUIRE_DICTIONARY()                                                                       \
  if (Dictionary() == nullptr)                                                                     \
  GTEST_SKIP() << "MeCab or mecab-ipadic-utf8 is not installed"

TEST(ReadingAnalyzer, ReadsLinesAsKatakana) {
  REQUIRE_DICTIONARY();
  TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
  const std::vector<std::pair<std::string_view, std::string_view>> cases = {
      {"東京", "トウキョウ"},
      {"大阪", "オオサカ"},
      {"京都", "キョウト"},
      {"", ""},
      {"ABC 123", "ABC 123"},                       // no reading: the text itself, spaces kept
      {"  東京　大阪 ", "  トウキョウ　オオサカ "}, // whitespace where it stood
      {"東京,大阪", "トウキョウ,オオサカ"},         // CSV columns stay columns
  };
  for (const auto& [line, reading] : cases) {
    EXPECT_EQ(Utf8(analyzer.Reading(Internal(line))), reading) << line;
  }
}

TEST(ReadingAnalyzer, KeepsBytesThatAreNoCharacter) {
  REQUIRE_DICTIONARY();
  TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
  const std::string line = Internal("東京") + "\x85\x40" + Internal("大阪") + std::string(1, '\0');
  EXPECT_EQ(analyzer.Reading(line),
            Internal("トウキョウ") + "\x85\x40" + Internal("オオサカ") + std::string(1, '\0'));
}

TEST(ReadingAnalyzer, CharactersCp932LacksStayThemselves) {
  REQUIRE_DICTIONARY();
  TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
  for (const std::string_view line : {"𠮷", "한국어", "Straße"}) {
    EXPECT_EQ(Utf8(analyzer.Reading(Internal(line))), line);
  }
}

TEST(ReadingAnalyzer, SortsPlaceNamesInDictionaryOrder) {
  REQUIRE_DICTIONARY();
  TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
  std::vector<std::string> lines = {Internal("東京"), Internal("京都"), Internal("大阪")};
  std::sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) {
    return CompareByReading(analyzer.Reading(a), a, analyzer.Reading(b), b) < 0;
  });
  EXPECT_EQ(Utf8(lines[0]), "大阪");
  EXPECT_EQ(Utf8(lines[1]), "京都");
  EXPECT_EQ(Utf8(lines[2]), "東京");
}

TEST(ReadingAnalyzer, OneAnalyzerPerThreadGivesTheSameKeys) {
  REQUIRE_DICTIONARY();
  const std::vector<std::string> lines = {Internal("東京都千代田区"), Internal("日本語の文章"),
                                          Internal("形態素解析")};
  std::vector<std::string> first(lines.size());
  std::vector<std::string> second(lines.size());
  auto analyse = [&](std::vector<std::string>& keys) {
    TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
    for (int round = 0; round < 50; ++round) {
      for (std::size_t i = 0; i < lines.size(); ++i) {
        keys[i] = analyzer.Reading(lines[i]);
      }
    }
  };
  std::thread a(analyse, std::ref(first));
  std::thread b(analyse, std::ref(second));
  a.join();
  b.join();
  EXPECT_EQ(first, second);
  EXPECT_EQ(Utf8(first[0]), "トウキョウトチヨダク");
}

TEST(ReadingDictionary, RefusesWithTheMissingPackageNamed) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"libzorbe-no-such-mecab.so.2", TReadingDictionary::kDictionaryFolder},
      {TReadingDictionary::kLibrary, "/nonexistent/ipadic-utf8"},
  };
  for (const auto& [library, folder] : cases) {
    if (library == TReadingDictionary::kLibrary && Dictionary() == nullptr) {
      continue; // the library itself is missing: the first case already covers it
    }
    try {
      TReadingDictionary dictionary(library, folder);
      ADD_FAILURE() << "accepted " << library << " " << folder;
    } catch (const EReadingUnavailable& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("mecab-ipadic-utf8"), std::string::npos) << message;
      EXPECT_NE(message.find("libmecab2"), std::string::npos) << message;
    }
  }
}

// --- the oracle: the IPA dictionary's own entries ---

std::string EucJpToUtf8(const std::string& euc) {
  iconv_t cd = iconv_open("UTF-8", "EUC-JP");
  std::string out(euc.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(euc.data());
  std::size_t inLeft = euc.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) {
    return {};
  }
  out.resize(out.size() - outLeft);
  return out;
}

// Single nouns with one reading, every `step`-th entry of the dictionary's Noun.csv.
std::vector<std::pair<std::string, std::string>> DictionaryNouns(std::size_t step) {
  std::ifstream file("/usr/share/mecab/dic/ipadic/Noun.csv", std::ios::binary);
  if (!file) {
    return {};
  }
  std::map<std::string, std::set<std::string>> readings;
  std::string raw;
  while (std::getline(file, raw)) {
    std::vector<std::string> fields;
    std::stringstream columns(EucJpToUtf8(raw));
    for (std::string field; std::getline(columns, field, ',');) {
      fields.push_back(field);
    }
    if (fields.size() >= 12) {
      readings[fields[0]].insert(fields[11]);
    }
  }
  std::vector<std::pair<std::string, std::string>> nouns;
  std::size_t index = 0;
  for (const auto& [surface, set] : readings) {
    if (set.size() == 1 && index++ % step == 0) {
      nouns.emplace_back(surface, *set.begin());
    }
  }
  return nouns;
}

TEST(ReadingOracle, DictionaryNounsSortInTheOrderOfTheirReadings) {
  REQUIRE_DICTIONARY();
  const auto nouns = DictionaryNouns(17);
  if (nouns.empty()) {
    GTEST_SKIP() << "mecab-ipadic's Noun.csv is not installed";
  }
  ASSERT_GT(nouns.size(), 2000u);
  TReadingAnalyzer analyzer(*Dictionary(), UnicodeCodec());
  struct TLine {
    std::string bytes, key, dictionaryReading;
  };
  std::vector<TLine> lines;
  std::size_t readAsInTheDictionary = 0;
  for (const auto& [surface, reading] : nouns) {
    TLine line{Internal(surface), {}, Internal(reading)};
    line.key = analyzer.Reading(line.bytes);
    readAsInTheDictionary += line.key == line.dictionaryReading;
    lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end(), [](const TLine& a, const TLine& b) {
    return CompareByReading(a.key, a.bytes, b.key, b.bytes) < 0;
  });
  // The lines that stand in the order of their dictionary readings: the longest subsequence of
  // the sorted lines that their dictionary readings keep in order.
  std::vector<const TLine*> tails;
  for (const TLine& line : lines) {
    auto before = [](const TLine* a, const TLine* b) {
      return CompareByReading(a->dictionaryReading, a->bytes, b->dictionaryReading, b->bytes) < 0;
    };
    const auto at = std::lower_bound(tails.begin(), tails.end(), &line, before);
    if (at == tails.end()) {
      tails.push_back(&line);
    } else {
      *at = &line;
    }
  }
  const double inOrder = static_cast<double>(tails.size()) / static_cast<double>(lines.size());
  const double sameReading =
      static_cast<double>(readAsInTheDictionary) / static_cast<double>(lines.size());
  std::cout << lines.size() << " nouns; read as in the dictionary: " << sameReading * 100
            << "%; in dictionary order: " << inOrder * 100 << "%\n";
  EXPECT_GE(inOrder, 0.96);
}

} // namespace
} // namespace zorbe
