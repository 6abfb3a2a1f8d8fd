// Checking a file's bytes against its code, and the second opinion (see code_check.h).

#include "text/code_check.h"

#include "text/byte_lanes.h"

#include "platform/run_both.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <strings.h>

namespace zorbe {
namespace {

constexpr bool In(unsigned c, unsigned lo, unsigned hi) {
  return c >= lo && c <= hi;
}

// What a byte is in Shift-JIS: a character by itself, a lead byte, or no character.
enum TSjisClass : unsigned char { sjSingle, sjLead, sjNone };

constexpr std::array<unsigned char, 256> MakeSjisClasses() {
  std::array<unsigned char, 256> classes{};
  for (unsigned b = 0; b < 256; ++b) {
    classes[b] = b <= 0x7F || In(b, 0xA1, 0xDF)           ? sjSingle
                 : In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC) ? sjLead
                                                          : sjNone;
  }
  return classes;
}
constexpr std::array<unsigned char, 256> kSjisClasses = MakeSjisClasses();

bool IsSjisTrail(unsigned char c) {
  return In(c, 0x40, 0x7E) || In(c, 0x80, 0xFC);
}

// The number of bytes at p, up to end, below 0x80, taken eight at a time.
std::size_t AsciiRun(const unsigned char* p, const unsigned char* end) {
  const unsigned char* q = p;
  while (end - q >= 8) {
    std::uint64_t word;
    std::memcpy(&word, q, 8);
    if ((word & 0x8080808080808080ull) != 0) {
      break;
    }
    q += 8;
  }
  while (q < end && *q < 0x80) {
    ++q;
  }
  return static_cast<std::size_t>(q - p);
}

// The byte-at-a-time check from `start`; `leadBefore`: the byte before `start` is a lead byte
// that takes the byte at `start` as its second byte.
std::size_t FirstUnfitSjisFrom(const unsigned char* p, std::size_t size, std::size_t start,
                               bool leadBefore) {
  const unsigned char* const end = p + size;
  const unsigned char* q = p + start;
  if (leadBefore) {
    if (q == end) {
      return std::string::npos; // a lone lead byte at the very end
    }
    if (!IsSjisTrail(*q)) {
      return start - 1;
    }
    ++q;
  }
  while (q < end) {
    q += AsciiRun(q, end);
    while (q < end && *q >= 0x80) {
      const unsigned char kind = kSjisClasses[*q];
      if (kind == sjSingle) {
        ++q;
      } else if (kind == sjLead) {
        if (q + 1 == end) {
          return std::string::npos; // a lone lead byte at the very end
        }
        if (!IsSjisTrail(q[1])) {
          return static_cast<std::size_t>(q - p);
        }
        q += 2;
      } else {
        return static_cast<std::size_t>(q - p);
      }
    }
  }
  return std::string::npos;
}

#if defined(__SSE2__)
// Sixty-four bytes at a time: which bytes a lead byte takes as its second byte follows from the
// runs of bytes in the lead range alone (a lead byte takes the byte after it, whatever that is,
// and a byte so taken starts nothing), so the pairs are found with a few additions on bit masks
// instead of walking from character to character.

// Bit i of the mask: the predicate holds for byte i of the 64 at p.
template <typename Predicate> std::uint64_t Mask64(const unsigned char* p, Predicate predicate) {
  std::uint64_t mask = 0;
  for (int k = 0; k < 4; ++k) {
    mask |= std::uint64_t{lanes::Bits(predicate(lanes::Load(p + 16 * k)))} << (16 * k);
  }
  return mask;
}

// The bytes of a 64-byte block taken as the second byte of a pair, given the bytes in the lead
// range. `carry`: 1 when the block's first byte is taken by the last byte of the block before;
// on return, the same for the next block.
std::uint64_t TakenBytes(std::uint64_t leadRange, std::uint64_t& carry) {
  constexpr std::uint64_t kEven = 0x5555555555555555ull;
  constexpr std::uint64_t kOdd = ~kEven;
  const std::uint64_t starters = leadRange & ~carry;
  const std::uint64_t runStarts = starters & ~(starters << 1);
  // In a run of lead-range bytes the first starts a pair and the bytes alternate from there;
  // the byte after the run is taken when the run is odd in length.
  const std::uint64_t evenSum = starters + (runStarts & kEven);
  std::uint64_t oddSum = 0;
  const bool oddOverflow = __builtin_add_overflow(starters, runStarts & kOdd, &oddSum);
  const std::uint64_t evenRuns = starters & ~evenSum;
  const std::uint64_t oddRuns = starters & ~evenRuns;
  const std::uint64_t taken = ((evenRuns | (evenSum & ~starters)) & kOdd) |
                              ((oddRuns | (oddSum & ~starters)) & kEven) | carry;
  carry = oddOverflow ? 1 : 0;
  return taken;
}

std::size_t FirstUnfitSjis(const unsigned char* p, std::size_t size) {
  using lanes::InRange;
  std::uint64_t carry = 0;
  std::size_t base = 0;
  for (; size - base >= 64; base += 64) {
    const unsigned char* block = p + base;
    const std::uint64_t high = Mask64(block, [](__m128i v) { return v; });
    if (high == 0 && carry == 0) {
      continue;
    }
    const std::uint64_t leadRange = Mask64(block, [](__m128i v) {
      return _mm_or_si128(InRange(v, 0x81, 0x9F), InRange(v, 0xE0, 0xFC));
    });
    const std::uint64_t trail = Mask64(block, [](__m128i v) {
      return _mm_or_si128(InRange(v, 0x40, 0x7E), InRange(v, 0x80, 0xFC));
    });
    const std::uint64_t noCharacter = Mask64(block, [](__m128i v) {
      return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\x80')),
                                       _mm_cmpeq_epi8(v, _mm_set1_epi8('\xA0'))),
                          InRange(v, 0xFD, 0xFF));
    });
    const std::uint64_t taken = TakenBytes(leadRange, carry);
    const std::uint64_t badTrail = taken & ~trail;
    const std::uint64_t badSingle = ~taken & ~leadRange & noCharacter;
    if ((badTrail | badSingle) != 0) {
      // A bad second byte is named by its lead byte.
      const std::size_t atTrail = badTrail != 0 ? base + __builtin_ctzll(badTrail) - 1 : size;
      const std::size_t atSingle = badSingle != 0 ? base + __builtin_ctzll(badSingle) : size;
      return std::min(atTrail, atSingle);
    }
  }
  return FirstUnfitSjisFrom(p, size, base, carry != 0);
}
#else
std::size_t FirstUnfitSjis(const unsigned char* p, std::size_t size) {
  return FirstUnfitSjisFrom(p, size, 0, false);
}
#endif

