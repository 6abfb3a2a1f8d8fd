#pragma once
// Launchers for a sort setting, so that files are sorted at once with that setting (the
// command-line run) from the desktop or from a file manager:
//
// - on the desktop, a freedesktop desktop entry "Zorbe 2nd [NAME].desktop" (Type=Application,
//   Exec="PROGRAM" "--setting=NAME" -- %F, Path=the program folder, MimeType=text/plain; so that
//   text files dropped on it are accepted), made executable and, where the desktop keeps such a
//   mark (gio), trusted;
// - for "送る" (Send To), an entry in the right-click menu of each file manager, in the format
//   that file manager documents: file-manager actions (libfm, pcmanfm), Nemo actions, Dolphin
//   service menus, Nautilus scripts and Caja scripts. Each is labelled "Zorbe 2nd [NAME]", is
//   offered for text files (text/plain and its subtypes; scripts can't be limited) and runs the
//   program in the program folder on the selected files.
//
// No launcher is ever placed where it could become the default program for text files: nothing
// is written to an applications folder or to mimeapps.list. Every file written names its setting
// in a line "X-Zorbe-Setting=NAME", so that the entries of a setting are replaced and removed
// without touching those of another setting that shares the file name. A setting name with "/"
// can't be a file name: there it is written with "／" (U+FF0F) instead.

#include "app/message_texts.h"

#include <string>
#include <vector>

namespace zorbe {

// The pop-up menu's items: the desktop, and the file managers' right-click menus (the Linux
// counterpart of "Send To").
enum TLauncherPlace : int { lpDesktop = 1, lpSendTo = 2 };

struct TLauncher {
  std::string program;       // the program file to run, a full name
  std::string workingFolder; // the program folder
  std::string settingName;
  std::string iconFile; // the program's icon, a full name; empty for none
};

// The folders the file managers read their right-click entries from live in these.
struct TSendToFolders {
  std::string dataHome;   // $XDG_DATA_HOME, else ~/.local/share
  std::string configHome; // $XDG_CONFIG_HOME, else ~/.config
};

enum class TSendToFormat {
  FileManagerAction,
  NemoAction,
  DolphinServiceMenu,
  NautilusScript,
  CajaScript
};
inline constexpr TSendToFormat kSendToFormats[] = {
    TSendToFormat::FileManagerAction, TSendToFormat::NemoAction, TSendToFormat::DolphinServiceMenu,
    TSendToFormat::NautilusScript, TSendToFormat::CajaScript};

// The question before a launcher is made.
std::string ShortcutQuestion(const std::string& settingName);

// The icon file the launchers name: "zorbe.svg" beside a portable program file, the icon in the
// hicolor theme for an installed one (program_layout.h).
std::string LauncherIconFileName(const std::string& programFile);

// "Zorbe 2nd [" + setting name + "]": the label of every launcher of the setting.
std::string LauncherLabel(const std::string& settingName);

// The label as a file name: "/" becomes "／" (a file name can't hold it).
std::string LauncherBaseName(const std::string& settingName);

// "Zorbe 2nd [" + setting name + "].desktop" (with "／" for "/").
std::string LauncherFileName(const std::string& settingName);

// One argument of an Exec key, quoted by the desktop-entry rules (so blanks and quotes in it
// survive) and escaped as the key's string value.
std::string DesktopExecArgument(const std::string& argument);

// The desktop launcher's file content.
std::string DesktopEntryText(const TLauncher& launcher);

// A right-click entry's file, and its content.
std::string SendToEntryFile(TSendToFormat format, const TSendToFolders& folders,
                            const std::string& settingName);
std::string SendToEntryText(TSendToFormat format, const TLauncher& launcher);

// Writes the desktop launcher into `folder`, replacing one of the same name. Returns empty, or
// why it could not be written (Japanese, for the user).
std::string CreateDesktopLauncher(const std::string& folder, const TLauncher& launcher);

// Writes every right-click entry of the setting, replacing those it had; the folders are made
// where missing. Returns empty, or why an entry could not be written.
std::string CreateSendToEntries(const TSendToFolders& folders, const TLauncher& launcher);

// Removes the right-click entries of the setting (and an "Open With" launcher an earlier version
// wrote for it into `applicationsFolder`); other files are left alone.
void RemoveLaunchersOfSetting(const TSendToFolders& folders, const std::string& applicationsFolder,
                              const std::string& settingName);

// The setting names of the "Open With" launchers that earlier versions wrote into the
// applications folder (hidden entries with MimeType=text/plain, which GLib may make the default
// program for text files).
std::vector<std::string> OldOpenWithLaunchers(const std::string& applicationsFolder);

// Asks once whether to replace the old launchers by right-click entries, and on Yes does it.
void OfferToReplaceOldLaunchers(const std::vector<std::string>& settingNames,
                                const TLauncher& program, const TSendToFolders& folders,
                                const std::string& applicationsFolder);

// The settings window's shortcut command for the item with `tag`: asks, makes the desktop
// launcher (tag 1) or the right-click entries (tag 2), and says how it went (with the reason of
// a failure).
void CreateLauncherForSetting(int tag, const TLauncher& launcher, const std::string& desktopFolder,
                              const TSendToFolders& folders);

} // namespace zorbe
