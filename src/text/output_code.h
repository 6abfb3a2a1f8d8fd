#pragma once
// The codes a sort writes its output in.

#include <cstdint>

namespace zorbe {

enum class TOutputCode : std::uint8_t { ShiftJis, Utf8, EucJp, Utf16, EucJis2004, ShiftJis2004 };

// "Shift-JIS", "UTF-8", "EUC-JP", "UTF-16", "EUC-JIS-2004" or "Shift_JIS-2004", for messages.
const char* OutputCodeName(TOutputCode code);

} // namespace zorbe
