// Building the legacy code tables from iconv (see legacy_charsets.h). Every code of a form is
// decoded (some 18,000 small conversions); for writing, every character of the planes JIS X
// 0213 draws on (U+0000-U+2FFFF) is encoded too, one at a time with the converter's state
// flushed after it (iconv holds a base character back until it knows whether a combining one
// follows): some 200,000 more, done once per process and only for a job that writes the code.

#include "text/legacy_charsets.h"

#include "text/iconv_call.h"

namespace zorbe {
namespace {

const char* IconvName(TLegacyCode code) {
  switch (code) {
  case TLegacyCode::EucJp:
    return "EUC-JP";
  case TLegacyCode::EucJis2004:
    return "EUC-JISX0213";
  default:
    return "SHIFT_JISX0213";
  }
}

// The characters iconv reads from the bytes: one, or a base and a combining character.
TDecoded DecodeBytes(TIconv& decoder, const unsigned char* bytes, std::size_t size) {
  unsigned char out[16];
  const std::size_t got = decoder.ConvertOne(bytes, size, out, sizeof out);
  auto at = [&out](std::size_t i) {
    return static_cast<char32_t>(out[i] | out[i + 1] << 8 | out[i + 2] << 16 | out[i + 3] << 24);
  };
  if (got == 4) {
    return {at(0), 0};
  }
  if (got == 8) {
    return {at(0), at(4)};
  }
  return {};
}

TEncoded Packed(const unsigned char* bytes, std::size_t size) {
  TEncoded encoded;
  for (std::size_t i = 0; i < size; ++i) {
    encoded.bytes |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  encoded.length = static_cast<std::uint8_t>(size);
  return encoded;
}

void NoteComposed(TLegacyCharset& charset, TDecoded decoded, const unsigned char* bytes,
                  std::size_t size) {
  if (decoded.second != 0) {
    charset.composed[{decoded.first, decoded.second}] = Packed(bytes, size);
  }
}

// Decodes both EUC planes; `composed` collects the codes that are two characters.
void DecodeEucPlanes(TIconv& decoder, TLegacyCharset& charset) {
  charset.plane1.assign(kPlaneCells, TDecoded{});
  charset.plane2.assign(kPlaneCells, TDecoded{});
  for (unsigned row = 0xA1; row <= 0xFE; ++row) {
    for (unsigned cell = 0xA1; cell <= 0xFE; ++cell) {
      const unsigned char pair[3] = {0x8F, static_cast<unsigned char>(row),
                                     static_cast<unsigned char>(cell)};
      const std::size_t index = PlaneIndex(pair[1], pair[2]);
      charset.plane1[index] = DecodeBytes(decoder, pair + 1, 2);
      charset.plane2[index] = DecodeBytes(decoder, pair, 3);
      NoteComposed(charset, charset.plane1[index], pair + 1, 2);
      NoteComposed(charset, charset.plane2[index], pair, 3);
    }
  }
}

void DecodeSjisForm(TIconv& decoder, TLegacyCharset& charset) {
  charset.singles.assign(256, TDecoded{});
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    charset.singles[b] = DecodeBytes(decoder, &byte, 1);
  }
  charset.pairs.assign(kDoubleByteSlots, TDecoded{});
  ForEachDoubleByteCode([&](std::size_t slot, const unsigned char(&pair)[2]) {
    charset.pairs[slot] = DecodeBytes(decoder, pair, 2);
    NoteComposed(charset, charset.pairs[slot], pair, 2);
  });
}

// Every character of U+0000-U+2FFFF the code writes, with its bytes.
void EncodeAll(TIconv& encoder, TLegacyCharset& charset) {
  for (char32_t c = 0; c < 0x30000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
      continue;
    }
    const unsigned char in[4] = {static_cast<unsigned char>(c & 0xFF),
                                 static_cast<unsigned char>(c >> 8 & 0xFF),
                                 static_cast<unsigned char>(c >> 16 & 0xFF), 0};
    unsigned char out[8];
    if (const std::size_t size = encoder.ConvertOne(in, sizeof in, out, sizeof out); size != 0) {
      charset.encode.emplace(c, Packed(out, size));
    }
  }
}

TLegacyCharset Build(TLegacyCode code, bool forWriting) {
  TLegacyCharset charset;
  TIconv decoder("UTF-32LE", IconvName(code));
  if (code == TLegacyCode::ShiftJis2004) {
    DecodeSjisForm(decoder, charset);
  } else {
    DecodeEucPlanes(decoder, charset);
  }
  if (code != TLegacyCode::EucJp) {
    if (forWriting) {
      TIconv encoder(IconvName(code), "UTF-32LE");
      EncodeAll(encoder, charset);
    }
    return charset;
  }
  // EUC-JP's writer needs only JIS X 0212: the second plane read backwards.
  for (unsigned row = 0xA1; row <= 0xFE; ++row) {
    for (unsigned cell = 0xA1; cell <= 0xFE; ++cell) {
      const TDecoded decoded = charset.plane2[PlaneIndex(static_cast<unsigned char>(row),
                                                         static_cast<unsigned char>(cell))];
      if (decoded.first != kNoCharacter && decoded.second == 0) {
        const unsigned char bytes[3] = {0x8F, static_cast<unsigned char>(row),
                                        static_cast<unsigned char>(cell)};
        charset.encode.emplace(decoded.first, Packed(bytes, 3));
      }
    }
  }
  return charset;
}

} // namespace

const TLegacyCharset& TLegacyCharset::Get(TLegacyCode code) {
  switch (code) {
  case TLegacyCode::EucJp: {
    static const TLegacyCharset eucJp = Build(TLegacyCode::EucJp, true);
    return eucJp;
  }
  case TLegacyCode::EucJis2004: {
    static const TLegacyCharset eucJis2004 = Build(TLegacyCode::EucJis2004, false);
    return eucJis2004;
  }
  default: {
    static const TLegacyCharset shiftJis2004 = Build(TLegacyCode::ShiftJis2004, false);
    return shiftJis2004;
  }
  }
}

const TLegacyCharset& TLegacyCharset::ForWriting(TLegacyCode code) {
  switch (code) {
  case TLegacyCode::EucJp:
    return Get(code);
  case TLegacyCode::EucJis2004: {
    static const TLegacyCharset eucJis2004 = Build(TLegacyCode::EucJis2004, true);
    return eucJis2004;
  }
  default: {
    static const TLegacyCharset shiftJis2004 = Build(TLegacyCode::ShiftJis2004, true);
    return shiftJis2004;
  }
  }
}

} // namespace zorbe
