// The census of a job's inputs and the code table settled from it (see code_table.h).

#include "text/code_table.h"

#include "text/byte_lanes.h"
#include "text/code_conversion.h"
#include "text/shift_jis.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <cstring>

namespace zorbe {
namespace {

constexpr char32_t kYen = 0xA5;
constexpr char32_t kOverline = 0x203E;
constexpr std::uint16_t kGetaMark = 0x81AC; // 〓

// 0 for the backslash and ¥, 1 for the tilde and ‾ (the two shared single-byte codes).
int AsciiIndex(std::uint16_t code) {
  return code == 0x7E ? 1 : 0;
}

bool IsUserDefined(std::uint16_t code) {
  const unsigned lead = code >> 8;
  const unsigned trail = code & 0xFF;
  return lead >= (kUserDefinedFirst >> 8) && lead <= (kUserDefinedLast >> 8) && trail >= 0x40 &&
         trail <= 0xFC && trail != 0x7F;
}

std::size_t SlotOf(std::uint16_t code) {
  return static_cast<std::size_t>(
      DoubleByteSlot(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)));
}

// The character iconv's EUC-JP reads a shared code as, when it is not CP932's; else
// kNoCharacter.
char32_t EucMeaning(std::uint16_t code) {
  for (const auto& [shared, meaning] : TCp932Tables::Get().eucMeanings) {
    if (shared == code) {
      return meaning;
    }
  }
  return kNoCharacter;
}

// The double-byte shared codes, by slot.
const std::vector<bool>& SharedSlots() {
  static const std::vector<bool> slots = [] {
    std::vector<bool> marked(kDoubleByteSlots);
    for (const TSharedCode& group : TCp932Tables::Get().shared) {
      if (group.code >= 0x100) {
        marked[SlotOf(group.code)] = true;
      }
    }
    return marked;
  }();
  return slots;
}

// Walks the characters of an internal text: visitAscii(run) for each run of ASCII bytes,
// visitDouble(code, position) for each double-byte character (a lead byte and the byte after
// it); any other byte is one character that neither sees.
template <typename VisitAscii, typename VisitDouble>
void WalkInternal(std::string_view text, VisitAscii visitAscii, VisitDouble visitDouble) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = p + text.size();
  const unsigned char* q = p;
  while (q < end) {
    const std::size_t ascii = utf8::AsciiPrefix(q, end);
    if (ascii != 0) {
      visitAscii(std::string_view(reinterpret_cast<const char*>(q), ascii));
      q += ascii;
      continue;
    }
    if (IsLeadByte(*q) && q + 1 < end) {
      visitDouble(static_cast<std::uint16_t>(q[0] << 8 | q[1]), static_cast<std::size_t>(q - p));
      q += 2;
    } else {
      ++q;
    }
  }
}

// The number of bytes (16-18) that a block of UTF-8 at q (at a character, 32 bytes readable)
// spans when its 16 bytes hold only ASCII and three-byte characters that need no noting (the
// last may end up to two bytes past them); 0 when they hold anything else.
std::size_t PlainBlock(const unsigned char* q, const TCp932Tables& base) {
#if defined(__SSE2__)
  using namespace lanes;
  auto lanesOf = [q](char mask, char top) {
    const __m128i m = _mm_set1_epi8(mask);
    const __m128i t = _mm_set1_epi8(top);
    return Bits(_mm_cmpeq_epi8(_mm_and_si128(Load(q), m), t)) |
           Bits(_mm_cmpeq_epi8(_mm_and_si128(Load(q + 16), m), t)) << 16;
  };
  const unsigned continuations = lanesOf(static_cast<char>(0xC0), static_cast<char>(0x80));
  const unsigned leads = lanesOf(static_cast<char>(0xF0), static_cast<char>(0xE0));
  const unsigned ascii = lanesOf(static_cast<char>(0x80), 0);
  if (((ascii | leads | continuations) & 0xFFFF) != 0xFFFF ||
      ((continuations ^ (leads << 1 | leads << 2)) & 0x3FFFF) != 0) {
    return 0;
  }
  for (unsigned lead = leads & 0xFFFF; lead != 0; lead &= lead - 1) {
    const char32_t c = utf8::ThreeByteAt(q + __builtin_ctz(lead));
    if (c == utf8::kNotThreeBytes || !base.IsPlain(c)) {
      return 0;
    }
  }
  // Continuation bytes in lanes 16 and 17 end the block's last character.
  return 16 + ((continuations >> 16 & 1) != 0 ? 1 + (continuations >> 17 & 1) : 0);
#else
  (void)q;
  (void)base;
  return 0;
#endif
}

} // namespace