// The byte-at-a-time check from `start`; `leadBefore`: the byte before `start` (0xA1-0xFE or
// 0x8E) starts a pair whose second byte is at `start`, or 0.
std::size_t FirstUnfitEucFrom(const unsigned char* p, std::size_t size, std::size_t start,
                              unsigned char leadBefore) {
  const unsigned char* const end = p + size;
  const unsigned char* q = p + start;
  auto pairByte = [](unsigned char c) { return In(c, 0xA1, 0xFE); };
  if (leadBefore != 0) {
    const bool fits = q < end && (leadBefore == 0x8E ? In(*q, 0xA1, 0xDF) : pairByte(*q));
    if (!fits) {
      return start - 1;
    }
    ++q;
  }
  while (q < end) {
    q += AsciiRun(q, end);
    while (q < end && *q >= 0x80) {
      const unsigned char b = *q;
      const auto left = end - q;
      if (pairByte(b) && left >= 2 && pairByte(q[1])) {
        q += 2;
      } else if (b == 0x8E && left >= 2 && In(q[1], 0xA1, 0xDF)) {
        q += 2;
      } else if (b == 0x8F && left >= 3 && pairByte(q[1]) && pairByte(q[2])) {
        q += 3;
      } else {
        return static_cast<std::size_t>(q - p);
      }
    }
  }
  return std::string::npos;
}

