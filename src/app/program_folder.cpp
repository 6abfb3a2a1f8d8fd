#include "app/program_folder.h"

#include "app/program_layout.h"
#include "platform/file_system.h"
#include "settings/settings_file.h"

#include <cstdlib>

namespace zorbe {
namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

} // namespace

std::string ProgramFileName() {
  return RunningProgramFile();
}

std::string ConsoleProgramFileName() {
  return ProgramLayout(ProgramFileName()).consoleProgram;
}

std::string ResolveProgramFolder(const std::string& programFile) {
  const std::size_t slash = programFile.rfind('/');
  // An installed program's folder is shared (and may be writable for root): never its own.
  if (slash != std::string::npos && !ProgramLayout(programFile).installed) {
    const std::string folder = programFile.substr(0, slash + 1);
    if (FileExists(folder + kSettingsFileName) || IsWritableFolder(folder)) {
      return folder;
    }
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    return WithSlash(config) + "zorbe/";
  }
  const char* home = std::getenv("HOME");
  return WithSlash(home != nullptr ? home : "") + ".config/zorbe/";
}

const std::string& ProgramFolder() {
  return Folder();
}
void SetProgramFolder(std::string folder) {
  // Empty stays empty (none chosen yet), so that a test can put back the state it found.
  Folder() = folder.empty() ? folder : WithSlash(std::move(folder));
}
std::string SettingsFileName() {
  return ProgramFolder() + kSettingsFileName;
}

} // namespace zorbe
