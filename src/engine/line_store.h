#pragma once
// Line storage of a sort job.
//
// All the text of one cycle lives in one TTextSpace: a large reserved address range that is
// filled from its start (file contents as read, converted texts, and every line a step changed,
// copied once in its final form) and released as a whole. A line is then an 8-byte TLineRef:
// its offset in the space (40 bits) and its length (24 bits). A line of 16 MiB or more has the
// length field at its maximum and its real length in the 8 bytes before it. Sorting and filing
// move these references, never the bytes, and cost no memory per line beyond them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TLineRef {
public:
  static constexpr unsigned kSizeBits = 24;
  static constexpr std::uint64_t kLongSize = (std::uint64_t{1} << kSizeBits) - 1;

  TLineRef() = default;
  TLineRef(std::uint64_t offset, std::size_t size)
      : bits_(offset << kSizeBits | (size < kLongSize ? size : kLongSize)) {}

  std::uint64_t Offset() const { return bits_ >> kSizeBits; }
  bool IsLong() const { return (bits_ & kLongSize) == kLongSize; }
  std::size_t ShortSize() const { return static_cast<std::size_t>(bits_ & kLongSize); }
  bool operator==(const TLineRef&) const = default;

private:
  std::uint64_t bits_ = 0;
};

class TTextSpace {
public:
  TTextSpace();
  ~TTextSpace();
  TTextSpace(const TTextSpace&) = delete;
  TTextSpace& operator=(const TTextSpace&) = delete;

  // Room for `size` bytes after everything allocated so far. Throws std::bad_alloc when the
  // reserved range is full.
  char* Allocate(std::size_t size);
  // The same, for threads that share the space (each through its own TSpaceWriter).
  char* AllocateShared(std::size_t size) {
    std::lock_guard lock(mutex_);
    return Allocate(size);
  }
  // Grows the newest allocation, which starts at `newest`, to `size` bytes in place.
  void Grow(const char* newest, std::size_t size);
  // Gives back the end of the newest allocation beyond its first `size` bytes.
  void Shrink(const char* newest, std::size_t size);
  // Releases every byte; references taken so far are no longer valid.
  void Clear();

  // A reference to bytes that already lie in the space; a long line is copied behind its
  // length.
  TLineRef RefTo(const char* data, std::size_t size);
  // A reference to a short line (below TLineRef::kLongSize) that lies in the space.
  TLineRef ShortRefTo(const char* data, std::size_t size) const {
    return TLineRef(static_cast<std::uint64_t>(data - base_), size);
  }
  // Copies the bytes into the space.
  TLineRef Store(std::string_view bytes);

  std::string_view View(TLineRef ref) const {
    const char* data = base_ + ref.Offset();
    if (!ref.IsLong()) {
      return {data, ref.ShortSize()};
    }
    std::uint64_t size = 0;
    std::memcpy(&size, data - sizeof size, sizeof size);
    return {data, static_cast<std::size_t>(size)};
  }
  // Asks the processor to start loading a line's first bytes: sorting and writing visit lines
  // in an order unrelated to where they lie, and a load started early is not waited for.
  void Prefetch(TLineRef ref) const { __builtin_prefetch(base_ + ref.Offset()); }
  const char* Base() const { return base_; }
  std::size_t Used() const { return used_; }

private:
  char* base_ = nullptr;
  std::size_t reserved_ = 0;
  std::size_t used_ = 0;
  std::mutex mutex_;
};

// Stores lines into a shared space from one thread: takes blocks of the space and fills them.
class TSpaceWriter {
public:
  explicit TSpaceWriter(TTextSpace& space) : space_(space) {}
  // A short line that lies in the space already is referred to where it is; any other line is
  // copied.
  TLineRef Keep(std::string_view line, bool inSpace) {
    return inSpace && line.size() < TLineRef::kLongSize
               ? space_.ShortRefTo(line.data(), line.size())
               : Store(line);
  }
  TLineRef Store(std::string_view bytes);

private:
  TTextSpace& space_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

// Visits the lines of a text: CR, LF and CR LF each end one line; a last piece without a line
// end is one more line; a line end at the very end adds no empty line. Linear in the text even
// when it holds only one kind of line end.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
  const char* const base = text.data();
  const auto size = static_cast<std::ptrdiff_t>(text.size());
  // The next CR and LF at or after the cursor; each byte is searched once per kind.
  auto locate = [base, size](std::ptrdiff_t cached, std::ptrdiff_t from, char c) {
    if (cached >= from) {
      return cached;
    }
    const void* hit = std::memchr(base + from, c, static_cast<std::size_t>(size - from));
    return hit == nullptr ? size : static_cast<const char*>(hit) - base;
  };
  std::ptrdiff_t nextCr = -1;
  std::ptrdiff_t nextLf = -1;
  std::ptrdiff_t pos = 0;
  while (pos < size) {
    nextCr = locate(nextCr, pos, '\r');
    nextLf = locate(nextLf, pos, '\n');
    const std::ptrdiff_t lineEnd = nextCr < nextLf ? nextCr : nextLf;
    visit(base + pos, static_cast<std::size_t>(lineEnd - pos));
    if (lineEnd == size) {
      break;
    }
    pos = lineEnd + 1;
    if (base[lineEnd] == '\r' && pos < size && base[pos] == '\n') {
      ++pos;
    }
  }
}

std::size_t CountLines(std::string_view text);

// Appends a reference for every line of a text that lies in the space, the list first sized for
// all of them.
void AppendLines(TTextSpace& space, std::string_view text, std::vector<TLineRef>& lines);

// Reads a file into the space; returns where its bytes lie there. Throws EFileError.
std::string_view ReadFileText(TTextSpace& space, const std::string& fileName);

// Reads a file into the space and appends its lines; returns where the file's bytes lie in the
// space. Throws EFileError.
std::string_view ReadTextLines(TTextSpace& space, const std::string& fileName,
                               std::vector<TLineRef>& lines);

// The lines joined into one text, every line followed by CR LF.
std::string JoinLinesCrLf(const TTextSpace& space, const TLineRef* first, const TLineRef* last);

// The lines of a settings-driven text file (deletion, replacement, dictionaries): split like the
// target files, but a NUL byte ends the text.
std::vector<std::string> SplitTextFileLines(std::string_view text);

} // namespace zorbe