#if defined(__SSE2__)
// EUC text without JIS X 0212 (no byte 0x8F) is pairs only: the same bit-mask pairing as for
// Shift-JIS, with 0xA1-0xFE and 0x8E starting pairs.
std::size_t FirstUnfitEuc(const unsigned char* p, std::size_t size) {
  using lanes::InRange;
  if (std::memchr(p, 0x8F, size) != nullptr) {
    return FirstUnfitEucFrom(p, size, 0, 0);
  }
  std::uint64_t carry = 0;
  std::uint64_t carrySs2 = 0; // the last byte of the block before is a single shift 0x8E
  std::size_t base = 0;
  for (; size - base >= 64; base += 64) {
    const unsigned char* block = p + base;
    const std::uint64_t high = Mask64(block, [](__m128i v) { return v; });
    if (high == 0 && carry == 0) {
      continue;
    }
    const std::uint64_t pairRange = Mask64(block, [](__m128i v) { return InRange(v, 0xA1, 0xFE); });
    const std::uint64_t ss2 =
        Mask64(block, [](__m128i v) { return _mm_cmpeq_epi8(v, _mm_set1_epi8('\x8E')); });
    const std::uint64_t kana = Mask64(block, [](__m128i v) { return InRange(v, 0xA1, 0xDF); });
    const std::uint64_t taken = TakenBytes(pairRange | ss2, carry);
    const std::uint64_t startingSs2 = ss2 & ~taken;
    const std::uint64_t afterSs2 = startingSs2 << 1 | carrySs2;
    carrySs2 = startingSs2 >> 63;
    const std::uint64_t badSecond = (taken & ~pairRange) | (afterSs2 & ~kana);
    const std::uint64_t badSingle = ~taken & high & ~(pairRange | ss2);
    if ((badSecond | badSingle) != 0) {
      // A bad second byte is named by the byte that starts its pair.
      const std::size_t atSecond = badSecond != 0 ? base + __builtin_ctzll(badSecond) - 1 : size;
      const std::size_t atSingle = badSingle != 0 ? base + __builtin_ctzll(badSingle) : size;
      return std::min(atSecond, atSingle);
    }
  }
  const unsigned char leadBefore = carry == 0 ? 0 : carrySs2 != 0 ? 0x8E : 0xA1;
  return FirstUnfitEucFrom(p, size, base, leadBefore);
}
#else
std::size_t FirstUnfitEuc(const unsigned char* p, std::size_t size) {
  return FirstUnfitEucFrom(p, size, 0, 0);
}
#endif

std::size_t FirstUnfitJis(const unsigned char* p, std::size_t size) {
  bool twoByte = false;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char b = p[i];
    if (b == 0x1B && i + 1 < size) {
      twoByte = p[i + 1] == '$' ? true : p[i + 1] == '(' ? false : twoByte;
      i += 2;
      continue;
    }
    if (twoByte && b >= 0x7F) {
      return i;
    }
  }
  return std::string::npos;
}

std::size_t FirstUnfitIn(std::string_view bytes, TCodeFamily family) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  switch (family) {
  case TCodeFamily::ShiftJis:
    return FirstUnfitSjis(p, bytes.size());
  case TCodeFamily::Euc:
    return FirstUnfitEuc(p, bytes.size());
  case TCodeFamily::Jis:
    return FirstUnfitJis(p, bytes.size());
  default:
    return std::string::npos;
  }
}

} // namespace

// A large Shift-JIS or EUC text is checked in two parts on two threads. It is split after an
// LF, which is never the second byte of a character in either code, so the second part starts
// with a character, as it does for the check of the whole.
std::size_t FirstUnfitByte(std::string_view bytes, TCharCode code) {
  constexpr std::size_t kWorthBothCores = std::size_t{16} << 20;
  const TCodeFamily family = FamilyOf(code);
  const std::size_t lineEnd = bytes.size() >= kWorthBothCores && (family == TCodeFamily::ShiftJis ||
                                                                  family == TCodeFamily::Euc)
                                  ? bytes.find('\n', bytes.size() / 2)
                                  : std::string_view::npos;
  if (lineEnd == std::string_view::npos) {
    return FirstUnfitIn(bytes, family);
  }
  const std::size_t split = lineEnd + 1;
  std::size_t first = std::string::npos;
  std::size_t second = std::string::npos;
  RunBoth([&] { first = FirstUnfitIn(bytes.substr(0, split), family); },
          [&] { second = FirstUnfitIn(bytes.substr(split), family); });
  if (first != std::string::npos || second == std::string::npos) {
    return first;
  }
  return split + second;
}

TCheckedCode CheckCode(std::string_view bytes, TCharCode detected) {
  const std::size_t unfit = FirstUnfitByte(bytes, detected);
  if (unfit == std::string::npos) {
    return {detected};
  }
  if (IsJis2004Code(detected)) {
    return {ccUndecided, unfit}; // named by a coding mark or by the user: no other code is tried
  }
  // The other legacy codes; JIS is no candidate: a file without escape sequences is ASCII in
  // it, which the detected code would have fitted.
  TCharCode fits[2];
  std::size_t fitting = 0;
  std::size_t lastFailure = unfit;
  for (const TCharCode other : {ccShiftJis, ccEuc}) {
    if (FamilyOf(other) == FamilyOf(detected)) {
      continue;
    }
    const std::size_t at = FirstUnfitByte(bytes, other);
    if (at == std::string::npos) {
      fits[fitting++] = other;
    } else if (at > lastFailure) {
      lastFailure = at;
    }
  }
  if (fitting == 1) {
    return {fits[0]};
  }
  if (fitting == 2) {
    return {SecondOpinion(bytes)}; // ccUndecided without an offset: ambiguous
  }
  return {ccUndecided, lastFailure};
}

