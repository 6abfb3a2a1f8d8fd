#pragma once
// JIS X 0208 row/cell codes and their Shift-JIS form: the one place that holds the arithmetic.
//
// A JIS code is a row byte and a cell byte, each 0x21-0x7E. Shift-JIS packs two rows into one
// lead byte (0x81-0x9F for rows 0x21-0x5E, 0xE0-0xEF for rows 0x5F-0x7E): an odd row takes the
// trail bytes 0x40-0x9E (skipping 0x7F), the even row after it takes 0x9F-0xFC. The mapping is
// pure arithmetic, so it is constexpr and the width-conversion tables are built from it at
// compile time.

#include "text/shift_jis.h"

#include <cstdint>

namespace zorbe {

constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

constexpr bool IsJisByte(unsigned char c) {
  return c >= 0x21 && c <= 0x7E;
}

struct TJisCode {
  unsigned char row{0}; // 0 when the bytes have no JIS code
  unsigned char cell{0};
};

// The Shift-JIS bytes of a JIS code (row and cell each 0x21-0x7E): lead * 256 + trail.
constexpr std::uint16_t SjisOfJis(unsigned row, unsigned cell) {
  const unsigned lead = ((row + 1) >> 1) + (row <= 0x5E ? 0x70 : 0xB0);
  const unsigned trail = cell + ((row & 1) != 0 ? (cell >= 0x60 ? 0x20 : 0x1F) : 0x7E);
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

// The JIS code of a double-byte character. A pair whose second byte is no trail byte has none
// (row 0); lead bytes past 0xEF give rows beyond 0x7E, which no JIS X 0208 character has.
constexpr TJisCode JisOfSjis(unsigned char lead, unsigned char trail) {
  if (!IsLeadByte(lead) || !IsTrailByte(trail)) {
    return {};
  }
  unsigned row = (lead <= 0x9F ? lead - 0x70u : lead - 0xB0u) * 2 - 1;
  unsigned cell = 0;
  if (trail >= 0x9F) {
    ++row;
    cell = trail - 0x7Eu;
  } else {
    cell = trail - (trail >= 0x80 ? 0x20u : 0x1Fu);
  }
  return {static_cast<unsigned char>(row), static_cast<unsigned char>(cell)};
}

} // namespace zorbe
