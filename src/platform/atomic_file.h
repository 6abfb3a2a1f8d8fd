#pragma once
// Outputs that appear in one piece or not at all.
//
// TAtomicFile writes into an unnamed (O_TMPFILE) or hidden temporary file in the target's
// folder and renames it over the target only when complete: a stop, a crash or a full disk
// never leaves a half-written output and never destroys the file it was to replace. The new
// file gets the replaced file's mode, owner, group and extended attributes (ACLs among them),
// and the folder is synced after the rename. Where a rename can't keep what the file was (it
// has another hard link, its owner or group can't be given to a new file, or its folder can't
// be written), the file is rewritten in place instead: the whole output is first written and
// synced to a named file in the scratch folder, then copied over the file's contents and synced;
// if that copy fails, the scratch file is kept and the message names it. A target that is a
// device or a pipe (/dev/stdout) is written to directly; it holds nothing to lose.

#include "platform/file_system.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace zorbe {

class TAtomicFile {
public:
  // Opens the temporary file: in the target's folder, or, for a target rewritten in place, in
  // `scratchFolder` (empty: $TMPDIR, else /var/tmp). Throws EFileError.
  explicit TAtomicFile(std::string targetName, std::string scratchFolder = {});
  ~TAtomicFile(); // discards the temporary file unless Commit() succeeded
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  void Write(std::string_view bytes);
  void Write(char c) {
    if (used_ == kBufferSize) {
      Flush();
    }
    buffer_[used_++] = c;
  }
  // Writes the rest, then puts the file in place of the target, keeping what a file it replaces
  // was (the new content is synced first, so the old content is never lost).
  void Commit();
  // Whether the target is rewritten in place rather than replaced by a rename.
  bool RewritesInPlace() const { return rewrite_; }
  // Throws the temporary file away; the target stays as it was.
  void Discard();

private:
  static constexpr std::size_t kBufferSize = 1 << 20;
  static constexpr std::size_t kDirectWrite = 64 << 10;
  void Flush();
  void OpenBeside();
  void OpenScratch(const std::string& scratchFolder);
  void NameBeside();
  bool KeepAttributes();
  void Rewrite();
  [[noreturn]] void Fail(const std::string& what, int error);

  std::string target_;
  std::string tempName_;   // empty while the temporary file is unnamed (O_TMPFILE)
  bool direct_ = false;    // the target is a device or a pipe: written to as it is
  bool replacing_ = false; // the target exists (a regular file)
  bool rewrite_ = false;   // the target is rewritten in place from a copy in the scratch folder
  struct stat old_ {};     // the target's state, when replacing
  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Writes a whole file through TAtomicFile.
void WriteWholeFile(const std::string& fileName, std::string_view bytes);

} // namespace zorbe
