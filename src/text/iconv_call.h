#pragma once
// The system's iconv, wrapped: one descriptor per object (iconv state can't be shared between
// threads), closed on every path. Internal to src/text: the tables of the legacy codes are
// built from it once per process, and the boundary conversions of encoding.h use it.

#include <cstddef>
#include <string>
#include <string_view>

namespace zorbe {

class TIconv {
public:
  // Throws EEncodingError when iconv doesn't know one of the codes.
  TIconv(const char* to, const char* from);
  ~TIconv();
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts the whole input as one unit, with the converter's state flushed after it (a code
  // that waits for a combining character gives its bytes then); returns the bytes written to
  // out, or 0 when the input is not exactly convertible or the output needs more than `room`.
  std::size_t ConvertOne(const void* in, std::size_t size, unsigned char* out, std::size_t room);

  // Converts as much as possible, appending to out; stops at the first invalid or unconvertible
  // sequence, with `in` advanced to it (empty when everything was converted).
  void ConvertAll(std::string_view& in, std::string& out);

private:
  void* cd_;
};

} // namespace zorbe
