#include "engine/line_store.h"

#include "platform/check.h"
#include "platform/file_system.h"
#include "platform/memory.h"

#include <algorithm>
#include <new>

namespace zorbe {

TTextSpace::TTextSpace() {
  // Address space only: pages are backed when first written.
  reserved_ = std::size_t{1} << 40;
  base_ = ReserveAddressSpace(reserved_, std::size_t{1} << 28);
  // Files are read into the space in one piece: a fault per 2 MiB rather than per 4 KiB.
  AdviseHugePages(base_, reserved_);
}

TTextSpace::~TTextSpace() {
  FreeAddressSpace(base_, reserved_);
}

char* TTextSpace::Allocate(std::size_t size) {
  if (size > reserved_ - used_) {
    throw std::bad_alloc();
  }
  char* start = base_ + used_;
  newest_ = used_;
  used_ += size;
  return start;
}

void TTextSpace::Grow(const char* newest, std::size_t size) {
  const auto start = static_cast<std::size_t>(newest - base_);
  ZORBE_ASSERT(start == newest_);
  if (size > reserved_ - start) {
    throw std::bad_alloc();
  }
  used_ = start + size;
}

void TTextSpace::Shrink(const char* newest, std::size_t size) {
  ZORBE_ASSERT(static_cast<std::size_t>(newest - base_) == newest_ && newest_ + size <= used_);
  used_ = static_cast<std::size_t>(newest - base_) + size;
}

TSpaceText TTextSpace::EndText(char* newest, std::size_t size) {
  Grow(newest, size + 1);
  newest[size] = '\n';
  return {newest, size};
}

void TTextSpace::Release(const char* from, const char* to) {
  ReleasePages(from, to);
}

void TTextSpace::Clear() {
  ReleasePages(base_, base_ + ((used_ + 4095) & ~std::size_t{4095})); // its last page too
  used_ = 0;
  newest_ = 0;
}

std::uint64_t TTextSpace::Store(std::string_view line) {
  char* start = Allocate(line.size() + 1);
  if (!line.empty()) {
    std::memcpy(start, line.data(), line.size());
  }
  start[line.size()] = '\n';
  return OffsetOf(start);
}

std::uint64_t TSpaceWriter::Store(std::string_view line) {
  const std::size_t needed = line.size() + 1;
  if (needed > left_) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    left_ = needed > kBlock ? needed : kBlock;
    next_ = space_.AllocateShared(left_);
  }
  char* start = next_;
  if (!line.empty()) {
    std::memcpy(start, line.data(), line.size());
  }
  start[line.size()] = '\n';
  next_ += needed;
  left_ -= needed;
  return space_.OffsetOf(start);
}

// The lines ForEachLine visits, from the line ends: every CR, and every LF that doesn't follow a
// CR; and one more for a last piece without a line end. Blocks of 16 bytes are counted in
// vector lanes, up to 255 blocks before the lanes are added up.
std::size_t CountLines(std::string_view text) {
  if (text.empty()) {
    return 0;
  }
  const char* p = text.data();
  std::size_t ends = IsLineEnd(p[0]);
  std::size_t i = 1;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (text.size() - i >= 16) {
    const std::size_t blocks = std::min<std::size_t>((text.size() - i) / 16, 255);
    __m128i counts = _mm_setzero_si128();
    for (std::size_t b = 0; b < blocks; ++b, i += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
      const __m128i end =
          _mm_or_si128(_mm_cmpeq_epi8(bytes, cr),
                       _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(bytes, lf)));
      counts = _mm_sub_epi8(counts, end); // a lane adds one where its byte ends a line
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    ends += static_cast<std::size_t>(_mm_cvtsi128_si64(sums) +
                                     _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  for (; i < text.size(); ++i) {
    ends += p[i] == '\r' || (p[i] == '\n' && p[i - 1] != '\r');
  }
  return ends + !IsLineEnd(text.back());
}

std::size_t MiddleLineBoundary(std::string_view text) {
  const char* end = text.data() + text.size();
  const char* lineEnd = FindLineEnd(text.data() + text.size() / 2, end);
  if (lineEnd == end) {
    return text.size();
  }
  const char* next = lineEnd + 1;
  if (*lineEnd == '\r' && next < end && *next == '\n') {
    ++next;
  }
  return static_cast<std::size_t>(next - text.data());
}

TSpaceText ReadText(TTextSpace& space, const std::string& fileName) {
  char* start = nullptr;
  const std::size_t size = ReadFileInto(fileName, [&](std::size_t needed) {
    if (start == nullptr) {
      start = space.Allocate(needed + 1);
    } else {
      space.Grow(start, needed + 1);
    }
    return start;
  });
  return space.EndText(start, size);
}

TSpaceText CrLfJoined(TTextSpace& space, TSpaceText text) {
  bool joined = true;
  std::size_t joinedSize = 0;
  ForEachLine(text, [&](const char* data, std::size_t size) {
    joinedSize += size + 2;
    joined = joined && data + size + 1 < text.data() + text.size() && data[size] == '\r' &&
             data[size + 1] == '\n';
  });
  char* start = text.data(); // the space's newest allocation
  if (joined) {
    return text;
  }
  std::string copy;
  copy.reserve(joinedSize);
  ForEachLine(text, [&copy](const char* data, std::size_t size) {
    copy.append(data, size);
    copy += "\r\n";
  });
  space.Grow(start, copy.size() + 1);
  std::memcpy(start, copy.data(), copy.size());
  return space.EndText(start, copy.size());
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
