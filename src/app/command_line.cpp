#include "app/command_line.h"

#include "app/code_report.h"
#include "app/command_line_targets.h"
#include "app/job_host.h"
#include "app/message_routine.h"
#include "app/sort_end.h"
#include "engine/sort_thread.h"
#include "platform/file_system.h"
#include "platform/standard_output_file.h"
#include "settings/ini_file.h"
#include "text/char_code.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace zorbe {
namespace {

bool IsSwitch(const std::string& argument) {
  return argument == "/s" || argument == "/S";
}

void ShowError(const std::string& text) {
  ShowMessage(text, TMsgKind::Error, TMsgButtons::OK);
}

// The usage line without its line end, to follow a usage error's message.
std::string UsageLineText() {
  std::string line = kUsageLine;
  while (!line.empty() && line.back() == '\n') {
    line.pop_back();
  }
  return line;
}

// An empty argument (an empty shell variable) would match the empty entry of the setting list,
// or stand for a file that has no name: it is refused, except the one at `outputOperand` (the
// output name after "/s" and a setting, where it means the default name). Option values are
// never empty (ParseOptions refuses them), so the empty arguments are the empty operands.
void RefuseEmptyArguments(const TCommandLineOptions& options, std::size_t outputOperand) {
  for (std::size_t i = 0; i < options.operands.size(); ++i) {
    if (options.operands[i].empty() && i != outputOperand) {
      throw ECommandLineUsage(
          std::to_string(options.operandPlaces[i] + 1) + " 番目の引数が空です。\r\n" +
          "空の名前は、ソート設定名にもファイル名にも使えません。" + kAbortLine);
    }
  }
}

// Arguments that can't be run: the message and the usage line; the run counts as cancelled.
int ShowUsageError(const std::string& message) {
  ShowError(message + "\r\n" + UsageLineText());
  return esCancelled;
}

// A command line has no window to make idle, caption, flash or clear.
class TNoSortEndView : public ISortEndView {
public:
  void SetIdle() override {}
  void SetCaption(const std::string&) override {}
  void Flash(int) override {}
  void ClearList() override {}
};

// The sort end of a command-line run: a failure's message; unless the job was cancelled (No to
// a question, or Ctrl+C, which acts like the Stop button), the sound and the editor as
// configured and the job's warning. A run that writes to standard output only reports a
// failure.
void HandleCommandLineSortEnd(const TSortThread& job, bool cancelled, bool toStandardOutput,
                              const TOptions& options, IShell& shell) {
  TSortEndInputs in;
  in.cancelled = cancelled || job.Result().outcome == TJobOutcome::Stopped;
  in.commandLineMode = true;
  in.outcome = job.Result().outcome;
  in.failure = job.Result().message;
  if (!toStandardOutput) {
    in.waveFileName = options.WaveFileName;
    in.openInEditor = options.EditorOpen;
    in.editorPath = options.EditorPath;
    in.jobNoConnected = job.Inputs().setting.NoConnected;
    in.outputName = job.Inputs().outputName;
    in.warning = job.Result().warning;
  }
  TNoSortEndView view;
  HandleSortEnd(in, view, shell);
}

// The name of --setting as saved: one of the setting list, never its empty entry.
const std::string& SavedSettingName(const std::string& name,
                                    const std::vector<std::string>& settingNames) {
  const auto found = std::find(settingNames.begin(), settingNames.end(), name);
  if (name.empty() || found == settingNames.end()) {
    std::string text = "ソート設定「" + name + "」はありません。\r\n保存されているソート設定:";
    for (const std::string& saved : settingNames) {
      if (!saved.empty() && saved != kTemporarySettingName) { // listed as --list-settings does
        text += "\r\n  " + saved;
      }
    }
    throw ECommandLineUsage(text);
  }
  return *found;
}

} // namespace

