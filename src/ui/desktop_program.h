#pragma once
// The two ways the program runs with Qt: the main window (started without arguments), and a
// command-line run that asks its questions in dialogs (started from a desktop launcher, where
// no terminal would show them).

#include <string>
#include <vector>

namespace zorbe {

// Qt's own texts in Japanese (the file dialogs, the standard buttons, the context menus of text
// fields) and its dates and numbers in the Japanese form, whatever the locale: the program's
// own texts are Japanese, and a window that mixes them with English ones is half translated.
// Returns whether the texts were found; without them (Debian's qt6-translations-l10n not
// installed) Qt's texts stay English.
bool UseJapaneseQtTexts();

// What every Qt run of the program sets up first: the palette (disabled fields and lists in the
// button-face colour), Qt's Japanese texts and the windows' icon.
void PrepareDesktopApplication();

// Shows the main window and runs until it is closed; returns the exit status. A setting name
// (a launcher's, started without files) is chosen in place of the remembered one.
int RunMainWindow(const char* programName, const std::string& settingName = {});

// The command-line run of `args` with its messages and questions in dialogs.
int RunCommandLineInDialogs(const char* programName, const std::vector<std::string>& args);

} // namespace zorbe
