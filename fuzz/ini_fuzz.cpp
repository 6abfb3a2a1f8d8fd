// libFuzzer target for the settings file: any bytes are a possible zorbe.ini. Whatever is read,
// the text written from it reads back to the same sections and values; and values written from
// the input read back as written (trimmed, on one line).

#include "settings/ini_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zorbe::TIniFile read = zorbe::TIniFile::Parse(text);
  const std::string written = read.Text();
  const zorbe::TIniFile reread = zorbe::TIniFile::Parse(written);
  Check(reread.Text() == written);
  Check(reread.SectionNames() == read.SectionNames());

  // The input as values of a few keys, in a setting named by its first bytes.
  zorbe::TIniFile ini;
  const std::string section(text.substr(0, std::min<std::size_t>(8, text.size())));
  const std::string value(text);
  ini.WriteString(section, "CLTC", value);
  ini.WriteInteger(section, "CharPosCount", static_cast<long long>(size) - 100);
  const zorbe::TIniFile back = zorbe::TIniFile::Parse(ini.Text());
  const std::string expected = *ini.Find(section, "CLTC");
  if (zorbe::TIniFile::Parse(ini.Text()).SectionNames() == ini.SectionNames()) {
    Check(back.ReadString(section, "CLTC", "\x01missing") == expected);
    Check(back.ReadInteger(section, "CharPosCount", 12345) == static_cast<long long>(size) - 100);
  }
  return 0;
}
