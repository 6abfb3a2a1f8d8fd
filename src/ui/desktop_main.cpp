// zorbe-desktop: the part of Zorbe 2nd that needs the window system. The `zorbe` program starts
// it in its own place when there is a display to show windows on, so that a sort run from the
// terminal never loads the GUI libraries (they would cost memory and start-up time).
//
//   zorbe-desktop              the main window
//   zorbe-desktop ARGS...      the command-line run with its questions in dialogs

#include "ui/desktop_program.h"

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    return zorbe::RunMainWindow(argv[0]);
  }
  return zorbe::RunCommandLineInDialogs(argv[0], args);
}
