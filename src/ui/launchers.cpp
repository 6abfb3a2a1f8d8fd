#include "ui/launchers.h"

#include "app/launcher.h"
#include "app/program_folder.h"
#include "platform/file_system.h"

#include <QFile>
#include <QStandardPaths>

namespace zorbe {

void CreateLauncherForSettingName(int tag, const QString& settingName) {
  const std::string program = ConsoleProgramFileName();
  const std::string icon = LauncherIconFileName(program);
  const TLauncher launcher{program, ProgramFolder(), settingName.toStdString(),
                           FileExists(icon) ? icon : std::string()};
  auto folder = [](QStandardPaths::StandardLocation location) {
    return QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
  };
  CreateLauncherForSetting(tag, launcher, folder(QStandardPaths::DesktopLocation),
                           folder(QStandardPaths::ApplicationsLocation));
}

} // namespace zorbe
