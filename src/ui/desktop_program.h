#pragma once
// The two ways the program runs with Qt: the main window (started without arguments), and a
// command-line run that asks its questions in dialogs (started from a desktop launcher, where
// no terminal would show them).

#include <string>
#include <vector>

namespace zorbe {

// Gives the desktop's palette the rule the windows follow: disabled fields and lists in the
// button-face colour.
void ApplyDesktopPalette();

// Shows the main window and runs until it is closed; returns the exit status. A setting name
// (a launcher's, started without files) is chosen in place of the remembered one.
int RunMainWindow(const char* programName, const std::string& settingName = {});

// The command-line run of `args` with its messages and questions in dialogs.
int RunCommandLineInDialogs(const char* programName, const std::vector<std::string>& args);

} // namespace zorbe
