#pragma once
// Files as the program reads and writes them: whole-file reads with clear errors, and outputs
// that appear in one piece or not at all.
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

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace zorbe {

// A file that could not be opened, read or written. The message is for the user: it names the
// file and the reason, and ends with the line "処理を中止します。".
class EFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The reason for an errno value, in words for the user.
std::string FileErrorReason(int error);
// The messages for a file that can't be opened or read (errno `error`), ending the job.
std::string FileOpenErrorMessage(const std::string& fileName, int error);
std::string FileReadErrorMessage(const std::string& fileName, int error);

// The whole content of a file, in a buffer that is not zero-filled first (files can be large).
struct TFileBuffer {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view View() const { return {data.get(), size}; }
};

// Reads a whole file into memory that `reserve(n)` provides: it returns the start of a buffer of
// at least n bytes that still holds the bytes read so far. Returns the file's length. Throws
// EFileError like ReadFileContents. A pipe or a terminal is read to its end; opening a named
// pipe waits for its writer.
std::size_t ReadFileInto(const std::string& fileName,
                         const std::function<char*(std::size_t)>& reserve);

// Reads a whole file. Throws EFileError ("ファイル name は開けませんでした。" when it can't be
// opened, a read error otherwise).
TFileBuffer ReadFileContents(const std::string& fileName);
std::string ReadWholeFile(const std::string& fileName);

// The name with a leading "~/" (or a lone "~") standing for the home folder ($HOME, else the
// user's entry in the password database); any other name as it is.
std::string WithHomeFolder(const std::string& name);

// 0 when the file opens for reading, else the errno that says why not. Never waits for the
// writer of a named pipe.
int OpenForReadingError(const std::string& fileName);

// Whether the name refers to the file open on standard input (/dev/stdin, or the file a
// redirection reads).
bool NamesStandardInput(const std::string& fileName);
// Reads a whole file in order, a piece of up to `pieceSize` bytes at a time, through one buffer:
// for looking at a large file once without holding it. Throws EFileError like ReadFileContents.
void ReadFilePieces(const std::string& fileName, std::size_t pieceSize,
                    const std::function<void(std::string_view piece)>& visit);

// Exists and is not a folder.
bool FileExists(const std::string& fileName);
// Whether anything has this name: a file, a folder, a link (even one to nothing).
bool NameIsTaken(const std::string& name);
// Exists and is a plain file (not a folder, device or pipe).
bool IsRegularFile(const std::string& fileName);
// Is a named pipe (FIFO).
bool IsNamedPipe(const std::string& fileName);
// An existing file that its mode forbids the user to write: for the superuser, one without any
// write permission (as rm asks).
bool IsWriteProtected(const std::string& fileName);

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
