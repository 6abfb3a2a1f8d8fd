#pragma once
// An INI file held in memory: sections in file order, each with its lines in order.
//
// Reading: a byte-order mark is skipped (UTF-8, or UTF-16 in either byte order, which is
// decoded); every line is trimmed of blanks; empty lines and lines starting with ";" are
// dropped; "[name]" starts a section; "key=value" is an entry with blanks around the first "="
// removed; any other line inside a section is kept as it stands. Lines before the first section
// are no setting's, but they are kept too. Section names and keys match without regard to ASCII
// letter case, and the first section (or entry) of a name is the one found.
//
// Writing rewrites the whole file, in UTF-8 without a mark: the lines before the first section,
// then every section with all its lines, duplicates included. Only comment lines and empty lines
// are lost: nothing the reader did not understand is ever dropped.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// A settings file that could not be read or written; the message names the file and the reason.
class EIniFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
public:
  // Parses a text; UTF-8 is expected, and a text that isn't valid UTF-8 is read as CP932.
  static TIniFile Parse(std::string_view text);
  // Reads a file; a missing file is an empty one. Throws EIniFileError when it can't be read.
  static TIniFile Load(const std::string& fileName);
  // The whole file as it is written: each section, its lines, then an empty line.
  std::string Text() const;
  // Replaces the file in one piece (a temporary file renamed over it), creating its folder.
  void Save(const std::string& fileName) const;

  std::vector<std::string> SectionNames() const;
  bool SectionExists(std::string_view section) const;
  void EraseSection(std::string_view section);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
  // Decimal, or hexadecimal after "0x"; anything else (or out of range) gives the fallback.
  long long ReadInteger(std::string_view section, std::string_view key, long long fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long long value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

private:
  struct Line {
    bool entry;      // key=value; otherwise a line without "=", kept as text
    std::string key; // may be empty ("=value" is an entry too)
    std::string text;
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  const Section* FindSection(std::string_view name) const;
  Section& SectionForWrite(std::string_view name);

  std::vector<std::string> preamble_; // the lines before the first section, as they stand
  std::vector<Section> sections_;
};

std::optional<long long> ParseIniInteger(std::string_view text);

} // namespace zorbe
