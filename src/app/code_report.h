#pragma once
// What `zorbe --detect FILE...` prints: the character code of each file as a sort would read
// it, one line per file ("a.txt: EUC"), a folder standing for its files in name order.
//
// Unlike adding a file to the main window's list, each file is read whole and checked against
// its code (text/code_check.h), as the job will: the name printed is the code the job reads the
// file in, and a file the job would refuse is "none" (or "BINARY").

#include <string>
#include <vector>

namespace zorbe {

struct TCodeReportLine {
  std::string text;   // "name: CODE"
  bool accepted;      // whether a sort would read the file
  std::string reason; // for a refused file: why, as the program says it elsewhere
};

std::vector<TCodeReportLine> CodeReport(const std::vector<std::string>& names);

} // namespace zorbe
