#include "app/clipboard_sort.h"

#include "app/message_routine.h"
#include "app/program_folder.h"
#include "engine/output_name.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "text/encoding.h"

#include <filesystem>

namespace zorbe {
namespace {

void ShowError(const std::string& text) {
  ShowMessage(text, TMsgKind::Error, TMsgButtons::OK);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

TClipboardMode ClipboardModeOfItem(const std::string& itemName) {
  if (itemName == "mmClipToClip") {
    return cmClipToClip;
  }
  if (itemName == "mmClipToFile") {
    return cmClipToFile;
  }
  return cmNone;
}

std::string ClipboardFileName() {
  return ProgramFolder() + kClipboardFileName;
}

std::optional<TClipboardJob> PrepareClipboardSort(TClipboardMode mode, const std::string& text,
                                                  const TSettingOptionItems& setting,
                                                  const std::string& outputFieldName) {
  if (mode == cmNone) {
    return std::nullopt;
  }
  TClipboardText converted(text);
  const std::string file = ClipboardFileName();
  try {
    // The program folder may be the per-user folder, made on its first use.
    std::error_code ec;
    std::filesystem::create_directories(ProgramFolder(), ec);
    WriteWholeFile(file, converted.Bytes());
  } catch (const EFileError& e) {
    ShowError(e.what());
    return std::nullopt;
  }
  TClipboardJob job{{}, std::move(converted)};
  job.inputs.setting = setting;
  job.inputs.setting.NoConnected = false;
  job.inputs.setting.InputCode = 0; // the text's code is known
  job.inputs.outputName = mode == cmClipToClip ? file : outputFieldName;
  job.inputs.files = {file};
  job.inputs.codes = {job.text.IsUtf8() ? ccUtf8 : ccShiftJis};
  if (mode == cmClipToClip) {
    // The result goes back onto the clipboard, whatever output code the setting asks for.
    job.inputs.setting.OutputCode = job.text.IsUtf8() ? ocUtf8 : ocShiftJis;
    job.inputs.setting.OutputLineEnd = leCrLf;
  }
  return job;
}

void FinishClipboardSort(TClipboardMode mode, const TClipboardText& text,
                         const std::string& outputName, IClipboard& clipboard) {
  const std::string file = ClipboardFileName();
  if (mode == cmClipToClip) {
    try {
      const std::string sorted = ReadWholeFile(file);
      if (sorted != text.Bytes()) {
        clipboard.SetText(text.Unicode(sorted));
      }
    } catch (const EFileError& e) {
      ShowError(e.what());
    }
  }
  if (mode == cmClipToFile && !outputName.empty() && SameFile(WithoutQuotes(outputName), file)) {
    return; // the result itself
  }
  std::error_code ec;
  std::filesystem::remove(file, ec);
}

} // namespace zorbe
