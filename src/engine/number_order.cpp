#include "engine/number_order.h"

#include "engine/line_store.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace zorbe {
namespace {

enum class TKind : std::uint8_t {
  Text,
  Digit,      // 0-9 and ０-９
  KanjiDigit, // 〇 一 … 九, 零 壱 弐 参
  Multiplier, // 十 拾 (power 1), 百 (2), 千 (3)
  Unit,       // 万 (level 1), 億 (2), 兆 (3)
  Comma,
};

struct TChar {
  TKind kind = TKind::Text;
  std::uint8_t value = 0; // a digit's value, a multiplier's power, a unit's level
  std::uint8_t size = 1;  // its bytes
};

// The numeral kanji by their CP932 codes.
TChar KanjiNumeral(unsigned code) {
  switch (code) {
  case 0x815A: // 〇
  case 0x97EB: // 零
    return {TKind::KanjiDigit, 0, 2};
  case 0x88EA: // 一
  case 0x88EB: // 壱
    return {TKind::KanjiDigit, 1, 2};
  case 0x93F1: // 二
  case 0x93F3: // 弐
    return {TKind::KanjiDigit, 2, 2};
  case 0x8E4F: // 三
  case 0x8E51: // 参
    return {TKind::KanjiDigit, 3, 2};
  case 0x8E6C: // 四
    return {TKind::KanjiDigit, 4, 2};
  case 0x8CDC: // 五
    return {TKind::KanjiDigit, 5, 2};
  case 0x985A: // 六
    return {TKind::KanjiDigit, 6, 2};
  case 0x8EB5: // 七
    return {TKind::KanjiDigit, 7, 2};
  case 0x94AA: // 八
    return {TKind::KanjiDigit, 8, 2};
  case 0x8BE3: // 九
    return {TKind::KanjiDigit, 9, 2};
  case 0x8F5C: // 十
  case 0x8F45: // 拾
    return {TKind::Multiplier, 1, 2};
  case 0x9553: // 百
    return {TKind::Multiplier, 2, 2};
  case 0x90E7: // 千
    return {TKind::Multiplier, 3, 2};
  case 0x969C: // 万
    return {TKind::Unit, 1, 2};
  case 0x89AD: // 億
    return {TKind::Unit, 2, 2};
  case 0x929B: // 兆
    return {TKind::Unit, 3, 2};
  default:
    return {TKind::Text, 0, 2};
  }
}

bool IsDigitKind(TKind kind) {
  return kind == TKind::Digit || kind == TKind::KanjiDigit;
}
bool IsKanjiNumeral(TKind kind) {
  return kind == TKind::KanjiDigit || kind == TKind::Multiplier || kind == TKind::Unit;
}

constexpr unsigned kPowers[] = {1, 10, 100, 1000};

// A number as read: its bytes, its leading zeros, and its value as significant digits, read from
// the digits of its first group (`sig`, in the line) and then from `tail`.
struct TNumber {
  const char* begin = nullptr;
  const char* end = nullptr;
  int zeros = 0;
  const char* sig = nullptr; // the first significant digit of a positional first group
  int sigCount = 0;
  std::array<char, 16> tail{}; // a multiplier group's digits, then four for each lower group
  int tailCount = 0;

  int Digits() const { return sigCount + tailCount; }
  void AppendTail(unsigned value, int width) {
    for (int i = width - 1; i >= 0; --i) {
      tail[tailCount + i] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
    tailCount += width;
  }
};

// A number's first part: positional digits of one kind (zeros, significant digits) or a
// multiplier form (its value, 1 to 9999).
struct TSmall {
  const char* end = nullptr;
  bool positional = true;
  int zeros = 0;
  const char* sig = nullptr;
  int sigCount = 0;
  unsigned value = 0; // a multiplier form's; a positional one's when it has at most 4 digits
};

// Reads one line's characters and numbers.
class TReader {
public:
  TReader(const char* end, const TNumberOrder& order)
      : end_(end), kanji_(order.mode == noKanji), commas_(order.commas) {}

  bool AtEnd(const char* p) const { return p == end_ || IsLineEnd(*p); }