ETooManyCharacters::ETooManyCharacters(std::size_t needed, std::size_t available)
    : std::runtime_error("Shift-JIS で表せない文字が " + std::to_string(needed) +
                         " 種類あります。一度にソートできるのは " + std::to_string(available) +
                         " 種類までです。\r\n処理を中止します。"),
      needed_(needed) {}

std::vector<std::uint16_t> UserDefinedCodes() {
  std::vector<std::uint16_t> codes;
  for (unsigned code = kUserDefinedFirst; code <= kUserDefinedLast; ++code) {
    if (IsUserDefined(static_cast<std::uint16_t>(code))) {
      codes.push_back(static_cast<std::uint16_t>(code));
    }
  }
  return codes;
}

std::size_t TCodeCensus::NoteUtf8(std::string_view utf8, bool ruleFile) {
  const TCp932Tables& base = TCp932Tables::Get();
  asciiSeen_[0] = asciiSeen_[0] || utf8.find('\\') != std::string_view::npos;
  asciiSeen_[1] = asciiSeen_[1] || utf8.find('~') != std::string_view::npos;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const unsigned char* const end = p + utf8.size();
  const unsigned char* q = p;
  const unsigned char* noBlockBefore = p; // a block that held other characters: not again yet
  while (q < end) {
    // Blocks of ASCII and three-byte characters that CP932 holds as themselves (most kana and
    // kanji) are passed over 16 bytes at a time, and such characters one load and a lookup
    // each; anything else (a character worth noting, a bad byte) goes to the decoder.
    if (end - q >= 32 && q >= noBlockBefore) {
      if (const std::size_t plain = PlainBlock(q, base); plain != 0) {
        q += plain;
        continue;
      }
      noBlockBefore = q + 16;
    }
    if (end - q >= 4) {
      if (const char32_t c3 = utf8::ThreeByteAt(q);
          c3 != utf8::kNotThreeBytes && base.IsPlain(c3)) {
        q += 3;
        continue;
      }
    }
    if (*q < 0x80) {
      q += end - q >= 16 ? utf8::AsciiInBlock(q) : 1;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = utf8::Decode(q, end, c);
    if (length == 0) {
      return static_cast<std::size_t>(q - p);
    }
    q += length;
    NoteCharacter(c, ruleFile);
  }
  return std::string_view::npos;
}

void TCodeCensus::NoteCharacter(char32_t c, bool ruleFile) {
  const TCp932Tables& base = TCp932Tables::Get();
  if (c < 0x10000 && base.IsPlain(c)) {
    return;
  }
  ++unicode_[c];
  const std::uint16_t code = base.Encode(c);
  // A character with no code of its own needs one; so may a form of a shared code.
  needsInternal_ = needsInternal_ || code == kNoCode || base.Decode(code) != c;
  if (ruleFile && (c == kYen || c == kOverline)) {
    ruleFileSeen_[c == kYen ? 0 : 1] = true;
  }
}

void TCodeCensus::NoteJisX0212(unsigned char row, unsigned char cell) {
  jisX0212_ = true;
  if (const char32_t c = JisX0212Characters()[JisX0212Index(row, cell)]; c != kNoCharacter) {
    NoteCharacter(c, false);
  }
}

void TCodeCensus::Merge(const TCodeCensus& other) {
  for (const auto& [c, n] : other.unicode_) {
    unicode_[c] += n;
  }
  for (std::size_t i = 0; i < asciiSeen_.size(); ++i) {
    asciiSeen_[i] = asciiSeen_[i] || other.asciiSeen_[i];
    ruleFileSeen_[i] = ruleFileSeen_[i] || other.ruleFileSeen_[i];
  }
  for (const auto& [code, n] : other.internalShared_) {
    internalShared_[code] += n;
  }
  for (const auto& [code, n] : other.internalEuc_) {
    internalEuc_[code] += n;
  }
  for (std::size_t slot = 0; slot < internalUserDefined_.size(); ++slot) {
    internalUserDefined_[slot] = internalUserDefined_[slot] || other.internalUserDefined_[slot];
  }
  needsInternal_ = needsInternal_ || other.needsInternal_;
  jisX0212_ = jisX0212_ || other.jisX0212_;
}

void TCodeCensus::NoteInternal(std::string_view internal, bool eucMeanings) {
  const std::vector<bool>& shared = SharedSlots();
  // An EUC text's code that iconv reads as another character counts apart.
  auto counts = [&](std::uint16_t code) -> std::unordered_map<std::uint16_t, std::uint64_t>& {
    return eucMeanings && EucMeaning(code) != kNoCharacter ? internalEuc_ : internalShared_;
  };
  WalkInternal(
      internal,
      [this](std::string_view ascii) {
        // Presence is enough: an ASCII form always keeps its byte.
        for (const char c : {'\\', '~'}) {
          if (ascii.find(c) != std::string_view::npos) {
            internalShared_[static_cast<unsigned char>(c)] = 1;
          }
        }
      },
      [&](std::uint16_t code, std::size_t) {
        if (IsUserDefined(code)) {
          internalUserDefined_[SlotOf(code)] = true;
        } else if (const int slot = DoubleByteSlot(static_cast<unsigned char>(code >> 8),
                                                   static_cast<unsigned char>(code));
                   slot != kNoSlot && shared[static_cast<std::size_t>(slot)]) {
          ++counts(code)[code];
        }
      });
}

TCodeTable::TCodeTable() {
  const TCp932Tables& base = TCp932Tables::Get();
  encode_ = base.encode;
  decodeSingle_ = base.decodeSingle;
  decodeDouble_ = base.decodeDouble;
  isJobCode_.assign(kDoubleByteSlots, false);
  FillUtf8();
}

TCodeTable::TCodeTable(const TCodeCensus& census) : TCodeTable() {
  const TCp932Tables& base = TCp932Tables::Get();
  auto count = [&census](char32_t c) {
    const auto found = census.unicode_.find(c);
    return found == census.unicode_.end() ? std::uint64_t{0} : found->second;
  };
  auto internalCount = [](const auto& counts, std::uint16_t code) {
    const auto found = counts.find(code);
    return found == counts.end() ? std::uint64_t{0} : found->second;
  };
  std::vector<char32_t> needing;
  for (const auto& [c, n] : census.unicode_) {
    if (base.Encode(c) == kNoCode) {
      needing.push_back(c);
    }
  }
  for (const TSharedCode& group : base.shared) {
    if (group.code < 0x80) {
      const int index = AsciiIndex(group.code);
      const bool asciiUsed =
          census.asciiSeen_[index] || internalCount(census.internalShared_, group.code) > 0;
      for (const char32_t other : group.others) {
        if (count(other) == 0) {
          continue;
        }
        if (asciiUsed || census.ruleFileSeen_[index]) {
          needing.push_back(other);
        } else {
          decodeSingle_[group.code] = other;
        }
      }
      continue;
    }
    // The forms in use with their counts; the form CP932 decodes the code to comes first, so
    // that it wins a tie. The code in an EUC or JIS text counts for the form it means there.
    const char32_t eucForm = EucMeaning(group.code);
    const std::uint64_t eucCount = internalCount(census.internalEuc_, group.code);
    std::vector<std::pair<char32_t, std::uint64_t>> forms{
        {group.decoded, count(group.decoded) + internalCount(census.internalShared_, group.code)}};
    for (const char32_t other : group.others) {
      forms.emplace_back(other, count(other) + (other == eucForm ? eucCount : 0));
    }
    std::erase_if(forms, [](const auto& form) { return form.second == 0; });
    if (forms.empty()) {
      continue;
    }
    const auto winner =
        std::max_element(forms.begin(), forms.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    decodeDouble_[SlotOf(group.code)] = winner->first;
    for (const auto& form : forms) {
      if (form.first != winner->first) {
        needing.push_back(form.first);
      }
    }
    // The codes are known once assigned.
    if (winner->first != group.decoded && internalCount(census.internalShared_, group.code) > 0) {
      internalRewrites_.emplace_back(group.code, kNoCode);
    }
    if (winner->first != eucForm && eucCount > 0) {
      eucRewrites_.emplace_back(group.code, kNoCode);
    }
  }
  Assign(std::move(needing), census);
  FillUtf8();
  if (census.jisX0212_) {
    const std::vector<char32_t>& characters = JisX0212Characters();
    jisX0212_.resize(characters.size());
    std::transform(characters.begin(), characters.end(), jisX0212_.begin(), [this](char32_t c) {
      const std::uint16_t code = c == kNoCharacter ? kNoCode : Encode(c);
      return code == kNoCode ? kGetaMark : code;
    });
  }
}

void TCodeTable::FillUtf8() {
  auto packed = [](char32_t c) {
    if (c == kNoCharacter) {
      return kNoUtf8;
    }
    unsigned char bytes[4] = {};
    utf8::Encode(c, bytes);
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
  };
  keepsAscii_ = decodeSingle_['\\'] == '\\' && decodeSingle_['~'] == '~';
  utf8_.assign(0x10000, kNoUtf8);
  for (unsigned code = 0; code < 0x10000; ++code) {
    const char32_t c = code < 0x100 ? decodeSingle_[code]
                                    : DecodeDouble(static_cast<unsigned char>(code >> 8),
                                                   static_cast<unsigned char>(code & 0xFF));
    utf8_[code] = packed(c);
  }
}

void TCodeTable::Assign(std::vector<char32_t> characters, const TCodeCensus& census) {
  std::sort(characters.begin(), characters.end());
  characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
  std::vector<bool> taken = census.internalUserDefined_;
  for (const auto& [c, n] : census.unicode_) {
    if (const std::uint16_t code = TCp932Tables::Get().Encode(c); IsUserDefined(code)) {
      taken[SlotOf(code)] = true; // a private-use character that is its own user-defined code
    }
  }
  std::vector<std::uint16_t> free;
  for (const std::uint16_t code : UserDefinedCodes()) {
    if (!taken[SlotOf(code)]) {
      free.push_back(code);
    }
  }
  if (characters.size() > free.size()) {
    throw ETooManyCharacters(characters.size(), free.size());
  }
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const char32_t c = characters[i];
    const std::uint16_t code = free[i];
    if (c < 0x10000) {
      encode_[c] = code;
    } else {
      astral_.emplace_back(c, code);
    }
    decodeDouble_[SlotOf(code)] = c;
    isJobCode_[SlotOf(code)] = true;
    jobCodes_.emplace_back(code, c);
  }
  for (auto& [shared, job] : internalRewrites_) {
    job = encode_[TCp932Tables::Get().Decode(shared)];
  }
  for (auto& [shared, job] : eucRewrites_) {
    job = encode_[EucMeaning(shared)];
  }
}

std::uint16_t TCodeTable::EncodeAstral(char32_t codePoint) const {
  const auto found =
      std::lower_bound(astral_.begin(), astral_.end(), std::make_pair(codePoint, std::uint16_t{0}));
  return found != astral_.end() && found->first == codePoint ? found->second : kNoCode;
}

std::uint16_t TCodeTable::Cp932OfJobCode(std::uint16_t jobCode) const {
  const auto found =
      std::lower_bound(jobCodes_.begin(), jobCodes_.end(), std::make_pair(jobCode, char32_t{0}));
  if (found == jobCodes_.end() || found->first != jobCode) {
    return kNoCode;
  }
  return TCp932Tables::Get().Encode(found->second);
}

void TCodeTable::RewriteInternal(char* text, std::size_t size, bool eucMeanings) const {
  const TRewrites& rewrites = Rewrites(eucMeanings);
  WalkInternal(
      {text, size}, [](std::string_view) {},
      [&](std::uint16_t code, std::size_t at) {
        for (const auto& [shared, job] : rewrites) {
          if (code == shared) {
            text[at] = static_cast<char>(job >> 8);
            text[at + 1] = static_cast<char>(job & 0xFF);
          }
        }
      });
}

} // namespace zorbe
