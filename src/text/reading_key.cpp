// Reading keys with MeCab, and their order. See reading_key.h for the rules.
//
// MeCab's C interface is looked up at run time (platform/shared_library.h) so that the program runs
// without it; the node layout comes from its header at build time (the library's soname fixes that
// layout).

#include "text/reading_key.h"

#include "platform/shared_library.h"
#include "text/internal_char.h"

#include "text/shift_jis.h"
#include "text/utf8_decode.h"

#include <mecab.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>

namespace zorbe {

struct TReadingDictionary::TApi {
  mecab_t* (*newTagger)(const char*) = nullptr;
  void (*destroy)(mecab_t*) = nullptr;
  const mecab_node_t* (*parse)(mecab_t*, const char*, size_t) = nullptr;
  const char* (*error)(mecab_t*) = nullptr;
  const mecab_dictionary_info_t* (*info)(mecab_t*) = nullptr;
};

namespace {

const char kInstallHint[] = "読みで並べ替えるには MeCab と IPA 辞書 (UTF-8) が必要です。"
                            "パッケージ libmecab2 と mecab-ipadic-utf8 をインストールしてください"
                            " (sudo apt-get install libmecab2 mecab-ipadic-utf8)。";

[[noreturn]] void Unavailable(const std::string& cause) {
  throw EReadingUnavailable(std::string(kInstallHint) + "\n" + cause);
}

template <typename F> void Bind(const TSharedLibrary& library, const char* name, F& function) {
  function = reinterpret_cast<F>(library.Symbol(name));
  if (function == nullptr) {
    Unavailable(std::string("MeCab のライブラリに ") + name + " がありません。");
  }
}

bool IsUtf8Charset(const char* charset) {
  std::string name = charset == nullptr ? "" : charset;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name == "utf-8" || name == "utf8";
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The reading in an IPA dictionary feature: its eighth field, or empty (unknown words, "*").
std::string_view ReadingField(const char* feature) {
  std::string_view rest = feature == nullptr ? "" : feature;
  for (int field = 0; field < 7; ++field) {
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
      return {};
    }
    rest.remove_prefix(comma + 1);
  }
  const std::string_view reading = rest.substr(0, rest.find(','));
  return reading == "*" ? std::string_view{} : reading;
}

} // namespace

TReadingDictionary::TReadingDictionary(const std::string& library,
                                       const std::string& dictionaryFolder)
    : api_(std::make_unique<TApi>()) {
  library_ = std::make_unique<TSharedLibrary>(library);
  if (!library_->IsOpen()) {
    Unavailable("MeCab のライブラリ " + library + " を開けません" +
                (library_->Error().empty() ? std::string() : ": " + library_->Error()) + "。");
  }
  Bind(*library_, "mecab_new2", api_->newTagger);
  Bind(*library_, "mecab_destroy", api_->destroy);
  Bind(*library_, "mecab_sparse_tonode2", api_->parse);
  Bind(*library_, "mecab_strerror", api_->error);
  Bind(*library_, "mecab_dictionary_info", api_->info);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(dictionaryFolder) / "sys.dic", ec)) {
    Unavailable("IPA 辞書 " + dictionaryFolder + " が見つかりません。");
  }
  // No resource file: the dictionary's own dicrc holds all that the analysis needs, and the
  // system's mecabrc may name a dictionary in another character code.
  arguments_ = "-r /dev/null -d " + dictionaryFolder;
  mecab_t* probe = api_->newTagger(arguments_.c_str());
  if (probe == nullptr) {
    const char* why = api_->error(nullptr);
    Unavailable("IPA 辞書 " + dictionaryFolder + " を開けません" +
                (why != nullptr ? std::string(": ") + why : std::string()) + "。");
  }
  const mecab_dictionary_info_t* info = api_->info(probe);
  const bool utf8 = info != nullptr && IsUtf8Charset(info->charset);
  api_->destroy(probe);
  if (!utf8) {
    Unavailable("辞書 " + dictionaryFolder + " は UTF-8 ではありません。");
  }
}

TReadingDictionary::~TReadingDictionary() = default;

TReadingAnalyzer::TReadingAnalyzer(const TReadingDictionary& dictionary,
                                   const TInternalCodec& codec)
    : dictionary_(dictionary), codec_(codec) {
  tagger_ = dictionary.Api().newTagger(dictionary.TaggerArguments().c_str());
  if (tagger_ == nullptr) {
    Unavailable("MeCab を起動できません。");
  }
}

TReadingAnalyzer::~TReadingAnalyzer() {
  dictionary_.Api().destroy(static_cast<mecab_t*>(tagger_));
}

