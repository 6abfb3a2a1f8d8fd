// The converters of every input code into the internal form (see internal_input.h).
//
// The legacy codes are read through tables made for the job's codec: each code of a plane (or
// each Shift-JIS byte and pair) has an entry holding the internal bytes it becomes, made once by
// asking the codec about the characters iconv reads the code as. A walk then copies runs of
// ASCII and looks every other character up. EUC keeps the JIS arithmetic where it gives the
// internal codes (everywhere for EUC-JP in the CP932 model; the kanji and kana rows for most
// others): a block of 16 bytes that holds only ASCII and such pairs is converted in vector lanes.

#include "text/internal_input.h"

#include "text/internal_input_tables.h"

#include "text/byte_lanes.h"
#include "text/euc_lanes.h"
#include "text/internal_char.h"
#include "text/jis_code.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

namespace zorbe {
namespace {

using namespace lanes;

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kSingleShift2 = 0x8E; // EUC: half-width katakana follows
constexpr unsigned char kSingleShift3 = 0x8F; // EUC: a character of plane 2 follows

constexpr bool IsEucByte(unsigned char c) {
  return c >= 0xA1 && c <= 0xFE;
}
constexpr bool IsEucKana(unsigned char c) {
  return c >= 0xA1 && c <= 0xDF;
}

// A walk's position: the next byte to read and to write, and where writing must stop.
struct TCursor {
  const unsigned char* begin; // the input's first byte
  const unsigned char* q;
  const unsigned char* end;
  unsigned char* out; // the output's first byte
  unsigned char* d;
  unsigned char* outEnd; // out of place: the end of the room; in place: unused
  bool inPlace;

