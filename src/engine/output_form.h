#pragma once
// How a cycle's output is written: its code, line end and byte-order mark, decided from the
// setting and the cycle's targets in one place.
//
// The code: as the setting says, or automatically UTF-8 when a target of the cycle is in a
// Unicode code or a JIS X 0213 code, and Shift-JIS otherwise; it decides the codec, and so how
// the cycle holds its characters. The line end: as the setting says, or automatically CR LF for
// Shift-JIS and the first target's own (LF unless its first line ends in CR LF) for the other
// codes. A byte-order mark starts every UTF-16 output, and a UTF-8 output whose first target is
// UTF-8 with one.

#include "settings/setting_option_items.h"
#include "text/char_code.h"
#include "text/internal_codec.h"

#include <span>
#include <string>
#include <string_view>

namespace zorbe {

struct TOutputForm {
  TOutputCode code = TOutputCode::ShiftJis;
  std::string lineEnd = "\r\n"; // in the output code (two bytes a character in UTF-16)
  bool byteOrderMark = false;
  // The writer's codec; none for Shift-JIS, which is the internal form itself.
  const TInternalCodec* codec = nullptr;

  // The mark the output starts with: empty when it has none.
  std::string_view ByteOrderMark() const;
};

// The form a cycle with targets in `codes` starts with; the first target settles the rest.
TOutputForm StartOutputForm(const TSettingOptionItems& setting, std::span<const TCharCode> codes);

// Settles what the cycle's first target decides: read in `code`, its bytes started with UTF-8's
// byte-order mark or not, and `internal` is its text in the internal form.
void SettleByFirstTarget(TOutputForm& form, const TSettingOptionItems& setting, TCharCode code,
                         bool utf8Mark, std::string_view internal);

} // namespace zorbe