std::string OutputNameQuestion(const std::string& argument) {
  return "「" + argument + "」は、保存ファイル名ですか？\r\n" +
         "「はい」を選択されますと既存のファイルを上書きします。\r\n\r\n" +
         "D&D、送るからのソート時は特別な理由がない限り必ず「いいえ」を選択して下さい。\r\n" +
         "「はい」を選択した場合ソートができない可能性があります。";
}

namespace {

// The setting the run uses: --setting, else the one named among the operands, else the drop
// setting; --input-code and --number-order replace the setting's own.
TSettingOptionItems
RequestedSetting(const TCommandLineOptions& options, const std::optional<std::string>& named,
                 const std::vector<std::string>& settingNames,
                 const std::function<TSettingOptionItems(const std::string&)>& load) {
  TSettingOptionItems setting = options.setting
                                    ? load(SavedSettingName(*options.setting, settingNames))
                                    : load(named.value_or(kDropSettingName));
  if (options.inputCode != 0) {
    setting.InputCode = options.inputCode;
  }
  if (options.numberOrder) {
    setting.NumberOrder = *options.numberOrder;
  }
  return setting;
}

// The output name: -o, else after "/s" the operand at `next`, else that operand when it is
// confirmed as the output (never the last file, nor standard input); `next` moves past an
// operand taken.
void TakeOutputName(TCommandLineRequest& request, bool withSwitch, std::size_t& next,
                    const std::function<bool(const std::string&)>& isOutputName) {
  const std::vector<std::string>& operands = request.options.operands;
  if (request.options.output) {
    if (request.setting.NoConnected) {
      throw ECommandLineUsage("-o (--output) は、ファイルごとに出力するソート設定 "
                              "(NoConnected=1) では使えません。");
    }
    request.outputName = *request.options.output;
  } else if (withSwitch) {
    request.outputName = next < operands.size() ? operands[next] : std::string();
    ++next;
  } else if (!request.setting.NoConnected && next + 1 < operands.size() &&
             operands[next] != kStandardStream && isOutputName(operands[next])) {
    request.outputName = operands[next++];
  }
}

// "-o -", or standard input as the first file and no output named: standard output.
void DecideStandardOutput(TCommandLineRequest& request) {
  request.toStandardOutput =
      request.outputName == kStandardStream ||
      (request.outputName.empty() && !request.files.empty() && request.files[0] == kStandardStream);
  if (!request.toStandardOutput) {
    return;
  }
  request.outputName.clear();
  if (request.setting.NoConnected && request.files.size() > 1) {
    throw ECommandLineUsage("ファイルごとに出力するソート設定 (NoConnected=1) では、"
                            "複数のファイルを標準出力に書けません。");
  }
}

} // namespace

TParsedArguments ParseArguments(const std::vector<std::string>& args) {
  try {
    return {ParseOptions(args), {}};
  } catch (const ECommandLineUsage& e) {
    return {std::nullopt, e.what()};
  }
}

TCommandLineRequest
ParseCommandLine(const TCommandLineOptions& options, const std::vector<std::string>& settingNames,
                 const std::function<TSettingOptionItems(const std::string&)>& load,
                 const std::function<bool(const std::string&)>& isOutputName) {
  TCommandLineRequest request;
  request.options = options;
  const std::vector<std::string>& operands = options.operands;
  const bool withSwitch = !operands.empty() && IsSwitch(operands[0]);
  std::size_t i = withSwitch ? 1 : 0;
  // Past the end an argument reads as empty, which the setting list's empty entry matches; an
  // empty argument is never a setting's name.
  const std::string candidate = i < operands.size() ? operands[i] : std::string();
  const bool namedSetting =
      !options.setting && (i >= operands.size() || !candidate.empty()) &&
      std::find(settingNames.begin(), settingNames.end(), candidate) != settingNames.end();
  const bool outputAfterSetting =
      withSwitch && !options.output && (options.setting || namedSetting);
  RefuseEmptyArguments(options, outputAfterSetting ? i + (namedSetting ? 1 : 0) : operands.size());
  if (withSwitch && options.output) {
    throw ECommandLineUsage("/s と -o (--output) は同時に使えません。");
  }
  request.setting = RequestedSetting(
      options, namedSetting ? std::optional(candidate) : std::nullopt, settingNames, load);
  i += namedSetting ? 1 : 0;
  TakeOutputName(request, withSwitch, i, isOutputName);
  for (; i < operands.size(); ++i) {
    request.files.push_back(operands[i]);
  }
  DecideStandardOutput(request);
  return request;
}

