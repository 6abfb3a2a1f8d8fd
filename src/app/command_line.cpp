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
void RefuseEmptyArguments(const std::vector<std::string>& args,
                          const std::vector<std::string>& operands, std::size_t outputOperand) {
  std::size_t emptyOperands = 0; // counted up to the argument that is refused
  for (std::size_t i = 0; i < operands.size(); ++i) {
    if (!operands[i].empty()) {
      continue;
    }
    ++emptyOperands;
    if (i == outputOperand) {
      continue;
    }
    std::size_t argument = 0;
    for (std::size_t empties = 0; argument < args.size(); ++argument) {
      empties += args[argument].empty() ? 1 : 0;
      if (empties == emptyOperands) {
        break;
      }
    }
    throw ECommandLineUsage(std::to_string(argument + 1) + " 番目の引数が空です。\r\n" +
                            "空の名前は、ソート設定名にもファイル名にも使えません。" + kAbortLine);
  }
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

TCommandLineRequest
ParseCommandLine(const std::vector<std::string>& args, const std::vector<std::string>& settingNames,
                 const std::function<TSettingOptionItems(const std::string&)>& load,
                 const std::function<bool(const std::string&)>& isOutputName) {
  TCommandLineRequest request;
  request.options = ParseOptions(args);
  const TCommandLineOptions& options = request.options;
  const std::vector<std::string>& operands = options.operands;
  // Past the end an argument reads as empty, which the setting list's empty entry matches.
  auto argument = [&operands](std::size_t i) {
    return i < operands.size() ? operands[i] : std::string();
  };
  const bool withSwitch = IsSwitch(argument(0));
  std::size_t i = withSwitch ? 1 : 0;
  // An empty argument is never a setting's name: only a missing one reads as the empty entry.
  const bool namedSetting =
      !options.setting && (i >= operands.size() || !operands[i].empty()) &&
      std::find(settingNames.begin(), settingNames.end(), argument(i)) != settingNames.end();
  const bool outputAfterSetting =
      withSwitch && !options.output && (options.setting || namedSetting);
  RefuseEmptyArguments(args, operands,
                       outputAfterSetting ? i + (namedSetting ? 1 : 0) : operands.size());
  if (withSwitch && options.output) {
    throw ECommandLineUsage("/s と -o (--output) は同時に使えません。");
  }
  if (options.setting) {
    request.setting = load(SavedSettingName(*options.setting, settingNames));
  } else if (namedSetting) {
    request.setting = load(argument(i++));
  } else {
    request.setting = load(kDropSettingName);
  }
  if (options.inputCode != 0) {
    request.setting.InputCode = options.inputCode;
  }
  if (options.output) {
    if (request.setting.NoConnected) {
      throw ECommandLineUsage("-o (--output) は、ファイルごとに出力するソート設定 "
                              "(NoConnected=1) では使えません。");
    }
    request.outputName = *options.output;
  } else if (withSwitch) {
    request.outputName = argument(i++);
  } else if (!request.setting.NoConnected && i + 1 < operands.size() &&
             argument(i) != kStandardStream && isOutputName(argument(i))) {
    request.outputName = argument(i++);
  }
  for (; i < operands.size(); ++i) {
    request.files.push_back(operands[i]);
  }
  // "-o -", or standard input as the first file and no output named: standard output.
  request.toStandardOutput =
      request.outputName == kStandardStream ||
      (request.outputName.empty() && !request.files.empty() && request.files[0] == kStandardStream);
  if (request.toStandardOutput) {
    request.outputName.clear();
    if (request.setting.NoConnected && request.files.size() > 1) {
      throw ECommandLineUsage("ファイルごとに出力するソート設定 (NoConnected=1) では、"
                              "複数のファイルを標準出力に書けません。");
    }
  }
  return request;
}

std::optional<std::string> SettingWithoutFiles(const std::vector<std::string>& args,
                                               const TSettingsFile& settings) {
  std::string name;
  try {
    const TCommandLineOptions options = ParseOptions(args);
    const std::vector<std::string>& operands = options.operands;
    const bool otherOptions = options.output || options.yes || options.batch ||
                              options.listSettings || options.detect || options.help ||
                              options.version || options.inputCode != 0;
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
  } catch (const ECommandLineUsage&) {
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

} // namespace

int RunCommandLine(const std::vector<std::string>& args, const TSettingsFile& settings,
                   const TCommandLineServices& services) {
  TSortJobInputs inputs;
  TOptions options;
  TCommandLineRequest request;
  try {
    // The options that sort nothing ask nothing either.
    const TCommandLineOptions asked = ParseOptions(args);
    if (asked.listSettings) {
      PrintSettingNames(settings);
      return esFinished;
    }
    if (asked.detect) {
      return PrintCharCodes(asked.operands);
    }
    options = settings.LoadOptions();
    request = ParseCommandLine(
        args, settings.ListSortSettingNames(),
        [&settings](const std::string& name) { return settings.LoadSortSetting(name); },
        [](const std::string& argument) {
          return ShowMessage(OutputNameQuestion(argument), TMsgKind::Information,
                             TMsgButtons::YesNoDefaultNo) == TMsgResult::Yes;
        });
  } catch (const EIniFileError& e) {
    ShowError(e.what() + std::string(kAbortLine));
    return esError;
  } catch (const ECommandLineUsage& e) {
    ShowError(e.what() + std::string("\r\n") + UsageLineText());
    return esCancelled;
  }
  if (services.interrupted && services.interrupted()) {
    ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
    return esCancelled;
  }
  if (request.files.empty()) {
    ShowError(std::string("ソートするファイルが指定されていません。") + kAbortLine);
    return esCancelled;
  }
  inputs.setting = std::move(request.setting);
  inputs.outputName = std::move(request.outputName);
  for (std::string& file : request.files) {
    file = file == kStandardStream ? "/dev/stdin" : file;
  }
  if (!AddCommandLineTargets(request.files, inputs)) {
    return esError;
  }
  std::optional<TStandardOutputFile> standardOutput;
  if (request.toStandardOutput) {
    inputs.outputName = "/dev/stdout";
    if (StandardOutputIsAFile()) {
      try {
        standardOutput.emplace();
      } catch (const EFileError& e) {
        ShowError(e.what());
        return esError;
      }
      inputs.outputName = standardOutput->Name();
    }
    inputs.setting.NoConnected = false; // one file at most: the same output either way
  }
  inputs.memoryLimit = request.options.memory.value_or(MemoryLimitBytes(options));
  inputs.temporaryFolder = request.options.temporaryDirectory.value_or("");

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
    break;
  case TJobOutcome::Stopped:
    if (!host.Cancelled()) { // a No to the overwrite question has said so already
      ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
    }
    return esCancelled;
  default:
    return esError;
  }
  if (standardOutput) {
    try {
      standardOutput->CopyToStandardOutput();
    } catch (const EFileError& e) {
      ShowError(e.what());
      return esError;
    }
  }
  return esFinished;
}

} // namespace zorbe