  // The character at p (not at the end).
  TChar CharAt(const char* p) const {
    const auto c = static_cast<unsigned char>(p[0]);
    if (c >= '0' && c <= '9') {
      return {TKind::Digit, static_cast<std::uint8_t>(c - '0'), 1};
    }
    if (c == ',') {
      return {TKind::Comma, 0, 1};
    }
    if (!IsLeadByte(c) || AtEnd(p + 1)) {
      return {TKind::Text, 0, 1};
    }
    const auto c1 = static_cast<unsigned char>(p[1]);
    if (c == 0x82 && c1 >= 0x4F && c1 <= 0x58) {
      return {TKind::Digit, static_cast<std::uint8_t>(c1 - 0x4F), 2};
    }
    return kanji_ ? KanjiNumeral(c << 8 | c1) : TChar{TKind::Text, 0, 2};
  }
  // The character at p, or a text character of no bytes at the end.
  TChar CharOrEnd(const char* p) const { return AtEnd(p) ? TChar{TKind::Text, 0, 0} : CharAt(p); }

  // Whether a number starts with `c`: digits always, kanji numerals unless right after a number.
  bool StartsNumber(TChar c, bool afterNumber) const {
    return c.kind == TKind::Digit ||
           (!afterNumber && (c.kind == TKind::KanjiDigit || c.kind == TKind::Multiplier));
  }

  // The number that starts at p.
  TNumber Number(const char* p) const {
    TNumber number;
    number.begin = p;
    const TSmall first = Small(p);
    number.end = first.end;
    number.zeros = first.zeros;
    if (first.positional) {
      number.sig = first.sig;
      number.sigCount = first.sigCount;
    } else {
      number.AppendTail(first.value, first.value >= 1000  ? 4
                                     : first.value >= 100 ? 3
                                     : first.value >= 10  ? 2
                                                          : 1);
    }
    const TChar unit = CharOrEnd(first.end);
    if (!kanji_ || unit.kind != TKind::Unit || (first.positional && first.sigCount == 0)) {
      return number;
    }
    // Groups before 万 億 兆, highest first; a group below the first holds 1 to 9999.
    std::array<unsigned, 3> groups{}; // the groups at the levels 0 to 2 below the first
    int level = unit.value;
    const int top = level;
    const char* q = first.end + unit.size;
    while (level > 0) {
      const TChar next = CharOrEnd(q);
      if (!IsDigitKind(next.kind) && next.kind != TKind::Multiplier) {
        break;
      }
      const TSmall group = Small(q);
      if (group.positional && group.zeros + group.sigCount > 4) {
        break; // not a group of this number
      }
      const TChar after = CharOrEnd(group.end);
      if (after.kind == TKind::Unit && after.value < level && group.value > 0) {
        level = after.value;
        groups[level] = group.value;
        q = group.end + after.size;
        continue;
      }
      groups[0] = group.value;
      q = group.end;
      break;
    }
    for (int l = top - 1; l >= 0; --l) {
      number.AppendTail(groups[l], 4);
    }
    number.end = q;
    return number;
  }

  // The digit at p in a number's first group, with the commas there stepped over; p moves on.
  std::uint8_t NextDigit(const char*& p) const {
    TChar c = CharAt(p);
    if (c.kind == TKind::Comma) {
      p += c.size;
      c = CharAt(p);
    }
    p += c.size;
    return c.value;
  }

private:
  // Positional digits of one kind, or (kanji mode) a multiplier form, at p.
  TSmall Small(const char* p) const {
    const TChar c = CharAt(p);
    if (c.kind == TKind::Multiplier) {
      return MultiplierForm(p);
    }
    TSmall small;
    const char* q = p;
    int group = 0;
    bool firstGroup = true;
    int digits = 0;
    for (;;) {
      const TChar d = CharOrEnd(q);
      if (d.kind == c.kind && d.size > 0) {
        if (small.sig == nullptr && d.value == 0) {
          ++small.zeros;
        } else {
          small.sig = small.sig == nullptr ? q : small.sig;
          ++small.sigCount;
        }
        small.value = small.value * 10 + d.value;
        ++digits;
        ++group;
        q += d.size;
        continue;
      }
      if (d.kind == TKind::Comma && c.kind == TKind::Digit && commas_ &&
          (firstGroup ? group <= 3 : group == 3) && GroupOfThree(q + 1)) {
        q += 1;
        group = 0;
        firstGroup = false;
        continue;
      }
      break;
    }
    small.end = q;
    if (digits > 4) {
      small.value = 0; // not a group value: only a first group may be longer
    }
    if (kanji_ && digits == 1 && c.value != 0 && CharOrEnd(q).kind == TKind::Multiplier) {
      return MultiplierForm(p);
    }
    return small;
  }