std::optional<std::string> SettingWithoutFiles(const TParsedArguments& arguments,
                                               const TSettingsFile& settings) {
  if (!arguments.options) {
    return std::nullopt;
  }
  std::string name;
  try {
    const TCommandLineOptions& options = *arguments.options;
    const std::vector<std::string>& operands = options.operands;
    const bool otherOptions = options.output || options.yes || options.batch ||
                              options.listSettings || options.detect || options.help ||
                              options.version || options.inputCode != 0 ||
                              options.numberOrder.has_value();
    if (otherOptions) {
      return std::nullopt;
    }
    if (options.setting && operands.empty()) {
      name = *options.setting; // --setting=NAME [--], as launchers write it
    } else if (!options.setting && operands.size() == 1 && !IsSwitch(operands[0])) {
      name = operands[0];
    } else {
      return std::nullopt;
    }
    const std::vector<std::string> names = settings.ListSortSettingNames();
    if (!name.empty() && std::find(names.begin(), names.end(), name) != names.end()) {
      return name;
    }
  } catch (const EIniFileError&) {
  }
  return std::nullopt;
}

namespace {

// Prints each file's character code as a sort would read it, "name: CODE" a line (a folder's
// files in name order, a refused file with a warning saying why); standard input is read whole.
// A file that can't be read gets its message instead; the status is 1 unless a sort would read
// every file.
int PrintCharCodes(const std::vector<std::string>& names) {
  int status = esFinished;
  for (const std::string& name : names) {
    if (name == kStandardStream) {
      try {
        std::string foreign;
        const TCharCode code =
            DetectCharCodeOfBytes(ReadFileContents("/dev/stdin").View(), name,
                                  [&](const std::string& message) { foreign = message; });
        if (!foreign.empty()) {
          ShowError(foreign);
          status = esError;
          continue;
        }
        std::printf("%s: %s\n", name.c_str(), CharCodeName(code).c_str());
      } catch (const EFileError& e) {
        ShowError(e.what());
        status = esError;
      }
      continue;
    }
    for (const TCodeReportLine& line : CodeReport({name})) {
      if (!line.opened) {
        ShowError(line.reason);
        status = esError;
        continue;
      }
      std::printf("%s\n", line.text.c_str());
      if (!line.accepted) {
        status = esError;
        if (!line.reason.empty()) {
          std::fflush(stdout);
          ShowMessage(line.reason, TMsgKind::Warning, TMsgButtons::OK);
        }
      }
    }
  }
  std::fflush(stdout);
  return status;
}

// The saved setting names, one a line.
void PrintSettingNames(const TSettingsFile& settings) {
  for (const std::string& name : settings.ListSortSettingNames()) {
    if (!name.empty() && name != kTemporarySettingName) {
      std::printf("%s\n", name.c_str());
    }
  }
  std::fflush(stdout);
}

// The options of the program and what the arguments ask for, read from the settings file, with
// the output-name question asked where it is due. Nothing when the run ends here, after the
// message (the exit status in `status`).
std::optional<TCommandLineRequest> ReadRequest(const TCommandLineOptions& asked,
                                               const TSettingsFile& settings, TOptions& options,
                                               int& status) {
  try {
    options = settings.LoadOptions();
    return ParseCommandLine(
        asked, settings.ListSortSettingNames(),
        [&settings](const std::string& name) { return settings.LoadSortSetting(name); },
        [](const std::string& argument) {
          return ShowMessage(OutputNameQuestion(argument), TMsgKind::Information,
                             TMsgButtons::YesNoDefaultNo) == TMsgResult::Yes;
        });
  } catch (const EIniFileError& e) {
    ShowError(e.what() + std::string(kAbortLine));
    status = esError;
  } catch (const ECommandLineUsage& e) {
    status = ShowUsageError(e.what());
  }
  return std::nullopt;
}

// The job's inputs for the request: its targets examined, standard output standing in for the
// output where asked (through a file of its own when it is redirected to one). False after the
// message that ends the run.
bool PrepareJobInputs(TCommandLineRequest& request, const TOptions& options, TSortJobInputs& inputs,
                      std::optional<TStandardOutputFile>& standardOutput) {
  inputs.setting = std::move(request.setting);
  inputs.outputName = std::move(request.outputName);
  for (std::string& file : request.files) {
    file = file == kStandardStream ? "/dev/stdin" : file;
  }
  if (!AddCommandLineTargets(request.files, inputs)) {
    return false;
  }
  if (request.toStandardOutput) {
    inputs.outputName = "/dev/stdout";
    if (StandardOutputIsAFile()) {
      try {
        standardOutput.emplace();
      } catch (const EFileError& e) {
        ShowError(e.what());
        return false;
      }
      inputs.outputName = standardOutput->Name();
    }
    inputs.setting.NoConnected = false; // one file at most: the same output either way
  }
  inputs.memoryLimit = request.options.memory.value_or(MemoryLimitBytes(options));
  inputs.temporaryFolder = request.options.temporaryDirectory.value_or("");
  return true;
}

// Runs the job to its end, with its end handling; returns the exit status of its outcome.
int RunJob(TSortJobInputs inputs, const TCommandLineRequest& request, const TOptions& options,
           const TCommandLineServices& services) {
  TAppJobHost host;
  host.SetOverwriteWithoutAsking(request.options.yes);
  TSortThread job(std::move(inputs), host, services.mainThread, [&](TSortThread& ended) {
    HandleCommandLineSortEnd(ended, host.Cancelled(), request.toStandardOutput, options,
                             services.shell);
  });
  job.Start();
  services.waitForJob([&job] { return job.Ended(); }, [&job] { job.Stop(); }, job.Progress());
  job.Wait();
  switch (job.Result().outcome) {
  case TJobOutcome::Finished:
    return esFinished;
  case TJobOutcome::Stopped:
    if (!host.Cancelled()) { // a No to the overwrite question has said so already
      ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
    }
    return esCancelled;
  default:
    return esError;
  }
}

} // namespace

