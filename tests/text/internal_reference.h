#pragma once
// The input converters' result the plain way: each UTF-8 character put by itself through the
// codec. Shared by the tests and the fuzz target.

#include "text/internal_char.h"
#include "text/internal_codec.h"
#include "text/utf8_decode.h"

#include <string>
#include <string_view>

namespace zorbe {

inline std::string ReferenceInternal(std::string_view utf8, const TInternalCodec& codec) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  std::string out;
  while (p < end) {
    char32_t c = 0;
    p += utf8::Decode(p, end, c);
    unsigned char bytes[kMaxInternalCharLength];
    out.append(reinterpret_cast<const char*>(bytes), codec.Put(c, bytes));
  }
  return out;
}

} // namespace zorbe
