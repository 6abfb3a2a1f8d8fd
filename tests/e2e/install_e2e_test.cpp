// The install as `make install DESTDIR=...` makes it, and the installed program run from there:
// every part in its place, and zorbe.ini read from the user's configuration folder, never from
// the bin folder.

#include "app/program_layout.h"
#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

// Runs `cmake --install` of this build into a staging folder. Only the default component is
// named, so that the build folder's record of a real install (install_manifest.txt, which `make
// uninstall` reads) is left as it was.
class InstallE2E : public testing::Test {
protected:
  void SetUp() override {
    test::TRunOptions options;
    options.environment = {"DESTDIR=" + stage.string()};
    install_ = test::RunProgram(
        ZORBE_CMAKE_COMMAND,
        {"--install", ZORBE_BINARY_DIR, "--prefix", "/usr/local", "--component", "Unspecified"},
        folder.File(""), options);
  }

  test::TTempFolder folder;
  fs::path stage = folder.Path() / "stage";
  fs::path prefix = stage / "usr/local";
  test::TRunResult install_;
};

// The installed program finds its help and its icon where the install put them.
void ExpectPartsFound(const fs::path& prefix) {
  const TProgramLayout layout = ProgramLayout((prefix / "bin/zorbe").string());
  EXPECT_TRUE(layout.installed);
  EXPECT_TRUE(fs::is_regular_file(layout.helpFile)) << layout.helpFile;
  EXPECT_TRUE(fs::is_regular_file(layout.iconFile)) << layout.iconFile;
}

TEST_F(InstallE2E, EveryPartInItsPlaceAndSettingsInTheConfigFolder) {
  ASSERT_EQ(install_.status, 0) << install_.out << install_.err;
  const char* const parts[] = {
      "bin/zorbe",
      "libexec/zorbe/zorbe-desktop",
      "share/zorbe/help/zorbe.html",
      "share/icons/hicolor/scalable/apps/org.zorbe2nd.Zorbe.svg",
      "share/icons/hicolor/128x128/apps/org.zorbe2nd.Zorbe.png",
      "share/applications/org.zorbe2nd.Zorbe.desktop",
      "share/metainfo/org.zorbe2nd.Zorbe.metainfo.xml",
      "share/man/man1/zorbe.1",
      "share/bash-completion/completions/zorbe",
  };
  for (const char* part : parts) {
    EXPECT_TRUE(fs::is_regular_file(prefix / part)) << part;
  }
  ExpectPartsFound(prefix);
  EXPECT_TRUE(fs::exists(prefix / "share/zorbe/help/zorbe-help/main_window.png"));
  EXPECT_EQ(
      test::ReadBytes((prefix / "share/icons/hicolor/128x128/apps/org.zorbe2nd.Zorbe.png").string())
          .substr(0, 8),
      "\x89PNG\r\n\x1a\n");
  const std::string entry =
      test::ReadBytes((prefix / "share/applications/org.zorbe2nd.Zorbe.desktop").string());
  EXPECT_NE(entry.find("\nExec=zorbe %F\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=org.zorbe2nd.Zorbe\n"), std::string::npos) << entry;
  EXPECT_EQ(entry.find("MimeType"), std::string::npos) << entry; // never a default for text

  // A settings file in the bin folder is not the installed program's; the one in a fresh
  // configuration folder is.
  test::WriteBytes((prefix / "bin/zorbe.ini").string(), "[not this]\n");
  fs::create_directories(folder.Path() / "config/zorbe");
  test::WriteBytes(folder.File("config/zorbe/zorbe.ini"), "[from config]\nSortDirection=1\n");
  test::TRunOptions options;
  options.environment = {"XDG_CONFIG_HOME=" + folder.File("config")};
  test::TRunResult run = test::RunProgram((prefix / "bin/zorbe").string(), {"--list-settings"},
                                          folder.File(""), options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "from config\n");

  test::WriteBytes(folder.File("a.txt"), "a\r\nb\r\n");
  run = test::RunProgram((prefix / "bin/zorbe").string(),
                         {"--setting=from config", "-o", "-", "a.txt"}, folder.File(""), options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "b\r\na\r\n");
}

} // namespace
} // namespace zorbe