void TReadingAnalyzer::AppendReading(std::string_view line, std::string& out) {
  line_ = line;
  segment_.clear();
  offsets_.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  for (std::size_t i = 0; i < size;) {
    std::size_t length = 0;
    const char32_t c = codec_.Decode(p + i, p + size, length);
    if (c == kNoCharacter || c == 0) {
      // Not a character MeCab can read: kept as it stands between the runs around it.
      AnalyseSegment(out);
      out.append(line.substr(i, length));
    } else {
      if (segment_.empty()) {
        segmentStart_ = i;
      }
      offsets_.resize(segment_.size(), 0);
      offsets_.push_back(static_cast<std::uint32_t>(i - segmentStart_));
      AppendUtf8(c, segment_);
      segmentEnd_ = i + length;
    }
    i += length;
  }
  AnalyseSegment(out);
}

// Analyses the run of characters in segment_ and appends its reading.
void TReadingAnalyzer::AnalyseSegment(std::string& out) {
  if (segment_.empty()) {
    return;
  }
  offsets_.resize(segment_.size(), 0);
  offsets_.push_back(static_cast<std::uint32_t>(segmentEnd_ - segmentStart_));
  const auto& api = dictionary_.Api();
  const mecab_node_t* node =
      api.parse(static_cast<mecab_t*>(tagger_), segment_.data(), segment_.size());
  std::size_t done = 0; // UTF-8 bytes of the segment already in the key
  for (; node != nullptr; node = node->next) {
    if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) {
      continue;
    }
    const auto start = static_cast<std::size_t>(node->surface - segment_.data());
    const std::size_t end = start + node->length;
    if (start < done || end > segment_.size()) {
      continue; // not a token of this text; never expected
    }
    out.append(Original(done, start)); // whitespace MeCab skipped
    AppendToken(ReadingField(node->feature), out, Original(start, end));
    done = end;
  }
  out.append(Original(done, segment_.size()));
  segment_.clear();
  offsets_.clear();
}

// The line's own bytes of segment_[from, to).
std::string_view TReadingAnalyzer::Original(std::size_t from, std::size_t to) const {
  return line_.substr(segmentStart_ + offsets_[from], offsets_[to] - offsets_[from]);
}

// Appends a token's reading (UTF-8) in the internal form, hiragana as katakana; a token without
// a reading, or with one the job has no codes for, gives its own bytes.
void TReadingAnalyzer::AppendToken(std::string_view reading, std::string& out,
                                   std::string_view original) {
  const std::size_t mark = out.size();
  const auto* p = reinterpret_cast<const unsigned char*>(reading.data());
  const auto* end = p + reading.size();
  while (p < end) {
    char32_t c = 0;
    const std::size_t length = utf8::Decode(p, end, c);
    if (length == 0) {
      break;
    }
    if (c >= 0x3041 && c <= 0x3096) {
      c += 0x60; // hiragana as katakana
    }
    unsigned char bytes[kMaxInternalCharLength];
    const std::size_t put = codec_.Put(c, bytes);
    if (put == 0) {
      break;
    }
    out.append(reinterpret_cast<const char*>(bytes), put);
    p += length;
  }
  if (reading.empty() || p != end) {
    out.resize(mark);
    AppendOriginal(original, out);
  }
}

