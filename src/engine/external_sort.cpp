#include "engine/external_sort.h"

#include "engine/two_threads.h"
#include "platform/file_system.h"
#include "platform/read_file.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

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

// The order of the merge: SortClassLists' order, the earlier run first among equal lines. Each
// run's current line carries a key that decides most comparisons alone: the class position in
// its top byte, then the line's first seven bytes as compared (folded with Distinction, each
// reversed when descending), zeros after a short line's end; with NumberOrder the class alone,
// as bytes don't tell a number's value. Lines with equal keys are compared in full. With
// `written`, lines are records, and lines with the same key bytes go by their written lines.
class TMergeOrder {
public:
  TMergeOrder(const TClassSortOptions& options, const TRunStore::TWrittenLine& written)
      : options_(options), positionOfClass_(PositionOfClass(options)),
        descending_(options.sortDirection == 1), numbers_(NumberOrderOf(options)),
        written_(written) {}

  struct THead {
    std::uint64_t key = 0;
    std::string_view record; // as read: the line, or a record
    std::string_view line;   // the line the sort sees: the record's key
    std::uint32_t run = 0;
  };

  void SetLine(THead& head, std::string_view record) const {
    head.record = record;
    // A record's key ends at its CR (npos: it has none, and is its key).
    const std::string_view line = written_ ? record.substr(0, record.find('\r')) : record;
    head.line = line;
    std::uint64_t prefix = 0;
    const std::size_t size = numbers_.mode == noCodes ? std::min<std::size_t>(line.size(), 7) : 0;
    bool trail = false;
    for (std::size_t i = 0; i < size; ++i) {
      auto c = static_cast<unsigned char>(line[i]);
      if (options_.distinction) {
        c = !trail && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
        trail = !trail && IsLeadByte(c);
      }
      prefix |= std::uint64_t{c} << (48 - 8 * i);
    }
    if (descending_ && numbers_.mode == noCodes) {
      prefix = ~prefix & kPrefixBits;
    }
    const std::uint64_t position = positionOfClass_[ClassForSort(line, options_.charTypeOrder)];
    head.key = position << 56 | prefix;
  }
  bool Before(const THead& a, const THead& b) const {
    if (a.key != b.key) {
      return a.key < b.key;
    }
    int order = 0;
    if (numbers_.mode != noCodes) {
      order = CompareNumbered(a.line, b.line, numbers_); // reversed already when descending
    } else {
      order = options_.distinction ? CompareFolded(a.line, b.line) : CompareBytes(a.line, b.line);
      order = descending_ ? -order : order;
    }
    if (order != 0) {
      return order < 0;
    }
    if (written_ && a.line == b.line && a.record != b.record) {
      if (const std::string wa = written_(a.record), wb = written_(b.record); wa != wb) {
        return wa < wb;
      }
    }
    return a.run < b.run;
  }

private:
  static constexpr std::uint64_t kPrefixBits = (std::uint64_t{1} << 56) - 1;
  TClassSortOptions options_;
  std::array<std::uint8_t, kClassCount + 1> positionOfClass_;
  bool descending_;
  TNumberOrder numbers_;
  const TRunStore::TWrittenLine& written_;
};

// Batches of merged lines handed from the merging thread to the writing one: at most two in
// flight, so the two threads overlap without either running far ahead. Either side may close
// it (at the end, or when it fails); the other then stops waiting.
class TBatchQueue {
public:
  // Hands a full batch over and returns an empty one; false once the queue is closed.
  bool Put(std::string& batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || full_.size() < 2; });
    if (closed_) {
      return false;
    }
    full_.push_back(std::move(batch));
    batch = std::move(spare_);
    batch.clear();
    changed_.notify_all();
    return true;
  }
  // The next batch, into `batch` (whose memory goes back to the merging side); false at the end.
  bool Take(std::string& batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || !full_.empty(); });
    if (full_.empty()) {
      return false;
    }
    spare_ = std::move(batch);
    batch = std::move(full_.front());
    full_.pop_front();
    changed_.notify_all();
    return true;
  }
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> full_;
  std::string spare_;
  bool closed_ = false;
};

