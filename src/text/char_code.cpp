#include "text/char_code.h"

#include "text/utf8_check.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbe {
namespace {

struct TCodeRow {
  TCharCode code;
  const char* name;
  TCodeFamily family;
};

// Every code with its name and reader; a code not listed is "none" and no text.
constexpr TCodeRow kCodeRows[] = {
    {ccShiftJis, "S-JIS", TCodeFamily::ShiftJis}, {ccJis83, "JIS83", TCodeFamily::Jis},
    {ccJis78, "JIS78", TCodeFamily::Jis},         {ccEuc, "EUC", TCodeFamily::Euc},
    {ccUtf16LE, "Unicode", TCodeFamily::Utf16},   {ccUtf16BE, "Unicode(BE)", TCodeFamily::Utf16},
    {ccUtf8, "UTF-8", TCodeFamily::Utf8},         {ccBinary, "BINARY", TCodeFamily::NotText},
};

const TCodeRow* RowOf(TCharCode code) {
  for (const TCodeRow& row : kCodeRows) {
    if (row.code == code) {
      return &row;
    }
  }
  return nullptr;
}

// The detector's state before anything is known.
constexpr auto kNothingKnown = static_cast<TCharCode>(0);

// The detector's state: nothing known, undecided between EUC and Shift-JIS, or a final result.
class Detector {
public:
  bool Deciding() const { return state_ == kNothingKnown || state_ == ccUndecided; }
  TCharCode Result() const { return state_ == kNothingKnown ? ccShiftJis : state_; }
  // Whether one of the rules decided (rather than the file ending with nothing decisive).
  bool Decided() const { return !Deciding(); }

  // Scans one block from its own first byte; a pair split across blocks is not joined, and the
  // last byte of a block is only ever seen as the byte after a rule's first byte.
  void ScanBlock(std::string_view block) {
    const std::size_t length = block.size();
    std::size_t i = 0;
    while (Deciding() && i + 1 < length) {
      i = ApplyRule(block, i);
    }
  }

private:
  static unsigned char At(std::string_view block, std::size_t i) {
    return static_cast<unsigned char>(block[i]);
  }
  static bool In(unsigned char c, unsigned char lo, unsigned char hi) { return c >= lo && c <= hi; }

  // Applies the rule for the byte at i and returns the index after the last byte it looked at.
  std::size_t ApplyRule(std::string_view block, std::size_t i) {
    const unsigned char b = At(block, i);
    const unsigned char c = At(block, i + 1); // always inside the block (see ScanBlock)
    if (b == 0x1B) {
      if (c != '$') {
        return i + 2;
      }
      if (i + 2 >= block.size()) {
        return i + 2;
      }
      const unsigned char d = At(block, i + 2);
      if (d == 'B') {
        state_ = ccJis83;
      } else if (d == '@') {
        state_ = ccJis78;
      }
      return i + 3;
    }
    if (b <= 0x07 || b == 0xFF) {
      state_ = ccBinary;
      return i + 1;
    }
    if (b <= 0x7F || b == 0x80 || b == 0xA0) {
      return i + 1;
    }
    if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9F)) {
      state_ = ccShiftJis;
      return i + 1;
    }
    if (b == 0x8E) {
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0) || In(c, 0xE0, 0xFC)) {
        state_ = ccShiftJis;
      } else if (In(c, 0xA1, 0xDF)) {
        state_ = ccUndecided;
      }
      return i + 2;
    }
    if (In(b, 0xF0, 0xFE)) {
      state_ = ccEuc;
      return i + 1;
    }
    if (In(b, 0xE0, 0xEF)) {
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0)) {
        state_ = ccShiftJis;
      } else if (In(c, 0xFD, 0xFE)) {
        state_ = ccEuc;
      } else if (In(c, 0xA1, 0xFC)) {
        state_ = ccUndecided;
      }
      return i + 2;
    }
    // b is 0xA1-0xDF: half-width katakana in Shift-JIS, or the first byte of an EUC pair.
    if (In(c, 0xF0, 0xFE)) {
      state_ = ccEuc;
    } else if (In(c, 0xA1, 0xDF)) {
      state_ = ccUndecided;
    } else if (In(c, 0xE0, 0xEF)) {
      state_ = ccUndecided;
      return LookAhead(block, i + 2);
    } else if (c <= 0x9F) {
      state_ = ccShiftJis;
    }
    return i + 2;
  }

  // After a half-width katakana byte followed by 0xE0-0xEF: the bytes that follow decide while
  // they are at least 0x40. The scan continues after the byte that ended the look-ahead.
  std::size_t LookAhead(std::string_view block, std::size_t j) {
    while (j < block.size()) {
      const unsigned char d = At(block, j++);
      if (d < 0x40) {
        break;
      }
      if (In(d, 0x81, 0x8D) || In(d, 0x8F, 0x9C)) {
        state_ = ccShiftJis;
      } else if (In(d, 0xFD, 0xFE)) {
        state_ = ccEuc;
      }
      if (state_ != ccUndecided) {
        break;
      }
    }
    return j;
  }

  TCharCode state_ = kNothingKnown;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// How far past its first byte 0x80 or above a file is checked for UTF-8 before the check's
