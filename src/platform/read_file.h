#pragma once
// A file open for reading, closed on every path. Read errors are EFileError with a message that
// names the file; a folder is refused like a file that can't be opened.

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace zorbe {

class TReadFile {
public:
  // Throws EFileError when the file can't be opened or is a folder.
  explicit TReadFile(const std::string& fileName);
  // A plain file to examine, opened without waiting for anything (a pipe or a device is not
  // one); nothing when there is none or it can't be opened.
  static std::optional<TReadFile> PlainFile(const std::string& fileName);
  ~TReadFile();
  TReadFile(TReadFile&& other) noexcept;
  TReadFile(const TReadFile&) = delete;
  TReadFile& operator=(const TReadFile&) = delete;
  TReadFile& operator=(TReadFile&&) = delete;

  const struct stat& Stat() const { return stat_; }
  std::uint64_t Size() const { return static_cast<std::uint64_t>(stat_.st_size); }
  // Reads up to `size` bytes; 0 at the end of the file.
  std::size_t Read(char* data, std::size_t size) const;
  // Reads the `size` bytes at `offset`, or fewer where the file ends; returns how many.
  std::size_t ReadAt(char* data, std::size_t size, std::uint64_t offset) const;
  // Goes on reading at `offset` with Read.
  void Seek(std::uint64_t offset) const;

private:
  TReadFile(std::string fileName, int fd) : name_(std::move(fileName)), fd_(fd) {}

  std::string name_;
  int fd_ = -1;
  struct stat stat_ {};
};

} // namespace zorbe
