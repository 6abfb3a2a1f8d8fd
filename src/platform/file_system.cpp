#include "platform/file_system.h"

#include "platform/read_file.h"
#include "platform/run_both.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbe {
namespace {

const char* const kAbort = "\r\n処理を中止します。";

} // namespace

std::string FileReadErrorMessage(const std::string& fileName, int error) {
  return "ファイル「" + fileName + "」を読み込めませんでした。\r\n" + FileErrorReason(error) +
         kAbort;
}

std::string FileOpenErrorMessage(const std::string& fileName, int error) {
  return "ファイル " + fileName + " は開けませんでした。\r\n" + FileErrorReason(error) + kAbort;
}

namespace {

// Opens for reading without waiting for a named pipe's writer; reads then wait as usual.
int OpenForReading(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  return fd;
}

} // namespace

std::string FileErrorReason(int error) {
  static const struct {
    int error;
    const char* reason;
  } kReasons[] = {
      {ENOENT, "ファイルまたはフォルダが見つかりません。"},
      {EACCES, "アクセスが拒否されました。"},
      {EPERM, "アクセスが拒否されました。"},
      {EISDIR, "フォルダです。"},
      {ENOTDIR, "パスの途中にフォルダでないものがあります。"},
      {ENOSPC, "ディスクの空き容量が不足しています。"},
      {EDQUOT, "ディスクの使用量の上限に達しました。"},
      {EFBIG, "ファイルが大きすぎます。"},
      {EROFS, "読み取り専用の場所です。"},
      {ENAMETOOLONG, "ファイル名が長すぎます。"},
      {ENOMEM, "メモリが不足しています。"},
      {EIO, "読み書き中に装置のエラーが起きました。"},
      {ELOOP, "シンボリックリンクが循環しています。"},
      {EBUSY, "使用中です。"},
      {ETXTBSY, "使用中です。"},
      {EMFILE, "開いているファイルが多すぎます。"},
      {ENFILE, "開いているファイルが多すぎます。"},
      {ENXIO, "装置がありません。"},
      {ENODEV, "装置がありません。"},
      {EXDEV, "別のファイルシステムには移せません。"},
      {EOVERFLOW, "ファイルが大きすぎます。"},
      {EINVAL, "この場所では使えない操作です。"},
  };
  for (const auto& known : kReasons) {
    if (known.error == error) {
      return known.reason;
    }
  }
  // A cause the program has no words for: the system's own, as a quotation with its number.
  return "システムのエラーです（" + std::string(std::strerror(error)) + "、エラー番号 " +
         std::to_string(error) + "）。";
}

std::string WithHomeFolder(const std::string& name) {
  if (name != "~" && !name.starts_with("~/")) {
    return name;
  }
  const char* home = std::getenv("HOME");
  passwd entry{};
  passwd* user = nullptr;
  char buffer[4096];
  // getpwuid_r, not getpwuid: a job's thread and the window may ask at the same time.
  if ((home == nullptr || *home == '\0') &&
      ::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &user) == 0 && user != nullptr) {
    home = user->pw_dir;
  }
  if (home == nullptr || *home == '\0') {
    return name;
  }
  return home + name.substr(1);
}

int OpenForReadingError(const std::string& fileName) {
  const int fd = OpenForReading(fileName);
  if (fd < 0) {
    return errno;
  }
  ::close(fd);
  return 0;
}

bool NamesStandardInput(const std::string& fileName) {
  struct stat named {};
  struct stat input {};
  return !fileName.empty() && ::stat(fileName.c_str(), &named) == 0 && ::fstat(0, &input) == 0 &&
         named.st_dev == input.st_dev && named.st_ino == input.st_ino;
}

