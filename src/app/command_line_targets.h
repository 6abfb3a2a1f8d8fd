#pragma once
// The target files of a command-line run, examined before the job starts.
//
// A file is taken with its character code; a folder stands for the files below it, in name
// order so that every run sorts them the same way; anything else that can be read (a pipe such
// as /dev/stdin, a terminal) is read whole now, since it can't be read a second time, and the
// job gets those bytes. Named files that can't be sorted end the run with one message naming
// the file and the cause; files in a folder that would be refused (binary, of no known code) are
// left out, and one warning names them all.

#include "engine/sort_job.h"

#include <string>
#include <vector>

namespace zorbe {

// Fills the job's file list, code list and read-ahead contents from the target names. Returns
// false after the message that ends the run.
bool AddCommandLineTargets(const std::vector<std::string>& names, TSortJobInputs& inputs);

} // namespace zorbe
