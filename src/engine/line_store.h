#pragma once
// Line storage of a sort job.
//
// All the text of one cycle lives in one TTextSpace: a large reserved address range that is
// filled from its start (file contents as read, converted texts, and every line a step changed,
// copied once in its final form) and released as a whole. A line never holds a CR or an LF
// (those end lines), and every line in the space is followed by one: a text keeps its line ends
// and gets an LF after its last byte, a line shortened where it lies gets an LF written after
// it, and a stored line is stored with an LF. So a line is named by the offset of its first byte
// alone, and the job's line lists hold nothing but offsets: 4 bytes a line while the space stays
// below 4 GiB (TNarrowRef), 8 bytes beyond (TWideRef). Sorting and filing move offsets, never
// bytes, and a line's length is found again by looking for its line end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorbe {

using TNarrowRef = std::uint32_t;
using TWideRef = std::uint64_t;

// A list of lines. Growing it leaves the new references unset (their pages untouched until
// they are filled), since every list is filled right after it grows.
template <typename T> struct TNoInitAllocator : std::allocator<T> {
  template <typename U> struct rebind { using other = TNoInitAllocator<U>; };
  TNoInitAllocator() = default;
  template <typename U> TNoInitAllocator(const TNoInitAllocator<U>&) noexcept {}
  template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
  template <typename U, typename... Args> void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
template <typename Ref> using TLineList = std::vector<Ref, TNoInitAllocator<Ref>>;

// An offset that a narrow reference can't hold: the cycle is done again with wide ones.
struct ENarrowRefFull {};

template <typename Ref> Ref MakeRef(std::uint64_t offset) {
  if constexpr (sizeof(Ref) < sizeof(std::uint64_t)) {
    if (offset > std::numeric_limits<Ref>::max()) {
      throw ENarrowRefFull{};
    }
  }
  return static_cast<Ref>(offset);
}

constexpr bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

#if defined(__SSE2__)
// Bit i set when byte i of the 16 at `block` is a CR or an LF.
inline unsigned LineEndMask(const char* block, bool aligned) {
  const __m128i bytes = aligned ? _mm_load_si128(reinterpret_cast<const __m128i*>(block))
                                : _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')))));
}
#endif

// The first CR or LF in [p, end), or end.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  for (; end - p >= 16; p += 16) {
    if (const unsigned mask = LineEndMask(p, false); mask != 0) {
      return p + __builtin_ctz(mask);
    }
  }
#endif
  while (p < end && !IsLineEnd(*p)) {
    ++p;
  }
  return p;
}

// The length of a line that is followed by a line end. Reads whole aligned 16-byte blocks, which
// never cross a page, so it may look at bytes around the line but never at unmapped memory.
inline std::size_t LineLength(const char* line) {
#if defined(__SSE2__)
  const auto start = reinterpret_cast<std::uintptr_t>(line);
  const char* block = reinterpret_cast<const char*>(start & ~std::uintptr_t{15});
  unsigned mask = LineEndMask(block, true) >> (line - block);
  while (mask == 0) {
    block += 16;
    mask = LineEndMask(block, true);
    line = block;
  }
  return static_cast<std::size_t>(line + __builtin_ctz(mask) -
                                  reinterpret_cast<const char*>(start));
#else
  const char* end = line;
  while (!IsLineEnd(*end)) {
    ++end;
  }
  return static_cast<std::size_t>(end - line);
#endif
}

// A text in a TTextSpace: its bytes are the job's own, so it may rewrite them in place, which a
// std::string_view of them would allow only through a cast. Reads as a std::string_view.
class TSpaceText {
public:
  TSpaceText() = default;
  TSpaceText(char* data, std::size_t size) : data_(data), size_(size) {}
  char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view View() const { return {data_, size_}; }
  operator std::string_view() const { return View(); }
  // The part from `pos` on, of at most `count` bytes.
  TSpaceText substr(std::size_t pos, std::size_t count = std::string_view::npos) const {
    return {data_ + pos, std::min(count, size_ - pos)};
  }

private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
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
  // Grows the newest allocation, which starts at `newest`, to `size` bytes in place. Asserts
  // that nothing was allocated after it (that would be overwritten).
  void Grow(const char* newest, std::size_t size);
  // Gives back the end of the newest allocation beyond its first `size` bytes; asserts as Grow.
  void Shrink(const char* newest, std::size_t size);
  // Makes the newest allocation, which starts at `newest`, a text of `size` bytes followed by
  // an LF, and returns the text; asserts as Grow.
  TSpaceText EndText(char* newest, std::size_t size);
  // Gives back the memory of the whole pages in [from, to), whose bytes are no longer needed.
  void Release(const char* from, const char* to);
  // Releases every byte; offsets taken so far are no longer valid.
  void Clear();

