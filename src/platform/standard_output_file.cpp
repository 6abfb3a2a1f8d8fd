#include "platform/standard_output_file.h"

#include "platform/file_system.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zorbe {
namespace {

std::string CannotWriteStandardOutput(int error) {
  return "標準出力に書き込めません。\r\n" + FileErrorReason(error) + "\r\n処理を中止します。";
}

// Copies the file open on `in` into standard output: in the kernel where it can, else (a file
// opened for appending) through a buffer. Returns 0 or the errno of the failure.
int Copy(int in) {
  for (;;) {
    const ssize_t n = ::sendfile(1, in, nullptr, std::size_t{1} << 30);
    if (n == 0) {
      return 0;
    }
    if (n < 0 && errno == EINVAL) {
      break;
    }
    if (n < 0 && errno != EINTR) {
      return errno;
    }
  }
  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return got == 0 ? 0 : errno;
    }
    if (const int error = WriteAll(1, {buffer.data(), static_cast<std::size_t>(got)})) {
      return error;
    }
  }
}

} // namespace

bool StandardOutputIsAFile() {
  struct stat st {};
  return ::fstat(1, &st) == 0 && S_ISREG(st.st_mode);
}

TStandardOutputFile::TStandardOutputFile() {
  struct stat st {};
  length_ = ::fstat(1, &st) == 0 ? st.st_size : 0;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/zorbe-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw EFileError("一時フォルダ「" + pattern + "」を作れません。\r\n" + FileErrorReason(errno) +
                     "\r\n処理を中止します。");
  }
  folder_ = pattern;
}

TStandardOutputFile::~TStandardOutputFile() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void TStandardOutputFile::CopyToStandardOutput() const {
  const int in = ::open(Name().c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    throw EFileError(CannotWriteStandardOutput(errno));
  }
  const int error = Copy(in);
  ::close(in);
  if (error != 0) {
    while (::ftruncate(1, length_) != 0 && errno == EINTR) {
    }
    throw EFileError(CannotWriteStandardOutput(error));
  }
}

} // namespace zorbe
