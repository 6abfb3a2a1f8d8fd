#pragma once
// The byte-order marks of Unicode files, and UTF-16 text as UTF-8, the form in which the job
// reads it (internal_input.h).

#include "text/cp932_tables.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorbe {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16ByteOrderMark = "\xFF\xFE"; // little-endian

// Where a conversion stopped: the byte offset in its input.
struct TConversionFault {
  std::size_t offset = 0;
};

// UTF-16 text (after its byte-order mark) as UTF-8, appended to out. A lone surrogate or a last
// odd byte is a fault, at its offset in the UTF-16 bytes.
std::optional<TConversionFault> Utf16ToUtf8(std::string_view utf16, bool bigEndian,
                                            std::string& out);

} // namespace zorbe