// Thrown through the merge when the writing side has closed the queue.
struct EMergeEnded {};

// The buffer of each of `readers` readers sharing `memory` bytes.
std::size_t ReaderBuffer(std::size_t memory, std::size_t readers) {
  constexpr std::size_t kSmallest = 4 << 10;
  constexpr std::size_t kLargest = 8 << 20;
  return std::clamp<std::size_t>(memory / std::max<std::size_t>(readers, 1), kSmallest, kLargest);
}

} // namespace

bool TPieceReader::Next(TTextSpace& space, std::size_t pieceSize, TSpaceText& piece) {
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
  auto file = std::make_shared<const TReadFile>(fileName);
  return [file](char* into, std::size_t size) { return file->Read(into, size); };
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
  const std::size_t batchSize = std::clamp<std::size_t>(memory / 16, 4096, std::size_t{2} << 20);
  TBatchQueue queue;
  RunBoth(
      [&] {
        try {
          std::string batch;
          while (queue.Take(batch)) {
            for (std::size_t at = 0; at < batch.size();) {
              const std::size_t end = batch.find('\n', at);
              visit(std::string_view(batch).substr(at, end - at));
              at = end + 1;
            }
          }
        } catch (...) {
          queue.Close(); // the merging side stops at its next batch
          throw;
        }
      },
      [&] {
        try {
          std::string batch;
          batch.reserve(batchSize + 4096);
          MergeRuns(options, memory - std::min(memory, 4 * batchSize), [&](std::string_view line) {
            batch += line;
            batch += '\n';
            if (batch.size() >= batchSize && !queue.Put(batch)) {
              throw EMergeEnded{};
            }
          });
          if (!batch.empty()) {
            queue.Put(batch);
          }
        } catch (const EMergeEnded&) {
        } catch (...) {
          queue.Close();
          throw;
        }
        queue.Close();
      });
}

// The runs' lines in merged order: a heap of the runs by their current lines, the first in
// order on top; the top's run moves on to its next line and sinks to its place.
void TRunStore::MergeRuns(const TClassSortOptions& options, std::size_t memory,
                          const std::function<void(std::string_view)>& visit) const {
  const TMergeOrder order(options, written_);
  const std::size_t bufferSize = ReaderBuffer(memory, runEnds_.size());
  std::vector<TStretchReader> readers;
  readers.reserve(runEnds_.size());
  std::uint64_t begin = 0;
  for (const std::uint64_t end : runEnds_) {
    readers.emplace_back(runs_, begin, end, bufferSize);
    begin = end;
  }
  std::vector<TMergeOrder::THead> heap;
  for (std::uint32_t run = 0; run < readers.size(); ++run) {
    std::string_view line;
    if (readers[run].NextLine(line)) {
      heap.emplace_back();
      heap.back().run = run;
      order.SetLine(heap.back(), line);
    }
  }
  auto after = [&](const TMergeOrder::THead& a, const TMergeOrder::THead& b) {
    return order.Before(b, a);
  };
  std::make_heap(heap.begin(), heap.end(), after);
  while (!heap.empty()) {
    TMergeOrder::THead top = heap.front();
    visit(top.record);
    std::string_view line;
    if (!readers[top.run].NextLine(line)) {
      std::pop_heap(heap.begin(), heap.end(), after);
      heap.pop_back();
      continue;
    }
    order.SetLine(top, line);
    // Sinks the new top: the earlier child moves up while it comes before the top.
    const std::size_t count = heap.size();
    std::size_t at = 0;
    for (std::size_t child = 1; child < count; child = 2 * at + 1) {
      if (child + 1 < count && order.Before(heap[child + 1], heap[child])) {
        ++child;
      }
      if (!order.Before(heap[child], top)) {
        break;
      }
      heap[at] = heap[child];
      at = child;
    }
    heap[at] = top;
  }
}

} // namespace zorbe