// verdict is taken for the whole file: a file is not read to its end just to be listed. The job
// reads every byte anyway and stops, naming the offset, at one that is not UTF-8.
constexpr std::uint64_t kUtf8Window = 64 * 1024;

// The code a byte-order mark at the start names, if there is one.
std::optional<TCharCode> ByteOrderMarkCode(std::string_view firstBlock) {
  if (StartsWith(firstBlock, "\xFF\xFE")) {
    return ccUtf16LE;
  }
  if (StartsWith(firstBlock, "\xFE\xFF")) {
    return ccUtf16BE;
  }
  if (StartsWith(firstBlock, "\xEF\xBB\xBF")) {
    return ccUtf8;
  }
  return std::nullopt;
}

// The whole detection over a file's bytes, fed in order in pieces of whole 512-byte blocks (the
// last piece may end in a part block):
// - a byte-order mark decides at once (UTF-16 either way, UTF-8); so does a binary byte among
//   the first 511;
// - the Shift-JIS/JIS/EUC scan runs block by block while it is deciding; beside it the bytes are
//   checked for UTF-8;
// - a text with no byte 0x80 or above, or one that is not UTF-8, has the scan's result;
// - a UTF-8 text with a three- or four-byte character is UTF-8;
// - a UTF-8 text with two-byte characters only has the scan's result when a rule decided it
//   (Shift-JIS "ﾅア" is C5 83 41, EUC 村 is C2 BC), and is UTF-8 otherwise.
class TDetection {
public:
  explicit TDetection(std::uint64_t size) : size_(size) {}

  // The result that the first piece alone decides, if any.
  std::optional<TCharCode> FromStart(std::string_view first) const {
    if (size_ == 0) {
      return ccEmptyOrUnreadable;
    }
    if (const std::optional<TCharCode> marked = ByteOrderMarkCode(first)) {
      return marked;
    }
    if (IsBinaryBlock(first)) {
      return ccBinary;
    }
    return std::nullopt;
  }

  void Feed(std::string_view piece) {
    for (std::size_t at = 0; at < piece.size() && scan_.Deciding(); at += kDetectBlockSize) {
      scan_.ScanBlock(piece.substr(at, kDetectBlockSize));
    }
    if (utf8_.MaybeValid()) {
      utf8_.Feed(piece);
    }
    fed_ += piece.size();
  }

  // Whether the rest of the file can't change the result.
  bool Done() const { return !scan_.Deciding() && Utf8Settled(); }

  TCharCode Result() {
    const bool utf8 = fed_ >= size_ ? utf8_.Finish() : utf8_.MaybeValid();
    if (!utf8 || !utf8_.SawHighByte()) {
      return scan_.Result();
    }
    if (utf8_.SawLongSequence() || !scan_.Decided()) {
      return ccUtf8;
    }
    return scan_.Result();
  }

private:
  bool Utf8Settled() const {
    return !utf8_.MaybeValid() ||
           (utf8_.SawHighByte() && utf8_.Fed() - utf8_.FirstHighByte() >= kUtf8Window);
  }

