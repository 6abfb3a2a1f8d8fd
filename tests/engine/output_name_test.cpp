#include "engine/output_name.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(DefaultOutputName, FirstFreeBracketedNumber) {
  test::TTempFolder folder;
  const std::string file = folder.Write("a.txt", "x");
  const std::string dir = folder.Path().string() + "/";
  EXPECT_EQ(DefaultOutputName(file, "", "", false), dir + "a[0].txt");
  folder.Write("a[0].txt", "");
  folder.Write("a[1].txt", "");
  EXPECT_EQ(DefaultOutputName(file, "", "", false), dir + "a[2].txt");
  std::filesystem::create_directory(folder.Path() / "a[2].txt"); // a folder takes the name too
  EXPECT_EQ(DefaultOutputName(file, "", "", false), dir + "a[3].txt");
}

TEST(DefaultOutputName, FoldersNamesAndFlags) {
  const struct {
    std::string file, folder, name;
    bool perFile;
    std::string expected;
  } cases[] = {
      {"/nonexistent/x", "", "", false, "/nonexistent/x[0]"},
      {"/nonexistent/in/a.txt", "/nonexistent/out", "", false, "/nonexistent/out/a[0].txt"},
      {"/nonexistent/in/a.txt", "/nonexistent/out/", "", false, "/nonexistent/out/a[0].txt"},
      {"/nonexistent/in/a.txt", "\"/nonexistent/out\"", "", false, "/nonexistent/out/a[0].txt"},
      {"/nonexistent/in/a.txt", "", "result.txt", false, "/nonexistent/in/result.txt"},
      {"/nonexistent/in/a.txt", "/nonexistent/out", "result.txt", false,
       "/nonexistent/out/result.txt"},
      {"/nonexistent/in/a.txt", "", "result.txt", true, "/nonexistent/in/a[0].txt"},
      {"a.b.txt", "", "", false, "a.b[0].txt"}, // relative to the working folder
      // Only quotes around a whole folder or name go; the file's own folder is a real name.
      {"/nonexistent/in/a.txt", "", "\"r.txt\"", false, "/nonexistent/in/r.txt"},
      {"/nonexistent/in/a.txt", "", "a\"b.txt", false, "/nonexistent/in/a\"b.txt"},
      {"/nonexistent/in\"x/a.txt", "", "", false, "/nonexistent/in\"x/a[0].txt"},
      {"/nonexistent/in/a.txt", "/nonexistent/o\"ut", "", false, "/nonexistent/o\"ut/a[0].txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DefaultOutputName(c.file, c.folder, c.name, c.perFile), c.expected) << c.file;
  }
}

// A setting's output folder and name may be absolute or start at the home folder; neither is
// ever put below the input's folder.
TEST(DefaultOutputName, AbsoluteAndHomeNames) {
  const std::string home = "/nonexistent/home";
  const test::TScopedEnvironment homeVariable("HOME", home);
  const struct {
    std::string folder, name;
    std::string expected;
  } cases[] = {
      {"", "/srv/out/abs.txt", "/srv/out/abs.txt"},
      {"/nonexistent/out", "/srv/out/abs.txt", "/srv/out/abs.txt"},
      {"", "\"/srv/out/q.txt\"", "/srv/out/q.txt"},
      {"", "~/r.txt", home + "/r.txt"},
      {"~/zz", "", home + "/zz/a[0].txt"},
      {"~/zz/", "r.txt", home + "/zz/r.txt"},
      {"\"~/zz\"", "r.txt", home + "/zz/r.txt"},
      {"~", "r.txt", home + "/r.txt"},
      {"~user/zz", "r.txt", "~user/zz/r.txt"}, // only the user's own home
      {"", "sub/~/r.txt", "/nonexistent/in/sub/~/r.txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DefaultOutputName("/nonexistent/in/a.txt", c.folder, c.name, false), c.expected)
        << c.folder << " " << c.name;
  }
}

} // namespace
} // namespace zorbe