// Appends a token's own bytes, hiragana as katakana.
void TReadingAnalyzer::AppendOriginal(std::string_view original, std::string& out) const {
  for (std::size_t i = 0; i < original.size(); ++i) {
    const auto lead = static_cast<unsigned char>(original[i]);
    if (!IsLeadByte(lead) || i + 1 == original.size()) {
      out += original[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(original[++i]);
    const char32_t c = TCp932Tables::Get().Decode(static_cast<std::uint16_t>(lead << 8 | trail));
    const std::uint16_t katakana =
        c >= 0x3041 && c <= 0x3093 ? codec_.PlainCode(c + 0x60) : kNoCode;
    if (katakana != kNoCode && katakana >= 0x100) {
      out += static_cast<char>(katakana >> 8);
      out += static_cast<char>(katakana & 0xFF);
    } else {
      out += static_cast<char>(lead);
      out += static_cast<char>(trail);
    }
  }
}

// --- the order of keys ---

namespace {

constexpr char32_t kFirstKatakana = 0x30A1; // ァ, CP932 0x8340
constexpr std::uint16_t kLongMark = 0x815B; // ー

enum TRank : std::uint8_t { kPlain, kSmall, kVoiced, kSemiVoiced, kLong };

struct TFolded {
  char32_t base;
  TRank rank;
};

// The katakana of a CP932 code, or 0.
char32_t KatakanaOf(std::uint16_t code) {
  if (code >= 0x8340 && code <= 0x837E) {
    return kFirstKatakana + (code - 0x8340);
  }
  if (code >= 0x8380 && code <= 0x8396) {
    return kFirstKatakana + 0x3F + (code - 0x8380);
  }
  return 0;
}

std::uint16_t CodeOfKatakana(char32_t k) {
  const unsigned i = static_cast<unsigned>(k - kFirstKatakana);
  return static_cast<std::uint16_t>(i < 0x3F ? 0x8340 + i : 0x8380 + (i - 0x3F));
}

TFolded Fold(char32_t k) {
  switch (k) {
  case 0x30A1:
  case 0x30A3:
  case 0x30A5:
  case 0x30A7:
  case 0x30A9: // ァィゥェォ
  case 0x30C3:
  case 0x30E3:
  case 0x30E5:
  case 0x30E7:
  case 0x30EE: // ッャュョヮ
    return {k + 1, kSmall};
  case 0x30F5:
    return {0x30AB, kSmall}; // ヵ
  case 0x30F6:
    return {0x30B1, kSmall}; // ヶ
  case 0x30F4:
    return {0x30A6, kVoiced}; // ヴ
  default:
    break;
  }
  if (k >= 0x30AB && k <= 0x30C2 && (k - 0x30AB) % 2 == 1) { // ガ-ヂ
    return {k - 1, kVoiced};
  }
  if (k >= 0x30C4 && k <= 0x30C9 && (k - 0x30C4) % 2 == 1) { // ヅデド
    return {k - 1, kVoiced};
  }
  if (k >= 0x30CF && k <= 0x30DD) { // ハ行
    const unsigned r = (k - 0x30CF) % 3;
    return {k - r, r == 0 ? kPlain : r == 1 ? kVoiced : kSemiVoiced};
  }
  return {k, kPlain};
}

// The vowel (ア イ ウ エ オ) that ー stands for after a large unvoiced kana, or 0.
char32_t VowelOf(char32_t base) {
  static constexpr std::u32string_view kRows[] = {U"アカサタナハマヤラワ", U"イキシチニヒミリヰ",
                                                  U"ウクスツヌフムユル", U"エケセテネヘメレヱ",
                                                  U"オコソトノホモヨロヲ"};
  static constexpr char32_t kVowels[] = {0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA};
  for (int v = 0; v < 5; ++v) {
    if (kRows[v].find(base) != std::u32string_view::npos) {
      return kVowels[v];
    }
  }
  return 0;
}

// Walks a key one character at a time, giving its folded code and rank.
class TFoldingCursor {
public:
  explicit TFoldingCursor(std::string_view key) : key_(key) {}
  bool AtEnd() const { return at_ >= key_.size(); }

  // The next character: folded code (a byte, or lead * 256 + trail) and its rank.
  std::pair<std::uint16_t, TRank> Next() {
    const auto b = static_cast<unsigned char>(key_[at_]);
    if (!IsLeadByte(b) || at_ + 1 == key_.size()) {
      ++at_;
      vowel_ = 0;
      return {b, kPlain};
    }
    const auto code =
        static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(key_[at_ + 1]));
    at_ += 2;
    if (code == kLongMark) {
      const char32_t vowel = vowel_;
      return vowel != 0 ? std::pair{CodeOfKatakana(vowel), kLong} : std::pair{code, kPlain};
    }
    const char32_t k = KatakanaOf(code);
    if (k == 0) {
      vowel_ = 0;
      return {code, kPlain};
    }
    const TFolded folded = Fold(k);
    vowel_ = VowelOf(folded.base);
    return {CodeOfKatakana(folded.base), folded.rank};
  }

private:
  std::string_view key_;
  std::size_t at_ = 0;
  char32_t vowel_ = 0; // what ー reads as here
};

// Orders two character codes as their bytes would: a single byte against a pair by its lead.
int CompareCodes(std::uint16_t a, std::uint16_t b) {
  const unsigned ka = a >= 0x100 ? a : static_cast<unsigned>(a) << 8;
  const unsigned kb = b >= 0x100 ? b : static_cast<unsigned>(b) << 8;
  if (ka != kb) {
    return ka < kb ? -1 : 1;
  }
  return (a >= 0x100) - (b >= 0x100);
}

} // namespace

int CompareReadings(std::string_view a, std::string_view b) {
  TFoldingCursor x(a);
  TFoldingCursor y(b);
  int byRank = 0;
  while (!x.AtEnd() && !y.AtEnd()) {
    const auto [codeA, rankA] = x.Next();
    const auto [codeB, rankB] = y.Next();
    if (const int c = CompareCodes(codeA, codeB); c != 0) {
      return c;
    }
    if (byRank == 0 && rankA != rankB) {
      byRank = rankA < rankB ? -1 : 1;
    }
  }
  if (x.AtEnd() != y.AtEnd()) {
    return x.AtEnd() ? -1 : 1;
  }
  return byRank;
}

} // namespace zorbe
