#pragma once
// Files as the program reads them, with clear errors; outputs are written through TAtomicFile
// (platform/atomic_file.h).

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

// Writes all the bytes to the open file `fd`, again after an interruption; returns 0, or the
// errno of the write that failed (ENOSPC when the file takes nothing more).
int WriteAll(int fd, std::string_view bytes);

// Whether the open file `fd` is a terminal.
bool IsTerminal(int fd);

// What a name is (links followed), or the errno of why it can't be seen (error != 0).
struct TFileStatus {
  enum class TKind { Unseen, Folder, Regular, Other }; // Other: a device, a pipe, a socket
  TKind kind = TKind::Unseen;
  int error = 0;
};
TFileStatus FileStatusOf(const std::string& name);

// The full name of the running program's file, or empty when the system doesn't say.
std::string RunningProgramFile();

// Whether the user may make files in the folder.
bool IsWritableFolder(const std::string& folder);

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

} // namespace zorbe