TSecondOpinion::TSecondOpinion() : detector_(uchardet_new()) {}

TSecondOpinion::~TSecondOpinion() {
  uchardet_delete(static_cast<uchardet_t>(detector_));
}

void TSecondOpinion::Feed(std::string_view piece) {
  uchardet_handle_data(static_cast<uchardet_t>(detector_), piece.data(), piece.size());
  for (const char ch : piece) {
    const auto c = static_cast<unsigned char>(ch);
    if (pending_ > 0) {
      if (!In(c, 0xA1, 0xFE)) {
        eucPossible_ = false;
      }
      if (--pending_ == 0 && lead_ != 0) {
        ++pairs_;
        kanaPairs_ += lead_ == 0xA4 || lead_ == 0xA5;
      }
      continue;
    }
    if (c < 0x80) {
      continue;
    }
    if (In(c, 0xA1, 0xFE)) {
      pending_ = 1;
      lead_ = c;
    } else if (c == 0x8E || c == 0x8F) {
      pending_ = c == 0x8E ? 1 : 2;
      lead_ = 0; // half-width katakana and JIS X 0212 don't count as pairs
    } else {
      eucPossible_ = false;
    }
  }
}

TCharCode TSecondOpinion::Result() {
  const auto detector = static_cast<uchardet_t>(detector_);
  uchardet_data_end(detector);
  const char* charset = uchardet_get_charset(detector);
  if (charset != nullptr && ::strcasecmp(charset, "EUC-JP") == 0 && eucPossible_) {
    return ccEuc;
  }
  if (charset != nullptr && ::strcasecmp(charset, "SHIFT_JIS") == 0) {
    return ccShiftJis;
  }
  if (!eucPossible_ || pending_ != 0) {
    return ccShiftJis;
  }
  if (pairs_ == 0) {
    return ccUndecided;
  }
  if (kanaPairs_ * 4 >= pairs_) {
    return ccEuc;
  }
  if (kanaPairs_ * 20 <= pairs_) {
    return ccShiftJis;
  }
  return ccUndecided;
}

TCharCode SecondOpinion(std::string_view bytes) {
  TSecondOpinion opinion;
  opinion.Feed(bytes);
  return opinion.Result();
}

std::string UchardetName(std::string_view bytes) {
  const uchardet_t detector = uchardet_new();
  uchardet_handle_data(detector, bytes.data(), bytes.size());
  uchardet_data_end(detector);
  std::string name =
      uchardet_get_charset(detector) != nullptr ? uchardet_get_charset(detector) : "";
  uchardet_delete(detector);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

namespace {

// The bytes up to their last line end, so that a sample cut inside a character still fits.
std::string_view WholeLines(std::string_view bytes) {
  const std::size_t end = bytes.find_last_of("\r\n");
  return end == std::string_view::npos ? bytes : bytes.substr(0, end + 1);
}

} // namespace

TCharCode UchardetJapaneseCode(std::string_view bytes) {
  const std::string name = UchardetName(bytes);
  const TCharCode named = name == "SHIFT_JIS" ? ccShiftJis : name == "EUC-JP" ? ccEuc : ccUndecided;
  if (named == ccUndecided || FirstUnfitByte(WholeLines(bytes), named) != std::string::npos) {
    return ccUndecided;
  }
  return named;
}

namespace {

// Whether a reading of the bytes as Shift-JIS or as EUC-JP holds Japanese: kana (a pair of the
// hiragana or katakana rows; half-width katakana two or more in a row, when such runs make up
// most of its high bytes), or kanji pairs that make up most of its high bytes, a level-1 kanji
// among them (in Shift-JIS only pairs whose trail byte is 0x80 or above count, two in three). A
// text in a European code holds accented letters mostly one at a time between ASCII letters, and
// the pairs it does hold are lower-case letters (Dutch één, Estonian nüüd), level-2 kanji in both
// readings, which no Japanese text holds alone; its capitals and ß read as half-width katakana, but
// mostly alone (German ß), and the few runs (Estonian TÜÜP) are a small part of its accented
// letters.
bool HoldsJapanese(std::string_view bytes, bool euc) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t high = 0;
  std::size_t kanji = 0;
  bool levelOne = false;
  std::size_t halfKana = 0; // in runs of two or more
  std::size_t run = 0;
  auto noteKanji = [&](bool isLevelOne) {
    ++kanji;
    levelOne = levelOne || isLevelOne;
  };
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      run = 0;
      continue;
    }
    ++high;
    const unsigned char next = i + 1 < n ? p[i + 1] : 0;
    if (euc) {
      if (In(b, 0xA1, 0xFE) && In(next, 0xA1, 0xFE)) {
        if (b == 0xA4 || b == 0xA5) {
          return true;
        }
        if (In(b, 0xB0, 0xF4)) {
          noteKanji(b <= 0xCF);
        }
        ++high;
        ++i;
      } else if (b == 0x8E && In(next, 0xA1, 0xDF)) {
        return true;
      }
      continue;
    }
    if (kSjisClasses[b] == sjLead && IsSjisTrail(next)) {
      if ((b == 0x82 && In(next, 0x9F, 0xF1)) || (b == 0x83 && In(next, 0x40, 0x96))) {
        return true;
      }
      // A trail byte below 0x80 is an ASCII letter too: a European letter before one (é
      // before l) is no evidence of kanji.
      if ((In(b, 0x88, 0x9F) || In(b, 0xE0, 0xEA)) && next >= 0x80) {
        noteKanji(b <= 0x98);
      }
      high += next >= 0x80;
      run = 0;
      ++i;
      continue;
    }
    run = In(b, 0xA6, 0xDF) ? run + 1 : 0;
    halfKana += run == 2 ? 2 : run > 2 ? 1 : 0;
  }
  return (halfKana >= 2 && halfKana * 2 > high) || (levelOne && kanji * 4 > high);
}

