#pragma once
// Where the program's parts are: installed by `make install`, or portable.
//
// Installed under a prefix P (any P: a staged DESTDIR tree or a moved prefix works the same):
//
//   P/bin/zorbe                                 the console program, the one users run
//   P/libexec/zorbe/zorbe-desktop               the windows, started by zorbe
//   P/share/zorbe/help/zorbe.html, zorbe-help/  the help and its pictures
//   P/share/icons/hicolor/scalable/apps/org.zorbe2nd.Zorbe.svg  the icon the launchers name
//
// A program file is installed when it sits in that layout: zorbe in P/bin with
// P/libexec/zorbe/zorbe-desktop present, or zorbe-desktop in P/libexec/zorbe with P/bin/zorbe
// present. Anything else (the build folder, a copied folder) is portable and finds every part
// beside the program file. An installed program never keeps zorbe.ini beside itself
// (program_folder.h).

#include <string>

namespace zorbe {

// The application id: the installed desktop entry, AppStream metainfo and icon are named after
// it, and the windows tell the desktop that they belong to that entry.
inline constexpr const char* kApplicationId = "org.zorbe2nd.Zorbe";

// The install layout below the prefix; CMake installs to the same places.
inline constexpr const char* kInstallBinFolder = "bin";
inline constexpr const char* kInstallDesktopFolder = "libexec/zorbe";
inline constexpr const char* kInstallHelpFolder = "share/zorbe/help";
inline constexpr const char* kInstallIconFolder = "share/icons/hicolor/scalable/apps";

struct TProgramLayout {
  bool installed = false;
  std::string consoleProgram; // zorbe
  std::string desktopProgram; // zorbe-desktop
  std::string helpFile;       // zorbe.html
  std::string iconFile;       // zorbe.svg, installed as <application id>.svg
};

// The layout a program file (zorbe or zorbe-desktop) belongs to.
TProgramLayout ProgramLayout(const std::string& programFile);

} // namespace zorbe
