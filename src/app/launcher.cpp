#include "app/launcher.h"

#include "app/message_routine.h"
#include "app/program_layout.h"
#include "platform/atomic_file.h"
#include "platform/console.h"
#include "platform/file_system.h"

#include <filesystem>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

const char* const kLauncherComment = "Zorbe 2nd - 日本語テキストファイルの行をソートします";
// A file-manager action's profile, a service menu's action.
const char* const kActionId = "sort";

// A value of a desktop entry: backslashes and control characters escaped, so that the value
// stays on its line and reads back as written.
std::string EntryValue(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// The line by which a file written here names its setting.
std::string SettingMark(const std::string& settingName) {
  return "X-Zorbe-Setting=" + EntryValue(settingName) + "\n";
}

// A shell word in single quotes.
std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

bool IsDirectory(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_directory(folder, ec);
}

void MakeExecutable(const std::string& file) {
  std::error_code ec;
  fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
}

// The program started in the program folder on the selected files (%F), for entries whose
// format has no working-folder key of its own.
std::string ExecInProgramFolder(const TLauncher& launcher) {
  return DesktopExecArgument("env") + " " + DesktopExecArgument("-C") + " " +
         DesktopExecArgument(launcher.workingFolder) + " " + DesktopExecArgument(launcher.program) +
         " " + DesktopExecArgument("--setting=" + launcher.settingName) + " -- %F";
}

std::string IconLine(const char* key, const TLauncher& launcher) {
  return launcher.iconFile.empty() ? std::string()
                                   : std::string(key) + "=" + EntryValue(launcher.iconFile) + "\n";
}

std::string FileManagerActionText(const TLauncher& launcher) {
  const std::string label = EntryValue(LauncherLabel(launcher.settingName));
  return std::string("[Desktop Entry]\n"
                     "Type=Action\n"
                     "Name=") +
         label + "\nTooltip=" + kLauncherComment + "\n" + IconLine("Icon", launcher) +
         "Profiles=" + kActionId + ";\n" + SettingMark(launcher.settingName) +
         "\n[X-Action-Profile " + kActionId + "]\n" + "Name=" + label + "\n" +
         "MimeTypes=text/*;\n"
         "SelectionCount=>0\n"
         "Exec=" +
         ExecInProgramFolder(launcher) + "\n";
}

std::string NemoActionText(const TLauncher& launcher) {
  return std::string("[Nemo Action]\n"
                     "Active=true\n"
                     "Name=") +
         EntryValue(LauncherLabel(launcher.settingName)) + "\nComment=" + kLauncherComment +
         "\nExec=" + ExecInProgramFolder(launcher) +
         "\nSelection=notnone\n"
         "Mimetypes=text/plain;\n" +
         SettingMark(launcher.settingName);
}

std::string DolphinServiceMenuText(const TLauncher& launcher) {
  return std::string("[Desktop Entry]\n"
                     "Type=Service\n"
                     "MimeType=text/plain;\n"
                     "Actions=") +
         kActionId + ";\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\n" +
         SettingMark(launcher.settingName) + "\n[Desktop Action " + kActionId + "]\n" +
         "Name=" + EntryValue(LauncherLabel(launcher.settingName)) + "\n" +
         IconLine("Icon", launcher) + "Exec=" + ExecInProgramFolder(launcher) + "\n";
}

// A script gets the selected files as arguments relative to the folder shown (its working
// folder); they are made full names before the program starts in its own folder.
std::string ScriptText(const TLauncher& launcher) {
  return "#!/bin/sh\n"
         "# " +
         EntryValue(LauncherLabel(launcher.settingName)) + ": " + kLauncherComment + "\n# " +
         SettingMark(launcher.settingName) +
         "for f do\n"
         "  case $f in /*) ;; *) f=$PWD/$f ;; esac\n"
         "  set -- \"$@\" \"$f\"\n"
         "  shift\n"
         "done\n"
         "cd " +
         ShellWord(launcher.workingFolder) + " || exit 1\n" + "exec " +
         ShellWord(launcher.program) + " " + ShellWord("--setting=" + launcher.settingName) +
         " -- \"$@\"\n";
}

bool ExecutableFormat(TSendToFormat format) {
  return format == TSendToFormat::DolphinServiceMenu || format == TSendToFormat::NautilusScript ||
         format == TSendToFormat::CajaScript;
}

// Whether an existing file is the one written for this setting.
bool WrittenFor(const std::string& file, const std::string& settingName) {
  try {
    return ReadWholeFile(file).find(SettingMark(settingName)) != std::string::npos;
  } catch (const EFileError&) {
    return false;
  }
}

// Writes a launcher file; returns empty or why it could not be written.
std::string WriteLauncherFile(const std::string& file, const std::string& text, bool executable) {
  std::error_code ec;
  fs::create_directories(fs::path(file).parent_path(), ec);
  try {
    WriteWholeFile(file, text);
  } catch (const EFileError& e) {
    return e.what();
  }
  if (executable) {
    MakeExecutable(file);
  }
  return {};
}

bool IsOldOpenWithLauncher(const fs::path& file) {
  const std::string name = file.filename().string();
  if (!name.starts_with("Zorbe 2nd [") || !name.ends_with("].desktop")) {
    return false;
  }
  try {
    const std::string text = ReadWholeFile(file.string());
    return text.find("\nNoDisplay=true\n") != std::string::npos &&
           text.find("\nMimeType=text/plain;\n") != std::string::npos;
  } catch (const EFileError&) {
    return false;
  }
}

void RenewMimeCache(const std::string& applicationsFolder) {
  if (!FindProgram("update-desktop-database").empty()) {
    RunAndWait({"update-desktop-database", "-q", applicationsFolder});
  }
}

} // namespace

