// libFuzzer target for the converters of the internal form. Any bytes are a possible text in
// every input code, so for each input it checks what must hold whatever the bytes are:
// - the UTF-8 check agrees with the character-by-character reading, fed in any pieces;
// - a UTF-8 text converts in place (its rest apart when it outgrows its bytes) exactly as the
//   characters put one by one, for each model of output; UTF-8 output gives it back byte for
//   byte;
// - the bytes read in each legacy code (CP932, EUC-JP, EUC-JIS-2004, Shift_JIS-2004), where
//   iconv reads them whole, give in UTF-8 output what iconv gives; JIS texts never fault the
//   walk outside the bytes;
// - an internal text that an output code writes goes out in EUC-JIS-2004, Shift_JIS-2004 and
//   UTF-16 as iconv writes its UTF-8;
// - UTF-16 that converts agrees with iconv.

#include "fuzz_check.h"
#include "text/encoding.h"
#include "text/internal_char.h"
#include "text/internal_input.h"
#include "text/internal_output.h"
#include "text/internal_reference.h"
#include "text/utf8_check.h"
#include "text/utf8_decode.h"

#include <cstddef>
#include <cstdint>
#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

using zorbe::TInternalCodec;
using zorbe::TOutputCode;
using zorbe::fuzz::Check;

// The text in another code through iconv, or nothing when iconv refuses any of it.
std::optional<std::string> Iconv(std::string_view text, const char* from, const char* to) {
  const iconv_t cd = iconv_open(to, from);
  std::string out(text.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(text.data());
  std::size_t srcLeft = text.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  if (rc != static_cast<std::size_t>(-1)) {
    rc = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  }
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

void CheckUtf8(std::string_view utf8) {
  for (const TOutputCode output :
       {TOutputCode::Utf8, TOutputCode::ShiftJis, TOutputCode::ShiftJis2004}) {
    const TInternalCodec& codec = TInternalCodec::For(output);
    std::string text(utf8);
    const zorbe::TConvertedText converted =
        ConvertInPlace(zorbe::TInputConverter(zorbe::ccUtf8, codec), text.data(), text.size());
    Check(!converted.report.fault);
    const std::string internal = text.substr(0, converted.written) + converted.tail;
    Check(internal == zorbe::ReferenceInternal(utf8, codec));
    if (output == TOutputCode::Utf8) {
      std::string back;
      Check(AppendInOutputCode(back, internal, codec) == std::string::npos);
      Check(back == utf8);
    }
  }
}

// The bytes read in a legacy code for UTF-8 output: as iconv reads them, where it reads them.
void CheckLegacy(std::string_view bytes) {
  const TInternalCodec& codec = TInternalCodec::For(TOutputCode::Utf8);
  const struct {
    zorbe::TCharCode code;
    const char* iconvName;
  } codes[] = {{zorbe::ccShiftJis, "CP932"},
               {zorbe::ccEuc, "EUC-JP"},
               {zorbe::ccEucJis2004, "EUC-JISX0213"},
               {zorbe::ccShiftJis2004, "SHIFT_JISX0213"},
               {zorbe::ccJis83, nullptr}};
  for (const auto& c : codes) {
    const zorbe::TConvertedString read = ConvertText(zorbe::TInputConverter(c.code, codec), bytes);
    if (read.report.fault) {
      Check(read.report.fault->offset < bytes.size());
      continue;
    }
    std::string utf8;
    Check(AppendInOutputCode(utf8, read.text, codec) == std::string::npos);
    if (c.iconvName != nullptr) {
      if (const auto expected = Iconv(bytes, c.iconvName, "UTF-8")) {
        Check(utf8 == *expected);
      }
    }
    // Whatever an output code writes of it, iconv reads back as the same text.
    const struct {
      TOutputCode output;
      const char* iconvName;
    } outputs[] = {{TOutputCode::EucJis2004, "EUC-JISX0213"},
                   {TOutputCode::ShiftJis2004, "SHIFT_JISX0213"},
                   {TOutputCode::Utf16, "UTF-16LE"}};
    for (const auto& o : outputs) {
      const TInternalCodec& outCodec = TInternalCodec::For(o.output);
      const std::string internal =
          ConvertText(zorbe::TInputConverter(zorbe::ccUtf8, outCodec), utf8).text;
      std::string written;
      if (AppendInOutputCode(written, internal, outCodec) == std::string::npos) {
        const auto back = Iconv(written, o.iconvName, "UTF-8");
        Check(back.has_value());
        // Shift_JIS-2004 writes the backslash and ¥ alike, and reads ¥ back.
        if (o.output != TOutputCode::ShiftJis2004) {
          Check(*back == utf8);
        }
      }
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckUtf8Check(text, 1 + (size > 0 ? data[0] % 23 : 0));
  if (zorbe::IsValidUtf8(text)) {
    CheckUtf8(text);
  }
  CheckLegacy(text);
  std::string fromUtf16;
  if (!zorbe::Utf16ToUtf8(text, false, fromUtf16)) {
    Check(Iconv(text, "UTF-16LE", "UTF-8") == fromUtf16);
  }
  return 0;
}
