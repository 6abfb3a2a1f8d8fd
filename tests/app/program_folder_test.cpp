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

  {
    const test::TScopedEnvironment config("XDG_CONFIG_HOME", "/config-home");
    EXPECT_EQ(ResolveProgramFolder("/nonexistent/zorbe"), "/config-home/zorbe/"); // not writable
  }
  const test::TScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
  const test::TScopedEnvironment home("HOME", "/home/someone");
  EXPECT_EQ(ResolveProgramFolder("/nonexistent/zorbe"), "/home/someone/.config/zorbe/");
}

TEST(ProgramFolder, SettingsFileLivesThere) {
  const std::string before = ProgramFolder();
  SetProgramFolder("/some/folder");
  EXPECT_EQ(ProgramFolder(), "/some/folder/");
  EXPECT_EQ(SettingsFileName(), "/some/folder/zorbe.ini");
  SetProgramFolder(before);
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
    EXPECT_EQ(layout.helpFile, prefix + "/share/zorbe/help/zorbe.html");
    EXPECT_EQ(layout.iconFile, prefix + "/share/icons/hicolor/scalable/apps/org.zorbe2nd.Zorbe.svg");
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

  const test::TScopedEnvironment config("XDG_CONFIG_HOME", folder.File("config"));
  test::WriteBytes(prefix + "/bin/zorbe.ini", ""); // even a settings file there is not used
  EXPECT_EQ(ResolveProgramFolder(console), folder.File("config") + "/zorbe/");
  EXPECT_EQ(ResolveProgramFolder(desktop), folder.File("config") + "/zorbe/");
}

} // namespace
} // namespace zorbe
