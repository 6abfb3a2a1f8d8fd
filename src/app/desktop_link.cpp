#include "app/desktop_link.h"

#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>

namespace zorbe {
namespace {

// A desktop entry is a few hundred bytes; anything much larger is not one.
constexpr std::uintmax_t kMaxEntrySize = 64 * 1024;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
    case 's':
      out += ' ';
      break;
    case 'n':
      out += '\n';
      break;
    case 't':
      out += '\t';
      break;
    case 'r':
      out += '\r';
      break;
    default:
      out += value[i];
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      return {};
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

TLinkTarget Refused(std::string refusal) {
  return {{}, std::move(refusal)};
}

} // namespace

bool IsLinkFileName(const std::string& name) {
  constexpr std::string_view kExtension = ".desktop";
  if (name.size() < kExtension.size()) {
    return false;
  }
  std::string tail = name.substr(name.size() - kExtension.size());
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return tail == kExtension;
}

std::map<std::string, std::string> DesktopEntryValues(std::string_view text) {
  std::map<std::string, std::string> values;
  bool inEntry = false;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inEntry || equals == std::string_view::npos) {
      continue;
    }
    values.emplace(std::string(Trimmed(line.substr(0, equals))),
                   Unescaped(Trimmed(line.substr(equals + 1))));
  }
  return values;
}

std::string LocalPathOfFileUrl(std::string_view url) {
  constexpr std::string_view kScheme = "file://";
  if (url.substr(0, kScheme.size()) != kScheme) {
    return {};
  }
  url.remove_prefix(kScheme.size());
  const std::size_t slash = url.find('/');
  if (slash == std::string_view::npos) {
    return {};
  }
  const std::string_view host = url.substr(0, slash);
  if (!host.empty() && host != "localhost") {
    return {};
  }
  const std::string path = PercentDecoded(url.substr(slash));
  if (path.find('\0') != std::string::npos) {
    return {};
  }
  return path;
}

TLinkTarget ResolveLinkFile(const std::string& linkFile) {
  const std::string notALink = "「" + linkFile + "」はファイルへのリンクではありません。";
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(linkFile, ec);
  if (ec || size > kMaxEntrySize) {
    return Refused(ec ? "「" + linkFile + "」は存在しないか、読めません。" : notALink);
  }
  std::map<std::string, std::string> values;
  try {
    values = DesktopEntryValues(ReadWholeFile(linkFile));
  } catch (const EFileError& e) {
    return Refused(e.what());
  }
  const auto type = values.find("Type");
  const auto url = values.find("URL");
  if (type == values.end() || type->second != "Link" || url == values.end()) {
    return Refused(notALink);
  }
  const std::string target = LocalPathOfFileUrl(url->second);
  if (target.empty()) {
    return Refused("「" + linkFile + "」のリンク先「" + url->second +
                   "」はこのコンピュータ上のファイルではありません。");
  }
  if (std::filesystem::is_directory(target, ec)) {
    return Refused("「" + linkFile + "」のリンク先「" + target +
                   "」はフォルダです。\r\nフォルダはそのものを追加して下さい。");
  }
  if (!FileExists(target)) {
    return Refused("「" + linkFile + "」のリンク先「" + target + "」は存在しません。");
  }
  return {target, {}};
}

} // namespace zorbe
