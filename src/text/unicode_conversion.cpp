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

void AppendCode(std::string& out, std::uint16_t code) {
  if (code >= 0x100) {
    out += static_cast<char>(code >> 8);
  }
  out += static_cast<char>(code & 0xFF);
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

// Appends one character in the output code; false when the code can't hold it (nothing is
// appended then). With `out` null only the check is made.
bool PutCharacter(std::string* out, TInternalChar ch, TOutputCode outputCode,
                  const TCodeTable& table) {
  if (outputCode == TOutputCode::Utf8) {
    const char32_t c = Decode(table, ch.code);
    if (c == kNoCharacter) {
      return false;
    }
    if (out != nullptr) {
      AppendUtf8(*out, c);
    }
    return true;
  }
  const std::uint16_t code = SjisCode(table, ch.code);
  if (code == kNoCode) {
    return false;
  }
  if (outputCode == TOutputCode::ShiftJis) {
    if (out != nullptr) {
      AppendCode(*out, code);
    }
    return true;
  }
  // EUC-JP: JIS X 0208 pairs and half-width katakana; bytes that are no character stay.
  if (code >= 0x100) {
    const unsigned lead = code >> 8;
    if (lead >= 0xF0) {
      return false; // user-defined and IBM rows: no place in EUC-JP
    }
    const TJisCode jis = JisOfSjis(static_cast<unsigned char>(lead), code & 0xFF);
    if (out != nullptr) {
      AppendCode(*out, jis.row != 0
                           ? static_cast<std::uint16_t>((jis.row | 0x80) << 8 | (jis.cell | 0x80))
                           : code);
    }
    return true;
  }
  if (out != nullptr) {
    if (code >= 0xA1 && code <= 0xDF) {
      *out += '\x8E';
    }
    *out += static_cast<char>(code);
  }
  return true;
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
  std::memcpy(d, &packed, 4); // little-endian: the first byte first
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

// An internal text appended as UTF-8 through the table's UTF-8 forms, a chunk at a time through a
// buffer on the stack: runs of ASCII 16 bytes at a time, other characters one lookup each.
// Returns the offset of the first code that is no character (npos when none); what came before
// it is appended.
std::size_t AppendAsUtf8(std::string& out, std::string_view internal, const TCodeTable& table) {
  constexpr std::size_t kChunk = 1024; // bytes of the internal text
  // A chunk's last step may take 15 bytes past it; no byte becomes more than three (half-width
  // katakana), and a step may store 16 bytes.
  unsigned char buffer[3 * (kChunk + 16) + 16];
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  const unsigned char* q = p;
  const bool asciiRuns = table.KeepsAscii();
  while (q < end) {
    const unsigned char* const chunkEnd =
        static_cast<std::size_t>(end - q) > kChunk ? q + kChunk : end;
    unsigned char* d = buffer;
    while (q < chunkEnd) {
      if (*q < 0x80 && asciiRuns) {
        if (end - q < 16) {
          *d++ = *q++;
          continue;
        }
        const std::size_t ascii = utf8::AsciiInBlock(q);
        utf8::CopyBlock(q, d);
        q += ascii;
        d += ascii;
        continue;
      }
      const bool pair = IsLeadByte(*q) && q + 1 < end;
      if (!PutPacked(table.Utf8(pair ? static_cast<std::uint16_t>(q[0] << 8 | q[1]) : *q), d)) {
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(d - buffer));
        return static_cast<std::size_t>(q - p);
      }
      q += pair ? 2 : 1;
    }
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(d - buffer));
  }
  return std::string_view::npos;
}

// Appends (or, with `out` null, only checks) an internal text; see AppendInOutputCode.
std::size_t PutText(std::string* out, std::string_view internal, TOutputCode outputCode,
                    const TCodeTable& table) {
  if (outputCode == TOutputCode::Utf8 && out != nullptr &&
      std::endian::native == std::endian::little) {
    return AppendAsUtf8(*out, internal, table);
  }
  if (outputCode == TOutputCode::ShiftJis && !table.HasJobCodes()) {
    if (out != nullptr) {
      out->append(internal);
    }
    return std::string_view::npos;
  }
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  const unsigned char* q = p;
  // ASCII runs go as they are, unless ¥ or ‾ took an ASCII byte and UTF-8 tells them apart.
  const bool asciiRuns = outputCode != TOutputCode::Utf8 || table.KeepsAscii();
  while (q < end) {
    const std::size_t ascii = asciiRuns ? utf8::AsciiPrefix(q, end) : 0;
    if (ascii != 0) {
      if (out != nullptr) {
        out->append(reinterpret_cast<const char*>(q), ascii);
      }
      q += ascii;
      continue;
    }
    const TInternalChar ch = InternalCharAt(q, end);
    if (!PutCharacter(out, ch, outputCode, table)) {
      return static_cast<std::size_t>(q - p);
    }
    q += ch.length;
  }
  return std::string_view::npos;
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

std::size_t AppendInOutputCode(std::string& out, std::string_view internal, TOutputCode code,
                               const TCodeTable& table) {
  return PutText(&out, internal, code, table);
}

std::size_t FindUnwritable(std::string_view internal, TOutputCode code, const TCodeTable& table) {
  return PutText(nullptr, internal, code, table);
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
