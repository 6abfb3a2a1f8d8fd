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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DefaultOutputName(c.file, c.folder, c.name, c.perFile), c.expected) << c.file;
  }
}

} // namespace
} // namespace zorbe
