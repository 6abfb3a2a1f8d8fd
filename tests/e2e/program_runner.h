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

// Starts `program` with the arguments in the folder `cwd`, feeds `input` to its standard input
// and closes it (unless keepInputOpen), and waits for it. `whileRunning` is called with the
// process id and the standard error read so far until it returns true or the process ends.
TRunResult
RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
           const std::string& input = "", bool keepInputOpen = false,
           const std::function<bool(int pid, const std::string& err)>& whileRunning = {});

} // namespace zorbe::test