  // Whether n bytes may be written for the character that ends at `next` in the input.
  bool Fits(std::size_t n, const unsigned char* next) const {
    return inPlace ? d + n <= next : n <= static_cast<std::size_t>(outEnd - d);
  }
  // Copies n bytes of ASCII from q, as many as fit when out of place; returns how many.
  std::size_t CopyAscii(std::size_t n) {
    if (!inPlace) {
      n = std::min(n, static_cast<std::size_t>(outEnd - d));
    }
    if (d != q) {
      std::memmove(d, q, n);
    }
    q += n;
    d += n;
    return n;
  }
  TInputStep Step(TInputStep step) const {
    step.read = static_cast<std::size_t>(q - begin);
    step.written = static_cast<std::size_t>(d - out);
    return step;
  }
  TInputStep Full(TInputStep step) const {
    step = Step(step);
    step.full = true;
    return step;
  }
  TInputStep Fault(TInputStep step) const {
    step = Step(step);
    step.fault = TInputFault{step.read};
    return step;
  }
};

TCursor CursorOf(const unsigned char* in, std::size_t size, unsigned char* out, std::size_t room,
                 const TInputStep& from) {
  return {in, in + from.read, in + size, out, out + from.written, out + room, out == in};
}

// Writes an entry for the code of `length` bytes at c.q; false when it doesn't fit.
inline bool PutEntry(TCursor& c, const TEntry& entry, std::size_t length, TInputStep& step) {
  if (entry.flags == TEntry::kSame && c.d == c.q) {
    c.q += length;
    c.d += length;
    return true;
  }
  if (!c.Fits(entry.length, c.q + length)) {
    return false;
  }
  if ((entry.flags & TEntry::kSubstituted) != 0 && step.substituted++ == 0) {
    step.firstSubstituted = static_cast<std::size_t>(c.d - c.out);
  }
  if ((entry.flags & TEntry::kUnwritable) != 0 && step.firstUnwritable == std::string::npos) {
    step.firstUnwritable = static_cast<std::size_t>(c.d - c.out);
  }
  std::memcpy(c.d, entry.bytes, entry.length);
  c.d += entry.length;
  c.q += length;
  return true;
}

// --- UTF-8 ------------------------------------------------------------------------------------

TInputStep RunUtf8(const TInternalCodec& codec, TCursor c, TInputStep step) {
  const std::uint16_t* const plain = codec.PlainCodes();
  while (c.q < c.end) {
    // The common characters of Japanese text take three bytes: four bytes are loaded and the
    // character is checked and decoded with masks and shifts, one lookup gives its code.
    if (c.end - c.q >= 4 && (c.inPlace || c.outEnd - c.d >= 2)) {
      if (const char32_t c3 = utf8::ThreeByteAt(c.q); c3 != utf8::kNotThreeBytes) {
        const std::uint16_t code = plain[c3 & 0xFFFF];
        if (code != kNoCode) {
          c.q += 3;
          if (code >= 0x100) [[likely]] {
            c.d[0] = static_cast<unsigned char>(code >> 8);
            c.d[1] = static_cast<unsigned char>(code & 0xFF);
            c.d += 2;
            continue;
          }
          *c.d++ = static_cast<unsigned char>(code); // half-width katakana
          continue;
        }
      }
    }
    if (*c.q < 0x80) {
      // A run of ASCII, 16 bytes at a time. In place, a block is stored whole only when that
      // can't overwrite input still to be read.
      if (kByteLanes && c.end - c.q >= 16 && (c.inPlace || c.outEnd - c.d >= 16)) {
        const std::size_t ascii = utf8::AsciiInBlock(c.q);
        if (!c.inPlace || c.d + 16 <= c.q + ascii) {
          utf8::CopyBlock(c.q, c.d);
          c.q += ascii;
          c.d += ascii;
        } else {
          c.CopyAscii(ascii);
        }
        continue;
      }
      if (c.CopyAscii(1) == 0) {
        return c.Full(step);
      }
      continue;
    }
    char32_t ch = 0;
    const std::size_t length = utf8::Decode(c.q, c.end, ch);
    if (length == 0) {
      return c.Fault(step);
    }
    unsigned char bytes[kMaxInternalCharLength];
    const std::size_t n = codec.Put(ch, bytes);
    if (!c.Fits(n, c.q + length)) {
      return c.Full(step);
    }
    if (step.firstUnwritable == std::string::npos && !codec.WritesCharacter(ch)) {
      step.firstUnwritable = static_cast<std::size_t>(c.d - c.out);
    }
    std::memcpy(c.d, bytes, n);
    c.d += n;
    c.q += length;
  }
  return c.Step(step);
}

// --- EUC ---------------------------------------------------------------------------------------

// A run of plane-1 pairs (from c.q, which is an EUC byte) that are each one double-byte code,
// the bulk of a text, in a loop of its own: two bytes in, two out, so in place it never
// overtakes its input. Returns whether it put any.
bool PutPlane1Run(const std::uint16_t* codes, TCursor& c) {
  const unsigned char* const start = c.q;
  while (c.end - c.q >= 2 && IsEucByte(c.q[1]) && (c.inPlace || c.outEnd - c.d >= 2)) {
    const std::uint16_t code = codes[PlaneIndex(c.q[0], c.q[1])];
    if (code == 0) {
      break;
    }
    c.d[0] = static_cast<unsigned char>(code >> 8);
    c.d[1] = static_cast<unsigned char>(code & 0xFF);
    c.q += 2;
    c.d += 2;
    if (c.q == c.end || !IsEucByte(*c.q)) {
      break;
    }
  }
  return c.q != start;
}

// Blocks of 16 bytes whose pairs lie where the JIS arithmetic gives their codes go through the
// lanes; runs of other pairs, one lookup each.
TInputStep RunEuc(const TInputTables& tables, TCursor c, TInputStep step) {
  const TEucBoxes& boxes = tables.ArithmeticBoxes();
  while (c.q < c.end) {
    if (boxes.Any() && c.end - c.q >= 16 && (c.inPlace || c.outEnd - c.d >= 16)) {
      if (const std::size_t done = EucBlock(c.q, c.d, &boxes); done != 0) {
        c.q += done;
        c.d += done;
        continue;
      }
    }
    const unsigned char b = *c.q;
    if (b < 0x80) {
      if (c.CopyAscii(utf8::AsciiPrefix(c.q, c.end)) == 0) {
        return c.Full(step);
      }
      continue;
    }
    if (!boxes.everywhere && IsEucByte(b) && PutPlane1Run(tables.Plane1Codes(), c)) {
      continue;
    }
    const std::size_t left = static_cast<std::size_t>(c.end - c.q);
    const TEntry* entry = nullptr;
    std::size_t length = 2;
    if (IsEucByte(b) && left >= 2 && IsEucByte(c.q[1])) {
      entry = &tables.Plane1(b, c.q[1]);
    } else if (b == kSingleShift2 && left >= 2 && IsEucKana(c.q[1])) {
      entry = &tables.Kana(c.q[1]);
    } else if (b == kSingleShift3 && left >= 3 && IsEucByte(c.q[1]) && IsEucByte(c.q[2])) {
      entry = &tables.Plane2(c.q[1], c.q[2]);
      length = 3;
    } else {
      return c.Fault(step);
    }
    if (entry->length == 0) {
      return c.Fault(step);
    }
    if (!PutEntry(c, *entry, length, step)) {
      return c.Full(step);
    }
  }
  return c.Step(step);
}

// --- Shift-JIS ---------------------------------------------------------------------------------

TInputStep RunSjis(const TInputTables& tables, TCursor c, TInputStep step) {
  while (c.q < c.end) {
    const unsigned char b = *c.q;
    if (b < 0x80 && tables.AsciiAsItIs()) {
      if (c.CopyAscii(utf8::AsciiPrefix(c.q, c.end)) == 0) {
        return c.Full(step);
      }
      continue;
    }
    std::size_t length = 1;
    const TEntry* entry = &tables.Single(b);
    if (IsLeadByte(b)) {
      if (c.end - c.q < 2) {
        return c.Fault(step);
      }
      entry = &tables.Pair(b, c.q[1]);
      length = 2;
    }
    if (entry->length == 0) {
      return c.Fault(step);
    }
    if (!PutEntry(c, *entry, length, step)) {
      return c.Full(step);
    }
  }
  return c.Step(step);
}

// --- JIS ---------------------------------------------------------------------------------------

enum TJisMode : std::uint8_t {
  kSingleByte,
  kJis0208,
  kJis0212,
  kJis2004Plane1,
  kJis2004Plane2,
  kKatakana
};

// Reads the escape sequence at c.q (which is ESC) and sets the mode; nothing is written.
void ReadEscape(TCursor& c, std::uint8_t& mode) {
  const std::size_t left = static_cast<std::size_t>(c.end - c.q);
  const unsigned char second = left > 1 ? c.q[1] : 0;
  const unsigned char third = left > 2 ? c.q[2] : 0;
  if (second == '$' && third == '(') {
    const unsigned char final = left > 3 ? c.q[3] : 0;
    mode = final == 'D'                   ? kJis0212
           : final == 'P'                 ? kJis2004Plane2
           : final == 'O' || final == 'Q' ? kJis2004Plane1
                                          : kJis0208;
    c.q += std::min<std::size_t>(left, 4);
    return;
  }
  if (second == '$') {
    mode = kJis0208;
  } else if (second == '(') {
    mode = third == 'I' ? kKatakana : kSingleByte;
  }
  c.q += std::min<std::size_t>(left, 3);
}

// ISO-2022-JP-3's tables read its JIS X 0208 pairs as plane 1 of JIS X 0213. Bytes 0x80-0xFC
// outside a pair are taken as Shift-JIS, as they always were, and read as CP932 reads them; the
// bytes only the internal form has (0xFD-0xFF) are no character.
TInputStep RunJis(const TInputTables& tables, TCursor c, TInputStep step) {
  std::uint8_t mode = step.mode;
  while (c.q < c.end) {
    const unsigned char b = *c.q;
    if (b == kEsc) {
      ReadEscape(c, mode);
      step.mode = mode;
      continue;
    }
    const bool pair = c.end - c.q >= 2 && IsJisByte(b) && IsJisByte(c.q[1]);
    const TEntry* entry = nullptr;
    std::size_t length = 2;
    switch (mode) {
    case kJis0208:
      entry = pair ? &tables.Plane1(b, c.q[1]) : nullptr;
      break;
    case kJis0212:
      entry = pair ? &tables.Jis0212Plane(b, c.q[1]) : nullptr;
      break;
    case kJis2004Plane1:
    case kJis2004Plane2:
      entry = pair ? &tables.Jis2004Plane(mode == kJis2004Plane2, b, c.q[1]) : nullptr;
      break;
    case kKatakana:
      if (b >= 0x21 && b <= 0x5F) {
        entry = &tables.Kana(static_cast<unsigned char>(b + 0x80));
        length = 1;
      }
      break;
    default:
      break;
    }
    if (entry == nullptr && b >= 0x80) {
      if (b >= kEscapeLead || (IsLeadByte(b) && c.end - c.q < 2)) {
        return c.Fault(step);
      }
      entry = IsLeadByte(b) ? &tables.StrayPair(b, c.q[1]) : &tables.StraySingle(b);
      length = IsLeadByte(b) ? 2 : 1;
    }
    if (entry == nullptr) {
      // Single-byte text, or a byte that starts no pair (a line end, a space): as it is.
      if (c.CopyAscii(1) == 0) {
        return c.Full(step);
      }
      continue;
    }
    if (entry->length == 0) {
      return c.Fault(step);
    }
    if (!PutEntry(c, *entry, length, step)) {
      return c.Full(step);
    }
  }
  return c.Step(step);
}

std::size_t LinesBefore(std::string_view done) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < done.size(); ++i) {
    if (done[i] == '\n' || (done[i] == '\r' && (i + 1 == done.size() || done[i + 1] != '\n'))) {
      ++lines;
    }
  }
  return lines;
}

} // namespace