std::string ShortcutQuestion(const std::string& settingName) {
  return "現在の設定名「" + settingName + "」でショートカットを作成しますか？";
}

std::string LauncherIconFileName(const std::string& programFile) {
  return ProgramLayout(programFile).iconFile;
}

std::string LauncherLabel(const std::string& settingName) {
  return "Zorbe 2nd [" + settingName + "]";
}

std::string LauncherBaseName(const std::string& settingName) {
  std::string name;
  for (const char c : LauncherLabel(settingName)) {
    name += c == '/' ? std::string("／") : std::string(1, c);
  }
  return name;
}

std::string LauncherFileName(const std::string& settingName) {
  return LauncherBaseName(settingName) + ".desktop";
}

std::string DesktopExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') {
      quoted += '\\';
    } else if (c == '%') {
      quoted += '%'; // a field code would be expanded: %% is a literal percent sign
    }
    quoted += c;
  }
  quoted += '"';
  return EntryValue(quoted);
}

std::string DesktopEntryText(const TLauncher& launcher) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=" +
         EntryValue(LauncherLabel(launcher.settingName)) + "\n" + "Comment=" + kLauncherComment +
         "\n" + "Exec=" + DesktopExecArgument(launcher.program) + " " +
         DesktopExecArgument("--setting=" + launcher.settingName) + " -- %F\n" +
         "Path=" + EntryValue(launcher.workingFolder) + "\n" + IconLine("Icon", launcher) +
         "Terminal=false\n"
         "MimeType=text/plain;\n" +
         SettingMark(launcher.settingName);
}

std::string SendToEntryFile(TSendToFormat format, const TSendToFolders& folders,
                            const std::string& settingName) {
  const std::string base = LauncherBaseName(settingName);
  switch (format) {
  case TSendToFormat::FileManagerAction:
    return folders.dataHome + "/file-manager/actions/" + base + ".desktop";
  case TSendToFormat::NemoAction:
    return folders.dataHome + "/nemo/actions/" + base + ".nemo_action";
  case TSendToFormat::DolphinServiceMenu:
    return folders.dataHome + "/kio/servicemenus/" + base + ".desktop";
  case TSendToFormat::NautilusScript:
    return folders.dataHome + "/nautilus/scripts/" + base;
  case TSendToFormat::CajaScript:
    return folders.configHome + "/caja/scripts/" + base;
  }
  return {};
}

std::string SendToEntryText(TSendToFormat format, const TLauncher& launcher) {
  switch (format) {
  case TSendToFormat::FileManagerAction:
    return FileManagerActionText(launcher);
  case TSendToFormat::NemoAction:
    return NemoActionText(launcher);
  case TSendToFormat::DolphinServiceMenu:
    return DolphinServiceMenuText(launcher);
  case TSendToFormat::NautilusScript:
  case TSendToFormat::CajaScript:
    return ScriptText(launcher);
  }
  return {};
}

