#include "engine/line_conversions.h"

#include "text/internal_char.h"
#include "text/shift_jis.h"

#include <array>
#include <cstring>

namespace zorbe {
namespace {

// Kinds of character. Double-byte kinds go by lead byte and a trail-byte range wide enough to
// hold every character a conversion to half width changes.
constexpr unsigned kFullSymbol = 1u << 0; // lead 0x81: the full-width symbols
constexpr unsigned kFullAlnum = 1u
                                << 1; // lead 0x82 below the hiragana: full-width digits and letters
constexpr unsigned kFullKana = 1u << 2; // hiragana and katakana rows, unassigned cells included
constexpr unsigned kOddKanaCell =
    1u << 3; // a kana-row code no kana has: every conversion to half width acts
constexpr unsigned kHalfSymbol = 1u << 4;  // a byte of the half-width symbol table
constexpr unsigned kHalfDigit = 1u << 5;   // 0-9
constexpr unsigned kUpperLetter = 1u << 6; // A-Z
constexpr unsigned kLowerLetter = 1u << 7; // a-z
constexpr unsigned kHalfKana = 1u << 8; // 0xA0-0xDF: half-width katakana, its punctuation and marks

constexpr std::array<unsigned short, 256> MakeSingleByteKinds() {
  std::array<unsigned short, 256> kinds{};
  for (unsigned char c : std::string_view(" !\"#$%&'()=`|-^\\~{@[+*};:]<>?_,./")) {
    kinds[c] |= kHalfSymbol;
  }
  for (int c = '0'; c <= '9'; ++c) {
    kinds[c] |= kHalfDigit;
  }
  for (int c = 'A'; c <= 'Z'; ++c) {
    kinds[c] |= kUpperLetter;
    kinds[c + 32] |= kLowerLetter;
  }
  for (int c = 0xA0; c <= 0xDF; ++c) {
    kinds[c] |= kHalfKana;
  }
  for (int c = 0xA1; c <= 0xA5; ++c) {
    kinds[c] |= kHalfSymbol; // ｡｢｣､･ are in the symbol table too
  }
  return kinds;
}
constexpr std::array<unsigned short, 256> kSingleByteKinds = MakeSingleByteKinds();

// Whether a text holds a half-width katakana byte (0xA1-0xDF) outside a double-byte character:
// one that half-width katakana to full width may change.
bool HoldsHalfWidthKatakana(std::string_view text) {
  for (std::size_t i = 0; i < text.size();
       i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
    if ((kSingleByteKinds[static_cast<unsigned char>(text[i])] & kHalfKana) != 0) {
      return true;
    }
  }
  return false;
}

// No conversion changes a pair whose lead byte lies outside these: the conversions to half width
// look at these lead bytes alone, and the others change single bytes.
constexpr unsigned char kFirstPairLead = 0x81;
constexpr unsigned char kLastPairLead = 0x83;

unsigned DoubleByteKinds(unsigned char lead, unsigned char trail) {
  switch (lead) {
  case 0x81:
    return kFullSymbol;
  case 0x82:
    if (trail < 0x9F) {
      return kFullAlnum;
    }
    return trail >= 0xF2 ? kFullKana | kOddKanaCell : kFullKana;
  case 0x83:
    if (trail > 0x9E) {
      return 0;
    }
    return trail >= 0x97 ? kFullKana | kOddKanaCell : kFullKana;
  default:
    return 0;
  }
}

// Value 1 selects the first conversion, value 2 the second; any other value none.
void Choose(std::vector<TLineConversions::TStep>& steps, int value, TLineConversions::TStep one,
            TLineConversions::TStep two) {
  if (value == 1) {
    steps.push_back(one);
  } else if (value == 2) {
    steps.push_back(two);
  }
}

// Case conversion in the form of the width conversions: false, without a copy, when the line
// has no letter of the other case outside a double-byte character.
template <bool ToLower> bool ConvertCase(std::string_view line, std::string& out) {
  if ((TLineConversions::KindsOf(line) & (ToLower ? kUpperLetter : kLowerLetter)) == 0) {
    return false;
  }
  out.assign(line);
  if (ToLower) {
    LowerCaseInPlace(out);
  } else {
    UpperCaseInPlace(out);
  }
  return true;
}

} // namespace

unsigned TLineConversions::KindsOf(std::string_view line) {
  unsigned kinds = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t size = line.size();
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = bytes[i];
    if (!IsLeadByte(c)) {
      kinds |= kSingleByteKinds[c];
    } else if (i + 1 < size) {
      kinds |= DoubleByteKinds(c, bytes[++i]);
    }
  }
  return kinds;
}

