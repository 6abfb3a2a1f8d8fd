#pragma once
// The output of a job that writes to standard output redirected to a file: written to a file of
// its own in a new temporary folder, then copied into standard output by the kernel; a copy that
// fails (a full disk) cuts the file back to the length it had, so that it gets the whole output
// or nothing (zero for ">", its old length for ">>"). The folder goes on every path. (A pipe or
// a terminal is written to directly, as the job writes to any device.)

#include <string>
#include <sys/types.h>

namespace zorbe {

// Whether standard output is a file (a redirection) rather than a pipe, a terminal or a device.
bool StandardOutputIsAFile();

class TStandardOutputFile {
public:
  // Makes the folder under $TMPDIR (else /tmp). Throws EFileError.
  TStandardOutputFile();
  ~TStandardOutputFile();
  TStandardOutputFile(const TStandardOutputFile&) = delete;
  TStandardOutputFile& operator=(const TStandardOutputFile&) = delete;

  // The file the job writes.
  std::string Name() const { return folder_ + "/sorted.txt"; }
  // Copies the written output to standard output; throws EFileError when it can't.
  void CopyToStandardOutput() const;

private:
  std::string folder_;
  off_t length_ = 0; // the redirected file's length before the run
};

} // namespace zorbe
