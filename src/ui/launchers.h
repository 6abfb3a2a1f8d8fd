#pragma once
// The settings window's shortcut command on this desktop: launchers on the desktop folder (the
// XDG user folder, ~/Desktop when none is set) or in the "Open With" folder
// ($XDG_DATA_HOME/applications, ~/.local/share/applications when unset).

#include <QString>

namespace zorbe {

// Asks, makes the launcher for the setting and reports; tag 1 desktop, 2 "Open With".
void CreateLauncherForSettingName(int tag, const QString& settingName);

} // namespace zorbe
