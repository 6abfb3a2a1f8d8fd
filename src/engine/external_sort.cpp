#include "engine/external_sort.h"

#include "platform/file_system.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace zorbe {
namespace {

// Where a piece of `size` bytes may end: after its last LF, else after its last CR that is not
// its last byte (an LF may follow that one); 0 when nowhere.
std::size_t CutPoint(const char* bytes, std::size_t size) {
  if (const void* lf = ::memrchr(bytes, '\n', size); lf != nullptr) {
    return static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1;
  }
  if (size < 2) {
    return 0;
  }
  if (const void* cr = ::memrchr(bytes, '\r', size - 1); cr != nullptr) {
    return static_cast<std::size_t>(static_cast<const char*>(cr) - bytes) + 1;
  }
  return 0;
}

// Reads the lines of one stretch of a scratch file through a buffer of its own. A line stays
// valid until the next one is read.
class TStretchReader {
public:
  TStretchReader(const TScratchFile& file, std::uint64_t begin, std::uint64_t end,
                 std::size_t bufferSize)
      : file_(&file), next_(begin), end_(end), buffer_(bufferSize) {}

  bool NextLine(std::string_view& line) {
    for (;;) {
      const char* start = buffer_.data() + pos_;
      if (const void* lf = std::memchr(start, '\n', filled_ - pos_); lf != nullptr) {
        line = {start, static_cast<std::size_t>(static_cast<const char*>(lf) - start)};
        pos_ += line.size() + 1;
        return true;
      }
      if (next_ == end_) {
        return false; // every line of a stretch ends in an LF: nothing is left over
      }
      Refill();
    }
  }

private:
  void Refill() {
    const std::size_t rest = filled_ - pos_;
    std::memmove(buffer_.data(), buffer_.data() + pos_, rest);
    if (rest == buffer_.size()) {
      buffer_.resize(buffer_.size() * 2); // a line longer than the buffer
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - rest, end_ - next_));
    const std::size_t got = file_->ReadAt(next_, buffer_.data() + rest, want);
    next_ = got == 0 ? end_ : next_ + got;
    pos_ = 0;
    filled_ = rest + got;
  }

  const TScratchFile* file_;
  std::uint64_t next_;
  std::uint64_t end_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t filled_ = 0;
};

// The order of the merge: SortClassLists' order, the earlier run first among equal lines.
class TMergeOrder {
public:
  explicit TMergeOrder(const TClassSortOptions& options)
      : options_(options), positionOfClass_(PositionOfClass(options)) {}

  struct THead {
    std::string_view line;
    std::uint8_t position = 0;
    std::uint32_t run = 0;
  };

  std::uint8_t PositionOf(std::string_view line) const {
    return positionOfClass_[ClassForSort(line, options_.charTypeOrder, options_.codes)];
  }
  bool Before(const THead& a, const THead& b) const {
    if (a.position != b.position) {
      return a.position < b.position;
    }
    int order = options_.distinction ? CompareFolded(a.line, b.line) : CompareBytes(a.line, b.line);
    if (options_.sortDirection == 1) {
      order = -order;
    }
    return order != 0 ? order < 0 : a.run < b.run;
  }

private:
  TClassSortOptions options_;
  std::array<std::uint8_t, kClassCount + 1> positionOfClass_;
};

// The buffer of each of `readers` readers sharing `memory` bytes.
std::size_t ReaderBuffer(std::size_t memory, std::size_t readers) {
  constexpr std::size_t kSmallest = 4 << 10;
  constexpr std::size_t kLargest = 8 << 20;
  return std::clamp<std::size_t>(memory / std::max<std::size_t>(readers, 1), kSmallest, kLargest);
}

} // namespace

bool TPieceReader::Next(TTextSpace& space, std::size_t pieceSize, std::string_view& piece) {
  if (ended_ && carry_.empty()) {
    return false;
  }
  std::size_t capacity = std::max(pieceSize, carry_.size() + 1);
  char* bytes = space.Allocate(capacity + 1);
  std::memcpy(bytes, carry_.data(), carry_.size());
  std::size_t size = carry_.size();
  carry_.clear();
  std::size_t cut = 0;
  for (;;) {
    while (size < capacity && !ended_) {
      const std::size_t got = read_(bytes + size, capacity - size);
      ended_ = got == 0;
      size += got;
    }
    cut = ended_ ? size : CutPoint(bytes, size);
    if (cut > 0 || ended_) {
      break;
    }
    capacity *= 2; // no line ends in the piece yet: it takes the whole line
    space.Grow(bytes, capacity + 1);
  }
  carry_.assign(bytes + cut, size - cut);
  if (cut == 0) {
    space.Shrink(bytes, 0);
    return false;
  }
  piece = space.EndText(bytes, cut);
  return true;
}

TPieceReader::TRead FileBytes(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw EFileError("ファイル " + fileName + " は開けませんでした。\r\n" + FileErrorReason(errno) +
                     "\r\n処理を中止します。");
  }
  auto closer = std::shared_ptr<int>(new int(fd), [](int* p) {
    ::close(*p);
    delete p;
  });
  return [closer, fileName](char* into, std::size_t size) -> std::size_t {
    for (;;) {
      const ssize_t got = ::read(*closer, into, size);
      if (got >= 0) {
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) {
        throw EFileError("ファイル「" + fileName + "」を読み込めませんでした。\r\n" +
                         FileErrorReason(errno) + "\r\n処理を中止します。");
      }
    }
  };
}

void TRunStore::EndRun() {
  if (runs_.Size() > runStart_) {
    runEnds_.push_back(runs_.Size());
    runStart_ = runs_.Size();
  }
}

void TRunStore::ForEachFrontLine(std::size_t bufferSize,
                                 const std::function<void(std::string_view)>& visit) {
  front_.Flush();
  TStretchReader reader(front_, 0, front_.Size(), ReaderBuffer(bufferSize, 1));
  std::string_view line;
  while (reader.NextLine(line)) {
    visit(line);
  }
}

void TRunStore::Merge(const TClassSortOptions& options, std::size_t memory,
                      const std::function<void(std::string_view)>& visit) {
  EndRun();
  runs_.Flush();
  const TMergeOrder order(options);
  const std::size_t bufferSize = ReaderBuffer(memory, runEnds_.size());
  std::vector<TStretchReader> readers;
  std::vector<TMergeOrder::THead> heads;
  readers.reserve(runEnds_.size());
  std::uint64_t begin = 0;
  for (const std::uint64_t end : runEnds_) {
    readers.emplace_back(runs_, begin, end, bufferSize);
    begin = end;
  }
  // A heap of the runs by their current lines, the first in order on top.
  std::vector<std::uint32_t> heap;
  auto after = [&](std::uint32_t a, std::uint32_t b) { return order.Before(heads[b], heads[a]); };
  heads.resize(readers.size());
  for (std::uint32_t run = 0; run < readers.size(); ++run) {
    if (readers[run].NextLine(heads[run].line)) {
      heads[run].position = order.PositionOf(heads[run].line);
      heads[run].run = run;
      heap.push_back(run);
    }
  }
  std::make_heap(heap.begin(), heap.end(), after);
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), after);
    const std::uint32_t run = heap.back();
    visit(heads[run].line);
    if (readers[run].NextLine(heads[run].line)) {
      heads[run].position = order.PositionOf(heads[run].line);
      std::push_heap(heap.begin(), heap.end(), after);
    } else {
      heap.pop_back();
    }
  }
}

} // namespace zorbe
