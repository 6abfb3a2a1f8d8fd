// The writers of the internal form (see internal_output.h).

#include "text/internal_output.h"

#include "text/internal_char.h"
#include "text/jis_code.h"
#include "text/utf8_decode.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace zorbe {
namespace {

const unsigned char* Bytes(const char* text) {
  return reinterpret_cast<const unsigned char*>(text);
}

// The length of a UTF-8 character from its first byte's top four bits, as one shift of a table
// of nibbles: 0-7 (ASCII) and 8-B (no first byte) 1, C-D 2, E 3, F 4.
inline std::size_t Utf8Length(std::uint32_t packed) {
  return (0x4322111111111111ull >> ((packed & 0xF0) >> 2)) & 0xF;
}

// Stores a character's UTF-8 bytes (packed as in the codec's table) at d and moves d on. Nearly
// every character of Japanese text takes three bytes: that case is a branch, so that the
// processor goes on with the next character before the lookup is done instead of waiting for
// its length. False, storing nothing, for a code that is no character.
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
  if (packed == TInternalCodec::kNoUtf8) {
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

// Where a writer stands: the next byte to read and to write.
struct TCursor {
  const unsigned char* q;
  unsigned char* d;
};

// Whether the byte at q, inside [.., end), is followed by the alternate mark: the character
// before the mark is written by the slow path, which reads the two together.
inline bool MarkAfter(const unsigned char* q, const unsigned char* end) {
  return end - q > 1 && q[1] == kAlternateMark;
}

// Converts an internal text (up to `end`) to UTF-8 at c.d: runs of ASCII 16 bytes at a time,
// runs of double-byte codes one lookup each, every other character (half-width katakana,
// escapes, marked codes) decoded by itself. Stops early at bytes that are no character, with
// c.q at them. Stores at most 16 bytes past what it writes. The table is held in a local:
// stores through `d` may alias anything, and would otherwise make the compiler fetch it again
// after each character.
inline void ConvertToUtf8(TCursor& c, const unsigned char* end, const TInternalCodec& codec) {
  const std::uint32_t* const utf8 = codec.Utf8Table();
  const unsigned char* q = c.q;
  unsigned char* d = c.d;
  while (q < end) {
    if (*q < 0x80) {
      const auto left = static_cast<std::size_t>(end - q);
      if (left >= 16) {
        std::size_t ascii = utf8::AsciiInBlock(q);
        if (ascii < left && q[ascii] == kAlternateMark) {
          --ascii; // ¥ or ‾: the byte goes with its mark
        }
        if (ascii != 0) {
          utf8::CopyBlock(q, d);
          q += ascii;
          d += ascii;
          continue;
        }
      } else if (CopyAsciiTail(q, left, d)) {
        // The end of a short text (a line, say) in one step when it is ASCII, without reading
        // past it.
        q += left;
        d += left;
        continue;
      } else if (!MarkAfter(q, end)) {
        *d++ = *q++;
        continue;
      }
    } else if (IsLeadByte(*q) && end - q >= 2 && !(end - q > 2 && q[2] == kAlternateMark)) {
      // A run of double-byte characters, the bulk of Japanese text, in a loop of its own.
      do {
        if (!PutPacked(utf8[q[0] << 8 | q[1]], d)) {
          c = {q, d};
          return;
        }
        q += 2;
      } while (end - q >= 2 && IsLeadByte(*q) && !(end - q > 2 && q[2] == kAlternateMark));
      continue;
    } else if (*q >= 0xA1 && *q <= 0xDF) {
      PutPacked(utf8[*q], d); // half-width katakana
      ++q;
      continue;
    }
    std::size_t length = 0;
    const char32_t ch = codec.Decode(q, end, length);
    if (ch == kNoCharacter) {
      break;
    }
    d += utf8::Encode(ch, d);
    q += length;
  }
  c = {q, d};
}

TWritten ToUtf8(std::string_view internal, const TInternalCodec& codec, unsigned char* out) {
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  TCursor c{p, out};
  ConvertToUtf8(c, end, codec);
  return {static_cast<std::size_t>(c.d - out),
          c.q < end ? static_cast<std::size_t>(c.q - p) : std::string_view::npos};
}

std::size_t PutUtf16(char32_t ch, unsigned char* d) {
  auto unit = [&d](char32_t u) {
    d[0] = static_cast<unsigned char>(u & 0xFF);
    d[1] = static_cast<unsigned char>(u >> 8);
    d += 2;
  };
  if (ch < 0x10000) {
    unit(ch);
    return 2;
  }
  unit(0xD800 + ((ch - 0x10000) >> 10));
  unit(0xDC00 + ((ch - 0x10000) & 0x3FF));
  return 4;
}

// Stores bytes packed as TEncoded's, the first byte lowest.
std::size_t PutBytes(std::uint32_t bytes, std::size_t length, unsigned char* d) {
  for (std::size_t i = 0; i < length; ++i) {
    d[i] = static_cast<unsigned char>(bytes >> (8 * i));
  }
  return length;
}

// EUC-JP: the JIS arithmetic for the JIS X 0208 codes, JIS X 0212 for what CP932 holds beyond
// them (the IBM rows) and for escapes. 0 when EUC-JP can't hold the character.
std::size_t PutEucJp(const unsigned char* q, std::size_t length, char32_t ch, unsigned char* d) {
  const unsigned char b = q[0];
  if (length == 1 && b < 0x80) {
    d[0] = b;
    return 1;
  }
  if (length == 1 && b >= 0xA1 && b <= 0xDF) {
    d[0] = 0x8E;
    d[1] = b;
    return 2;
  }
  if (length == 2 && IsLeadByte(b) && b <= 0xEF) {
    const TJisCode jis = JisOfSjis(b, q[1]);
    if (jis.row != 0) {
      d[0] = static_cast<unsigned char>(jis.row | 0x80);
      d[1] = static_cast<unsigned char>(jis.cell | 0x80);
      return 2;
    }
  }
  if (ch == kNoCharacter || (length == 2 && b < 0xFA) || (length == 1 && !IsEscapeLead(b))) {
    return 0;
  }
  const TEncoded encoded = TLegacyCharset::Get(TLegacyCode::EucJp).Encode(ch);
  return PutBytes(encoded.bytes, encoded.length, d);
}

// JIS X 0213: a base character and the combining one after it as their one code when the code
// has it, else each character as its bytes. `next`: the character after this one, if any.
std::size_t PutJis2004(const TLegacyCharset& charset, char32_t ch, char32_t next, bool& composed,
                       unsigned char* d) {
  composed = false;
  if (next != kNoCharacter) {
    if (const auto pair = charset.composed.find({ch, next}); pair != charset.composed.end()) {
      composed = true;
      return PutBytes(pair->second.bytes, pair->second.length, d);
    }
  }
  const TEncoded encoded = charset.Encode(ch);
  return PutBytes(encoded.bytes, encoded.length, d);
}

// Writes (or, with `out` null, only checks) an internal text in an output code other than
// UTF-8, one character at a time.
TWritten PutText(unsigned char* out, std::string_view internal, const TInternalCodec& codec) {
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  const unsigned char* q = p;
  unsigned char scratch[16];
  std::size_t written = 0;
  const TOutputCode code = codec.Output();
  while (q < end) {
    if (*q < 0x80 && code != TOutputCode::Utf16 && !MarkAfter(q, end)) {
      // ASCII is ASCII in every byte code (Shift_JIS-2004 too: the job holds its ¥ as ¥).
      std::size_t ascii = utf8::AsciiPrefix(q, end);
      if (q + ascii < end && q[ascii] == kAlternateMark) {
        --ascii;
      }
      if (out != nullptr) {
        std::memcpy(out + written, q, ascii);
      }
      written += ascii;
      q += ascii;
      continue;
    }
    std::size_t length = 0;
    const char32_t ch = codec.Decode(q, end, length);
    unsigned char* const d = out != nullptr ? out + written : scratch;
    std::size_t put = 0;
    switch (code) {
    case TOutputCode::ShiftJis:
      if (!IsInternalOnlyChar(q, length)) {
        std::memcpy(d, q, length);
        put = length;
      }
      break;
    case TOutputCode::EucJp:
      put = PutEucJp(q, length, ch, d);
      break;
    case TOutputCode::Utf16:
      put = ch != kNoCharacter ? PutUtf16(ch, d) : 0;
      break;
    default: {
      std::size_t nextLength = 0;
      const char32_t next =
          q + length < end ? codec.Decode(q + length, end, nextLength) : kNoCharacter;
      bool composed = false;
      put = ch != kNoCharacter ? PutJis2004(*codec.Jis2004(), ch, next, composed, d) : 0;
      length += composed ? nextLength : 0;
      break;
    }
    }
    if (put == 0) {
      return {written, static_cast<std::size_t>(q - p)};
    }
    written += put;
    q += length;
  }
  return {written, std::string_view::npos};
}

} // namespace

TWritten InternalToOutputCode(std::string_view internal, const TInternalCodec& codec, char* out) {
  auto* const bytes = reinterpret_cast<unsigned char*>(out);
  if (codec.Output() == TOutputCode::Utf8) {
    return ToUtf8(internal, codec, bytes);
  }
  return PutText(bytes, internal, codec);
}

std::size_t AppendInOutputCode(std::string& out, std::string_view internal,
                               const TInternalCodec& codec) {
  const std::size_t before = out.size();
  out.resize(before + OutputCapacity(internal.size()));
  const TWritten written = InternalToOutputCode(internal, codec, out.data() + before);
  out.resize(before + written.size);
  return written.unwritableAt;
}

std::size_t FindUnwritable(std::string_view internal, const TInternalCodec& codec) {
  const unsigned char* const p = Bytes(internal.data());
  const unsigned char* const end = p + internal.size();
  for (const unsigned char* q = p; q < end;) {
    std::size_t length = 0;
    if (*q < 0x80 && !MarkAfter(q, end)) {
      ++q;
      continue;
    }
    if (!codec.Writable(q, end, length)) {
      return static_cast<std::size_t>(q - p);
    }
    q += length;
  }
  // Characters that each can be written may still fail together (a combining character that
  // JIS X 0213 holds only after its base): the writer is asked.
  return codec.Model() == TCharModel::Jis2004 ? PutText(nullptr, internal, codec).unwritableAt
                                              : std::string_view::npos;
}

std::string LineEndInOutputCode(std::string_view lineEnd, TOutputCode code) {
  if (code != TOutputCode::Utf16) {
    return std::string(lineEnd);
  }
  std::string units;
  for (const char c : lineEnd) {
    units += c;
    units += '\0';
  }
  return units;
}

std::string CharacterName(char32_t c) {
  unsigned char bytes[4];
  const std::string character(reinterpret_cast<const char*>(bytes), utf8::Encode(c, bytes));
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return "「" + character + "」(" + name + ")";
}

std::string CharacterAt(std::string_view internal, std::size_t offset,
                        const TInternalCodec& codec) {
  const unsigned char* const p = Bytes(internal.data());
  std::size_t length = 0;
  const char32_t c = codec.Decode(p + offset, p + internal.size(), length);
  if (c != kNoCharacter) {
    return CharacterName(c);
  }
  std::string name;
  for (std::size_t i = 0; i < length; ++i) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "%s0x%02X", i == 0 ? "" : " ", p[offset + i]);
    name += byte;
  }
  return name;
}

} // namespace zorbe
