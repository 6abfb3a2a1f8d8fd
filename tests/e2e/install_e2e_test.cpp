// The install as `make install DESTDIR=...` makes it, and the installed program run from there:
// every part in its place, and zorbe.ini read from the user's configuration folder, never from
// the bin folder.

#include "e2e/program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

// Runs `cmake --install` of this build into a staging folder, keeping the build folder's record
// of a real install (which `make uninstall` reads) as it was.
class InstallE2E : public testing::Test {
protected:
  void SetUp() override {
    const fs::path manifest = fs::path(ZORBE_BINARY_DIR) / "install_manifest.txt";
    std::error_code ec;
    if (fs::exists(manifest, ec)) {
      savedManifest_ = test::ReadBytes(manifest.string());
    }
    test::TRunOptions options;
    options.environment = {"DESTDIR=" + stage.string()};
    install_ = test::RunProgram(ZORBE_CMAKE_COMMAND,
                                {"--install", ZORBE_BINARY_DIR, "--prefix", "/usr/local"},
                                folder.File(""), options);
    if (savedManifest_) {
      test::WriteBytes(manifest.string(), *savedManifest_);
    } else {
      fs::remove(manifest, ec);
    }
  }

  test::TTempFolder folder;
  fs::path stage = folder.Path() / "stage";
  fs::path prefix = stage / "usr/local";
  test::TRunResult install_;

private:
  std::optional<std::string> savedManifest_;
};

TEST_F(InstallE2E, EveryPartInItsPlaceAndSettingsInTheConfigFolder) {
  ASSERT_EQ(install_.status, 0) << install_.out << install_.err;
  const char* const parts[] = {
      "bin/zorbe",
      "libexec/zorbe/zorbe-desktop",
      "share/doc/zorbe/zorbe.html",
      "share/icons/hicolor/scalable/apps/zorbe.svg",
      "share/icons/hicolor/128x128/apps/zorbe.png",
      "share/applications/zorbe.desktop",
      "share/man/man1/zorbe.1",
      "share/bash-completion/completions/zorbe",
  };
  for (const char* part : parts) {
    EXPECT_TRUE(fs::is_regular_file(prefix / part)) << part;
  }
  EXPECT_TRUE(fs::exists(prefix / "share/doc/zorbe/zorbe-help"));
  EXPECT_EQ(test::ReadBytes((prefix / "share/icons/hicolor/128x128/apps/zorbe.png").string())
                .substr(0, 8),
            "\x89PNG\r\n\x1a\n");
  const std::string entry = test::ReadBytes((prefix / "share/applications/zorbe.desktop").string());
  EXPECT_NE(entry.find("\nExec=zorbe %F\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=zorbe\n"), std::string::npos) << entry;
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
