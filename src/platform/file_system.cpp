#include "platform/file_system.h"

#include "platform/run_both.h"
#include "platform/scratch_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace zorbe {
namespace {

const char* const kAbort = "\r\n処理を中止します。";

std::string ReadErrorMessage(const std::string& fileName, int error) {
  return "ファイル「" + fileName + "」を読み込めませんでした。\r\n" + FileErrorReason(error) +
         kAbort;
}

std::string OpenErrorMessage(const std::string& fileName, int error) {
  return "ファイル " + fileName + " は開けませんでした。\r\n" + FileErrorReason(error) + kAbort;
}

std::string FolderOf(const std::string& fileName) {
  const std::filesystem::path parent = std::filesystem::path(fileName).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// The file a name finally refers to, so that writing through a symbolic link replaces the file
// it points to and not the link.
std::string ResolveLinks(const std::string& fileName) {
  struct stat st {};
  if (::lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
    return fileName;
  }
  char resolved[PATH_MAX];
  return ::realpath(fileName.c_str(), resolved) != nullptr ? std::string(resolved) : fileName;
}

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

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

namespace {

// A file open for reading, closed on every path; a folder is refused like a file that can't be
// opened.
class TReadFile {
public:
  explicit TReadFile(const std::string& fileName)
      : name_(fileName), fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) {
      throw EFileError(OpenErrorMessage(fileName, errno));
    }
    if (::fstat(fd_, &stat_) != 0) {
      const int error = errno;
      ::close(fd_);
      throw EFileError(ReadErrorMessage(fileName, error));
    }
    if (S_ISDIR(stat_.st_mode)) {
      ::close(fd_);
      throw EFileError(OpenErrorMessage(fileName, EISDIR));
    }
  }
  ~TReadFile() { ::close(fd_); }
  TReadFile(const TReadFile&) = delete;
  TReadFile& operator=(const TReadFile&) = delete;

  const struct stat& Stat() const { return stat_; }
  // Reads up to `size` bytes; 0 at the end of the file.
  std::size_t Read(char* data, std::size_t size) const {
    for (;;) {
      const ssize_t n = ::read(fd_, data, std::min<std::size_t>(size, 1u << 30));
      if (n >= 0) {
        return static_cast<std::size_t>(n);
      }
      if (errno != EINTR) {
        throw EFileError(ReadErrorMessage(name_, errno));
      }
    }
  }
  // Reads the `size` bytes at `offset`, or fewer where the file ends; returns how many.
  std::size_t ReadAt(char* data, std::size_t size, std::uint64_t offset) const {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pread(fd_, data + done, std::min<std::size_t>(size - done, 1u << 30),
                                static_cast<off_t>(offset + done));
      if (n == 0) {
        break;
      }
      if (n < 0 && errno != EINTR) {
        throw EFileError(ReadErrorMessage(name_, errno));
      }
      done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return done;
  }
  // Goes on reading at `offset` with Read.
  void Seek(std::uint64_t offset) const {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
      throw EFileError(ReadErrorMessage(name_, errno));
    }
  }

private:
  const std::string& name_;
  int fd_;
  struct stat stat_ {};
};

} // namespace

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

namespace {

// Whether the user may give a file this group: the superuser any, others one of their own.
bool MayGiveGroup(gid_t group) {
  if (::geteuid() == 0 || group == ::getegid()) {
    return true;
  }
  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
  const int got = ::getgroups(count, groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(got, 0), group) !=
         groups.begin() + std::max(got, 0);
}

// Whether a new file put in place of this one by a rename can be what it was: the only name of
// its data, in a folder the user can write, with an owner and group the user can give it.
bool RenameKeeps(const struct stat& old, const std::string& folder) {
  if (old.st_nlink > 1 || ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return false;
  }
  return (::geteuid() == 0 || old.st_uid == ::geteuid()) && MayGiveGroup(old.st_gid);
}

// The names of a file's extended attributes (`fd` when it is not -1, else the file `name`):
// their list, each ended by a NUL, or nothing with errno set.
std::optional<std::vector<char>> AttributeNames(const std::string& name, int fd) {
  for (;;) {
    const ssize_t size =
        fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::llistxattr(name.c_str(), nullptr, 0);
    if (size < 0) {
      return std::nullopt;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = fd >= 0 ? ::flistxattr(fd, names.data(), names.size())
                                : ::llistxattr(name.c_str(), names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      return names;
    }
    if (errno != ERANGE) { // ERANGE: one was added meanwhile
      return std::nullopt;
    }
  }
}

// Gives the open file `to` the extended attributes of the file `from` (ACLs among them), and no
// others (a folder's default ACL gives a new file one of its own). Returns 0, or the errno of the
// step that failed; a file system without them is no failure.
int CopyExtendedAttributes(const std::string& from, int to) {
  const std::optional<std::vector<char>> names = AttributeNames(from, -1);
  if (!names) {
    return errno == ENOTSUP ? 0 : errno;
  }
  const std::optional<std::vector<char>> present = AttributeNames({}, to);
  auto each = [](const std::vector<char>& list, auto visit) {
    for (const char* name = list.data(); name < list.data() + list.size();
         name += std::strlen(name) + 1) {
      if (const int error = visit(name); error != 0) {
        return error;
      }
    }
    return 0;
  };
  if (present) {
    const std::string_view wanted(names->data(), names->size());
    const int error = each(*present, [&](const char* name) {
      const std::string entry = std::string(name) + '\0';
      const bool keep =
          wanted.find(entry) == 0 || wanted.find('\0' + entry) != std::string_view::npos;
      return keep || ::fremovexattr(to, name) == 0 ? 0 : errno;
    });
    if (error != 0) {
      return error;
    }
  }
  std::vector<char> value;
  return each(*names, [&](const char* name) {
    const ssize_t length = ::lgetxattr(from.c_str(), name, nullptr, 0);
    value.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
    const ssize_t got =
        length < 0 ? length : ::lgetxattr(from.c_str(), name, value.data(), value.size());
    return got >= 0 && ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0) == 0
               ? 0
               : errno;
  });
}

// Writes all the bytes at `offset`; returns 0 or the errno of the failure.
int WriteAllAt(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return n < 0 ? errno : ENOSPC;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return 0;
}

// Syncs a folder, so that a name just put in it survives a crash. Returns 0 or the errno.
int SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return 0; // a folder that can't be opened for reading can't be synced either
  }
  const int result = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return result;
}

} // namespace