bool IsSingleByteCodeName(const std::string& name) {
  for (const char* prefix :
       {"ISO-8859-", "WINDOWS-125", "KOI8-", "MAC-", "IBM", "CP", "TIS-620", "VISCII"}) {
    if (name.rfind(prefix, 0) == 0) {
      return true;
    }
  }
  return false;
}

} // namespace

std::string ForeignSingleByteCode(std::string_view bytes) {
  const bool high = std::any_of(bytes.begin(), bytes.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (!high || HoldsJapanese(bytes, false) || HoldsJapanese(bytes, true)) {
    return {}; // the usual cases, told without asking uchardet
  }
  // uchardet calls a text ASCII when a lone accented letter is all it holds beyond ASCII.
  const std::string name = UchardetName(bytes);
  return IsSingleByteCodeName(name) || name == "ASCII" ? name : std::string();
}

std::string ForeignCodeMessage(const std::string& fileName, const std::string& uchardetName) {
  return "「" + fileName +
         "」は日本語の文字コードではありません（uchardet の判定: " + uchardetName + "）。";
}

std::optional<TCharCode> CodingMarkCode(std::string_view start) {
  // The first two lines.
  std::size_t end = start.find('\n');
  end = end == std::string_view::npos ? start.size() : start.find('\n', end + 1);
  std::string lines(start.substr(0, std::min(end, start.size())));
  std::transform(lines.begin(), lines.end(), lines.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (std::size_t at = lines.find("coding:"); at != std::string::npos;
       at = lines.find("coding:", at + 1)) {
    std::size_t from = at + 7;
    while (from < lines.size() && (lines[from] == ' ' || lines[from] == '\t')) {
      ++from;
    }
    std::size_t to = from;
    while (to < lines.size() && (std::isalnum(static_cast<unsigned char>(lines[to])) != 0 ||
                                 lines[to] == '-' || lines[to] == '_')) {
      ++to;
    }
    const std::string name = lines.substr(from, to - from);
    const struct {
      const char* name;
      TCharCode code;
    } known[] = {{"euc-jis-2004", ccEucJis2004},     {"euc-jisx0213", ccEucJis2004},
                 {"shift_jis-2004", ccShiftJis2004}, {"shift_jisx0213", ccShiftJis2004},
                 {"sjis-2004", ccShiftJis2004},      {"iso-2022-jp-3", ccIso2022Jp3},
                 {"iso-2022-jp-2004", ccIso2022Jp3}};
    for (const auto& k : known) {
      if (name == k.name) {
        return k.code;
      }
    }
  }
  return std::nullopt;
}

std::string AmbiguousCodeMessage(const std::string& fileName) {
  return "「" + fileName + "」はEUCかShift-JISか判定できません。";
}

std::string UnfitBytesMessage(const std::string& fileName, std::size_t offset) {
  return "「" + fileName + "」は日本語のどの文字コードとしても正しくないバイトを含んでいます" +
         "（オフセット " + std::to_string(offset) + "）。\r\n処理を中止します。";
}

} // namespace zorbe