TLineConversions::TLineConversions(const TSettingOptionItems& setting) {
  constexpr unsigned kToHalfAlways = kOddKanaCell; // its lead byte alone, whatever the kind
  constexpr unsigned kLetters = kUpperLetter | kLowerLetter;
  if (!setting.CsvSupport) { // a symbol could become a delimiter or a quote
    // ｡｢｣､･ are half-width katakana punctuation as well as symbols.
    Choose(steps_, setting.Pun,
           {SymbolsToHalfWidth, kFullSymbol | kToHalfAlways, kHalfSymbol | kHalfKana},
           {SymbolsToFullWidth, kHalfSymbol, kFullSymbol});
  }
  Choose(steps_, setting.Num, {DigitsToHalfWidth, kFullAlnum | kToHalfAlways, kHalfDigit},
         {DigitsToFullWidth, kHalfDigit, kFullAlnum});
  Choose(steps_, setting.Alpha, {LettersToHalfWidth, kFullAlnum | kToHalfAlways, kLetters},
         {LettersToFullWidth, kLetters, kFullAlnum});
  if (setting.KataKana == 1) {
    steps_.push_back({KatakanaToHalfWidth, kFullKana, kHalfKana});
  }
  // Half-width katakana to full width comes last: letter case changes only ASCII letters and it
  // only half-width katakana, each character read the same way, so the two may change places.
  katakanaToFull_ = setting.KataKana == 2;
  Choose(steps_, setting.AlphaUL, {ConvertCase<true>, kUpperLetter, 0},
         {ConvertCase<false>, kLowerLetter, 0});
  neverLonger_ = !steps_.empty() && (setting.CsvSupport || setting.Pun != 2) && setting.Num != 2 &&
                 setting.Alpha != 2 && !katakanaToFull_;
  // The chain run on each character by itself. Every entry holds its result, the character
  // itself when it is kept, so that the conversion copies bytes without asking which.
  std::string first, second;
  auto changeOf = [&](std::string_view character, TCharChange& change) {
    const std::string_view result = StepByStep(character, first, second);
    if (result.size() > change.bytes.size()) {
      change.action = TCharChange::kStepByStep;
      return;
    }
    change.action = result == character ? TCharChange::kKeep : TCharChange::kReplace;
    change.length = static_cast<std::uint8_t>(result.size());
    std::memcpy(change.bytes.data(), result.data(), result.size());
    change.halfKana = katakanaToFull_ && HoldsHalfWidthKatakana(result);
  };
  for (unsigned b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    if (IsLeadByte(c)) {
      skip_[b] = c >= kFirstPairLead && c <= kLastPairLead ? 0 : 2;
      continue;
    }
    const char character = static_cast<char>(c);
    changeOf({&character, 1}, singles_[b]);
    skip_[b] = singles_[b].action == TCharChange::kKeep && !singles_[b].halfKana ? 1 : 0;
  }
  for (unsigned lead = kFirstPairLead; lead <= kLastPairLead; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const char character[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      TCharChange& change = pairs_[(lead - kFirstPairLead) * 256 + trail];
      if ((DoubleByteKinds(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) &
           kOddKanaCell) != 0) {
        change.action = TCharChange::kStepByStep; // a lead byte alone: the rest reads out of step
      } else {
        changeOf({character, 2}, change);
      }
    }
  }
}

std::string_view TLineConversions::StepByStep(std::string_view line, std::string& first,
                                              std::string& second) const {
  std::string* out = &first;
  unsigned kinds = KindsOf(line);
  for (const TStep& step : steps_) {
    if ((kinds & step.kinds) == 0 || !step.convert(line, *out)) {
      continue;
    }
    line = *out;
    out = out == &first ? &second : &first;
    // A code no kana has makes the conversions to half width read the bytes after it out of
    // step: then nothing can be assumed about the result.
    kinds = (kinds & kOddKanaCell) != 0 ? KindsOf(line) : kinds | step.produces;
  }
  return line;
}

// The position of the first character that the chain changes; n (or beyond) when none. Notes
// in `halfKana` whether a character before it is one that half-width katakana to full width
// (when chosen) may change.
std::size_t TLineConversions::FirstChange(const unsigned char* p, std::size_t n,
                                          bool& halfKana) const {
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (const std::uint8_t skip = skip_[c]; skip != 0) {
      i += skip;
    } else if (!IsLeadByte(c)) {
      if (singles_[c].action != TCharChange::kKeep) {
        return i;
      }
      halfKana = true; // only a changing or a half-width katakana byte is looked at
      ++i;
    } else if (i + 1 == n) {
      return n; // a lead byte that ends the line is kept
    } else if (pairs_[(c - kFirstPairLead) * 256u + p[i + 1]].action != TCharChange::kKeep) {
      return i;
    } else {
      i += 2;
    }
  }
  return n;
}

