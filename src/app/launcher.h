#pragma once
// Launchers for a sort setting: freedesktop desktop entries that run the program with the
// setting's name and the files given to them, so that files dropped on a launcher on the
// desktop, or opened with it from a file manager's "Open With" list, are sorted at once with
// that setting (the command-line run).
//
//   Zorbe 2nd [NAME].desktop
//     Type=Application, Exec="PROGRAM" "--setting=NAME" -- %F (so a name or a file that begins
//     with "-" is never an option; launchers written as "PROGRAM" "NAME" %F work too),
//     Path=the program folder, Icon=the program's
//     icon file, Comment=Zorbe 2nd - ..., MimeType=text/plain; (for "Open With")
//
// A launcher of the same name is replaced without a question, in one piece. One on the desktop
// is made executable and, where the desktop keeps such a mark (gio), trusted, since desktops
// refuse to start launchers without it. One in the "Open With" folder is NoDisplay=true: it is
// offered for text files but is not an application of its own in the menus; after writing it
// the folder's MIME cache is renewed (update-desktop-database, where installed), since
// GLib-based file managers list only what that cache names. No launcher is ever made the
// default program for text files: nothing here writes mimeapps.list.

#include "app/message_texts.h"
#include <string>

namespace zorbe {

// The pop-up menu's items: the desktop, and the file managers' "Open With" list (the Linux
// counterpart of "Send To").
enum TLauncherPlace : int { lpDesktop = 1, lpSendTo = 2 };

struct TLauncher {
  std::string program;       // the program file to run, a full name
  std::string workingFolder; // the program folder
  std::string settingName;
  std::string iconFile; // the program's icon, a full name; empty for none
};

// The question before a launcher is made.
std::string ShortcutQuestion(const std::string& settingName);

inline constexpr const char* kLauncherIconName = "zorbe.svg";

// The icon file the launchers name: "zorbe.svg" beside the program file, where the build and
// the install put it.
std::string LauncherIconFileName(const std::string& programFile);

// "Zorbe 2nd [" + setting name + "].desktop".
std::string LauncherFileName(const std::string& settingName);

// One argument of an Exec key, quoted by the desktop-entry rules (so blanks and quotes in it
// survive) and escaped as the key's string value.
std::string DesktopExecArgument(const std::string& argument);

// The launcher's file content for the place it is made in.
std::string DesktopEntryText(const TLauncher& launcher, TLauncherPlace place);

// Writes the launcher into `folder`, replacing one of the same name; the folder must exist.
// A desktop launcher is made executable and marked trusted; after an "Open With" launcher the
// folder's MIME cache is renewed. Returns whether it was written.
bool CreateLauncher(const std::string& folder, const TLauncher& launcher, TLauncherPlace place);

// The settings window's shortcut command for the item with `tag`: asks, makes the launcher in
// the desktop folder (tag 1) or in the "Open With" folder (tag 2, made when missing), and says
// how it went.
void CreateLauncherForSetting(int tag, const TLauncher& launcher, const std::string& desktopFolder,
                              const std::string& openWithFolder);

} // namespace zorbe
