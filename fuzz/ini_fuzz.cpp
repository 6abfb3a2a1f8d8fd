// libFuzzer target for the settings file: any bytes are a possible zorbe.ini. Whatever is read,
// the text written from it reads back to the same sections and values; and values written from
// the input read back as written (trimmed, on one line).

#include "fuzz_check.h"
#include "settings/ini_file.h"
#include "text/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using zorbe::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zorbe::TIniFile read = zorbe::TIniFile::Parse(text);
  const std::string written = read.Text();
  const zorbe::TIniFile reread = zorbe::TIniFile::Parse(written);
  Check(reread.Text() == written);
  Check(reread.SectionNames() == read.SectionNames());

  // The input as values of a few keys, in a setting named by its first bytes; names and values
  // are UTF-8 inside the program, like everything read from the file.
  const std::string utf8 = zorbe::IsValidUtf8(text) ? std::string(text) : zorbe::Cp932ToUtf8(text);
  zorbe::TIniFile ini;
  std::size_t cut = std::min<std::size_t>(8, utf8.size());
  while (cut > 0 && cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) {
    --cut; // not inside a character
  }
  const std::string section = utf8.substr(0, cut);
  const std::string value = utf8;
  ini.WriteString(section, "CLTC", value);
  ini.WriteInteger(section, "CharPosCount", static_cast<long long>(size) - 100);
  const zorbe::TIniFile back = zorbe::TIniFile::Parse(ini.Text());
  const std::optional<std::string> expected = ini.Find(section, "CLTC");
  Check(expected.has_value()); // a value written is found under the name it was written with
  Check(back.ReadString(section, "CLTC", "\x01missing") == *expected);
  Check(back.ReadInteger(section, "CharPosCount", 12345) == static_cast<long long>(size) - 100);
  return 0;
}