  // Exactly three digits at p, and no digit after them.
  bool GroupOfThree(const char* p) const {
    for (int i = 0; i < 3; ++i) {
      const TChar d = CharOrEnd(p);
      if (d.kind != TKind::Digit || d.size == 0) {
        return false;
      }
      p += d.size;
    }
    return CharOrEnd(p).kind != TKind::Digit || AtEnd(p);
  }

  // [digit] 千 [digit] 百 [digit] 十 [digit], each part optional, the powers falling.
  TSmall MultiplierForm(const char* p) const {
    TSmall small;
    small.positional = false;
    unsigned lastPower = 4;
    for (;;) {
      const TChar c = CharOrEnd(p);
      if (IsDigitKind(c.kind) && c.value != 0) {
        const TChar m = CharOrEnd(p + c.size);
        if (m.kind == TKind::Multiplier && m.value < lastPower) {
          small.value += c.value * kPowers[m.value];
          lastPower = m.value;
          p += c.size + m.size;
          continue;
        }
        if (lastPower > 0 && small.value > 0) {
          small.value += c.value; // the ones
          p += c.size;
        }
        break;
      }
      if (c.kind == TKind::Multiplier && c.value < lastPower) {
        small.value += kPowers[c.value];
        lastPower = c.value;
        p += c.size;
        continue;
      }
      break;
    }
    small.end = p;
    return small;
  }

