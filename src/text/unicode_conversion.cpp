// UTF-8/UTF-16 to the internal form and the internal form to the output codes (see
// unicode_conversion.h). Every loop copies runs of ASCII 16 bytes at a time and takes the rest
// one character at a time through the job's tables.

#include "text/unicode_conversion.h"

#include "text/encoding.h"
#include "text/jis_code.h"
#include "text/utf8_decode.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>

namespace zorbe {
namespace {

using namespace lanes;

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

void AppendUtf8(std::string& out, char32_t c) {
  unsigned char bytes[4];
  out.append(reinterpret_cast<const char*>(bytes), utf8::Encode(c, bytes));
}

// Stores a single-byte code, or a double-byte one lead byte first; returns the bytes stored.
std::size_t PutCode(unsigned char* d, std::uint16_t code) {
  if (code >= 0x100) {
    d[0] = static_cast<unsigned char>(code >> 8);
    d[1] = static_cast<unsigned char>(code & 0xFF);
    return 2;
  }
  d[0] = static_cast<unsigned char>(code);
  return 1;
}

// One character of an internal text: a lead byte and the byte after it, or one byte.
struct TInternalChar {
  std::uint16_t code;
  std::size_t length;
};
TInternalChar InternalCharAt(const unsigned char* q, const unsigned char* end) {
  if (IsLeadByte(*q) && q + 1 < end) {
    return {static_cast<std::uint16_t>(q[0] << 8 | q[1]), 2};
  }
  return {*q, 1};
}

char32_t Decode(const TCodeTable& table, std::uint16_t code) {
  return code >= 0x100 ? table.DecodeDouble(static_cast<unsigned char>(code >> 8),
                                            static_cast<unsigned char>(code & 0xFF))
                       : table.DecodeSingle(static_cast<unsigned char>(code));
}

// The code a character is written as in Shift-JIS, or kNoCode.
std::uint16_t SjisCode(const TCodeTable& table, std::uint16_t code) {
  if (code >= 0x100 &&
      table.IsJobCode(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code))) {
    return table.Cp932OfJobCode(code);
  }
  return code;
}

// Stores one character in the output code at d, or with d null only checks it; returns the bytes
// it takes, 0 when the code can't hold it.
std::size_t PutCharacter(unsigned char* d, TInternalChar ch, TOutputCode outputCode,
                         const TCodeTable& table) {
  unsigned char scratch[4];
  unsigned char* const at = d != nullptr ? d : scratch;
  if (outputCode == TOutputCode::Utf8) {
    const char32_t c = Decode(table, ch.code);
    return c == kNoCharacter ? 0 : utf8::Encode(c, at);
  }
  const std::uint16_t code = SjisCode(table, ch.code);
  if (code == kNoCode) {
    return 0;
  }
  if (outputCode == TOutputCode::ShiftJis) {
    return PutCode(at, code);
  }
  // EUC-JP: JIS X 0208 pairs and half-width katakana; bytes that are no character stay.
  if (code >= 0x100) {
    const unsigned lead = code >> 8;
    if (lead >= 0xF0) {
      return 0; // user-defined and IBM rows: no place in EUC-JP
    }
    const TJisCode jis = JisOfSjis(static_cast<unsigned char>(lead), code & 0xFF);
    return PutCode(at, jis.row != 0
                           ? static_cast<std::uint16_t>((jis.row | 0x80) << 8 | (jis.cell | 0x80))
                           : code);
  }
  if (code >= 0xA1 && code <= 0xDF) {
    at[0] = 0x8E;
    at[1] = static_cast<unsigned char>(code);
    return 2;
  }
  at[0] = static_cast<unsigned char>(code);
  return 1;
}

// The length of a UTF-8 character from its first byte's top four bits, as one shift of a table
// of nibbles: 0-7 (ASCII) and 8-B (no first byte) 1, C-D 2, E 3, F 4.
inline std::size_t Utf8Length(std::uint32_t packed) {
  return (0x4322111111111111ull >> ((packed & 0xF0) >> 2)) & 0xF;
}

// Stores a character's UTF-8 bytes (packed as in the table) at d and moves d on. Nearly every
// character of Japanese text takes three bytes: that case is a branch, so that the processor
// goes on with the next character before the lookup is done instead of waiting for its length.
// False, storing nothing, for a code that is no character.
inline bool PutPacked(std::uint32_t packed, unsigned char*& d) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(d, &packed, 4); // the first byte first
  } else {
    for (int i = 0; i < 4; ++i) {
      d[i] = static_cast<unsigned char>(packed >> (8 * i));
    }
  }
  if ((packed & 0xF0) == 0xE0) [[likely]] {
    d += 3;
    return true;
  }
  if (packed == TCodeTable::kNoUtf8) {
    return false;
  }
  d += Utf8Length(packed);
  return true;
}

