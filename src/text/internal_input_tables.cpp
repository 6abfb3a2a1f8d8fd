#include "text/internal_input_tables.h"

#include "text/jis_code.h"

#include <algorithm>
#include <cstring>

namespace zorbe {
namespace {

constexpr std::uint16_t kGetaMark = 0x81AC; // 〓, for a JIS X 0212 character Shift-JIS lacks

TEntry EntryOf(const TInternalCodec& codec, TDecoded decoded, bool substitute = false) {
  TEntry entry;
  if (decoded.first == kNoCharacter) {
    return entry;
  }
  const bool writable = codec.WritesCharacter(decoded.first) &&
                        (decoded.second == 0 || codec.WritesCharacter(decoded.second));
  if (!writable && substitute) {
    entry.bytes[0] = static_cast<unsigned char>(kGetaMark >> 8);
    entry.bytes[1] = static_cast<unsigned char>(kGetaMark & 0xFF);
    entry.flags = TEntry::kSubstituted;
    entry.length = 2;
    return entry;
  }
  std::size_t length = codec.Put(decoded.first, entry.bytes);
  if (decoded.second != 0) {
    length += codec.Put(decoded.second, entry.bytes + length);
  }
  entry.length = static_cast<std::uint8_t>(length);
  entry.flags = writable ? 0 : TEntry::kUnwritable;
  return entry;
}

TEntry CodeEntry(std::uint16_t code) {
  TEntry entry;
  entry.length = code >= 0x100 ? 2 : 1;
  entry.bytes[0] = static_cast<unsigned char>(code >= 0x100 ? code >> 8 : code);
  entry.bytes[1] = static_cast<unsigned char>(code & 0xFF);
  return entry;
}

// EUC-JP's plane 1 (JIS X 0208) for a codec. In the CP932 model a code is the CP932 code of its
// JIS code, whatever it holds; in the others, what iconv's EUC-JP reads it as, or, where that is
// nothing, what CP932 reads at the same JIS code.
TPlane Jis0208Plane(const TInternalCodec& codec) {
  const TLegacyCharset& eucJp = TLegacyCharset::Get(TLegacyCode::EucJp);
  const TCp932Tables& cp932 = TCp932Tables::Get();
  TPlane plane(kPlaneCells);
  for (unsigned row = 0x21; row <= 0x7E; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      const std::size_t index =
          PlaneIndex(static_cast<unsigned char>(row), static_cast<unsigned char>(cell));
      const std::uint16_t sjis = SjisOfJis(row, cell);
      if (codec.Model() == TCharModel::Cp932) {
        plane[index] = CodeEntry(sjis);
        continue;
      }
      TDecoded decoded = eucJp.plane1[index];
      if (decoded.first == kNoCharacter) {
        decoded.first = cp932.Decode(sjis);
      }
      plane[index] = EntryOf(codec, decoded);
    }
  }
  return plane;
}

TPlane PlaneOf(const TInternalCodec& codec, const std::vector<TDecoded>& decoded,
               bool substitute = false) {
  TPlane plane(kPlaneCells);
  for (std::size_t i = 0; i < kPlaneCells; ++i) {
    plane[i] = EntryOf(codec, decoded[i], substitute);
  }
  return plane;
}

void MarkSame(TEntry& entry, const unsigned char* code, std::size_t size) {
  if (entry.length == size && std::memcmp(entry.bytes, code, size) == 0) {
    entry.flags |= TEntry::kSame;
  }
}

// The boxes of plane 1 where the JIS arithmetic gives each cell's code: each row's longest
// stretch of such cells; neighbouring rows make one box while their common stretch keeps nine
// tenths of their cells; the largest boxes are kept (the kanji rows and the kana rows).
lanes::TEucBoxes ArithmeticBoxesOf(const std::vector<std::uint16_t>& codes) {
  struct TBox {
    unsigned rowLow, rowHigh, cellLow, cellHigh;
    unsigned Cells() const { return (rowHigh - rowLow + 1) * (cellHigh - cellLow + 1); }
  };
  std::vector<TBox> boxes;
  bool everywhere = true;
  for (unsigned row = 0; row < 94; ++row) {
    unsigned low = 0;
    unsigned length = 0;
    for (unsigned cell = 0, run = 0; cell < 94; ++cell) {
      const bool arithmetic = codes[row * 94 + cell] == SjisOfJis(row + 0x21, cell + 0x21);
      run = arithmetic ? run + 1 : 0;
      if (run > length) {
        length = run;
        low = cell + 1 - run;
      }
    }
    everywhere = everywhere && length == 94;
    if (length == 0) {
      continue;
    }
    const TBox own{row, row, low, low + length - 1};
    if (!boxes.empty() && boxes.back().rowHigh + 1 == row) {
      const TBox& last = boxes.back();
      const TBox merged{last.rowLow, row, std::max(last.cellLow, own.cellLow),
                        std::min(last.cellHigh, own.cellHigh)};
      if (merged.cellLow <= merged.cellHigh &&
          merged.Cells() * 10 >= (last.Cells() + own.Cells()) * 9) {
        boxes.back() = merged;
        continue;
      }
    }
    boxes.push_back(own);
  }
  lanes::TEucBoxes result;
  result.everywhere = everywhere;
  std::stable_sort(boxes.begin(), boxes.end(),
                   [](const TBox& a, const TBox& b) { return a.Cells() > b.Cells(); });
  for (const TBox& box : boxes) {
    if (everywhere || result.count == lanes::TEucBoxes::kMax) {
      break;
    }
    const int i = result.count++;
    result.rowLow[i] = static_cast<unsigned char>(box.rowLow + 0xA1);
    result.rowHigh[i] = static_cast<unsigned char>(box.rowHigh + 0xA1);
    result.cellLow[i] = static_cast<unsigned char>(box.cellLow + 0xA1);
    result.cellHigh[i] = static_cast<unsigned char>(box.cellHigh + 0xA1);
  }
  return result;
}

} // namespace

