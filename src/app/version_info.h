#pragma once
// The program's version information: a table compiled into the program, laid out like the
// version resource of a program file (a list of language and code-page pairs and one string
// table per pair), and the reader that the version window and the help use.
//
// Lookup rules: no table at all gives the empty text; otherwise the first language and code
// page pair names the string table ("%04x%04x", lower-case hexadecimal) and the key is looked up
// there. A key that is not there gives "UnKnown", and so does a table without any pair or a pair
// whose string table is missing.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zorbe {

struct TVersionTranslation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
};

struct TVersionInfo {
  std::vector<TVersionTranslation> translations;
  // String tables by their name, such as "041103a4" (Japanese, code page 932).
  std::map<std::string, std::map<std::string, std::string>> stringTables;
};

inline constexpr const char* kUnknownVersionValue = "UnKnown";

// The name of the string table a pair selects: "%4.4x%4.4x".
std::string StringTableName(const TVersionTranslation& translation);

// The value of `key` by the rules above; `info` may be null (no version information).
std::string VersionString(const TVersionInfo* info, const std::string& key);

// The table compiled into this program: ProductName "Zorbe 2nd", ProductVersion the project
// version, LegalCopyright, and the project's contact addresses.
const TVersionInfo& ProgramVersionInfo();

// VersionString of the program's own table.
std::string ProgramVersionString(const std::string& key);

// The project's contact addresses, as the version window shows them.
inline constexpr const char* kContactMail = "zorbe2nd@example.org";
inline constexpr const char* kContactUrl = "https://zorbe2nd.example.org/issues";

// The mail link of the version window: "Mailto:" + address + "?subject=" + product name +
// product version + "&". The subject is percent-encoded, so that the blank in the product name
// (or any other character a URL can't carry as it is) survives.
std::string ContactMailLink(const std::string& address, const std::string& productName,
                            const std::string& productVersion);

} // namespace zorbe
