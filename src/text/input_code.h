#pragma once
// The character codes a user may name for every target of a sort (--input-code=CODE, the
// setting InputCode): detection is skipped, and the bytes are read in that code only. A byte
// that doesn't fit it ends the sort naming the file and the offset; nothing is read in another
// code.
//
// One table holds them all: the option's name, the settings window's caption and the code. A
// row's place in the table is its stored value (1, 2, ...; 0 is automatic), so a new code is one
// new row at the end.

#include "text/char_code.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorbe {

struct TInputCode {
  const char* name;    // for --input-code: "euc-jp"
  const char* caption; // for the settings window's list: "EUC-JP"
  TCharCode code;
};

// The codes in the order of their stored values, from 1.
std::span<const TInputCode> InputCodes();

// The code stored as `value` (InputCode of a setting); nothing for 0 (automatic) and for a value
// no row has.
std::optional<TCharCode> InputCodeOfValue(std::int32_t value);

// The stored value of a name as --input-code takes it: letter case and "_" for "-" don't
// matter; 0 for a name no row has.
std::int32_t InputCodeValueOfName(std::string_view name);

// The names, for a message: "shift-jis, jis, ...".
std::string InputCodeNames();

} // namespace zorbe
