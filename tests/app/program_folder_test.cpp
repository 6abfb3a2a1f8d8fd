#include "app/program_folder.h"

#include "app/program_layout.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace zorbe {
namespace {

TEST(ProgramFolder, WritableFolderOrExistingSettingsElseConfigFolder) {
  test::TTempFolder folder;
  const std::string program = folder.File("zorbe");
  EXPECT_EQ(ResolveProgramFolder(program), folder.Path().string() + "/");

  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  ::setenv("XDG_CONFIG_HOME", "/config-home", 1);
  EXPECT_EQ(ResolveProgramFolder("/nonexistent/zorbe"), "/config-home/zorbe/"); // not writable
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(ResolveProgramFolder("/nonexistent/zorbe"), "/home/someone/.config/zorbe/");
  ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(ProgramFolder, SettingsFileLivesThere) {
  SetProgramFolder("/some/folder");
  EXPECT_EQ(ProgramFolder(), "/some/folder/");
  EXPECT_EQ(SettingsFileName(), "/some/folder/zorbe.ini");
}

// An installed program (its layout under any prefix) finds its parts in the install's folders
// and keeps zorbe.ini in the configuration folder even where its bin folder is writable (root);
// a build folder or a copied folder keeps everything beside the program.
TEST(ProgramFolder, InstalledProgramsUseTheInstallLayoutAndTheConfigFolder) {
  test::TTempFolder folder;
  const std::string prefix = folder.File("prefix");
  const std::string console = prefix + "/bin/zorbe";
  const std::string desktop = prefix + "/libexec/zorbe/zorbe-desktop";
  for (const char* sub : {"prefix/bin", "prefix/libexec/zorbe", "portable", "half/bin"}) {
    std::filesystem::create_directories(folder.File(sub));
  }
  test::WriteBytes(console, "");
  test::WriteBytes(desktop, "");
  test::WriteBytes(folder.File("portable/zorbe"), "");
  test::WriteBytes(folder.File("half/bin/zorbe"), ""); // no zorbe-desktop where it belongs

  for (const std::string& program : {console, desktop}) {
    const TProgramLayout layout = ProgramLayout(program);
    EXPECT_TRUE(layout.installed) << program;
    EXPECT_EQ(layout.consoleProgram, console);
    EXPECT_EQ(layout.desktopProgram, desktop);
    EXPECT_EQ(layout.helpFile, prefix + "/share/doc/zorbe/zorbe.html");
    EXPECT_EQ(layout.iconFile, prefix + "/share/icons/hicolor/scalable/apps/zorbe.svg");
  }
  for (const std::string& program :
       {folder.File("portable/zorbe"), folder.File("half/bin/zorbe")}) {
    const TProgramLayout layout = ProgramLayout(program);
    const std::string beside = program.substr(0, program.rfind('/') + 1);
    EXPECT_FALSE(layout.installed) << program;
    EXPECT_EQ(layout.desktopProgram, beside + "zorbe-desktop");
    EXPECT_EQ(layout.helpFile, beside + "zorbe.html");
    EXPECT_EQ(ResolveProgramFolder(program), beside);
  }

  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = config != nullptr ? config : "";
  ::setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
  test::WriteBytes(prefix + "/bin/zorbe.ini", ""); // even a settings file there is not used
  EXPECT_EQ(ResolveProgramFolder(console), folder.File("config") + "/zorbe/");
  EXPECT_EQ(ResolveProgramFolder(desktop), folder.File("config") + "/zorbe/");
  if (config != nullptr) {
    ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

} // namespace
} // namespace zorbe
