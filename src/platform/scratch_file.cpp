#include "platform/scratch_file.h"

#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace zorbe {
namespace {

std::atomic<std::uint64_t> spaceForTesting{std::numeric_limits<std::uint64_t>::max()};
std::atomic<std::uint64_t> writtenForTesting{0};

// Writes all the bytes; returns 0, or the errno of the write that failed (ENOSPC past the
// space a test allows).
int WriteScratch(int fd, const char* data, std::size_t size) {
  const std::uint64_t space = spaceForTesting.load();
  if (space != std::numeric_limits<std::uint64_t>::max() &&
      writtenForTesting.fetch_add(size) + size > space) {
    return ENOSPC;
  }
  return WriteAll(fd, {data, size});
}

} // namespace

std::string ScratchFolder(const std::string& chosen) {
  if (!chosen.empty()) {
    return chosen;
  }
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir != nullptr && *tmpdir != '\0' ? std::string(tmpdir) : std::string("/var/tmp");
}

TScratchFile::TScratchFile(std::string folder)
    : folder_(std::move(folder)), buffer_(new char[kBufferSize]) {
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ >= 0) {
    return;
  }
  // No unnamed files here: a random name, removed as soon as the file is open.
  std::string name = folder_ + "/.zorbe-scratch-XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    Fail("に一時ファイルを作れませんでした。", errno);
  }
  ::unlink(name.c_str());
}

TScratchFile::~TScratchFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

void TScratchFile::Write(std::string_view bytes) {
  if (used_ + bytes.size() > kBufferSize) {
    Flush();
  }
  if (bytes.size() >= kBufferSize) {
    if (const int error = WriteScratch(fd_, bytes.data(), bytes.size()); error != 0) {
      Fail("の一時ファイルに書き込めませんでした。", error);
    }
  } else {
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  size_ += bytes.size();
}

void TScratchFile::Flush() {
  if (used_ == 0) {
    return;
  }
  const int error = WriteScratch(fd_, buffer_.get(), used_);
  used_ = 0;
  if (error != 0) {
    Fail("の一時ファイルに書き込めませんでした。", error);
  }
}

std::size_t TScratchFile::ReadAt(std::uint64_t offset, char* into, std::size_t size) const {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      Fail("の一時ファイルを読み込めませんでした。", errno);
    }
    if (got == 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void TScratchFile::SetSpaceForTesting(std::uint64_t bytes) {
  spaceForTesting.store(bytes);
  writtenForTesting.store(0);
}

void TScratchFile::Fail(const char* what, int error) const {
  throw EFileError("一時フォルダ「" + folder_ + "」" + what + "\r\n" + FileErrorReason(error) +
                   "\r\n処理を中止します。");
}

} // namespace zorbe