  std::uint64_t OffsetOf(const char* data) const {
    return static_cast<std::uint64_t>(data - base_);
  }
  // Copies the line into the space with an LF after it and returns its offset.
  std::uint64_t Store(std::string_view line);

  // The line at an offset.
  std::string_view View(std::uint64_t offset) const {
    const char* data = base_ + offset;
    return {data, LineLength(data)};
  }
  // Asks the processor to start loading a line's first bytes: sorting and writing visit lines
  // in an order unrelated to where they lie, and a load started early is not waited for.
  void Prefetch(std::uint64_t offset) const { __builtin_prefetch(base_ + offset); }
  // The same for a whole line of up to 48 bytes, most of the lines of word lists and CSV rows: a
  // line that crosses into the next 64-byte block would wait for that block when it is read.
  void PrefetchLine(std::uint64_t offset) const {
    __builtin_prefetch(base_ + offset);
    __builtin_prefetch(base_ + offset + 48);
  }
  const char* Base() const { return base_; }
  std::size_t Used() const { return used_; }

private:
  char* base_ = nullptr;
  std::size_t reserved_ = 0;
  std::size_t used_ = 0;
  std::size_t newest_ = 0; // where the newest allocation starts
  std::mutex mutex_;
};

// Keeps lines in a shared space from one thread. Given a cursor into a text in the space, it
// puts each line over the bytes of the lines it has been given (compacting the text: line ends
// shrink to one LF and dropped lines leave no gap), and it takes blocks of the space for lines
// that don't fit there.
class TSpaceWriter {
public:
  explicit TSpaceWriter(TTextSpace& space) : space_(space) {}
  TSpaceWriter(TTextSpace& space, char* cursor) : space_(space), cursor_(cursor) {}

  // The offset of the line, kept with an LF after it: at the cursor when it fits before
  // `ownedEnd`, the end of the text's bytes that the caller is done with (the line may lie there
  // itself), else in a block.
  std::uint64_t Keep(std::string_view line, const char* ownedEnd) {
    if (cursor_ == nullptr || line.size() >= static_cast<std::size_t>(ownedEnd - cursor_)) {
      return Store(line);
    }
    std::memmove(cursor_, line.data(), line.size());
    cursor_[line.size()] = '\n';
    const std::uint64_t offset = space_.OffsetOf(cursor_);
    cursor_ += line.size() + 1;
    return offset;
  }
  // The offset of a copy of the line in a block.
  std::uint64_t Store(std::string_view line);
  // Gives back the pages from the cursor to `end`, the end of the compacted text.
  void ReleaseRest(const char* end) const { space_.Release(cursor_, end); }

private:
  TTextSpace& space_;
  char* cursor_ = nullptr;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

// Visits the lines of a text: CR, LF and CR LF each end one line; a last piece without a line
// end is one more line; a line end at the very end adds no empty line. Linear in the text.
template <typename Visit> void ForEachLine(std::string_view text, Visit visit) {
  const char* pos = text.data();
  const char* const end = pos + text.size();
  while (pos < end) {
    const char* lineEnd = FindLineEnd(pos, end);
    // Where the next line starts is settled before the visit, which may overwrite the line end.
    const char* next = lineEnd == end ? end : lineEnd + 1;
    if (next < end && *lineEnd == '\r' && *next == '\n') {
      ++next;
    }
    visit(pos, static_cast<std::size_t>(lineEnd - pos));
    pos = next;
  }
}

std::size_t CountLines(std::string_view text);

// Where a text splits into two parts of about equal size at a line boundary: the position after
// the first line end at or after the middle (the text's size when there is none).
std::size_t MiddleLineBoundary(std::string_view text);

// Reads a file into the space, with an LF after it (EndText); returns its text. Throws
// EFileError.
TSpaceText ReadText(TTextSpace& space, const std::string& fileName);

// A text that is the space's newest allocation with CR LF after every line: the text itself when
// it already is so, else the text rewritten in its place (EndText).
TSpaceText CrLfJoined(TTextSpace& space, TSpaceText text);

// The lines of a settings-driven text file (deletion, replacement, dictionaries): split like the
// target files, but a NUL byte ends the text.
std::vector<std::string> SplitTextFileLines(std::string_view text);

} // namespace zorbe