  const char* end_;
  bool kanji_;
  bool commas_;
};

int Sign(int value) {
  return (value > 0) - (value < 0);
}

// Value, then leading zeros, then bytes.
int CompareNumbers(const TNumber& a, const TNumber& b, const TReader& ra, const TReader& rb) {
  if (a.Digits() != b.Digits()) {
    return a.Digits() < b.Digits() ? -1 : 1;
  }
  const char* pa = a.sig;
  const char* pb = b.sig;
  for (int i = 0; i < a.Digits(); ++i) {
    const std::uint8_t da =
        i < a.sigCount ? ra.NextDigit(pa) : static_cast<std::uint8_t>(a.tail[i - a.sigCount] - '0');
    const std::uint8_t db =
        i < b.sigCount ? rb.NextDigit(pb) : static_cast<std::uint8_t>(b.tail[i - b.sigCount] - '0');
    if (da != db) {
      return da < db ? -1 : 1;
    }
  }
  if (a.zeros != b.zeros) {
    return a.zeros < b.zeros ? -1 : 1;
  }
  return CompareBytes({a.begin, static_cast<std::size_t>(a.end - a.begin)},
                      {b.begin, static_cast<std::size_t>(b.end - b.begin)});
}

unsigned char Folded(unsigned char c, bool fold) {
  return fold && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int CompareAscendingNumbered(const char* a, const char* aEnd, const char* b, const char* bEnd,
                             const TNumberOrder& order) {
  const TReader ra(aEnd, order);
  const TReader rb(bEnd, order);
  bool afterA = false; // right after a number: numeral kanji are text
  bool afterB = false;
  for (;;) {
    const bool endA = ra.AtEnd(a);
    const bool endB = rb.AtEnd(b);
    if (endA || endB) {
      return endA == endB ? 0 : endA ? -1 : 1;
    }
    const auto ua = static_cast<unsigned char>(*a);
    // The same single-byte text character on both sides, the most common step.
    if (ua == static_cast<unsigned char>(*b) && ua < 0x80 && (ua < '0' || ua > '9')) {
      ++a;
      ++b;
      afterA = afterB = false;
      continue;
    }
    const TChar ca = ra.CharAt(a);
    const TChar cb = rb.CharAt(b);
    const bool numberA = ra.StartsNumber(ca, afterA);
    const bool numberB = rb.StartsNumber(cb, afterB);
    if (numberA && numberB) {
      const TNumber na = ra.Number(a);
      const TNumber nb = rb.Number(b);
      if (const int c = CompareNumbers(na, nb, ra, rb); c != 0) {
        return c;
      }
      a = na.end;
      b = nb.end;
      afterA = afterB = true;
      continue;
    }
    if (numberA || numberB) { // a number against text compares as a half-width digit would
      const unsigned char text =
          numberA ? Folded(static_cast<unsigned char>(*b), order.fold) : Folded(ua, order.fold);
      const int c = '0' < text ? -1 : 1;
      return numberA ? c : -c;
    }
    // Two text characters, in byte order; a single byte is folded.
    const unsigned char fa = ca.size == 1 ? Folded(ua, order.fold) : ua;
    const auto ub = static_cast<unsigned char>(*b);
    const unsigned char fb = cb.size == 1 ? Folded(ub, order.fold) : ub;
    if (fa != fb) {
      return fa < fb ? -1 : 1;
    }
    if (ca.size != cb.size) { // only a lone lead byte at a line's end is shorter
      return ca.size < cb.size ? -1 : 1;
    }
    if (ca.size == 2 && a[1] != b[1]) {
      return static_cast<unsigned char>(a[1]) < static_cast<unsigned char>(b[1]) ? -1 : 1;
    }
    afterA = afterA && IsKanjiNumeral(ca.kind);
    afterB = afterB && IsKanjiNumeral(cb.kind);
    a += ca.size;
    b += cb.size;
  }
}

} // namespace

int NumberedKey(const char* line, const TNumberOrder& order, unsigned char* key, int room) {
  const TReader reader(nullptr, order);
  int size = 0;
  while (size < room) {
    if (reader.AtEnd(line)) {
      key[size++] = 0;
      break;
    }
    const TChar c = reader.CharAt(line);
    if (reader.StartsNumber(c, false)) {
      const TNumber number = reader.Number(line);
      const int digits = number.Digits();
      key[size++] = '0' + 1; // the place of a half-width digit among the bytes below
      if (size == room) {
        break;
      }
      key[size++] = static_cast<unsigned char>(std::min(digits, 255));
      if (digits >= 255) {
        break; // so many digits are left to the compare
      }
      const char* p = number.sig;
      for (int i = 0; i < digits && size < room; ++i) {
        key[size++] = i < number.sigCount
                          ? reader.NextDigit(p)
                          : static_cast<unsigned char>(number.tail[i - number.sigCount] - '0');
      }
      break;
    }
    // Text bytes in order, with the room of the digits, which only ever start numbers, taken by
    // the number's mark: 0 stays the line's end.
    const unsigned char b = Folded(static_cast<unsigned char>(*line), order.fold && c.size == 1);
    key[size++] = static_cast<unsigned char>(b < '0' ? b + 1 : b - ('9' - '0') + 1);
    if (c.size == 2 && size < room) {
      key[size++] = static_cast<unsigned char>(line[1]);
    }
    line += c.size;
  }
  return size;
}

std::vector<TNumberSpan> NumbersOf(std::string_view line, const TNumberOrder& order) {
  const TReader reader(line.data() + line.size(), order);
  std::vector<TNumberSpan> numbers;
  bool afterNumber = false;
  for (const char* p = line.data(); !reader.AtEnd(p);) {
    const TChar c = reader.CharAt(p);
    if (!reader.StartsNumber(c, afterNumber)) {
      afterNumber = afterNumber && IsKanjiNumeral(c.kind);
      p += c.size;
      continue;
    }
    const TNumber number = reader.Number(p);
    TNumberSpan span{static_cast<std::size_t>(p - line.data()),
                     static_cast<std::size_t>(number.end - line.data()),
                     {}};
    const int digits = std::min(number.Digits(), 999999);
    if (digits <= 8) {
      span.key += static_cast<char>('0' + digits);
    } else {
      span.key += '9' + std::to_string(1000000 + digits).substr(1);
    }
    const char* q = number.sig;
    for (int i = 0; i < digits; ++i) {
      span.key +=
          static_cast<char>('0' + (i < number.sigCount ? reader.NextDigit(q)
                                                       : number.tail[i - number.sigCount] - '0'));
    }
    span.key += static_cast<char>('0' + std::min(number.zeros, 9));
    numbers.push_back(std::move(span));
    p = number.end;
    afterNumber = true;
  }
  return numbers;
}

int CompareNumbered(const char* a, const char* aEnd, const char* b, const char* bEnd,
                    const TNumberOrder& order) {
  const int c = Sign(CompareAscendingNumbered(a, aEnd, b, bEnd, order));
  return order.descending ? -c : c;
}

} // namespace zorbe
