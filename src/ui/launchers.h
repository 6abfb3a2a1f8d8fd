#pragma once
// The settings window's launchers on this desktop: on the desktop folder (the XDG user folder,
// ~/Desktop when none is set), and in the file managers' right-click menus under the user's data
// and configuration folders ($XDG_DATA_HOME and $XDG_CONFIG_HOME, else ~/.local/share and
// ~/.config). Launchers of earlier versions were hidden "Open With" entries in the applications
// folder ($XDG_DATA_HOME/applications).

#include "settings/settings_file.h"

#include <QString>

namespace zorbe {

// Asks, makes the launcher for the setting and reports; tag 1 desktop, 2 right-click menus.
void CreateLauncherForSettingName(int tag, const QString& settingName);

// Removes the right-click entries of a deleted setting.
void RemoveLaunchersOfSettingName(const QString& settingName);

// When earlier versions' "Open With" launchers are found and their replacement was never
// offered, offers it (and notes in `options` that it was offered).
void OfferToReplaceOldLaunchersOnce(TOptions& options);

} // namespace zorbe