// Copies the last `left` bytes of a text (1-15), at q, to d when they are all ASCII, as two
// loads and stores of 8, 4 or 1 bytes that overlap instead of a loop; returns whether they were.
// The end of most short lines is such a tail.
inline bool CopyAsciiTail(const unsigned char* q, std::size_t left, unsigned char* d) {
  auto copyTwo = [&]<typename Word>(Word high) {
    Word first = 0;
    Word last = 0;
    std::memcpy(&first, q, sizeof first);
    std::memcpy(&last, q + left - sizeof last, sizeof last);
    if (((first | last) & high) != 0) {
      return false;
    }
    std::memcpy(d, &first, sizeof first);
    std::memcpy(d + left - sizeof last, &last, sizeof last);
    return true;
  };
  if (left >= 8) {
    return copyTwo(std::uint64_t{0x8080808080808080ULL});
  }
  if (left >= 4) {
    return copyTwo(std::uint32_t{0x80808080U});
  }
  const unsigned char a = q[0];
  const unsigned char b = q[left / 2];
  const unsigned char c = q[left - 1];
  if (((a | b | c) & 0x80) != 0) {
    return false;
  }
  d[0] = a;
  d[left / 2] = b;
  d[left - 1] = c;
  return true;
}

// Where a conversion to UTF-8 stands: the next byte to read and to write.
struct TUtf8Cursor {
  const unsigned char* q;
  unsigned char* d;
};

// Converts an internal text (up to `end`) to UTF-8 at c.d, through the table's UTF-8 forms: runs of
// ASCII 16 bytes at a time, other characters one lookup each. Stops early at a code that is no
// character, with c.q at it. Stores at most 16 bytes past what it writes.
// The table is held in a local: stores through `d` may alias anything, and would otherwise
// make the compiler fetch it again after each character.
inline void ConvertToUtf8(TUtf8Cursor& c, const unsigned char* end, const TCodeTable& table) {
  const std::uint32_t* const utf8 = table.Utf8Table();
  const bool asciiRuns = table.KeepsAscii();
  const unsigned char* q = c.q;
  unsigned char* d = c.d;
  while (q < end) {
    if (*q < 0x80 && asciiRuns) {
      const auto left = static_cast<std::size_t>(end - q);
      if (left >= 16) {
        const std::size_t ascii = utf8::AsciiInBlock(q);
        utf8::CopyBlock(q, d);
        q += ascii;
        d += ascii;
        continue;
      }
      // The end of a short text (a line, say) in one step when it is ASCII, without reading
      // past it.
      if (CopyAsciiTail(q, left, d)) {
        q += left;
        d += left;
        continue;
      }
      *d++ = *q++;
      continue;
    }
    if (IsLeadByte(*q) && end - q >= 2) {
      // A run of double-byte characters, the bulk of Japanese text, in a loop of its own.
      do {
        if (!PutPacked(utf8[q[0] << 8 | q[1]], d)) {
          c = {q, d};
          return;
        }
        q += 2;
      } while (end - q >= 2 && IsLeadByte(*q));
      continue;
    }
    // Half-width katakana, a lone lead byte at the end, or ASCII when ¥ or ‾ took its byte.
    if (!PutPacked(utf8[*q], d)) {
      break;
    }
    ++q;
  }
  c = {q, d};
}

