#pragma once
// Runs the built zorbe as a user would: a copy of the program in a temporary folder (so that
// folder is its program folder, with its own zorbe.ini), a working folder, standard input, and
// the exit status and standard error collected.

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace zorbe::test {

struct TRunResult {
  int status = -1; // the exit status, or 128 + the signal that ended it
  std::string out;
  std::string err;
};

struct TRunOptions {
  std::string input;          // fed to standard input, which is then closed...
  bool keepInputOpen = false; // ...unless this is set
  // Called with the process id and the standard error so far, until it returns true or the
  // process ends.
  std::function<bool(int pid, const std::string& err)> whileRunning;
  long fileSizeLimit = -1; // RLIMIT_FSIZE for the process (writes past it fail with EFBIG)
  // Run even the superuser with file permissions checked (without the capabilities that
  // override them), so that an unreadable file is unreadable.
  bool checkPermissions = false;
  // Entries ("NAME=value") added to the environment, which otherwise has no display.
  std::vector<std::string> environment;
};

// Starts `program` with the arguments in the folder `cwd` and waits for it.
TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const TRunOptions& options = {});

// The files a process has open whose names start with `prefix` (from /proc/PID/fd).
std::vector<std::string> OpenFiles(int pid, const std::string& prefix);

} // namespace zorbe::test
