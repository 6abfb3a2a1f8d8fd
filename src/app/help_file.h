#pragma once
// The help file: "zorbe.html" beside the program files, with its pictures in "zorbe-help/"
// beside it, installed there by the build. The user-facing program is `zorbe`; the windows run
// in `zorbe-desktop` from the same folder, so both find the same help.

#include <string>

namespace zorbe {

inline constexpr const char* kHelpFileName = "zorbe.html";

// The help file for a program file: its folder + "zorbe.html", or for an installed program the
// one in the install's share/zorbe/help/ (program_layout.h).
std::string HelpFileName(const std::string& programFile);

// The messages when the help can't be shown.
std::string HelpMissingMessage(const std::string& helpFile);
std::string HelpNotOpenedMessage(const std::string& helpFile);

} // namespace zorbe
