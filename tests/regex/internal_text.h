#pragma once
// Texts of the internal form for the regex tests: escapes of characters CP932 lacks, and a
// readable form of any bytes for failure messages.

#include "text/internal_char.h"

#include <cstdio>
#include <string>

namespace zorbe::test {

// The escape of a code point, as the converters write it.
inline std::string Escaped(char32_t codePoint) {
  unsigned char escape[kMaxEscapeLength];
  return std::string(reinterpret_cast<const char*>(escape), PutEscape(codePoint, escape));
}

// Printable ASCII as it is, every other byte as <XX>.
inline std::string Visible(const std::string& bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", byte);
      shown += hex;
    }
  }
  return shown;
}

} // namespace zorbe::test