// An internal text as UTF-8 at `out`: a function of its own, small enough to be cheap to call
// once per line.
TWritten InternalToUtf8(unsigned char* out, std::string_view internal, const TCodeTable& table) {
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  TUtf8Cursor c{p, out};
  ConvertToUtf8(c, end, table);
  return {static_cast<std::size_t>(c.d - out),
          c.q < end ? static_cast<std::size_t>(c.q - p) : std::string_view::npos};
}

// Writes (or, with `out` null, only checks) an internal text in the output code.
TWritten PutText(unsigned char* out, std::string_view internal, TOutputCode outputCode,
                 const TCodeTable& table) {
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  if (outputCode == TOutputCode::Utf8 && out != nullptr) {
    return InternalToUtf8(out, internal, table);
  }
  if (outputCode == TOutputCode::ShiftJis && !table.HasJobCodes()) {
    if (out != nullptr) {
      std::memcpy(out, p, internal.size());
    }
    return {internal.size(), std::string_view::npos};
  }
  const unsigned char* q = p;
  unsigned char* d = out;
  std::size_t written = 0;
  // ASCII runs go as they are, unless ¥ or ‾ took an ASCII byte and UTF-8 tells them apart.
  const bool asciiRuns = outputCode != TOutputCode::Utf8 || table.KeepsAscii();
  while (q < end) {
    const std::size_t ascii = asciiRuns ? utf8::AsciiPrefix(q, end) : 0;
    if (ascii != 0) {
      if (d != nullptr) {
        std::memcpy(d + written, q, ascii);
      }
      written += ascii;
      q += ascii;
      continue;
    }
    const TInternalChar ch = InternalCharAt(q, end);
    const std::size_t length =
        PutCharacter(d != nullptr ? d + written : nullptr, ch, outputCode, table);
    if (length == 0) {
      return {written, static_cast<std::size_t>(q - p)};
    }
    written += length;
    q += ch.length;
  }
  return {written, std::string_view::npos};
}

} // namespace

const char* OutputCodeName(TOutputCode code) {
  switch (code) {
  case TOutputCode::Utf8:
    return "UTF-8";
  case TOutputCode::EucJp:
    return "EUC-JP";
  default:
    return "Shift-JIS";
  }
}

