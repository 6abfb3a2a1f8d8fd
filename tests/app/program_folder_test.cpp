#include "app/program_folder.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

} // namespace
} // namespace zorbe
