// EUC-JP and JIS to Shift-JIS.
//
// Both converters walk the input once and write through a pointer of their own, into the
// TMiniString's reserved buffer or over the input itself: the output position never passes the
// input position, and no store reaches input that is still to be read.
//
// The common stretches go 16 bytes at a time with SSE2, which every x86-64 processor has:
// - EUC: a block of ASCII is copied; a block whose 8-bit bytes are all 0xA1-0xFE is paired by
//   runs (PairStarts), since a run of such bytes that starts at a character boundary pairs from
//   its first byte. Any other block (a single shift, a stray byte) goes through the scalar loop
//   a character at a time, up to the first character boundary past it.
// - JIS: the text is taken a stretch between escape sequences at a time (the escape found 16
//   bytes at a time); a double-byte stretch of bytes 0x21-0x7E is converted eight pairs at a
//   time, anything else in it a character at a time.
// In the lanes a pair's Shift-JIS bytes come from the arithmetic of SjisOfJis; the scalar loop
// takes them from tables built from SjisOfJis. Without SSE2 the scalar loops do everything.

#include "text/code_conversion.h"

#include "text/byte_lanes.h"
#include "text/euc_lanes.h"
#include "text/jis_code.h"
#include "text/mini_string.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zorbe {
namespace {

using namespace lanes;

constexpr std::uint16_t kGetaMark = 0x81AC; // 〓, for a character Shift-JIS can't hold
constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kSingleShift2 = 0x8E; // EUC: half-width katakana follows
constexpr unsigned char kSingleShift3 = 0x8F; // EUC: a JIS X 0212 character follows

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

// Writes the Shift-JIS pair of a JIS code; row and cell are 0x21-0x7E, or the same with the
// high bit set as in EUC (it is ignored).
inline void PutPair(unsigned char* d, unsigned char row, unsigned char cell) {
  row &= 0x7F;
  d[0] = kJis.leadOfRow[row];
  d[1] = kJis.trailOfCell[row & 1][cell & 0x7F];
}

// Writes the geta mark for a character Shift-JIS can't hold; returns the bytes written.
inline std::size_t PutGetaMark(unsigned char* d) {
  d[0] = static_cast<unsigned char>(kGetaMark >> 8);
  d[1] = static_cast<unsigned char>(kGetaMark & 0xFF);
  return 2;
}

constexpr bool IsEucByte(unsigned char c) {
  return c >= 0xA1 && c <= 0xFE;
}
constexpr bool IsEucKana(unsigned char c) {
  return c >= 0xA1 && c <= 0xDF;
}

#if defined(__SSE2__)

// The first `count` bytes at p (an even number, 2-16) as pairs of double-byte JIS text, if
// they are all 0x21-0x7E: their Shift-JIS pairs go to d, with junk after them up to 16 bytes.
// Returns false, writing nothing, when one of them is another byte.
inline bool JisPairs(const unsigned char* p, unsigned char* d, std::size_t count) {
  const __m128i v = Load(p);
  const unsigned wanted = (1u << count) - 1;
  if ((Bits(InRange(v, 0x21, 0x7E)) & wanted) != wanted) {
    return false;
  }
  const __m128i rowLanes = _mm_set1_epi16(0x00FF); // even lanes hold rows, odd lanes cells
  const __m128i out = Select(rowLanes, SjisLeads(v), SjisTrails(v, _mm_slli_si128(v, 1)));
  Store(d, out);
  return true;
}

inline void Copy16(const unsigned char* p, unsigned char* d) {
  Store(d, Load(p));
}

// The position of the first ESC in p[i..n), or n.
inline std::size_t FindEscape(const unsigned char* p, std::size_t i, std::size_t n) {
  for (; i + 16 <= n; i += 16) {
    const __m128i v = Load(p + i);
    if (const unsigned hits = Bits(_mm_cmpeq_epi8(v, _mm_set1_epi8(kEsc))); hits != 0) {
      return i + static_cast<std::size_t>(__builtin_ctz(hits));
    }
  }
  const void* esc = std::memchr(p + i, kEsc, n - i);
  return esc != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(esc) - p) : n;
}

#else

inline bool JisPairs(const unsigned char*, unsigned char*, std::size_t) {
  return false;
}
inline void Copy16(const unsigned char* p, unsigned char* d) {
  std::memmove(d, p, 16);
}
inline std::size_t FindEscape(const unsigned char* p, std::size_t i, std::size_t n) {
  const void* esc = std::memchr(p + i, kEsc, n - i);
  return esc != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(esc) - p) : n;
}

#endif

constexpr std::size_t kBlock = 16;

// One EUC character at p[i]; advances i and d.
inline void EucCharacter(const unsigned char* p, std::size_t& i, std::size_t n, unsigned char*& d) {
  const unsigned char b = p[i];
  const unsigned char next = i + 1 < n ? p[i + 1] : 0;
  if (IsEucByte(b) && IsEucByte(next)) {
    PutPair(d, b, next);
    d += 2;
    i += 2;
  } else if (b == kSingleShift2 && IsEucKana(next)) {
    *d++ = next;
    i += 2;
  } else if (b == kSingleShift3 && IsEucByte(next) && i + 2 < n && IsEucByte(p[i + 2])) {
    d += PutGetaMark(d);
    i += 3;
  } else {
    *d++ = b;
    ++i;
  }
}

// Converts p[0..n) to d, which may be p itself; returns the size of the output.
std::size_t ConvertEuc(const unsigned char* p, std::size_t n, unsigned char* const out) {
  unsigned char* d = out;
  std::size_t i = 0;
  while (i + kBlock <= n) {
    if (const std::size_t done = EucBlock(p + i, d); done != 0) {
      i += done;
      d += done;
      continue;
    }
    for (const std::size_t end = i + kBlock; i < end;) {
      EucCharacter(p, i, n, d);
    }
  }
  while (i < n) {
    EucCharacter(p, i, n, d);
  }
  return static_cast<std::size_t>(d - out);
}