TConversion Utf8ToInternal(const char* in, std::size_t size, char* out, const TCodeTable& table) {
  const unsigned char* const p = Bytes(in);
  const unsigned char* const end = p + size;
  const unsigned char* q = p;
  auto* const first = reinterpret_cast<unsigned char*>(out);
  unsigned char* d = first;
  const bool inPlace = first == p;
  auto written = [&] { return static_cast<std::size_t>(d - first); };
  while (q < end) {
    // The common characters of Japanese text take three bytes: four bytes are loaded and the
    // character is checked and decoded with masks and shifts, one lookup gives its code. A
    // character this doesn't take (an overlong form, a surrogate, no code) goes to the decoder.
    if (end - q >= 4) {
      if (const char32_t c3 = utf8::ThreeByteAt(q); c3 != utf8::kNotThreeBytes) {
        const std::uint16_t code = table.Encode(c3);
        if (code != kNoCode) {
          // Read before written, and never more bytes than read. The usual double-byte code is
          // a branch, so that the next character need not wait for this one's lookup.
          q += 3;
          if (code >= 0x100) [[likely]] {
            d[0] = static_cast<unsigned char>(code >> 8);
            d[1] = static_cast<unsigned char>(code & 0xFF);
            d += 2;
            continue;
          }
          *d++ = static_cast<unsigned char>(code); // half-width katakana
          continue;
        }
      }
    }
    if (*q < 0x80) {
      // A run of ASCII, 16 bytes at a time. A run shorter than a block is stored as the whole
      // block when that can't overwrite input still to be read (d trails q far enough in place).
      if (kByteLanes && end - q >= 16) {
        const std::size_t ascii = utf8::AsciiInBlock(q);
        if (!inPlace || d + 16 <= q + ascii) {
          utf8::CopyBlock(q, d);
        } else {
          std::memmove(d, q, ascii);
        }
        q += ascii;
        d += ascii;
        continue;
      }
      *d++ = *q++;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = utf8::Decode(q, end, c);
    if (length == 0) {
      return {written(), TConversionFault{static_cast<std::size_t>(q - p), kNoCharacter}};
    }
    const std::uint16_t code = table.Encode(c);
    if (code == kNoCode) {
      return {written(), TConversionFault{static_cast<std::size_t>(q - p), c}};
    }
    if (code >= 0x100) {
      d[0] = static_cast<unsigned char>(code >> 8);
      d[1] = static_cast<unsigned char>(code & 0xFF);
      d += 2;
    } else {
      *d++ = static_cast<unsigned char>(code);
    }
    q += length;
  }
  return {written(), std::nullopt};
}

std::optional<TConversionFault> Utf16ToUtf8(std::string_view utf16, bool bigEndian,
                                            std::string& out) {
  const unsigned char* const p = Bytes(utf16.data());
  const std::size_t size = utf16.size();
  auto unit = [&](std::size_t at) -> char32_t {
    return bigEndian ? (p[at] << 8 | p[at + 1]) : (p[at + 1] << 8 | p[at]);
  };
  out.reserve(out.size() + size + size / 2);
  for (std::size_t i = 0; i < size; i += 2) {
    if (i + 1 >= size) {
      return TConversionFault{i, kNoCharacter};
    }
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDFFF) {
      const bool pairs =
          c <= 0xDBFF && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
      if (!pairs) {
        return TConversionFault{i, kNoCharacter};
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    }
    AppendUtf8(out, c);
  }
  return std::nullopt;
}

TWritten InternalToOutputCode(std::string_view internal, TOutputCode code, char* out,
                              const TCodeTable& table) {
  if (code == TOutputCode::Utf8) {
    return InternalToUtf8(reinterpret_cast<unsigned char*>(out), internal, table);
  }
  return PutText(reinterpret_cast<unsigned char*>(out), internal, code, table);
}

std::size_t AppendInOutputCode(std::string& out, std::string_view internal, TOutputCode code,
                               const TCodeTable& table) {
  const std::size_t before = out.size();
  out.resize(before + OutputCapacity(internal.size()));
  const TWritten written = InternalToOutputCode(internal, code, out.data() + before, table);
  out.resize(before + written.size);
  return written.unwritableAt;
}

std::size_t FindUnwritable(std::string_view internal, TOutputCode code, const TCodeTable& table) {
  return PutText(nullptr, internal, code, table).unwritableAt;
}

std::string CharacterAt(std::string_view internal, std::size_t offset, const TCodeTable& table) {
  const unsigned char* const p = Bytes(internal.data());
  const TInternalChar ch = InternalCharAt(p + offset, p + internal.size());
  const char32_t c = Decode(table, ch.code);
  if (c == kNoCharacter) {
    char name[16];
    if (ch.length == 2) {
      std::snprintf(name, sizeof name, "0x%02X 0x%02X", p[offset], p[offset + 1]);
    } else {
      std::snprintf(name, sizeof name, "0x%02X", p[offset]);
    }
    return name;
  }
  std::string character;
  AppendUtf8(character, c);
  return "「" + character + "」(" + CodePointName(character) + ")";
}

} // namespace zorbe