int RunCommandLine(const TParsedArguments& arguments, const TSettingsFile& settings,
                   const TCommandLineServices& services) {
  if (!arguments.options) {
    return ShowUsageError(arguments.usageError);
  }
  // The options that sort nothing ask nothing either.
  const TCommandLineOptions& asked = *arguments.options;
  if (asked.listSettings) {
    PrintSettingNames(settings);
    return esFinished;
  }
  if (asked.detect) {
    return PrintCharCodes(asked.operands);
  }
  TOptions options;
  int status = esFinished;
  std::optional<TCommandLineRequest> request = ReadRequest(asked, settings, options, status);
  if (!request) {
    return status;
  }
  if (services.interrupted && services.interrupted()) {
    ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
    return esCancelled;
  }
  if (request->files.empty()) {
    ShowError(std::string("ソートするファイルが指定されていません。") + kAbortLine);
    return esCancelled;
  }
  TSortJobInputs inputs;
  std::optional<TStandardOutputFile> standardOutput;
  if (!PrepareJobInputs(*request, options, inputs, standardOutput)) {
    return esError;
  }
  status = RunJob(std::move(inputs), *request, options, services);
  if (status != esFinished || !standardOutput) {
    return status;
  }
  try {
    standardOutput->CopyToStandardOutput();
  } catch (const EFileError& e) {
    ShowError(e.what());
    return esError;
  }
  return esFinished;
}

} // namespace zorbe