// Writes the conversion of p[i..n) to `out` and returns the size of what it wrote; sets
// `halfKana` when that holds a character that half-width katakana to full width (when chosen)
// may change. In place, `out` is p + i or before it: no result is longer than its character, so
// every byte is written after it has been read. Otherwise `out` has room for twice the bytes
// and 4 more.
template <bool InPlace>
std::size_t TLineConversions::Rewrite(const unsigned char* p, std::size_t i, std::size_t n,
                                      unsigned char* out, bool& halfKana) const {
  unsigned char* d = out;
  bool anyHalfKana = false;
  // The rest of the line, from p[i] on, step by step; what came before it is done, since every
  // character up to there was converted by itself.
  auto restStepByStep = [&] {
    std::string first, second;
    const std::string_view rest =
        StepByStep({reinterpret_cast<const char*>(p + i), n - i}, first, second);
    std::memmove(d, rest.data(), rest.size());
    halfKana = true;
    return static_cast<std::size_t>(d - out) + rest.size();
  };
  while (i < n) {
    const unsigned char c = p[i];
    if (!IsLeadByte(c)) {
      const TCharChange& change = singles_[c];
      if (change.action == TCharChange::kStepByStep) {
        return restStepByStep();
      }
      if constexpr (InPlace) {
        *d = static_cast<unsigned char>(change.bytes[0]); // a single byte gives a single byte
      } else {
        std::memcpy(d, change.bytes.data(), change.bytes.size());
      }
      d += change.length;
      anyHalfKana = anyHalfKana || change.halfKana;
      ++i;
    } else if (i + 1 == n) {
      *d++ = c; // a lead byte that ends the line is kept
      ++i;
    } else if (c < kFirstPairLead || c > kLastPairLead) {
      d[0] = c; // no conversion changes this pair
      d[1] = p[i + 1];
      d += 2;
      i += 2;
    } else {
      const TCharChange& change = pairs_[(c - kFirstPairLead) * 256u + p[i + 1]];
      if (change.action == TCharChange::kStepByStep) {
        return restStepByStep();
      }
      std::memcpy(d, change.bytes.data(), InPlace ? 2 : change.bytes.size()); // both bytes read
      d += change.length;
      anyHalfKana = anyHalfKana || change.halfKana;
      i += 2;
    }
  }
  halfKana = halfKana || anyHalfKana;
  return static_cast<std::size_t>(d - out);
}

// Calls convert(start, size) for each stretch of CP932 characters of a line that holds bytes only
// the internal form has, and keep(start, size) for each character between them (an escape, a
// shared code with its mark), in line order.
template <typename Convert, typename Keep>
void ForEachStretch(std::string_view line, Convert convert, Keep keep) {
  const char* const end = line.data() + line.size();
  const char* stretch = line.data();
  for (const char* p = line.data(); p < end;) {
    const std::size_t length = InternalCharLength(p, end);
    if (IsInternalOnlyChar(p, length)) {
      convert(stretch, static_cast<std::size_t>(p - stretch));
      keep(p, length);
      stretch = p + length;
    }
    p += length;
  }
  convert(stretch, static_cast<std::size_t>(end - stretch));
}

// A line with characters CP932 lacks (or holds only under another's code): the conversions leave
// those alone and work on the stretches between them.
std::string_view TLineConversions::ApplyAround(std::string_view line, std::string& out) const {
  std::string result;
  std::string scratch[2];
  ForEachStretch(
      line,
      [&](const char* start, std::size_t size) {
        if (size != 0) {
          result += Apply({start, size}, scratch[0], scratch[1]);
        }
      },
      [&](const char* start, std::size_t size) { result.append(start, size); });
  if (result == line) {
    return line;
  }
  out.swap(result);
  return out;
}

std::string_view TLineConversions::Apply(std::string_view line, std::string& first,
                                         std::string& second) const {
  if (HoldsInternalOnlyBytes(line.data(), line.size())) {
    return ApplyAround(line, first);
  }
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  bool halfKana = false;
  if (const std::size_t i = FirstChange(p, n, halfKana); i < n) {
    first.resize(2 * n + 4); // each character at most doubles, and 4 bytes may be stored at once
    auto* out = reinterpret_cast<unsigned char*>(first.data());
    std::memcpy(out, p, i);
    first.resize(i + Rewrite<false>(p, i, n, out + i, halfKana));
    line = first;
  }
  if (katakanaToFull_ && halfKana && KatakanaToFullWidth(line, second)) {
    line = second;
  }
  return line;
}

std::size_t TLineConversions::ApplyInPlace(char* line, std::size_t size) const {
  if (HoldsInternalOnlyBytes(line, size)) {
    // Each stretch shrinks where it lies and moves up to the end of what came before it.
    char* d = line;
    auto move = [&d](char* start, std::size_t size) {
      std::memmove(d, start, size);
      d += size;
    };
    ForEachStretch(
        {line, size},
        [&](const char* start, std::size_t n) {
          char* bytes = const_cast<char*>(start);
          move(bytes, n == 0 ? 0 : ApplyInPlace(bytes, n));
        },
        [&](const char* start, std::size_t n) { move(const_cast<char*>(start), n); });
    return static_cast<std::size_t>(d - line);
  }
  auto* p = reinterpret_cast<unsigned char*>(line);
  bool halfKana = false; // none to full width here
  const std::size_t i = FirstChange(p, size, halfKana);
  return i >= size ? size : i + Rewrite<true>(p, i, size, p + i, halfKana);
}

} // namespace zorbe
