#include "engine/line_store.h"

#include "platform/file_system.h"

#include <algorithm>

namespace zorbe {

std::string_view TLineArena::Store(std::string_view bytes) {
  if (bytes.size() > capacity_ - used_) {
    constexpr std::size_t kBlock = 1 << 20;
    capacity_ = std::max(kBlock, bytes.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(capacity_));
    used_ = 0;
  }
  char* target = blocks_.back().get() + used_;
  if (!bytes.empty()) {
    std::memcpy(target, bytes.data(), bytes.size());
  }
  used_ += bytes.size();
  return {target, bytes.size()};
}

std::size_t CountLines(std::string_view text) {
  std::size_t count = 0;
  ForEachLine(text, [&count](const char*, std::size_t) { ++count; });
  return count;
}

void AppendLines(std::string_view text, std::vector<TLineRef>& lines, const std::string& fileName) {
  lines.reserve(lines.size() + CountLines(text));
  ForEachLine(text, [&](const char* data, std::size_t size) {
    if (size > kMaxLineLength) {
      throw EFileError("ファイル「" + fileName + "」には長すぎる行（4 GiB 以上）があります。\r\n処理を中止します。");
    }
    lines.push_back({data, static_cast<std::uint32_t>(size), 0});
  });
}

std::string JoinLinesCrLf(const TLineRef* first, const TLineRef* last) {
  std::size_t total = 0;
  for (const TLineRef* line = first; line != last; ++line) {
    total += line->size + 2;
  }
  std::string text;
  text.reserve(total);
  for (const TLineRef* line = first; line != last; ++line) {
    text.append(line->data, line->size);
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitTextFileLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  lines.reserve(CountLines(text));
  ForEachLine(text, [&lines](const char* data, std::size_t size) { lines.emplace_back(data, size); });
  return lines;
}

} // namespace zorbe
