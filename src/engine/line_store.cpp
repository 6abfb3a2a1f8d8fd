#include "engine/line_store.h"

#include "platform/file_system.h"

#include <new>
#include <sys/mman.h>

namespace zorbe {

TTextSpace::TTextSpace() {
  // Address space only: pages are backed when first written. Smaller ranges are tried where the
  // system refuses a large one (strict overcommit, tools that limit the address space).
  constexpr std::size_t kOffsetLimit = std::size_t{1} << (64 - TLineRef::kSizeBits);
  for (std::size_t size = kOffsetLimit; size >= (std::size_t{1} << 28); size /= 4) {
    void* range = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (range != MAP_FAILED) {
      base_ = static_cast<char*>(range);
      reserved_ = size;
      return;
    }
  }
  throw std::bad_alloc();
}

TTextSpace::~TTextSpace() {
  ::munmap(base_, reserved_);
}

char* TTextSpace::Allocate(std::size_t size) {
  if (size > reserved_ - used_) {
    throw std::bad_alloc();
  }
  char* start = base_ + used_;
  used_ += size;
  return start;
}

void TTextSpace::Grow(const char* newest, std::size_t size) {
  const auto start = static_cast<std::size_t>(newest - base_);
  if (size > reserved_ - start) {
    throw std::bad_alloc();
  }
  used_ = start + size;
}

void TTextSpace::Shrink(const char* newest, std::size_t size) {
  used_ = static_cast<std::size_t>(newest - base_) + size;
}

void TTextSpace::Clear() {
  if (used_ != 0) {
    ::madvise(base_, used_, MADV_DONTNEED);
  }
  used_ = 0;
}

TLineRef TTextSpace::RefTo(const char* data, std::size_t size) {
  if (size < TLineRef::kLongSize) {
    return TLineRef(static_cast<std::uint64_t>(data - base_), size);
  }
  return Store({data, size});
}

TLineRef TTextSpace::Store(std::string_view bytes) {
  const std::uint64_t size = bytes.size();
  const bool isLong = size >= TLineRef::kLongSize;
  char* start = Allocate(bytes.size() + (isLong ? sizeof size : 0));
  if (isLong) {
    std::memcpy(start, &size, sizeof size);
    start += sizeof size;
  }
  if (!bytes.empty()) {
    std::memcpy(start, bytes.data(), bytes.size());
  }
  return TLineRef(static_cast<std::uint64_t>(start - base_), bytes.size());
}

TLineRef TSpaceWriter::Store(std::string_view bytes) {
  const std::uint64_t size = bytes.size();
  const bool isLong = size >= TLineRef::kLongSize;
  const std::size_t needed = bytes.size() + (isLong ? sizeof size : 0);
  if (needed > left_) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    left_ = needed > kBlock ? needed : kBlock;
    next_ = space_.AllocateShared(left_);
  }
  char* start = next_;
  if (isLong) {
    std::memcpy(start, &size, sizeof size);
    start += sizeof size;
  }
  if (!bytes.empty()) {
    std::memcpy(start, bytes.data(), bytes.size());
  }
  next_ += needed;
  left_ -= needed;
  return TLineRef(static_cast<std::uint64_t>(start - space_.Base()), bytes.size());
}

std::size_t CountLines(std::string_view text) {
  std::size_t count = 0;
  ForEachLine(text, [&count](const char*, std::size_t) { ++count; });
  return count;
}

void AppendLines(TTextSpace& space, std::string_view text, std::vector<TLineRef>& lines) {
  lines.reserve(lines.size() + CountLines(text));
  ForEachLine(
      text, [&](const char* data, std::size_t size) { lines.push_back(space.RefTo(data, size)); });
}

std::string_view ReadFileText(TTextSpace& space, const std::string& fileName) {
  char* start = nullptr;
  const std::size_t size = ReadFileInto(fileName, [&](std::size_t needed) {
    if (start == nullptr) {
      start = space.Allocate(needed);
    } else {
      space.Grow(start, needed);
    }
    return start;
  });
  space.Shrink(start, size);
  return {start, size};
}

std::string_view ReadTextLines(TTextSpace& space, const std::string& fileName,
                               std::vector<TLineRef>& lines) {
  const std::string_view text = ReadFileText(space, fileName);
  AppendLines(space, text, lines);
  return text;
}

std::string JoinLinesCrLf(const TTextSpace& space, const TLineRef* first, const TLineRef* last) {
  std::size_t total = 0;
  for (const TLineRef* line = first; line != last; ++line) {
    total += space.View(*line).size() + 2;
  }
  std::string text;
  text.reserve(total);
  for (const TLineRef* line = first; line != last; ++line) {
    text += space.View(*line);
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitTextFileLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  lines.reserve(CountLines(text));
  ForEachLine(text,
              [&lines](const char* data, std::size_t size) { lines.emplace_back(data, size); });
  return lines;
}

} // namespace zorbe
