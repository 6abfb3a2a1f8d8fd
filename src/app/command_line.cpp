#include "app/command_line.h"

#include "app/command_line_targets.h"
#include "app/job_host.h"
#include "app/message_routine.h"
#include "engine/output_name.h"
#include "engine/sort_thread.h"
#include "platform/file_system.h"
#include "settings/ini_file.h"

#include <algorithm>
#include <optional>

namespace zorbe {
namespace {

bool IsSwitch(const std::string& argument) {
  return argument == "/s" || argument == "/S";
}

void ShowError(const std::string& text) {
  ShowMessage(text, TMsgKind::Error, TMsgButtons::OK);
}

// An empty argument (an empty shell variable) would match the empty entry of the setting list,
// or stand for an output or a file that has no name.
void RefuseEmptyArguments(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].empty()) {
      throw ECommandLineUsage(std::to_string(i + 1) + " 番目の引数が空です。\r\n" +
                              "空の名前は、ソート設定名にもファイル名にも使えません。" +
                              kAbortLine);
    }
  }
}

// The sort-end handling of a command-line run: no beep and no flashing, but the sound and the
// editor as configured, unless the job was cancelled or failed.
void NotifySortEnd(const TSortThread& job, bool cancelled, const TOptions& options, IShell& shell) {
  if (cancelled || job.Result().outcome != TJobOutcome::Finished) {
    return;
  }
  if (!options.WaveFileName.empty()) {
    shell.PlaySound(options.WaveFileName);
  }
  if (options.EditorOpen && !job.Inputs().setting.NoConnected && !job.Inputs().outputName.empty()) {
    shell.OpenInEditor(options.EditorPath, WithoutQuotes(job.Inputs().outputName));
  }
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
  RefuseEmptyArguments(args);
  // Past the end an argument reads as empty, which the setting list's empty entry matches.
  auto argument = [&args](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
  TCommandLineRequest request;
  const bool withSwitch = IsSwitch(argument(0));
  std::size_t i = withSwitch ? 1 : 0;
  if (std::find(settingNames.begin(), settingNames.end(), argument(i)) != settingNames.end()) {
    request.setting = load(argument(i++));
  } else {
    request.setting = load(kDropSettingName);
  }
  if (withSwitch) {
    request.outputName = argument(i++);
  } else if (!request.setting.NoConnected && i + 1 < args.size() && isOutputName(argument(i))) {
    request.outputName = argument(i++);
  }
  for (; i < args.size(); ++i) {
    request.files.push_back(args[i]);
  }
  return request;
}

std::optional<std::string> SettingWithoutFiles(const std::vector<std::string>& args,
                                               const TSettingsFile& settings) {
  if (args.size() != 1 || args[0].empty() || IsSwitch(args[0])) {
    return std::nullopt;
  }
  try {
    const std::vector<std::string> names = settings.ListSortSettingNames();
    if (std::find(names.begin(), names.end(), args[0]) != names.end()) {
      return args[0];
    }
  } catch (const EIniFileError&) {
  }
  return std::nullopt;
}

int RunCommandLine(const std::vector<std::string>& args, const TSettingsFile& settings,
                   const TCommandLineServices& services) {
  TSortJobInputs inputs;
  TOptions options;
  std::vector<std::string> names; // the targets as given
  try {
    options = settings.LoadOptions();
    TCommandLineRequest request = ParseCommandLine(
        args, settings.ListSortSettingNames(),
        [&settings](const std::string& name) { return settings.LoadSortSetting(name); },
        [](const std::string& argument) {
          return ShowMessage(OutputNameQuestion(argument), TMsgKind::Information,
                             TMsgButtons::YesNo) == TMsgResult::Yes;
        });
    inputs.setting = std::move(request.setting);
    inputs.outputName = std::move(request.outputName);
    names = std::move(request.files);
  } catch (const EIniFileError& e) {
    ShowError(e.what() + std::string(kAbortLine));
    return esError;
  } catch (const ECommandLineUsage& e) {
    ShowError(e.what());
    return esCancelled;
  }
  if (services.interrupted && services.interrupted()) {
    return esCancelled;
  }
  if (names.empty()) {
    ShowError(std::string("ソートするファイルが指定されていません。") + kAbortLine);
    return esCancelled;
  }
  if (!AddCommandLineTargets(names, inputs)) {
    return esError;
  }
  JobSetting = inputs.setting;

  TAppJobHost host;
  TSortThread job(std::move(inputs), host, services.mainThread, [&](TSortThread& ended) {
    // A failure without a message was already shown by the job (an invalid replacement rule).
    if (ended.Result().outcome == TJobOutcome::Failed && !ended.Result().message.empty()) {
      ShowError(ended.Result().message);
    }
    NotifySortEnd(ended, host.Cancelled(), options, services.shell);
  });
  job.Start();
  services.waitForJob([&job] { return job.Ended(); }, [&job] { job.Stop(); });
  job.Wait();
  switch (job.Result().outcome) {
  case TJobOutcome::Finished:
    return esFinished;
  case TJobOutcome::Stopped:
    return esCancelled;
  default:
    return esError;
  }
}

} // namespace zorbe
