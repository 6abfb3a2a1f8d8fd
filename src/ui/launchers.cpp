#include "ui/launchers.h"

#include "app/launcher.h"
#include "app/program_folder.h"
#include "platform/file_system.h"

#include <QFile>
#include <QStandardPaths>

namespace zorbe {
namespace {

std::string Folder(QStandardPaths::StandardLocation location) {
  return QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
}

TSendToFolders SendToFolders() {
  return {Folder(QStandardPaths::GenericDataLocation),
          Folder(QStandardPaths::GenericConfigLocation)};
}

// The program as launchers start it; the setting name is filled in by the caller.
TLauncher ProgramLauncher(const QString& settingName = {}) {
  const std::string program = ConsoleProgramFileName();
  const std::string icon = LauncherIconFileName(program);
  return {program, ProgramFolder(), settingName.toStdString(),
          FileExists(icon) ? icon : std::string()};
}

} // namespace

void CreateLauncherForSettingName(int tag, const QString& settingName) {
  CreateLauncherForSetting(tag, ProgramLauncher(settingName),
                           Folder(QStandardPaths::DesktopLocation), SendToFolders());
}

void RemoveLaunchersOfSettingName(const QString& settingName) {
  RemoveLaunchersOfSetting(SendToFolders(), Folder(QStandardPaths::ApplicationsLocation),
                           settingName.toStdString());
}

void OfferToReplaceOldLaunchersOnce(TOptions& options) {
  if (options.OldLaunchersOffered) {
    return;
  }
  const std::string applications = Folder(QStandardPaths::ApplicationsLocation);
  const std::vector<std::string> old = OldOpenWithLaunchers(applications);
  if (old.empty()) {
    return;
  }
  options.OldLaunchersOffered = true;
  OfferToReplaceOldLaunchers(old, ProgramLauncher(), SendToFolders(), applications);
}

} // namespace zorbe
