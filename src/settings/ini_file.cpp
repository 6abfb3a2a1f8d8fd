#include "settings/ini_file.h"

#include "text/encoding.h"

#include "platform/atomic_file.h"
#include "platform/file_system.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>

namespace zorbe {
namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A line without its surrounding blanks and without byte-order marks in front of it (a file
// put together from parts that each had one).
std::string_view TrimLine(std::string_view line) {
  line = Trim(line);
  while (line.starts_with(kUtf8Mark)) {
    line = Trim(line.substr(kUtf8Mark.size()));
  }
  return line;
}

// A line break inside a value or name would cut the file's structure: store it as a blank.
std::string OneLine(std::string_view value) {
  std::string line(Trim(value));
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}

// The text in UTF-8: without a byte-order mark (Windows editors write one), UTF-16 decoded, and
// anything that isn't valid UTF-8 read as CP932 (a file written by a Windows installation).
std::string IniTextInUtf8(std::string_view text) {
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    return Utf16ToUtf8(text);
  }
  if (text.starts_with(kUtf8Mark)) {
    text.remove_prefix(kUtf8Mark.size()); // before it could be taken for CP932
  }
  return IsValidUtf8(text) ? std::string(text) : Cp932ToUtf8(text);
}

} // namespace

std::optional<long long> ParseIniInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text[0] == '-' || text[0] == '+') {
    return std::nullopt;
  }
  unsigned long long magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  // The values are 32-bit fields; anything wider is not a value of theirs.
  const unsigned long long limit =
      negative ? 0x80000000ULL : (base == 16 ? 0xFFFFFFFFULL : 0x7FFFFFFFULL);
  if (magnitude > limit) {
    return std::nullopt;
  }
  if (base == 16 && !negative) {
    return static_cast<long long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)));
  }
  return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

TIniFile TIniFile::Parse(std::string_view original) {
  const std::string utf8 = IniTextInUtf8(original);
  std::string_view text = utf8;
  TIniFile ini;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    std::string_view line = TrimLine(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      ini.sections_.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}});
      continue;
    }
    if (ini.sections_.empty()) {
      ini.preamble_.emplace_back(line);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      ini.sections_.back().lines.push_back({false, {}, std::string(line)});
      continue;
    }
    ini.sections_.back().lines.push_back(
        {true, std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
  }
  return ini;
}

TIniFile TIniFile::Load(const std::string& fileName) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(fileName, ec))) {
    return {}; // a missing file reads as empty; anything else there must be readable
  }
  try {
    return Parse(ReadFileContents(fileName).View());
  } catch (const EFileError& e) {
    throw EIniFileError(e.what());
  }
}

std::string TIniFile::Text() const {
  std::string out;
  for (const std::string& line : preamble_) {
    out += line + '\n';
  }
  if (!preamble_.empty()) {
    out += '\n';
  }
  for (const Section& section : sections_) {
    out += "[" + section.name + "]\n";
    for (const Line& line : section.lines) {
      out += line.entry ? line.key + "=" + line.text : line.text;
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

void TIniFile::Save(const std::string& fileName) const {
  const std::filesystem::path target(fileName);
  std::error_code ec;
  if (target.has_parent_path()) {
    std::filesystem::create_directories(target.parent_path(), ec);
  }
  try {
    WriteWholeFile(fileName, Text());
  } catch (const EFileError& e) {
    throw EIniFileError(e.what());
  }
}

std::vector<std::string> TIniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) {
    names.push_back(section.name);
  }
  return names;
}

// Names are looked up as they are stored: trimmed, on one line.
const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
  const std::string stored = OneLine(name);
  for (const Section& section : sections_) {
    if (EqualIgnoringCase(section.name, stored)) {
      return &section;
    }
  }
  return nullptr;
}

TIniFile::Section& TIniFile::SectionForWrite(std::string_view name) {
  if (const Section* found = FindSection(name)) {
    return const_cast<Section&>(*found);
  }
  sections_.push_back({OneLine(name), {}});
  return sections_.back();
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

void TIniFile::EraseSection(std::string_view section) {
  if (const Section* found = FindSection(section)) {
    sections_.erase(sections_.begin() + (found - sections_.data()));
  }
}

std::optional<std::string> TIniFile::Find(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) {
    return std::nullopt;
  }
  for (const Line& line : found->lines) {
    if (line.entry && EqualIgnoringCase(line.key, key)) {
      return line.text;
    }
  }
  return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& fallback) const {
  return Find(section, key).value_or(fallback);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                long long fallback) const {
  const auto text = Find(section, key);
  if (!text) {
    return fallback;
  }
  return ParseIniInteger(*text).value_or(fallback);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& target = SectionForWrite(section);
  for (Line& line : target.lines) {
    if (line.entry && EqualIgnoringCase(line.key, key)) {
      line.text = OneLine(value);
      return;
    }
  }
  target.lines.push_back({true, OneLine(key), OneLine(value)});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, long long value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

} // namespace zorbe
