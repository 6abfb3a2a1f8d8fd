#pragma once
// The program folder: where zorbe.ini and the clipboard's temporary file live.
//
// It is the folder of the program file when that folder is writable or already holds zorbe.ini
// (a portable install, the build folder); otherwise, and always for a program installed by
// `make install` (program_layout.h), ${XDG_CONFIG_HOME:-~/.config}/zorbe/. It is fixed once at
// start-up and always ends with "/".

#include <string>

namespace zorbe {

// The full name of the running program file.
std::string ProgramFileName();

// The console program `zorbe` beside the running program file, or in the install's bin folder
// (launchers run it: it shows its questions in dialogs when started from the desktop).
std::string ConsoleProgramFileName();

// The program folder for a program file, by the rule above.
std::string ResolveProgramFolder(const std::string& programFile);

const std::string& ProgramFolder();
void SetProgramFolder(std::string folder);

// ProgramFolder() + "zorbe.ini".
std::string SettingsFileName();

} // namespace zorbe
