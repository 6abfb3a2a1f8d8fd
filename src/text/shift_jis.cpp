#include "text/shift_jis.h"

#include <algorithm>
#include <cstring>

namespace zorbe {
namespace {

template <typename Map> void MapSingleBytes(char* data, std::size_t size, Map map) {
  for (std::size_t i = 0; i < size; ++i) {
    auto c = static_cast<unsigned char>(data[i]);
    if (IsLeadByte(c)) {
      ++i; // the trail byte belongs to the character and never changes
      continue;
    }
    data[i] = static_cast<char>(map(c));
  }
}

constexpr unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}
constexpr unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

} // namespace

void LowerCaseInPlace(char* data, std::size_t size) {
  MapSingleBytes(data, size, AsciiLower);
}
void UpperCaseInPlace(char* data, std::size_t size) {
  MapSingleBytes(data, size, AsciiUpper);
}

std::string LowerCased(std::string_view text) {
  std::string copy(text);
  LowerCaseInPlace(copy);
  return copy;
}

int CompareBytes(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  if (common != 0) {
    if (int r = std::memcmp(a.data(), b.data(), common); r != 0) {
      return r < 0 ? -1 : 1;
    }
  }
  if (a.size() == b.size()) {
    return 0;
  }
  return a.size() < b.size() ? -1 : 1;
}

// While the folded prefixes agree, both texts have a lead or trail byte at the same positions:
// folding only touches ASCII letters, which are never lead bytes. One trail flag serves both.
int CompareFolded(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  bool trail = false;
  for (std::size_t i = 0; i < common; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (!trail) {
      ca = AsciiLower(ca);
      cb = AsciiLower(cb);
    }
    if (ca != cb) {
      return ca < cb ? -1 : 1;
    }
    trail = !trail && IsLeadByte(ca);
  }
  if (a.size() == b.size()) {
    return 0;
  }
  return a.size() < b.size() ? -1 : 1;
}

bool EqualFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareFolded(a, b) == 0;
}

} // namespace zorbe
