#include "app/help_file.h"

#include "test_support.h"

#include <cctype>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

// The values of every `attribute="..."` in the page.
std::vector<std::string> AttributeValues(const std::string& page, const std::string& attribute) {
  const std::string opening = attribute + "=\"";
  std::vector<std::string> values;
  for (std::size_t at = page.find(opening); at != std::string::npos;
       at = page.find(opening, at + 1)) {
    const bool wordStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(page[at - 1])) ||
                                        page[at - 1] == '_' || page[at - 1] == '-');
    const std::size_t start = at + opening.size();
    const std::size_t end = page.find('"', start);
    if (wordStart && end != std::string::npos) {
      values.push_back(page.substr(start, end - start));
    }
  }
  return values;
}

TEST(HelpFile, LiesBesideTheProgram) {
  EXPECT_EQ(HelpFileName("/opt/zorbe/zorbe-desktop"), "/opt/zorbe/zorbe.html");
  EXPECT_EQ(HelpFileName("/opt/ゾルベ 2/zorbe"), "/opt/ゾルベ 2/zorbe.html");
  EXPECT_NE(HelpMissingMessage("/x/zorbe.html").find("「/x/zorbe.html」"), std::string::npos);
  EXPECT_NE(HelpNotOpenedMessage("/x/zorbe.html").find("「/x/zorbe.html」"), std::string::npos);
}

// The build puts the help beside the programs, as the source has it, with every picture and
// every part of the page that it links to.
TEST(HelpFile, IsInstalledBesideTheBuiltProgramWithEverythingItRefersTo) {
  const std::string installed = HelpFileName(ZORBE_EXECUTABLE);
  ASSERT_TRUE(fs::is_regular_file(installed)) << installed;
  const std::string page = test::ReadBytes(installed);
  EXPECT_EQ(page, test::ReadBytes(std::string(ZORBE_SOURCE_DIR) + "/docs/help/zorbe.html"))
      << "the installed help is out of date";

  const std::vector<std::string> images = AttributeValues(page, "src");
  EXPECT_GE(images.size(), 5u);
  const fs::path folder = fs::path(installed).parent_path();
  for (const std::string& image : images) {
    EXPECT_TRUE(fs::is_regular_file(folder / image)) << image;
  }

  const std::vector<std::string> ids = AttributeValues(page, "id");
  const std::set<std::string> anchors(ids.begin(), ids.end());
  EXPECT_EQ(anchors.size(), ids.size()) << "an id used twice";
  for (const std::string& link : AttributeValues(page, "href")) {
    ASSERT_FALSE(link.empty());
    if (link[0] == '#') {
      EXPECT_TRUE(anchors.count(link.substr(1)) == 1) << link;
    } else {
      EXPECT_TRUE(fs::exists(folder / link)) << link;
    }
  }
}

} // namespace
} // namespace zorbe
