#pragma once
// The command-line run: one sort job on the files named in the arguments, without a window.
//
//   [ "/s" ] [ setting name ] [ output file name ] file ...
//
// The setting name must equal a listed setting exactly (otherwise "ddDefault" is used and the
// argument is read as the next part). With "/s" the next argument is the output name; without
// it the user is asked whether it is one (unless the setting sorts each file by itself, or the
// argument is the last one: it can't be the output when nothing would be left to sort).
// Names without a folder are relative to the working folder. An empty argument is never a
// setting's name nor a file's: it is refused, and so is a run without files; after "/s" and a
// setting, in the place of the output name, it names no output (the default name is used).

#include "app/command_line_options.h"
#include "engine/job_progress.h"
#include "platform/main_thread.h"
#include "platform/shell.h"
#include "settings/settings_file.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorbe {

enum TExitStatus : int { esFinished = 0, esError = 1, esCancelled = 2 };

inline constexpr const char* kDropSettingName = "ddDefault";

struct TCommandLineServices {
  IMainThreadInvoker& mainThread;
  // Runs the main thread's share of the job until ended() is true; calls stop() when the user
  // interrupts (Ctrl+C). stop() may be called from any thread. The job's progress may be shown
  // meanwhile.
  std::function<void(const std::function<bool()>& ended, const std::function<void()>& stop,
                     const TJobProgress& progress)>
      waitForJob;
  // Whether the user has interrupted the run already.
  std::function<bool()> interrupted;
  IShell& shell;
};

// The arguments (without the program name) parsed once for the whole run: the options, or the
// usage error that keeps them from being run.
struct TParsedArguments {
  std::optional<TCommandLineOptions> options;
  std::string usageError; // when there are no options
};
TParsedArguments ParseArguments(const std::vector<std::string>& args);

// What the options ask for, before any file is looked at: the setting (--setting, or a name
// from settingNames, else "ddDefault", read with load), the output name (-o, or after "/s", or
// when isOutputName confirms the candidate) and the target files. Throws ECommandLineUsage for
// an empty argument, an unknown setting, and options that contradict each other or the setting.
struct TCommandLineRequest {
  TCommandLineOptions options;
  TSettingOptionItems setting;
  std::string outputName;         // empty for standard output
  std::vector<std::string> files; // "-" is standard input
  bool toStandardOutput = false;
};
TCommandLineRequest
ParseCommandLine(const TCommandLineOptions& options, const std::vector<std::string>& settingNames,
                 const std::function<TSettingOptionItems(const std::string&)>& load,
                 const std::function<bool(const std::string&)>& isOutputName);

// The setting a launcher names when it is started without files (the arguments are the name of
// a saved setting and nothing else): the main window opens with it chosen instead of a run.
// Nothing for other arguments, unusable ones, and when the settings file can't be read (the run
// reports it).
std::optional<std::string> SettingWithoutFiles(const TParsedArguments& arguments,
                                               const TSettingsFile& settings);

// Runs the job the arguments describe and returns the exit status. Messages and questions go
// through the message routine; so does the usage error of arguments that can't be run.
int RunCommandLine(const TParsedArguments& arguments, const TSettingsFile& settings,
                   const TCommandLineServices& services);

// The question whether an argument is the output file name.
std::string OutputNameQuestion(const std::string& argument);

} // namespace zorbe
