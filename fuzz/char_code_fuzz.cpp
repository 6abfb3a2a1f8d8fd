// libFuzzer target for character-code detection: any bytes are a possible file. The result is
// one of the known codes, or a refusal of a text with bytes 0x80 or above; a byte-order mark
// always decides, a text of plain ASCII without binary bytes, escapes or a coding mark is
// Shift-JIS (an empty one too), and a text that is UTF-8 with a three- or four-byte character
// is UTF-8 unless its first block holds a binary byte. Whatever Japanese code is decided, the
// code a job then reads the bytes in (the whole-file check) fits every byte.

#include "fuzz_check.h"
#include "text/char_code.h"
#include "text/code_check.h"
#include "text/utf8_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using zorbe::fuzz::Check;

bool IsPlainAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x08 && b < 0x80 && b != 0x1B;
  });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const zorbe::TCharCode result = zorbe::DetectCharCodeOfBytes(file);
  Check(result == zorbe::ccBinary || zorbe::IsTextCode(result) || result == zorbe::ccUndecided ||
        result == zorbe::ccEmptyOrUnreadable);
  // Refused as a European single-byte text: only a text with a byte 0x80 or above.
  Check(result != zorbe::ccEmptyOrUnreadable || std::any_of(file.begin(), file.end(), [](char c) {
          return static_cast<unsigned char>(c) >= 0x80;
        }));
  Check(!file.empty() || result == zorbe::ccShiftJis);
  if (zorbe::IsTextCode(result) && !zorbe::IsUnicodeCode(result)) {
    const zorbe::TCheckedCode checked = zorbe::CheckCode(file, result);
    Check(checked.code == zorbe::ccUndecided ||
          zorbe::FirstUnfitByte(file, checked.code) == std::string_view::npos);
    Check(checked.code != zorbe::ccUndecided || checked.unfitAt == std::string_view::npos ||
          checked.unfitAt < file.size());
  }
  if (file.starts_with("\xFF\xFE")) {
    Check(result == zorbe::ccUtf16LE);
  } else if (file.starts_with("\xFE\xFF")) {
    Check(result == zorbe::ccUtf16BE);
  } else if (file.starts_with("\xEF\xBB\xBF")) {
    Check(result == zorbe::ccUtf8);
  } else if (!file.empty() && IsPlainAscii(file) && !zorbe::CodingMarkCode(file)) {
    Check(result == zorbe::ccShiftJis);
  } else if (result != zorbe::ccBinary && zorbe::IsUtf8(file) &&
             std::any_of(file.begin(), file.end(),
                         [](char c) { return static_cast<unsigned char>(c) >= 0xE0; })) {
    Check(result == zorbe::ccUtf8); // valid UTF-8 with a three- or four-byte character
  }
  Check(zorbe::CharCodeName(result) != "none" || result == zorbe::ccUndecided ||
        result == zorbe::ccEmptyOrUnreadable);
  return 0;
}
