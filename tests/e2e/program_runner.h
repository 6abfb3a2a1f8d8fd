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

// Holds a run inside the program's first write to an unfinished output in `outputFolder` (the
// write gate of write_gate.cpp, loaded with LD_PRELOAD): while the program waits there, with
// part of its output written, `atGate` is called with its process id; then the program goes on.
// The gate's named pipe is made at `pipe` and removed with the gate.
// Sends the signal and returns once the program has taken it (it is no longer pending for the
// process), so that what the test does next, such as opening a write gate, comes after the
// program knows of it: its signal thread takes a signal a moment after it is sent.
void SignalTaken(int pid, int signal);

class TWriteGate {
public:
  TWriteGate(std::string pipe, std::string outputFolder, std::function<void(int pid)> atGate);
  ~TWriteGate();
  TWriteGate(const TWriteGate&) = delete;
  TWriteGate& operator=(const TWriteGate&) = delete;

  // The options with the gate's environment and watch added.
  TRunOptions Options(TRunOptions options = {}) const;

private:
  std::string pipe_;
  std::string outputFolder_;
  std::function<void(int pid)> atGate_;
  int end_ = -1; // the test's end of the pipe
};

} // namespace zorbe::test
