#include "app/launcher.h"

#include "app/message_routine.h"
#include "app/program_layout.h"
#include "platform/console.h"
#include "platform/file_system.h"

#include <filesystem>

namespace zorbe {
namespace {

const char* const kLauncherComment = "Zorbe 2nd - 日本語テキストファイルの行をソートします";

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

bool IsDirectory(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

void MakeExecutableAndTrusted(const std::string& file) {
  std::error_code ec;
  namespace fs = std::filesystem;
  fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
  if (!FindProgram("gio").empty()) {
    SpawnDetached({"gio", "set", file, "metadata::trusted", "true"});
  }
}

} // namespace

std::string ShortcutQuestion(const std::string& settingName) {
  return "現在の設定名「" + settingName + "」でショートカットを作成しますか？";
}

std::string LauncherIconFileName(const std::string& programFile) {
  return ProgramLayout(programFile).iconFile;
}

std::string LauncherFileName(const std::string& settingName) {
  return "Zorbe 2nd [" + settingName + "].desktop";
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

std::string DesktopEntryText(const TLauncher& launcher, TLauncherPlace place) {
  std::string entry = "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Version=1.0\n"
                      "Name=" +
                      EntryValue("Zorbe 2nd [" + launcher.settingName + "]") + "\n" +
                      "Comment=" + kLauncherComment + "\n" +
                      "Exec=" + DesktopExecArgument(launcher.program) + " " +
                      DesktopExecArgument("--setting=" + launcher.settingName) + " -- %F\n" +
                      "Path=" + EntryValue(launcher.workingFolder) + "\n";
  if (!launcher.iconFile.empty()) {
    entry += "Icon=" + EntryValue(launcher.iconFile) + "\n";
  }
  entry += "Terminal=false\n"
           "MimeType=text/plain;\n";
  // A desktop launcher stays visible: some desktops hide an icon marked NoDisplay.
  if (place == lpSendTo) {
    entry += "NoDisplay=true\n";
  }
  return entry;
}

bool CreateLauncher(const std::string& folder, const TLauncher& launcher, TLauncherPlace place) {
  // A name with a slash or a line break can't be one file name.
  if (!IsDirectory(folder) || launcher.settingName.find_first_of("/\n\r") != std::string::npos) {
    return false;
  }
  const std::string file =
      (std::filesystem::path(folder) / LauncherFileName(launcher.settingName)).string();
  try {
    WriteWholeFile(file, DesktopEntryText(launcher, place));
  } catch (const EFileError&) {
    return false;
  }
  if (place == lpDesktop) {
    MakeExecutableAndTrusted(file);
  } else {
    RunAndWait({"update-desktop-database", "-q", folder});
  }
  return true;
}

void CreateLauncherForSetting(int tag, const TLauncher& launcher, const std::string& desktopFolder,
                              const std::string& openWithFolder) {
  if (ShowMessage(ShortcutQuestion(launcher.settingName), TMsgKind::Information,
                  TMsgButtons::YesNo) != TMsgResult::Yes) {
    ShowMessage(kShortcutDeclinedMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  if (tag != lpDesktop && tag != lpSendTo) {
    ShowMessage(kShortcutBadPlaceMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  std::error_code ec;
  if (tag == lpSendTo && !openWithFolder.empty()) {
    // The "Open With" folder belongs to the user's own data and is missing on a fresh account.
    std::filesystem::create_directories(openWithFolder, ec);
  }
  // The launcher starts in the program folder, which may be the per-user folder not made yet.
  if (!launcher.workingFolder.empty()) {
    std::filesystem::create_directories(launcher.workingFolder, ec);
  }
  const auto place = static_cast<TLauncherPlace>(tag);
  if (CreateLauncher(place == lpDesktop ? desktopFolder : openWithFolder, launcher, place)) {
    ShowMessage(kShortcutCreatedMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  ShowMessage(kShortcutFailedMessage, TMsgKind::Error, TMsgButtons::OK);
}

} // namespace zorbe
