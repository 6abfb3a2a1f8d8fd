#include "text/char_code.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
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

TCharCode DetectCharCodeOfBytes(std::string_view firstBlock, std::uint64_t fileSize,
                                const std::function<std::string_view(std::uint64_t)>& block) {
  if (fileSize == 0) {
    return ccEmptyOrUnreadable;
  }
  if (StartsWith(firstBlock, "\xFF\xFE")) {
    return ccUtf16LE;
  }
  if (StartsWith(firstBlock, "\xFE\xFF")) {
    return ccUtf16BE;
  }
  if (StartsWith(firstBlock, "\xEF\xBB\xBF")) {
    return ccUtf8;
  }
  // Binary pre-check: positions 1 to 511 of the first block, but never its last byte.
  for (std::size_t i = 0; i < kDetectBlockSize - 1 && i + 1 < firstBlock.size(); ++i) {
    const auto b = static_cast<unsigned char>(firstBlock[i]);
    if (b <= 0x07 || b == 0xFF) {
      return ccBinary;
    }
  }
  Detector detector;
  std::string_view current = firstBlock;
  for (std::uint64_t n = 0; detector.Deciding() && n * kDetectBlockSize < fileSize;) {
    detector.ScanBlock(current);
    current = block(++n);
  }
  return detector.Result();
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
  auto chunk = std::make_unique<char[]>(kChunk);
  std::uint64_t chunkStart = 0;
  std::size_t chunkLength = ReadAt(file.fd, chunk.get(), kChunk, 0);
  auto blockAt = [&](std::uint64_t index) -> std::string_view {
    const std::uint64_t offset = index * kDetectBlockSize;
    if (offset < chunkStart || offset >= chunkStart + kChunk) {
      chunkStart = offset;
      chunkLength = ReadAt(file.fd, chunk.get(), kChunk, offset);
    }
    const std::size_t begin = static_cast<std::size_t>(offset - chunkStart);
    if (begin >= chunkLength) {
      return {};
    }
    return {chunk.get() + begin, std::min(kDetectBlockSize, chunkLength - begin)};
  };
  return DetectCharCodeOfBytes(blockAt(0), size, blockAt);
}

TCodeFamily FamilyOf(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->family : TCodeFamily::NotText;
}

std::string CharCodeName(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->name : "none";
}

void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string base = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    std::error_code typeError;
    if (entry.is_symlink(typeError) && entry.is_directory(typeError)) {
      continue;
    }
    const std::string name = base + entry.path().filename().string();
    if (entry.is_directory(typeError)) {
      CollectFolderFiles(name, list);
    } else {
      list.push_back(name);
    }
  }
}

} // namespace zorbe
