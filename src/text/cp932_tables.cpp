// Building the CP932 tables from iconv: every code is decoded and every character of the Basic
// Multilingual Plane encoded, one at a time (CP932 holds nothing beyond it). That is some 76,000
// small conversions, done once per process in a few milliseconds.

#include "text/cp932_tables.h"

#include "text/iconv_call.h"
#include "text/jis_code.h"

#include <algorithm>
#include <map>

namespace zorbe {
namespace {

char32_t DecodeOne(TIconv& decoder, const unsigned char* bytes, std::size_t size) {
  unsigned char out[8];
  if (decoder.ConvertOne(bytes, size, out, sizeof out) != 4) {
    return kNoCharacter;
  }
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

std::uint16_t EncodeOne(TIconv& encoder, char32_t codePoint) {
  const unsigned char in[4] = {static_cast<unsigned char>(codePoint & 0xFF),
                               static_cast<unsigned char>(codePoint >> 8 & 0xFF),
                               static_cast<unsigned char>(codePoint >> 16 & 0xFF), 0};
  unsigned char out[8];
  switch (encoder.ConvertOne(in, sizeof in, out, sizeof out)) {
  case 1:
    return out[0];
  case 2:
    return static_cast<std::uint16_t>(out[0] << 8 | out[1]);
  default:
    return kNoCode;
  }
}

TCp932Tables Build() {
  TCp932Tables tables;
  TIconv decoder("UTF-32LE", "CP932");
  TIconv encoder("CP932", "UTF-32LE");
  tables.decodeSingle.assign(256, kNoCharacter);
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned char byte = static_cast<unsigned char>(b);
    tables.decodeSingle[b] = DecodeOne(decoder, &byte, 1);
  }
  tables.decodeDouble.assign(kDoubleByteSlots, kNoCharacter);
  ForEachDoubleByteCode([&](std::size_t slot, const unsigned char(&pair)[2]) {
    tables.decodeDouble[slot] = DecodeOne(decoder, pair, 2);
  });
  tables.encode.assign(0x10000, kNoCode);
  tables.plainBits.assign(0x10000 / 64, 0);
  std::map<std::uint16_t, TSharedCode> shared;
  for (char32_t codePoint = 0; codePoint < 0x10000; ++codePoint) {
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
      continue; // surrogates are no characters
    }
    const std::uint16_t code = EncodeOne(encoder, codePoint);
    tables.encode[codePoint] = code;
    if (code != kNoCode && tables.Decode(code) != codePoint) {
      TSharedCode& group = shared[code];
      group.code = code;
      group.decoded = tables.Decode(code);
      group.others.push_back(codePoint);
    }
  }
  TIconv eucDecoder("UTF-32LE", "EUC-JP");
  for (unsigned row = 0x21; row <= 0x7E; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      const unsigned char euc[2] = {static_cast<unsigned char>(row | 0x80),
                                    static_cast<unsigned char>(cell | 0x80)};
      const char32_t meaning = DecodeOne(eucDecoder, euc, sizeof euc);
      const std::uint16_t code = SjisOfJis(row, cell);
      const auto group = shared.find(code);
      if (group != shared.end() && meaning != group->second.decoded &&
          std::find(group->second.others.begin(), group->second.others.end(), meaning) !=
              group->second.others.end()) {
        tables.eucMeanings.emplace_back(code, meaning);
      }
    }
  }
  for (auto& [code, group] : shared) {
    tables.shared.push_back(std::move(group));
  }
  for (char32_t codePoint = 0; codePoint < 0x10000; ++codePoint) {
    const std::uint16_t code = tables.encode[codePoint];
    const bool plain = code != kNoCode && tables.Decode(code) == codePoint &&
                       !shared.contains(code) &&
                       !(code >= kUserDefinedFirst && code <= kUserDefinedLast);
    tables.plainBits[codePoint >> 6] |= std::uint64_t{plain} << (codePoint & 63);
  }
  return tables;
}

} // namespace

const TCp932Tables& TCp932Tables::Get() {
  static const TCp932Tables tables = Build();
  return tables;
}

} // namespace zorbe
