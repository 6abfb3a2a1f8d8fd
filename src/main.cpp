// Zorbe 2nd: sorts the lines of Japanese text files.
//
// Without arguments the program shows its main window, when there is a display to show it on.
// With arguments it runs one sort job and ends: started from a desktop launcher (a display, and
// no terminal on stderr) it asks its questions in dialogs, otherwise on the terminal. This file
// only chooses and wires.

#include "app/command_line.h"
#include "app/message_routine.h"
#include "app/program_folder.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "settings/settings_file.h"
#include "ui/display_probe.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: zorbe [/s] [SETTING] [OUTPUT] FILE...\n"
    "Sorts the lines of Japanese text files (Shift-JIS, JIS, EUC-JP) and writes Shift-JIS.\n"
    "\n"
    "  SETTING  a sort setting saved in zorbe.ini (exact name); otherwise \"ddDefault\"\n"
    "  OUTPUT   with /s, the output file; without /s you are asked whether the\n"
    "           argument after the setting is the output file: Yes overwrites it\n"
    "           with the sorted lines of the other files\n"
    "  FILE     the files to sort, all into one output unless the setting sorts\n"
    "           each file by itself; a folder stands for the files below it,\n"
    "           and /dev/stdin for standard input\n"
    "\n"
    "Questions are answered on standard input (y, yes or はい for Yes; anything\n"
    "else or end of input for No); started from the desktop without a terminal,\n"
    "in dialogs. To run unattended, name the output with /s and answer every\n"
    "question No with </dev/null. Ctrl+C stops the sort and removes its output.\n"
    "Exit status: 0 sorted, 1 error, 2 cancelled or unusable arguments.\n"
    "\n"
    "Without arguments, and with a display, the main window opens.\n"
    "\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

// Replaces this process by zorbe-desktop beside it, with the same arguments. Returns (with a
// message) only when that fails.
int StartDesktopProgram(char* argv[]) {
  const std::string self = zorbe::ProgramFileName();
  const std::string desktop = self.substr(0, self.rfind('/') + 1) + "zorbe-desktop";
  argv[0] = const_cast<char*>(desktop.c_str());
  ::execv(desktop.c_str(), argv);
  std::fprintf(stderr, "zorbe: %s を起動できません: %s\n", desktop.c_str(), std::strerror(errno));
  return zorbe::esError;
}

} // namespace

int main(int argc, char* argv[]) {
  using namespace zorbe;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--help") {
    std::fputs(kUsage, stdout);
    return esFinished;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("Zorbe 2nd %s\n", ZORBE_VERSION);
    return esFinished;
  }
  const TDisplay display = ProbeDisplay();
  if (args.empty()) {
    if (display == TDisplay::None) {
      std::fputs(kUsage, stderr);
      return esCancelled;
    }
    return StartDesktopProgram(argv);
  }
  if (display == TDisplay::Desktop && ::isatty(2) == 0) {
    StartDesktopProgram(argv); // returns only when it could not be started: use the console
  }
  SetProgramFolder(ResolveProgramFolder(ProgramFileName()));
  const TSettingsFile settings(SettingsFileName());
  if (display != TDisplay::None && SettingWithoutFiles(args, settings)) {
    return StartDesktopProgram(argv); // the main window, with the launcher's setting chosen
  }
  TInterruptWatcher interrupts;
  // When standard input is a target, a question must not take a line of it: the answer is No.
  const bool inputIsTarget = std::any_of(args.begin(), args.end(), NamesStandardInput);
  TConsoleMessageBox messageBox(inputIsTarget ? -1 : 0, 2, interrupts.WakeFd());
  SetMessageBox(&messageBox);
  TMainThreadQueue mainThread;
  TConsoleShell shell;
  const TCommandLineServices services{
      mainThread,
      [&](const std::function<bool()>& ended, const std::function<void()>& stop) {
        interrupts.SetOnInterrupt(stop); // Ctrl+C acts like the Stop button
        if (TInterruptWatcher::Interrupted()) {
          stop();
        }
        mainThread.RunUntil(ended);
        interrupts.SetOnInterrupt({});
      },
      [] { return TInterruptWatcher::Interrupted(); },
      shell,
  };
  const int status = RunCommandLine(args, settings, services);
  SetMessageBox(nullptr);
  return status;
}