bool IsRegularFile(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsNamedPipe(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool IsWriteProtected(const std::string& fileName) {
  struct stat st {};
  if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0) {
    return false;
  }
  if (::geteuid() == 0) {
    return (st.st_mode & 0222) == 0;
  }
  return ::faccessat(AT_FDCWD, fileName.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return written < 0 ? errno : ENOSPC;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

bool IsTerminal(int fd) {
  return ::isatty(fd) == 1;
}

TFileStatus FileStatusOf(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) {
    return {TFileStatus::TKind::Unseen, errno};
  }
  return {S_ISDIR(st.st_mode)   ? TFileStatus::TKind::Folder
          : S_ISREG(st.st_mode) ? TFileStatus::TKind::Regular
                                : TFileStatus::TKind::Other,
          0};
}

std::string RunningProgramFile() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

bool IsWritableFolder(const std::string& folder) {
  return ::access(folder.c_str(), W_OK) == 0;
}

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool NameIsTaken(const std::string& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0;
}

void ReadFilePieces(const std::string& fileName, std::size_t pieceSize,
                    const std::function<void(std::string_view piece)>& visit) {
  const TReadFile file(fileName);
  const auto buffer = std::make_unique_for_overwrite<char[]>(pieceSize);
  for (std::size_t n = file.Read(buffer.get(), pieceSize); n != 0;
       n = file.Read(buffer.get(), pieceSize)) {
    visit({buffer.get(), n});
  }
}

namespace {

// Reads the first `size` bytes of a regular file on two threads, each taking the next piece
// that is left: the memory the bytes go to is usually fresh, and the system's work of providing
// its pages (slow and uneven on virtual machines) is shared by both cores however it falls.
// Returns how many bytes were read: fewer where the file turned out shorter.
std::size_t ReadOnBothCores(const TReadFile& file, char* data, std::size_t size) {
  constexpr std::size_t kPiece = std::size_t{4} << 20;
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> end{size}; // the least offset at which the file was found to end
  auto work = [&] {
    try {
      for (std::size_t at = next.fetch_add(kPiece); at < end.load(); at = next.fetch_add(kPiece)) {
        const std::size_t wanted = std::min(kPiece, size - at);
        const std::size_t got = file.ReadAt(data + at, wanted, at);
        if (got < wanted) {
          std::size_t seen = end.load();
          while (at + got < seen && !end.compare_exchange_weak(seen, at + got)) {
          }
        }
      }
    } catch (...) {
      end.store(0); // the other thread takes no more pieces
      throw;
    }
  };
  RunBoth(work, work);
  return end.load();
}

} // namespace

std::size_t ReadFileInto(const std::string& fileName,
                         const std::function<char*(std::size_t)>& reserve) {
  const TReadFile file(fileName);
  const struct stat& st = file.Stat();
  // The size as stat gives it, plus one byte to see the end without a second round; a file
  // that turns out longer (a pipe, a growing file) is read on in larger pieces.
  std::size_t capacity = (S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 65536) + 1;
  char* data = reserve(capacity);
  std::size_t size = 0;
  constexpr std::size_t kWorthBothCores = std::size_t{16} << 20;
  if (S_ISREG(st.st_mode) && capacity - 1 >= kWorthBothCores) {
    size = ReadOnBothCores(file, data, capacity - 1);
    file.Seek(size);
  }
  for (;;) {
    if (size == capacity) {
      capacity *= 2;
      data = reserve(capacity);
    }
    const std::size_t n = file.Read(data + size, capacity - size);
    if (n == 0) {
      return size;
    }
    size += n;
  }
}

TFileBuffer ReadFileContents(const std::string& fileName) {
  TFileBuffer buffer;
  std::size_t capacity = 0;
  buffer.size = ReadFileInto(fileName, [&](std::size_t needed) {
    if (needed > capacity) {
      auto larger = std::make_unique_for_overwrite<char[]>(needed);
      if (capacity != 0) {
        std::memcpy(larger.get(), buffer.data.get(), capacity);
      }
      buffer.data = std::move(larger);
      capacity = needed;
    }
    return buffer.data.get();
  });
  return buffer;
}

std::string ReadWholeFile(const std::string& fileName) {
  return std::string(ReadFileContents(fileName).View());
}

} // namespace zorbe
