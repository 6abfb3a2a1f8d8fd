// Zorbe 2nd: sorts the lines of Japanese text files.
//
// With arguments the program runs one sort job and ends; this file only wires the command line
// to the console services.

#include "app/command_line.h"
#include "app/message_routine.h"
#include "app/program_folder.h"
#include "platform/console.h"
#include "settings/settings_file.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: zorbe [/s] [SETTING] [OUTPUT] FILE...\n"
    "Sorts the lines of Japanese text files (Shift-JIS, JIS, EUC-JP) and writes Shift-JIS.\n"
    "\n"
    "  SETTING  a sort setting saved in zorbe.ini (exact name); otherwise \"ddDefault\"\n"
    "  OUTPUT   with /s, the output file; without /s you are asked whether the\n"
    "           argument after the setting is the output file\n"
    "  FILE     the files to sort, all into one output unless the setting sorts\n"
    "           each file by itself\n"
    "\n"
    "Questions are answered on standard input (y, yes or はい for Yes; anything\n"
    "else or end of input for No). Ctrl+C stops the sort and removes its output.\n"
    "Exit status: 0 sorted, 1 error, 2 cancelled.\n"
    "\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

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
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return esCancelled;
  }
  SetProgramFolder(ResolveProgramFolder(ProgramFileName()));
  TInterruptWatcher interrupts;
  TConsoleMessageBox messageBox(0, 2, interrupts.WakeFd());
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
  const int status = RunCommandLine(args, TSettingsFile(SettingsFileName()), services);
  SetMessageBox(nullptr);
  return status;
}
