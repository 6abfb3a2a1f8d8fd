// libFuzzer target for the Unicode converters. Any bytes are a possible UTF-8, UTF-16 or
// Shift-JIS text, so for each input it checks what must hold whatever the bytes are:
// - the UTF-8 check agrees with the character-by-character reading, fed in any pieces;
// - a UTF-8 text goes to the internal form through the code table of its own census and comes
//   back byte for byte, converted in place or not; with CP932's own table, a text of characters
//   CP932 holds as themselves converts as iconv converts it;
// - an internal text that the output code takes goes out as iconv takes it back (UTF-8);
// - UTF-16 that converts agrees with iconv.

#include "fuzz_check.h"
#include "text/code_table.h"
#include "text/encoding.h"
#include "text/unicode_conversion.h"
#include "text/utf8_check.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

using zorbe::fuzz::Check;

// The text in another code through iconv, or nothing when iconv refuses it.
std::optional<std::string> Iconv(std::string_view text, const char* from, const char* to) {
  const iconv_t cd = iconv_open(to, from);
  std::string out(text.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(text.data());
  std::size_t srcLeft = text.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

void CheckUtf8Check(std::string_view text, std::size_t step) {
  const bool valid = zorbe::IsValidUtf8(text);
  for (const bool vectors : {true, false}) {
    zorbe::TUtf8Check check(vectors);
    for (std::size_t at = 0; at < text.size(); at += step) {
      check.Feed(text.substr(at, step));
    }
    Check(check.Finish() == valid);
  }
}

void CheckRoundTrip(std::string_view utf8) {
  zorbe::TCodeCensus census;
  Check(census.NoteUtf8(utf8) == std::string_view::npos);
  std::optional<zorbe::TCodeTable> table;
  try {
    table.emplace(census);
  } catch (const zorbe::ETooManyCharacters&) {
    return;
  }
  std::string internal(utf8);
  const zorbe::TConversion converted =
      zorbe::Utf8ToInternal(internal.data(), internal.size(), internal.data(), *table);
  Check(!converted.fault && converted.size <= utf8.size());
  internal.resize(converted.size);
  std::string apart(utf8.size(), '\0');
  Check(zorbe::Utf8ToInternal(utf8.data(), utf8.size(), apart.data(), *table).size ==
        internal.size());
  Check(apart.compare(0, internal.size(), internal) == 0);
  std::string back;
  Check(zorbe::AppendInOutputCode(back, internal, zorbe::TOutputCode::Utf8, *table) ==
        std::string::npos);
  Check(back == utf8);
}

// CP932's own table, without per-job codes.
const zorbe::TCodeTable& Cp932() {
  static const zorbe::TCodeTable table;
  return table;
}

void CheckAgainstIconv(std::string_view utf8) {
  const zorbe::TCodeTable& cp932 = Cp932();
  std::string internal(utf8.size(), '\0');
  const zorbe::TConversion converted =
      zorbe::Utf8ToInternal(utf8.data(), utf8.size(), internal.data(), cp932);
  if (converted.fault) {
    return; // a character CP932 can't hold, which only a job's table takes
  }
  internal.resize(converted.size);
  std::string back;
  if (zorbe::AppendInOutputCode(back, internal, zorbe::TOutputCode::Utf8, cp932) ==
          std::string::npos &&
      back == utf8) {
    Check(Iconv(utf8, "UTF-8", "CP932") == internal); // characters CP932 holds as themselves
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckUtf8Check(text, 1 + (size > 0 ? data[0] % 23 : 0));
  if (zorbe::IsValidUtf8(text)) {
    CheckRoundTrip(text);
    CheckAgainstIconv(text);
  }
  // The bytes as an internal text written in UTF-8: where every character decodes, iconv agrees.
  const zorbe::TCodeTable& cp932 = Cp932();
  std::string utf8;
  if (zorbe::AppendInOutputCode(utf8, text, zorbe::TOutputCode::Utf8, cp932) == std::string::npos) {
    Check(Iconv(text, "CP932", "UTF-8") == utf8);
  }
  std::string fromUtf16;
  if (!zorbe::Utf16ToUtf8(text, false, fromUtf16)) {
    Check(Iconv(text, "UTF-16LE", "UTF-8") == fromUtf16);
  }
  return 0;
}