enum class TJisMode { SingleByte, DoubleByte, Supplementary, Plane2, Katakana };

// Reads the escape sequence at p[i] (p[i] is ESC), updates the mode and returns the position
// after it.
inline std::size_t ReadEscape(const unsigned char* p, std::size_t i, std::size_t n,
                              TJisMode& mode) {
  const std::size_t left = n - i;
  const unsigned char second = left > 1 ? p[i + 1] : 0;
  const unsigned char third = left > 2 ? p[i + 2] : 0;
  if (second == '$' && third == '(') {
    const unsigned char final = left > 3 ? p[i + 3] : 0;
    mode = final == 'D'   ? TJisMode::Supplementary
           : final == 'P' ? TJisMode::Plane2
                          : TJisMode::DoubleByte;
    return i + (left < 4 ? left : 4);
  }
  if (second == '$') {
    mode = TJisMode::DoubleByte;
  } else if (second == '(') {
    mode = third == 'I' ? TJisMode::Katakana : TJisMode::SingleByte;
  }
  return i + (left < 3 ? left : 3);
}

// The JIS converter's position in its input and output. A stretch of fewer than 16 bytes may
// still be handled with one 16-byte load and store when both stay inside their buffers and, in
// place, the store ends before the input still to be read; the junk after the output is
// overwritten by what comes next.
template <bool inPlace> struct TJisCursor {
  const unsigned char* p;
  std::size_t n;
  std::size_t i;
  unsigned char* d;

  bool Roomy() const { return kByteLanes && i + 16 <= n && (!inPlace || d + 16 <= p + i); }
};

// Double-byte JIS text up to `end`, which holds no ESC: pairs of bytes 0x21-0x7E become their
// Shift-JIS pair (or the geta mark in the supplementary modes); any other
// byte stays as it is.
template <bool inPlace> void ConvertPairs(TJisCursor<inPlace>& c, std::size_t end, TJisMode mode) {
  if (mode == TJisMode::DoubleByte) {
    // Whole blocks, whose store never passes the input they were loaded from.
    while (c.i + kBlock <= end && JisPairs(c.p + c.i, c.d, kBlock)) {
      c.i += kBlock;
      c.d += kBlock;
    }
    const std::size_t rest = end - c.i;
    if (rest != 0 && rest < kBlock && rest % 2 == 0 && c.Roomy() &&
        JisPairs(c.p + c.i, c.d, rest)) {
      c.i = end;
      c.d += rest;
      return;
    }
  }
  while (c.i < end) {
    const unsigned char b = c.p[c.i];
    if (c.i + 1 < end && IsJisByte(b) && IsJisByte(c.p[c.i + 1])) {
      if (mode == TJisMode::DoubleByte) {
        PutPair(c.d, b, c.p[c.i + 1]);
        c.d += 2;
      } else {
        c.d += PutGetaMark(c.d);
      }
      c.i += 2;
      continue;
    }
    *c.d++ = b; // a byte that starts no JIS code stays as it is
    ++c.i;
  }
}

template <bool inPlace> void CopyStretch(TJisCursor<inPlace>& c, std::size_t end) {
  const std::size_t count = end - c.i;
  if (count <= 16 && c.Roomy()) {
    Copy16(c.p + c.i, c.d);
  } else {
    std::memmove(c.d, c.p + c.i, count);
  }
  c.i = end;
  c.d += count;
}

// Converts p[0..n) to out, which is p itself when inPlace; returns the size of the output. The
// text is taken a stretch between escape sequences at a time.
template <bool inPlace>
std::size_t ConvertJis(const unsigned char* p, std::size_t n, unsigned char* const out) {
  TJisCursor<inPlace> c{p, n, 0, out};
  TJisMode mode = TJisMode::SingleByte;
  while (c.i < n) {
    const std::size_t end = FindEscape(p, c.i, n);
    switch (mode) {
    case TJisMode::SingleByte:
      CopyStretch(c, end);
      break;
    case TJisMode::DoubleByte:
    case TJisMode::Supplementary:
    case TJisMode::Plane2:
      ConvertPairs(c, end, mode);
      break;
    case TJisMode::Katakana:
      for (; c.i < end; ++c.i) {
        const unsigned char b = p[c.i];
        *c.d++ = b >= 0x21 && b <= 0x5F ? static_cast<unsigned char>(b + 0x80) : b;
      }
      break;
    }
    if (end < n) {
      c.i = ReadEscape(p, end, n, mode);
    }
  }
  return static_cast<std::size_t>(c.d - out);
}

template <auto convert> std::string ConvertedText(std::string_view text) {
  TMiniString out(text.size());
  out.Commit(convert(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                     out.Reserve(text.size())));
  return out.TakeText();
}

template <auto convert> std::size_t ConvertInPlace(char* text, std::size_t size) {
  auto* bytes = reinterpret_cast<unsigned char*>(text);
  return convert(bytes, size, bytes);
}

} // namespace

std::string EucToSjis(std::string_view text) {
  return ConvertedText<ConvertEuc>(text);
}
std::string JisToSjis(std::string_view text) {
  return ConvertedText<ConvertJis<false>>(text);
}

std::size_t EucToSjisInPlace(char* text, std::size_t size) {
  return ConvertInPlace<ConvertEuc>(text, size);
}
std::size_t JisToSjisInPlace(char* text, std::size_t size) {
  return ConvertInPlace<ConvertJis<true>>(text, size);
}

} // namespace zorbe
