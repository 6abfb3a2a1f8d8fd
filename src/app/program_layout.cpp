#include "app/program_layout.h"

#include <filesystem>
#include <optional>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConsoleName = "zorbe";
constexpr const char* kDesktopName = "zorbe-desktop";

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The prefix of an installed program file, if it is one.
std::optional<fs::path> InstallPrefix(const fs::path& program) {
  const fs::path folder = program.parent_path();
  if (program.filename() == kConsoleName && folder.filename() == kInstallBinFolder) {
    const fs::path prefix = folder.parent_path();
    if (IsFile(prefix / kInstallDesktopFolder / kDesktopName)) {
      return prefix;
    }
  }
  const fs::path desktopFolder(kInstallDesktopFolder); // two names: libexec/zorbe
  if (program.filename() == kDesktopName && folder.filename() == desktopFolder.filename() &&
      folder.parent_path().filename() == desktopFolder.parent_path().filename()) {
    const fs::path prefix = folder.parent_path().parent_path();
    if (IsFile(prefix / kInstallBinFolder / kConsoleName)) {
      return prefix;
    }
  }
  return std::nullopt;
}

} // namespace

TProgramLayout ProgramLayout(const std::string& programFile) {
  const fs::path program(programFile);
  if (const std::optional<fs::path> prefix = InstallPrefix(program)) {
    return {true, (*prefix / kInstallBinFolder / kConsoleName).string(),
            (*prefix / kInstallDesktopFolder / kDesktopName).string(),
            (*prefix / kInstallHelpFolder / "zorbe.html").string(),
            (*prefix / kInstallIconFolder / (std::string(kApplicationId) + ".svg")).string()};
  }
  const fs::path folder = program.parent_path();
  return {false, (folder / kConsoleName).string(), (folder / kDesktopName).string(),
          (folder / "zorbe.html").string(), (folder / "zorbe.svg").string()};
}

} // namespace zorbe