TAtomicFile::TAtomicFile(std::string targetName, std::string scratchFolder)
    : target_(ResolveLinks(targetName)),
      buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    throw EFileError(OpenErrorMessage(targetName, EISDIR));
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe (/dev/stdout, /dev/null): written to directly, never replaced.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) {
      throw EFileError(OpenErrorMessage(targetName, errno));
    }
    direct_ = true;
    return;
  }
  replacing_ = exists;
  old_ = st;
  rewrite_ = replacing_ && !RenameKeeps(st, FolderOf(target_));
  if (!rewrite_) {
    OpenBeside();
    return;
  }
  // Refused now, before anything is sorted, when the file can't be written at all: the user
  // may write it, or owns it (and may give it the permission while it is rewritten).
  if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && st.st_uid != ::geteuid()) {
    throw EFileError(OpenErrorMessage(targetName, errno));
  }
  OpenScratch(scratchFolder);
}

// The temporary file beside the target: unnamed where the file system allows, else hidden.
void TAtomicFile::OpenBeside() {
  const std::string folder = FolderOf(target_);
  fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666); // read when rewriting
  if (fd_ >= 0) {
    return;
  }
  static std::atomic<unsigned> counter{0};
  const std::string base = std::filesystem::path(target_).filename().string();
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    tempName_ = folder + "/." + base + ".zorbe-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter++);
    fd_ = ::open(tempName_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    const int error = errno;
    tempName_.clear();
    throw EFileError(OpenErrorMessage(target_, error));
  }
}

// The named copy in the scratch folder that a target rewritten in place is written to first: it
// is there, whole and synced, until the rewrite is done.
void TAtomicFile::OpenScratch(const std::string& scratchFolder) {
  const std::string folder = ScratchFolder(scratchFolder);
  std::string pattern =
      folder + "/zorbe-" + std::filesystem::path(target_).filename().string() + "-XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    throw EFileError("一時フォルダ「" + folder + "」にファイルを作れません。\r\n" +
                     FileErrorReason(error) + kAbort);
  }
  tempName_ = pattern;
}

TAtomicFile::~TAtomicFile() {
  Discard();
}

void TAtomicFile::Discard() {
  if (fd_ < 0) {
    return;
  }
  ::close(fd_);
  fd_ = -1;
  if (!tempName_.empty()) {
    ::unlink(tempName_.c_str());
    tempName_.clear();
  }
}

void TAtomicFile::Fail(const std::string& what, int error) {
  Discard();
  throw EFileError("ファイル「" + target_ + "」" + what + "\r\n" + FileErrorReason(error) + kAbort);
}