  std::uint64_t size_;
  std::uint64_t fed_ = 0;
  Detector scan_;
  TUtf8Check utf8_;
};

// An open file descriptor that closes itself.
struct FileHandle {
  int fd;
  // Non-blocking, so that a pipe or a device without data can't stop the caller; only plain
  // files are examined.
  explicit FileHandle(const std::string& name)
      : fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
  ~FileHandle() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
};

// Reads up to size bytes at offset, retrying short reads; returns the count read.
std::size_t ReadAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::string OpenErrorMessage(const std::string& fileName) {
  return "ファイル「" + fileName + "」は存在しないか使用中です。";
}

// A plain file that opens; a folder, a device or a pipe is not a text file to examine.
bool OpenReadable(const FileHandle& file, std::uint64_t& size) {
  struct stat st {};
  if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

} // namespace

TFileBlock ReadFileBlock(const std::string& fileName, std::uint64_t offset,
                         const MessageSink& onError) {
  TFileBlock result;
  FileHandle file(fileName);
  if (!OpenReadable(file, result.size)) {
    result.size = 0;
    if (onError) {
      onError(OpenErrorMessage(fileName));
    }
    return result;
  }
  result.bytes.resize(kDetectBlockSize);
  result.bytes.resize(ReadAt(file.fd, result.bytes.data(), kDetectBlockSize, offset));
  return result;
}

bool IsBinaryBlock(std::string_view firstBlock) {
  if (ByteOrderMarkCode(firstBlock)) {
    return false;
  }
  // Positions 1 to 511 of the first block, but never its last byte.
  for (std::size_t i = 0; i < kDetectBlockSize - 1 && i + 1 < firstBlock.size(); ++i) {
    const auto b = static_cast<unsigned char>(firstBlock[i]);
    if (b <= 0x07 || b == 0xFF) {
      return true;
    }
  }
  return false;
}

TCharCode DetectCharCodeOfBytes(std::string_view bytes) {
  TDetection detection(bytes.size());
  if (const std::optional<TCharCode> early = detection.FromStart(bytes)) {
    return *early;
  }
  detection.Feed(bytes);
  return detection.Result();
}

TCharCode DetectCharCode(const std::string& fileName, const MessageSink& onError) {
  FileHandle file(fileName);
  std::uint64_t size = 0;
  if (!OpenReadable(file, size)) {
    if (onError) {
      onError(OpenErrorMessage(fileName));
    }
    return ccEmptyOrUnreadable;
  }
  // One open file and large reads; the blocks are still scanned 512 bytes at a time.
  constexpr std::size_t kChunk = 1 << 20;
  static_assert(kChunk % kDetectBlockSize == 0);
  auto chunk = std::make_unique<char[]>(kChunk);
  TDetection detection(size);
  if (size == 0) {
    return *detection.FromStart({});
  }
  for (std::uint64_t offset = 0; offset < size && !detection.Done(); offset += kChunk) {
    const std::size_t length = ReadAt(file.fd, chunk.get(), kChunk, offset);
    const std::string_view piece(chunk.get(), length);
    if (offset == 0) {
      if (const std::optional<TCharCode> early = detection.FromStart(piece)) {
        return *early;
      }
    }
    detection.Feed(piece);
    if (length < kChunk) {
      break; // the file ends early (it shrank since its size was taken)
    }
  }
  return detection.Result();
}

TCodeFamily FamilyOf(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->family : TCodeFamily::NotText;
}

std::string CharCodeName(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->name : "none";
}

void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list, bool byName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string base = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(*it);
  }
  if (byName) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
      return a.path().filename().string() < b.path().filename().string();
    });
  }
  for (const fs::directory_entry& entry : entries) {
    std::error_code typeError;
    if (entry.is_symlink(typeError) && entry.is_directory(typeError)) {
      continue;
    }
    const std::string name = base + entry.path().filename().string();
    if (entry.is_directory(typeError)) {
      CollectFolderFiles(name, list, byName);
    } else {
      list.push_back(name);
    }
  }
}

} // namespace zorbe