std::string CreateDesktopLauncher(const std::string& folder, const TLauncher& launcher) {
  if (!IsDirectory(folder)) {
    return "デスクトップのフォルダ「" + folder + "」がありません。";
  }
  const std::string file = (fs::path(folder) / LauncherFileName(launcher.settingName)).string();
  std::string failure = WriteLauncherFile(file, DesktopEntryText(launcher), true);
  if (failure.empty() && !FindProgram("gio").empty()) {
    // Desktops refuse to start a launcher without this mark.
    SpawnDetached({"gio", "set", file, "metadata::trusted", "true"});
  }
  return failure;
}

std::string CreateSendToEntries(const TSendToFolders& folders, const TLauncher& launcher) {
  if (folders.dataHome.empty() || folders.configHome.empty()) {
    return "ユーザーのデータフォルダが分かりません。";
  }
  for (const TSendToFormat format : kSendToFormats) {
    const std::string failure =
        WriteLauncherFile(SendToEntryFile(format, folders, launcher.settingName),
                          SendToEntryText(format, launcher), ExecutableFormat(format));
    if (!failure.empty()) {
      return failure;
    }
  }
  return {};
}

void RemoveLaunchersOfSetting(const TSendToFolders& folders, const std::string& applicationsFolder,
                              const std::string& settingName) {
  std::error_code ec;
  for (const TSendToFormat format : kSendToFormats) {
    const std::string file = SendToEntryFile(format, folders, settingName);
    if (WrittenFor(file, settingName)) {
      fs::remove(file, ec);
    }
  }
  if (applicationsFolder.empty()) {
    return;
  }
  const fs::path old = fs::path(applicationsFolder) / ("Zorbe 2nd [" + settingName + "].desktop");
  if (settingName.find('/') == std::string::npos && IsOldOpenWithLauncher(old)) {
    fs::remove(old, ec);
    RenewMimeCache(applicationsFolder);
  }
}

std::vector<std::string> OldOpenWithLaunchers(const std::string& applicationsFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  if (!IsDirectory(applicationsFolder)) {
    return names;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(applicationsFolder, ec)) {
    if (IsOldOpenWithLauncher(entry.path())) {
      const std::string file = entry.path().filename().string();
      const std::size_t open = std::string("Zorbe 2nd [").size();
      names.push_back(file.substr(open, file.size() - open - std::string("].desktop").size()));
    }
  }
  return names;
}

void OfferToReplaceOldLaunchers(const std::vector<std::string>& settingNames,
                                const TLauncher& program, const TSendToFolders& folders,
                                const std::string& applicationsFolder) {
  if (settingNames.empty() ||
      ShowMessage("以前のバージョンが「送る」で作成したショートカットが " +
                      std::to_string(settingNames.size()) +
                      " 個あります。\r\nテキストファイルを開くプログラムとして使われることが"
                      "あるため、\r\nファイルマネージャの右クリックメニューに作り直しますか？",
                  TMsgKind::Information, TMsgButtons::YesNo) != TMsgResult::Yes) {
    return;
  }
  std::error_code ec;
  for (const std::string& name : settingNames) {
    TLauncher launcher = program;
    launcher.settingName = name;
    if (CreateSendToEntries(folders, launcher).empty()) {
      fs::remove(fs::path(applicationsFolder) / ("Zorbe 2nd [" + name + "].desktop"), ec);
    }
  }
  RenewMimeCache(applicationsFolder);
}

void CreateLauncherForSetting(int tag, const TLauncher& launcher, const std::string& desktopFolder,
                              const TSendToFolders& folders) {
  if (ShowMessage(ShortcutQuestion(launcher.settingName), TMsgKind::Information,
                  TMsgButtons::YesNo) != TMsgResult::Yes) {
    ShowMessage(kShortcutDeclinedMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  if (tag != lpDesktop && tag != lpSendTo) {
    ShowMessage(kShortcutBadPlaceMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  std::string failure;
  if (launcher.settingName.find_first_of("\r\n") != std::string::npos) {
    failure = "設定名に改行が含まれています。";
  } else {
    // The launcher starts in the program folder, which may be the per-user folder not made yet.
    std::error_code ec;
    if (!launcher.workingFolder.empty()) {
      fs::create_directories(launcher.workingFolder, ec);
    }
    failure = tag == lpDesktop ? CreateDesktopLauncher(desktopFolder, launcher)
                               : CreateSendToEntries(folders, launcher);
  }
  if (failure.empty()) {
    ShowMessage(kShortcutCreatedMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  ShowMessage(std::string(kShortcutFailedMessage) + "\r\n" + failure, TMsgKind::Error,
              TMsgButtons::OK);
}

} // namespace zorbe
