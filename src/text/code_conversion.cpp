// EUC-JP and JIS to Shift-JIS.
//
// Both converters walk the input once. Runs that need no change (ASCII in EUC text, everything
// between escape sequences in single-byte JIS text) are found a word or a memchr at a time and
// appended whole; a JIS code becomes its Shift-JIS pair through two small tables built at compile
// time from SjisOfJis, one for the lead byte by row and one for the trail byte by row parity and
// cell. The output never outgrows the input, so the TMiniString never reallocates.

#include "text/code_conversion.h"

#include "text/jis_code.h"
#include "text/mini_string.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zorbe {
namespace {

constexpr std::uint16_t kGetaMark = 0x81AC; // 〓, for a character Shift-JIS can't hold

struct TJisTables {
  std::array<unsigned char, 128> leadOfRow{};
  std::array<std::array<unsigned char, 128>, 2> trailOfCell{}; // [row odd][cell]
};
constexpr TJisTables MakeJisTables() {
  TJisTables tables;
  for (unsigned code = 0x21; code <= 0x7E; ++code) {
    tables.leadOfRow[code] = static_cast<unsigned char>(SjisOfJis(code, 0x21) >> 8);
    tables.trailOfCell[1][code] = static_cast<unsigned char>(SjisOfJis(0x21, code) & 0xFF);
    tables.trailOfCell[0][code] = static_cast<unsigned char>(SjisOfJis(0x22, code) & 0xFF);
  }
  return tables;
}
constexpr TJisTables kJis = MakeJisTables();
static_assert([] {
  for (unsigned row = 0x21; row <= 0x7E; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      if ((kJis.leadOfRow[row] << 8 | kJis.trailOfCell[row & 1][cell]) != SjisOfJis(row, cell)) {
        return false;
      }
    }
  }
  return true;
}());

// Row and cell each 0x21-0x7E (or with the high bit set, as in EUC: it is ignored).
inline std::uint16_t SjisPair(unsigned char row, unsigned char cell) {
  row &= 0x7F;
  cell &= 0x7F;
  return static_cast<std::uint16_t>(kJis.leadOfRow[row] << 8 | kJis.trailOfCell[row & 1][cell]);
}

// The number of bytes below 0x80 at the start of p[0..n).
inline std::size_t AsciiRun(const unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) {
      break;
    }
  }
  while (i < n && p[i] < 0x80) {
    ++i;
  }
  return i;
}

constexpr bool IsEucByte(unsigned char c) {
  return c >= 0xA1 && c <= 0xFE;
}
constexpr bool IsEucKana(unsigned char c) {
  return c >= 0xA1 && c <= 0xDF;
}

constexpr unsigned char kEsc = 0x1B;

enum class TJisMode { SingleByte, DoubleByte, Supplementary, Katakana };

// Reads the escape sequence at p[i] (p[i] is ESC), updates the mode and returns the position
// after it.
std::size_t ReadEscape(const unsigned char* p, std::size_t i, std::size_t n, TJisMode& mode) {
  const std::size_t left = n - i;
  const unsigned char second = left > 1 ? p[i + 1] : 0;
  const unsigned char third = left > 2 ? p[i + 2] : 0;
  if (second == '$' && third == '(') {
    const unsigned char final = left > 3 ? p[i + 3] : 0;
    mode = (final == 'D' || final == 'P') ? TJisMode::Supplementary : TJisMode::DoubleByte;
    return i + (left < 4 ? left : 4);
  }
  if (second == '$') {
    mode = TJisMode::DoubleByte;
  } else if (second == '(') {
    mode = third == 'I' ? TJisMode::Katakana : TJisMode::SingleByte;
  }
  return i + (left < 3 ? left : 3);
}

} // namespace

std::string EucToSjis(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  TMiniString out(n);
  std::size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      const std::size_t run = AsciiRun(p + i, n - i);
      out.Append(text.substr(i, run));
      i += run;
      continue;
    }
    const unsigned char b = p[i];
    const unsigned char next = i + 1 < n ? p[i + 1] : 0;
    if (IsEucByte(b) && IsEucByte(next)) {
      out.AddPair(SjisPair(b, next));
      i += 2;
    } else if (b == 0x8E && IsEucKana(next)) {
      out.Add(next);
      i += 2;
    } else if (b == 0x8F && IsEucByte(next) && i + 2 < n && IsEucByte(p[i + 2])) {
      out.AddPair(kGetaMark);
      i += 3;
    } else {
      out.Add(b);
      ++i;
    }
  }
  return out.TakeText();
}

std::string JisToSjis(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  TMiniString out(n);
  TJisMode mode = TJisMode::SingleByte;
  std::size_t i = 0;
  while (i < n) {
    if (p[i] == kEsc) {
      i = ReadEscape(p, i, n, mode);
      continue;
    }
    switch (mode) {
    case TJisMode::SingleByte: {
      const void* esc = std::memchr(p + i, kEsc, n - i);
      const std::size_t end = esc != nullptr ? static_cast<const unsigned char*>(esc) - p : n;
      out.Append(text.substr(i, end - i));
      i = end;
      break;
    }
    case TJisMode::DoubleByte:
    case TJisMode::Supplementary:
      while (i + 1 < n && IsJisByte(p[i]) && IsJisByte(p[i + 1])) {
        out.AddPair(mode == TJisMode::DoubleByte ? SjisPair(p[i], p[i + 1]) : kGetaMark);
        i += 2;
      }
      if (i < n && p[i] != kEsc) {
        out.Add(p[i]); // a byte that starts no JIS code stays as it is
        ++i;
      }
      break;
    case TJisMode::Katakana:
      out.Add(p[i] >= 0x21 && p[i] <= 0x5F ? static_cast<unsigned char>(p[i] + 0x80) : p[i]);
      ++i;
      break;
    }
  }
  return out.TakeText();
}

} // namespace zorbe
