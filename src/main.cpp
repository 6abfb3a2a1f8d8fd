// Zorbe 2nd: sorts the lines of Japanese text files.
//
// Without arguments the program shows its main window, when there is a display to show it on.
// With arguments it runs one sort job and ends: started from a desktop launcher (a display, and
// no terminal on stderr) it asks its questions in dialogs, otherwise on the terminal; with
// --batch, or standard input among the files, it never asks and never opens a dialog. This file
// only chooses and wires.

#include "app/command_line.h"
#include "app/command_line_options.h"
#include "app/message_routine.h"
#include "app/program_folder.h"
#include "app/program_layout.h"
#include "app/progress_line.h"
#include "platform/console.h"
#include "platform/display_probe.h"
#include "platform/file_system.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Replaces this process by zorbe-desktop (beside it, or where the install put it), with the
// same arguments. Returns (with a message) only when that fails.
int StartDesktopProgram(char* argv[]) {
  const std::string desktop = zorbe::ProgramLayout(zorbe::ProgramFileName()).desktopProgram;
  argv[0] = const_cast<char*>(desktop.c_str());
  const int error = zorbe::ReplaceProcess(desktop, argv);
  std::fprintf(stderr, "zorbe: %s を起動できません: %s\n", desktop.c_str(), std::strerror(error));
  return zorbe::esError;
}

// The progress line is redrawn this often.
constexpr int kProgressTickMs = 100;

void WriteToStandardError(std::string_view text) {
  zorbe::WriteAll(2,
                  text); // a failure leaves nowhere to show progress: not worth ending the run for
}

// Erases the progress line before a message, so that the message starts on a line of its own;
// the line is drawn again at the next tick.
class TLineErasingMessageBox : public zorbe::IMessageBox {
public:
  explicit TLineErasingMessageBox(zorbe::IMessageBox& inner) : inner_(inner) {}
  void SetLine(zorbe::TProgressLine* line) { line_ = line; }
  zorbe::TMsgResult Show(const std::string& text, zorbe::TMsgKind kind,
                         zorbe::TMsgButtons buttons) override {
    if (line_ != nullptr) {
      line_->Finish();
    }
    return inner_.Show(text, kind, buttons);
  }

private:
  zorbe::IMessageBox& inner_;
  zorbe::TProgressLine* line_ = nullptr;
};

// Whether a target of the run is standard input: then no question may read a line of it.
bool InputIsTarget(const zorbe::TCommandLineOptions& options) {
  return std::any_of(options.operands.begin(), options.operands.end(), [](const std::string& a) {
    return a == zorbe::kStandardStream || zorbe::NamesStandardInput(a);
  });
}

// Whether the progress line is drawn: asked for, or by default on a terminal unless --quiet.
bool ShowsProgress(const zorbe::TCommandLineOptions& options) {
  return options.progress == zorbe::TProgressWanted::Always ||
         (options.progress == zorbe::TProgressWanted::Auto && !options.quiet &&
          zorbe::IsTerminal(2));
}

// The main thread's share of a job on the console: it runs the job's calls until the job has
// ended, with Ctrl+C acting like the Stop button, and redraws the progress line when it is shown.
void WaitForJob(zorbe::TMainThreadQueue& mainThread, zorbe::TInterruptWatcher& interrupts,
                TLineErasingMessageBox& messageBox, bool showProgress,
                const std::function<bool()>& ended, const std::function<void()>& stop,
                const zorbe::TJobProgress& progress) {
  using zorbe::TProgressLine;
  interrupts.SetOnInterrupt(stop);
  if (interrupts.Interrupted()) {
    stop();
  }
  if (showProgress) {
    TProgressLine line(WriteToStandardError, TProgressLine::Clock::now(), !zorbe::IsTerminal(2));
    messageBox.SetLine(&line);
    mainThread.RunUntil(
        ended, [&] { line.Update(progress.Snapshot(), TProgressLine::Clock::now()); },
        kProgressTickMs);
    line.Finish();
    messageBox.SetLine(nullptr);
  } else {
    mainThread.RunUntil(ended);
  }
  interrupts.SetOnInterrupt({});
}

// The run with its questions and messages on the terminal (none with --batch, or when standard
// input is a target: those questions are answered No at once).
int RunOnConsole(const zorbe::TParsedArguments& arguments, const zorbe::TSettingsFile& settings) {
  using namespace zorbe;
  const TCommandLineOptions& options = *arguments.options;
  TInterruptWatcher interrupts;
  TConsoleMessageBox consoleBox(options.batch || InputIsTarget(options) ? -1 : 0, 2,
                                interrupts.WakeFd());
  TErrorsOnlyMessageBox quietBox(consoleBox);
  TLineErasingMessageBox messageBox(options.quiet ? static_cast<IMessageBox&>(quietBox)
                                                  : consoleBox);
  SetMessageBox(&messageBox);
  TMainThreadQueue mainThread;
  TConsoleShell shell;
  const bool showProgress = ShowsProgress(options);
  const TCommandLineServices services{
      mainThread,
      [&](const std::function<bool()>& ended, const std::function<void()>& stop,
          const TJobProgress& progress) {
        WaitForJob(mainThread, interrupts, messageBox, showProgress, ended, stop, progress);
      },
      [&interrupts] { return interrupts.Interrupted(); },
      shell,
  };
  const int status = RunCommandLine(arguments, settings, services);
  SetMessageBox(nullptr);
  return status;
}

} // namespace

int main(int argc, char* argv[]) {
  using namespace zorbe;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const TParsedArguments arguments = ParseArguments(args);
  if (!arguments.options) {
    std::fprintf(stderr, "zorbe: %s\n%s", arguments.usageError.c_str(), kUsageLine);
    return esCancelled;
  }
  const TCommandLineOptions& options = *arguments.options;
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return esFinished;
  }
  if (options.version) {
    std::printf("Zorbe 2nd %s\n", ZORBE_VERSION);
    return esFinished;
  }
  // Never a dialog: asked for, or standard input is a target (a filter in a script).
  const bool console =
      options.batch || InputIsTarget(options) || options.listSettings || options.detect;
  const TDisplay display = console ? TDisplay::None : ProbeDisplay();
  if (args.empty()) {
    if (display == TDisplay::None) {
      std::fputs(HelpText().c_str(), stderr);
      return esCancelled;
    }
    return StartDesktopProgram(argv);
  }
  if (display == TDisplay::Desktop && !zorbe::IsTerminal(2)) {
    StartDesktopProgram(argv); // returns only when it could not be started: use the console
  }
  SetProgramFolder(ResolveProgramFolder(ProgramFileName()));
  const TSettingsFile settings(SettingsFileName());
  if (display != TDisplay::None && SettingWithoutFiles(arguments, settings)) {
    return StartDesktopProgram(argv); // the main window, with the launcher's setting chosen
  }
  return RunOnConsole(arguments, settings);
}
