#include "platform/read_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace zorbe {

TReadFile::TReadFile(const std::string& fileName)
    : name_(fileName), fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (fd_ < 0) {
    throw EFileError(FileOpenErrorMessage(fileName, errno));
  }
  if (::fstat(fd_, &stat_) != 0) {
    const int error = errno;
    ::close(fd_);
    throw EFileError(FileReadErrorMessage(fileName, error));
  }
  if (S_ISDIR(stat_.st_mode)) {
    ::close(fd_);
    throw EFileError(FileOpenErrorMessage(fileName, EISDIR));
  }
}

std::optional<TReadFile> TReadFile::PlainFile(const std::string& fileName) {
  // Non-blocking, so that a pipe or a device without data can't stop the caller.
  TReadFile file(fileName, ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.fd_ < 0 || ::fstat(file.fd_, &file.stat_) != 0 || !S_ISREG(file.stat_.st_mode)) {
    return std::nullopt;
  }
  return file;
}

TReadFile::~TReadFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

TReadFile::TReadFile(TReadFile&& other) noexcept
    : name_(std::move(other.name_)), fd_(std::exchange(other.fd_, -1)), stat_(other.stat_) {}

std::size_t TReadFile::Read(char* data, std::size_t size) const {
  for (;;) {
    const ssize_t n = ::read(fd_, data, std::min<std::size_t>(size, 1u << 30));
    if (n >= 0) {
      return static_cast<std::size_t>(n);
    }
    if (errno != EINTR) {
      throw EFileError(FileReadErrorMessage(name_, errno));
    }
  }
}

std::size_t TReadFile::ReadAt(char* data, std::size_t size, std::uint64_t offset) const {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, data + done, std::min<std::size_t>(size - done, 1u << 30),
                              static_cast<off_t>(offset + done));
    if (n == 0) {
      break;
    }
    if (n < 0 && errno != EINTR) {
      throw EFileError(FileReadErrorMessage(name_, errno));
    }
    done += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  return done;
}

void TReadFile::Seek(std::uint64_t offset) const {
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
    throw EFileError(FileReadErrorMessage(name_, errno));
  }
}

} // namespace zorbe
