#include "app/command_line.h"

#include "app/job_host.h"
#include "app/message_routine.h"
#include "engine/output_name.h"
#include "engine/sort_thread.h"
#include "platform/file_system.h"
#include "settings/ini_file.h"
#include "text/char_code.h"

#include <algorithm>
#include <optional>

namespace zorbe {
namespace {

const char* const kAbortLine = "\r\n処理を中止します。";

bool IsSwitch(const std::string& argument) {
  return argument == "/s" || argument == "/S";
}

void ShowError(const std::string& text) {
  ShowMessage(text, TMsgKind::Error, TMsgButtons::OK);
}

// The character code of a target file, or nothing after telling the user why the file can't be
// sorted.
std::optional<TCharCode> AcceptedCode(const std::string& file) {
  if (!FileExists(file)) {
    ShowError("「" + file + "」は存在しません。" + kAbortLine);
    return std::nullopt;
  }
  const TCharCode result = DetectCharCode(file, ShowError);
  if (result == ccBinary) {
    ShowError("「" + file + "」はテキストファイルではありません。" + kAbortLine);
    return std::nullopt;
  }
  if (!IsTextCode(result)) {
    ShowError("「" + file + "」は不明な文字コードです。" + kAbortLine);
    return std::nullopt;
  }
  // A job reads Shift-JIS bytes: UTF-16 text would be cut into meaningless pieces.
  if (result == ccUtf16LE || result == ccUtf16BE) {
    ShowError("「" + file + "」の文字コードは「" + CharCodeName(result) + "」です。\r\n" +
              "取り合えず、現バージョンでは「S-JIS、JIS、EUC」のみのサポートします。" + kAbortLine);
    return std::nullopt;
  }
  return result;
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
  } else if (!request.setting.NoConnected && isOutputName(argument(i))) {
    request.outputName = argument(i++);
  }
  for (; i < args.size(); ++i) {
    request.files.push_back(args[i]);
  }
  return request;
}

int RunCommandLine(const std::vector<std::string>& args, const TSettingsFile& settings,
                   const TCommandLineServices& services) {
  TSortJobInputs inputs;
  TOptions options;
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
    inputs.files = std::move(request.files);
  } catch (const EIniFileError& e) {
    ShowError(e.what() + std::string(kAbortLine));
    return esError;
  }
  if (services.interrupted && services.interrupted()) {
    return esCancelled;
  }
  for (const std::string& file : inputs.files) {
    const std::optional<TCharCode> code = AcceptedCode(file);
    if (!code) {
      return esError;
    }
    inputs.codes.push_back(*code);
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
