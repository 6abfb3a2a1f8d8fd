#pragma once
// Helpers shared by the tests: temporary folders and whole files as bytes.

#include "text/char_code.h"
#include "text/output_code.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zorbe {

// Character codes print by name in test failures.
inline void PrintTo(TCharCode code, std::ostream* out) {
  *out << CharCodeName(code);
}

} // namespace zorbe

namespace zorbe::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The full name of a file in the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes a file in the folder (creating sub-folders) and returns its full name.
  std::string Write(const std::string& name, const std::string& bytes) const;

private:
  std::filesystem::path path_;
};

// An environment variable set (or, with nullopt, removed) for the object's lifetime; the
// variable is then as it was before, set or not.
class TScopedEnvironment {
public:
  TScopedEnvironment(std::string name, std::optional<std::string> value);
  ~TScopedEnvironment();
  TScopedEnvironment(const TScopedEnvironment&) = delete;
  TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
  static void Put(const std::string& name, const std::optional<std::string>& value);
  std::string name_;
  std::optional<std::string> saved_;
};

std::string ReadBytes(const std::string& fileName);
void WriteBytes(const std::string& fileName, const std::string& bytes);

// Shift-JIS bytes of a UTF-8 text, for readable test data.
std::string Sjis(const std::string& utf8);

// A UTF-8 text in the internal form of a job that writes `output` (internal_codec.h), and an
// internal text back in UTF-8 as that job reads it; both expect no fault.
std::string Internal(std::string_view utf8, TOutputCode output = TOutputCode::Utf8);
std::string Utf8OfInternal(std::string_view internal, TOutputCode output = TOutputCode::Utf8);

// The bytes in another character code, through the system's iconv (names as iconv knows them,
// such as "EUC-JP" or "ISO-2022-JP").
std::string Recode(const std::string& bytes, const char* from, const char* to);

// The words of a desktop entry's Exec value as a desktop reads them: the value's escapes first,
// then the quoting, then %% as a percent sign (field codes such as %F stay as they are).
std::vector<std::string> DesktopExecWords(const std::string& value);

} // namespace zorbe::test