void TAtomicFile::Write(std::string_view bytes) {
  if (bytes.empty()) {
    return; // an empty view may have no data at all, which memcpy must not be given
  }
  if (bytes.size() >= kBufferSize - used_ || bytes.size() >= kDirectWrite) {
    Flush();
    if (bytes.size() >= kDirectWrite) { // large enough to go to the file without a copy
      used_ = 0;
      const char* data = bytes.data();
      std::size_t left = bytes.size();
      while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0 && errno == EINTR) {
          continue;
        }
        if (n < 0) {
          Fail("に書き込めませんでした。", errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
      }
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void TAtomicFile::Flush() {
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      Fail("に書き込めませんでした。", errno);
    }
    done += static_cast<std::size_t>(n);
  }
  used_ = 0;
}

// Gives the new file what the replaced one was: owner and group, extended attributes (ACLs
// among them), then the mode (after the owner, which would clear set-id bits). False when one
// of them can't be given (a rename would not be faithful then).
bool TAtomicFile::KeepAttributes() {
  struct stat now {};
  if (::fstat(fd_, &now) != 0) {
    return false;
  }
  if ((now.st_uid != old_.st_uid || now.st_gid != old_.st_gid) &&
      ::fchown(fd_, now.st_uid != old_.st_uid ? old_.st_uid : static_cast<uid_t>(-1),
               now.st_gid != old_.st_gid ? old_.st_gid : static_cast<gid_t>(-1)) != 0) {
    return false;
  }
  return CopyExtendedAttributes(target_, fd_) == 0 && ::fchmod(fd_, old_.st_mode & 07777) == 0;
}

// Gives the unnamed temporary file a hidden name beside the target.
void TAtomicFile::NameBeside() {
  if (!tempName_.empty()) {
    return;
  }
  static std::atomic<unsigned> counter{0};
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd_);
  const std::string base = std::filesystem::path(target_).filename().string();
  const std::string name = FolderOf(target_) + "/." + base + ".zorbe-" +
                           std::to_string(::getpid()) + "-link" + std::to_string(counter++);
  if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    Fail("に書き込めませんでした。", errno);
  }
  tempName_ = name;
}

void TAtomicFile::Commit() {
  Flush();
  if (direct_) {
    const int result = ::close(fd_);
    const int error = errno;
    fd_ = -1;
    if (result != 0) {
      Fail("に書き込めませんでした。", error);
    }
    return;
  }
  if (replacing_ && !rewrite_ && !KeepAttributes()) {
    // Found only now (an attribute the user may not set): the whole output gets a name beside
    // the target and the target is rewritten from it.
    NameBeside();
    rewrite_ = true;
  }
  if ((replacing_ || rewrite_) && ::fsync(fd_) != 0 && errno != EINVAL) {
    Fail("に書き込めませんでした。", errno);
  }
  if (rewrite_) {
    Rewrite();
    return;
  }
  NameBeside();
  if (::close(fd_) != 0) {
    fd_ = -1;
    const int error = errno;
    ::unlink(tempName_.c_str());
    tempName_.clear();
    Fail("に書き込めませんでした。", error);
  }
  fd_ = -1;
  if (::rename(tempName_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempName_.c_str());
    tempName_.clear();
    Fail("に書き込めませんでした。", error);
  }
  tempName_.clear();
  if (const int error = SyncFolder(FolderOf(target_)); error == EIO) {
    Fail("に書き込めませんでした。", error);
  }
}

// Copies the synced temporary file over the target's contents, cuts the target to its length and
// syncs it; the temporary file goes only then. When that fails, the target may be partly
// rewritten: the temporary file stays, whole, and the message names it. A target the user owns
// but may not write is given the write permission for the rewrite, and its mode back after it.
void TAtomicFile::Rewrite() {
  const bool lendWrite = ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0;
  if (lendWrite && ::chmod(target_.c_str(), (old_.st_mode & 07777) | S_IWUSR) != 0) {
    Fail("に書き込めませんでした。", errno);
  }
  const int target = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  const int openError = errno;
  int error = target < 0 ? openError : 0;
  std::uint64_t size = 0;
  while (error == 0) {
    const ssize_t got = ::pread(fd_, buffer_.get(), kBufferSize, static_cast<off_t>(size));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    error = WriteAllAt(target, buffer_.get(), static_cast<std::size_t>(got), size);
    size += static_cast<std::uint64_t>(got);
  }
  if (error == 0 && ::ftruncate(target, static_cast<off_t>(size)) != 0) {
    error = errno;
  }
  if (error == 0 && ::fsync(target) != 0 && errno != EINVAL) {
    error = errno;
  }
  if (target >= 0 && ::close(target) != 0 && error == 0) {
    error = errno;
  }
  if (lendWrite) {
    ::chmod(target_.c_str(), old_.st_mode & 07777);
  }
  if (target < 0) {
    Fail("は開けませんでした。", openError); // the target is as it was
  }
  ::close(fd_);
  fd_ = -1;
  if (error != 0) {
    const std::string kept = tempName_;
    tempName_.clear(); // kept: it is the whole output
    throw EFileError("ファイル「" + target_ + "」に書き込めませんでした。\r\n" +
                     FileErrorReason(error) + "\r\nソート結果は「" + kept +
                     "」に残っています。\r\n処理を中止します。");
  }
  ::unlink(tempName_.c_str());
  tempName_.clear();
}

void WriteWholeFile(const std::string& fileName, std::string_view bytes) {
  TAtomicFile file(fileName);
  file.Write(bytes);
  file.Commit();
}

} // namespace zorbe