namespace {

// How a code is walked (char_code.h's families, told apart here by code alone).
enum class TWalk { Utf8, Euc, Jis, ShiftJis };

TWalk WalkOf(TCharCode code) {
  switch (code) {
  case ccUtf8:
  case ccUtf16LE:
  case ccUtf16BE:
    return TWalk::Utf8; // UTF-16 is made UTF-8 first
  case ccEuc:
  case ccEucJis2004:
    return TWalk::Euc;
  case ccJis83:
  case ccJis78:
  case ccIso2022Jp3:
    return TWalk::Jis;
  default:
    return TWalk::ShiftJis;
  }
}

} // namespace

TInputConverter::TInputConverter(TCharCode code, const TInternalCodec& codec)
    : code_(code), codec_(codec) {
  if (!Identity() && WalkOf(code) != TWalk::Utf8) {
    tables_ = std::make_unique<TInputTables>(code, codec);
  }
}

TInputConverter::~TInputConverter() = default;
TInputConverter::TInputConverter(TInputConverter&&) noexcept = default;

bool TInputConverter::Identity() const {
  return code_ == ccShiftJis && codec_.Model() == TCharModel::Cp932;
}

bool TInputConverter::Splittable() const {
  return WalkOf(code_) != TWalk::Jis;
}

TInputStep TInputConverter::Run(const unsigned char* in, std::size_t size, unsigned char* out,
                                std::size_t room, TInputStep from) const {
  const TCursor c = CursorOf(in, size, out, room, from);
  from.full = false;
  if (Identity()) {
    TCursor copy = c;
    if (copy.CopyAscii(static_cast<std::size_t>(copy.end - copy.q)) <
        static_cast<std::size_t>(c.end - c.q)) {
      return copy.Full(from);
    }
    return copy.Step(from);
  }
  switch (WalkOf(code_)) {
  case TWalk::Utf8:
    return RunUtf8(codec_, c, from);
  case TWalk::Euc:
    return RunEuc(*tables_, c, from);
  case TWalk::Jis:
    return RunJis(*tables_, c, from);
  default:
    return RunSjis(*tables_, c, from);
  }
}

