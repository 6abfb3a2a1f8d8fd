// The install as `make install DESTDIR=...` makes it, and the installed program run from there:
// every part in its place, and zorbe.ini read from the user's configuration folder, never from
// the bin folder. The Debian package holds the same files and its program runs.

#include "app/program_layout.h"
#include "e2e/program_runner.h"
#include "platform/console.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

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

// The files below a folder, by their names relative to it.
std::set<std::string> FilesBelow(const fs::path& root) {
  std::set<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) {
      files.insert(fs::relative(entry.path(), root).string());
    }
  }
  return files;
}

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

// The package as `make deb` builds it, from the programs this build made (dist/build-deb.sh
// --prebuilt): lintian finds no error or warning in it; it holds the files of the install under
// /usr, plus Debian's copyright, changelog and lintian overrides; its desktop entry and metainfo
// are valid; and its program, unpacked, runs and sorts.
TEST_F(InstallE2E, ThePackageHoldsTheInstallAndItsProgramRuns) {
  if (std::getenv("ZORBE_IN_PACKAGE_BUILD") != nullptr) {
    GTEST_SKIP() << "run by a package build, which this test would start again";
  }
  if (std::string(ZORBE_BUILD_TYPE) != "Release") {
    GTEST_SKIP() << "the package holds the release build's programs, not this build's";
  }
  if (FindProgram("dpkg-buildpackage").empty() || FindProgram("dh").empty()) {
    GTEST_SKIP() << "dpkg-buildpackage or debhelper is missing (make deps installs them)";
  }
  ASSERT_EQ(install_.status, 0) << install_.out << install_.err;

  std::vector<std::string> args = {"--prebuilt", ZORBE_BINARY_DIR, folder.File("out")};
  if (!FindProgram("lintian").empty()) {
    args.insert(args.begin(), "--lint");
  }
  const test::TRunResult build =
      test::RunProgram(ZORBE_SOURCE_DIR "/dist/build-deb.sh", args, folder.File(""));
  ASSERT_EQ(build.status, 0) << build.out << build.err;
  std::string deb = build.out.substr(0, build.out.find_last_not_of('\n') + 1);
  deb.erase(0, deb.rfind('\n') + 1); // the last line names the package
  const std::string name = fs::path(deb).filename().string();
  EXPECT_TRUE(name.starts_with("zorbe_" ZORBE_VERSION "-1_") && name.ends_with(".deb")) << deb;
  const std::string base = deb.substr(0, deb.size() - 4);
  EXPECT_TRUE(fs::is_regular_file(base + ".buildinfo") && fs::is_regular_file(base + ".changes"))
      << build.out;

  const fs::path root = folder.Path() / "root";
  const test::TRunResult extract =
      test::RunProgram(FindProgram("dpkg-deb"), {"-x", deb, root.string()}, folder.File(""));
  ASSERT_EQ(extract.status, 0) << extract.err;
  std::set<std::string> expected;
  for (const std::string& file : FilesBelow(prefix)) {
    expected.insert(file.starts_with("share/man/") ? file + ".gz" : file); // compressed
  }
  expected.insert({"share/doc/zorbe/copyright", "share/doc/zorbe/changelog.Debian.gz",
                   "share/lintian/overrides/zorbe"});
  EXPECT_EQ(FilesBelow(root / "usr"), expected);
  ExpectPartsFound(root / "usr");

  // The libraries the programs link come from shlibs; the windows' platform plugin is named.
  const test::TRunResult depends =
      test::RunProgram(FindProgram("dpkg-deb"), {"-f", deb, "Depends"}, folder.File(""));
  for (const char* package : {"libqt6widgets6", "libuchardet0", "libc6", "qt6-qpa-plugins"}) {
    EXPECT_NE(depends.out.find(package), std::string::npos) << package << ": " << depends.out;
  }

  const fs::path share = root / "usr/share";
  const struct {
    const char* tool;
    std::vector<std::string> args;
  } checks[] = {
      {"desktop-file-validate", {(share / "applications/org.zorbe2nd.Zorbe.desktop").string()}},
      {"appstreamcli",
       {"validate", "--no-net", (share / "metainfo/org.zorbe2nd.Zorbe.metainfo.xml").string()}},
  };
  for (const auto& check : checks) {
    const std::string tool = FindProgram(check.tool);
    if (!tool.empty()) {
      const test::TRunResult run = test::RunProgram(tool, check.args, folder.File(""));
      EXPECT_EQ(run.status, 0) << check.tool << ": " << run.out << run.err;
    }
  }

  const std::string zorbe = (root / "usr/bin/zorbe").string();
  test::TRunResult run = test::RunProgram(zorbe, {"--version"}, folder.File(""));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(ZORBE_VERSION), std::string::npos) << run.out;
  test::WriteBytes(folder.File("a.txt"), "b\r\na\r\n");
  test::TRunOptions options;
  options.environment = {"XDG_CONFIG_HOME=" + folder.File("config")};
  run = test::RunProgram(zorbe, {"-o", "-", "a.txt"}, folder.File(""), options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "a\r\nb\r\n");
}

} // namespace
} // namespace zorbe
