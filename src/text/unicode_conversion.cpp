#include "text/unicode_conversion.h"

#include "text/utf8_decode.h"

namespace zorbe {

std::optional<TConversionFault> Utf16ToUtf8(std::string_view utf16, bool bigEndian,
                                            std::string& out) {
  const auto* const p = reinterpret_cast<const unsigned char*>(utf16.data());
  const std::size_t size = utf16.size();
  auto unit = [&](std::size_t at) -> char32_t {
    return bigEndian ? (p[at] << 8 | p[at + 1]) : (p[at + 1] << 8 | p[at]);
  };
  out.reserve(out.size() + size + size / 2);
  for (std::size_t i = 0; i < size; i += 2) {
    if (i + 1 >= size) {
      return TConversionFault{i};
    }
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDFFF) {
      const bool pairs =
          c <= 0xDBFF && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
      if (!pairs) {
        return TConversionFault{i};
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    }
    unsigned char bytes[4];
    out.append(reinterpret_cast<const char*>(bytes), utf8::Encode(c, bytes));
  }
  return std::nullopt;
}

} // namespace zorbe
