#pragma once
// Scratch files for data that doesn't fit in memory (the sorted runs of a large sort).
//
// A scratch file has no name: it is opened with O_TMPFILE, or, where the file system has no
// unnamed files, created under a random name that is removed at once. So a job that stops, fails
// or is killed leaves nothing behind. Writing is buffered; reading goes through positioned reads,
// so any number of readers may each read their own stretch of one file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zorbe {

// The folder for scratch files: `chosen` when not empty, else $TMPDIR when set, else /var/tmp
// (a disk, where /tmp is often memory).
std::string ScratchFolder(const std::string& chosen);

class TScratchFile {
public:
  // Opens an empty scratch file in the folder. Throws EFileError.
  explicit TScratchFile(std::string folder);
  ~TScratchFile();
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  // Throws EFileError (a full disk, say), naming the folder.
  void Write(std::string_view bytes);
  // Makes everything written so far readable.
  void Flush();
  // The bytes written so far.
  std::uint64_t Size() const { return size_; }
  // Reads up to `size` bytes at `offset` into `into` (written bytes only, after Flush); returns
  // how many were read. Throws EFileError.
  std::size_t ReadAt(std::uint64_t offset, char* into, std::size_t size) const;

  // For tests: writes to scratch files fail as on a full disk once all of them together would
  // hold more than `bytes`; UINT64_MAX (the default) sets no limit.
  static void SetSpaceForTesting(std::uint64_t bytes);

private:
  [[noreturn]] void Fail(const char* what, int error) const;

  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
  std::string folder_;
  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::uint64_t size_ = 0;
};

} // namespace zorbe