TInputTables::TInputTables(TCharCode code, const TInternalCodec& codec)
    : codec_(codec), substitute_(codec.Output() == TOutputCode::ShiftJis) {
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    kana_[b - 0xA1] = EntryOf(codec, {0xFF61 + (b - 0xA1), 0});
  }
  switch (code) {
  case ccEuc:
  case ccJis83:
  case ccJis78:
    plane1_ = Jis0208Plane(codec);
    plane2_ = PlaneOf(codec, TLegacyCharset::Get(TLegacyCode::EucJp).plane2, substitute_);
    break;
  case ccEucJis2004:
  case ccIso2022Jp3:
    jis2004_ = true;
    Jis2004Planes(plane1_, plane2_);
    break;
  case ccShiftJis2004:
    SjisForm(TLegacyCharset::Get(TLegacyCode::ShiftJis2004).singles,
             TLegacyCharset::Get(TLegacyCode::ShiftJis2004).pairs);
    break;
  default:
    Cp932Form();
    break;
  }
  for (unsigned b = 0; b < 0x80 && !singles_.empty(); ++b) {
    asciiAsItIs_ = asciiAsItIs_ && (singles_[b].flags & TEntry::kSame) != 0;
  }
  plane1Codes_.assign(plane1_.empty() ? 0 : kPlaneCells, 0);
  for (std::size_t i = 0; i < plane1Codes_.size(); ++i) {
    const TEntry& entry = plane1_[i];
    if (entry.length == 2 && entry.flags == 0 && IsLeadByte(entry.bytes[0])) {
      plane1Codes_[i] = static_cast<std::uint16_t>(entry.bytes[0] << 8 | entry.bytes[1]);
    }
  }
  if (code == ccEuc || code == ccEucJis2004) {
    arithmeticBoxes_ = ArithmeticBoxesOf(plane1Codes_);
  }
}

const TEntry& TInputTables::Jis0212Plane(unsigned char row, unsigned char cell) const {
  if (!jis2004_) {
    return Plane2(row, cell);
  }
  std::call_once(otherMade_, [this] {
    otherPlane2_ = PlaneOf(codec_, TLegacyCharset::Get(TLegacyCode::EucJp).plane2, substitute_);
  });
  return otherPlane2_[PlaneIndex(row, cell)];
}

const TEntry& TInputTables::Jis2004Plane(bool second, unsigned char row, unsigned char cell) const {
  if (jis2004_) {
    return second ? Plane2(row, cell) : Plane1(row, cell);
  }
  std::call_once(otherMade_, [this] { Jis2004Planes(otherPlane1_, otherPlane2_); });
  return (second ? otherPlane2_ : otherPlane1_)[PlaneIndex(row, cell)];
}

void TInputTables::Jis2004Planes(TPlane& first, TPlane& second) const {
  const TLegacyCharset& charset = TLegacyCharset::Get(TLegacyCode::EucJis2004);
  first = PlaneOf(codec_, charset.plane1);
  second = PlaneOf(codec_, charset.plane2);
}

void TInputTables::SjisForm(const std::vector<TDecoded>& singles,
                            const std::vector<TDecoded>& pairs) {
  singles_.resize(256);
  for (unsigned b = 0; b < 256; ++b) {
    singles_[b] =
        IsLeadByte(static_cast<unsigned char>(b)) ? TEntry{} : EntryOf(codec_, singles[b]);
    const unsigned char byte = static_cast<unsigned char>(b);
    MarkSame(singles_[b], &byte, 1);
  }
  pairs_.resize(kDoubleByteSlots);
  ForEachDoubleByteCode([&](std::size_t slot, const unsigned char(&pair)[2]) {
    pairs_[slot] = EntryOf(codec_, pairs[slot]);
    MarkSame(pairs_[slot], pair, 2);
  });
}

void TInputTables::Cp932Form() {
  const TCp932Tables& cp932 = TCp932Tables::Get();
  std::vector<TDecoded> singles(256);
  for (unsigned b = 0; b < 256; ++b) {
    singles[b] = {cp932.decodeSingle[b], 0};
  }
  std::vector<TDecoded> pairs(kDoubleByteSlots);
  for (std::size_t slot = 0; slot < kDoubleByteSlots; ++slot) {
    pairs[slot] = {cp932.decodeDouble[slot], 0};
  }
  SjisForm(singles, pairs);
}

void TInputTables::MakeStrayTables() const {
  std::call_once(strayMade_, [this] { const_cast<TInputTables*>(this)->Cp932Form(); });
}

} // namespace zorbe