namespace {

void NoteSubstitutions(TConversionReport& report, const TInputStep& step, std::size_t base) {
  if (step.substituted != 0 && report.substituted == 0) {
    report.firstSubstituted = base + step.firstSubstituted;
  }
  report.substituted += step.substituted;
  if (step.firstUnwritable != std::string::npos && report.firstUnwritable == std::string::npos) {
    report.firstUnwritable = base + step.firstUnwritable;
  }
}

} // namespace

TConvertedText ConvertInPlace(const TInputConverter& converter, char* text, std::size_t size) {
  auto* bytes = reinterpret_cast<unsigned char*>(text);
  TConvertedText result;
  TInputStep step = converter.Run(bytes, size, bytes, size, {});
  result.written = step.written;
  NoteSubstitutions(result.report, step, 0);
  if (step.full) {
    // The rest needs more room than its own bytes: it is converted into a buffer that grows.
    TInputStep rest;
    rest.read = step.read;
    rest.mode = step.mode;
    result.tail.resize(std::max<std::size_t>(64, (size - step.read) / 2 * 3));
    for (;;) {
      rest = converter.Run(bytes, size, reinterpret_cast<unsigned char*>(result.tail.data()),
                           result.tail.size(), rest);
      if (!rest.full) {
        break;
      }
      result.tail.resize(result.tail.size() * 2);
    }
    NoteSubstitutions(result.report, rest, result.written);
    result.tail.resize(rest.written);
    step.fault = rest.fault;
  }
  if (step.fault) {
    result.report.fault = step.fault;
    result.report.faultLine = LinesBefore({text, result.written}) - 1 + LinesBefore(result.tail);
  }
  return result;
}

TConvertedString ConvertText(const TInputConverter& converter, std::string_view text) {
  TConvertedString converted{std::string(text), {}};
  TConvertedText inPlace = ConvertInPlace(converter, converted.text.data(), text.size());
  converted.text.resize(inPlace.written);
  converted.text += inPlace.tail;
  converted.report = inPlace.report;
  return converted;
}

} // namespace zorbe
