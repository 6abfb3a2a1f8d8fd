#pragma once
// The default output name rule, shared by the sort job and the main window.

#include <string>

namespace zorbe {

// The name of a sort's output for the target file `file`: in `folder` (or the file's own
// folder), `name` when it is given and the files are not sorted one by one (`perFile`), else the
// first free name file[k].ext for k = 0, 1, 2, ... A name without a folder is relative to the
// working folder. A pair of double quotes around `folder` or `name` is removed (the file's own
// folder is a real name and stays as it is). An absolute `name` is used as it is, and "~/" at
// the start of `folder` or `name` is the home folder. The name returned is the name to write:
// nothing is removed from it later.
std::string DefaultOutputName(const std::string& file, const std::string& folder,
                              const std::string& name, bool perFile);

// The text without a pair of double quotes around it ("a b.txt" typed with its quotes); a quote
// anywhere else is part of the name.
std::string WithoutQuotes(std::string text);

} // namespace zorbe
