#include "app/version_info.h"

#include <cstdio>

namespace zorbe {
namespace {

constexpr TVersionTranslation kJapaneseCp932{0x0411, 0x03a4};

TVersionInfo BuildProgramVersionInfo() {
  TVersionInfo info;
  info.translations.push_back(kJapaneseCp932);
  info.stringTables[StringTableName(kJapaneseCp932)] = {
      {"ProductName", "Zorbe 2nd"},
      {"ProductVersion", ZORBE_VERSION},
      {"FileVersion", ZORBE_VERSION},
      {"FileDescription", "Zorbe 2nd - テキストファイルの行ソート"},
      {"LegalCopyright", "Copyright (C) 2026 the Zorbe 2nd developers"},
  };
  return info;
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string PercentEncoded(const std::string& text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : text) {
    if (Unreserved(c)) {
      encoded += static_cast<char>(c);
      continue;
    }
    encoded += '%';
    encoded += kHex[c >> 4];
    encoded += kHex[c & 0x0f];
  }
  return encoded;
}

} // namespace

std::string StringTableName(const TVersionTranslation& translation) {
  char name[9];
  std::snprintf(name, sizeof name, "%4.4x%4.4x", translation.language, translation.codePage);
  return name;
}

std::string VersionString(const TVersionInfo* info, const std::string& key) {
  if (info == nullptr) {
    return {};
  }
  if (info->translations.empty()) {
    return kUnknownVersionValue;
  }
  const auto table = info->stringTables.find(StringTableName(info->translations.front()));
  if (table == info->stringTables.end()) {
    return kUnknownVersionValue;
  }
  const auto value = table->second.find(key);
  return value == table->second.end() ? kUnknownVersionValue : value->second;
}

const TVersionInfo& ProgramVersionInfo() {
  static const TVersionInfo info = BuildProgramVersionInfo();
  return info;
}

std::string ProgramVersionString(const std::string& key) {
  return VersionString(&ProgramVersionInfo(), key);
}

std::string ContactMailLink(const std::string& address, const std::string& productName,
                            const std::string& productVersion) {
  return "Mailto:" + address + "?subject=" + PercentEncoded(productName + productVersion) + "&";
}

} // namespace zorbe
