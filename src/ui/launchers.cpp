#include "ui/launchers.h"

#include "app/launcher.h"
#include "app/program_folder.h"

#include <QFile>
#include <QStandardPaths>

namespace zorbe {

void CreateLauncherForSettingName(int tag, const QString& settingName) {
  const TLauncher launcher{ConsoleProgramFileName(), ProgramFolder(), settingName.toStdString()};
  auto folder = [](QStandardPaths::StandardLocation location) {
    return QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
  };
  CreateLauncherForSetting(tag, launcher, folder(QStandardPaths::DesktopLocation),
                           folder(QStandardPaths::ApplicationsLocation));
}

} // namespace zorbe
