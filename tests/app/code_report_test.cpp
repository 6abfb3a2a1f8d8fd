#include "app/code_report.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using test::Sjis;

TEST(CodeReport, EachFileWithTheCodeASortReadsItIn) {
  test::TTempFolder folder;
  const struct {
    const char* name;
    std::string bytes;
    const char* code;
    bool accepted;
  } cases[] = {
      {"sjis.txt", Sjis("漢字\r\n"), "S-JIS", true},
      {"euc.txt", "\xA5\xA2\xA5\xA4\n", "EUC", true},
      {"utf8.txt", "あ\n", "UTF-8", true},
      {"empty.txt", "", "S-JIS", true},
      {"jis.txt", "\x1B$B$\"\x1B(B\n", "JIS83", true},
      // Decided as EUC at its first byte, but only Shift-JIS reads it whole.
      {"late-sjis.txt", "\xF0\x40" + Sjis("漢字\r\n"), "S-JIS", true},
      {"binary.dat", std::string("\0\1\2", 3), "BINARY", false},
      {"ambiguous.txt", "\xB1\xB2\xB3\xB4\xA4\xA2\xB5\xB6\xB7\xB8\r\n", "none", false},
      {"unfit.txt", Sjis("漢") + "\x80\n", "none", false},
      // UTF-8 as far as the detector looks, Shift-JIS two megabytes in.
      {"broken-utf8.txt",
       std::string(1 << 20, 'a') + "あ" + std::string((1 << 20) + 100, 'a') + Sjis("漢"), "none",
       false},
  };
  std::vector<std::string> names;
  for (const auto& c : cases) {
    names.push_back(folder.Write(std::string("files/") + c.name, c.bytes));
  }
  const std::vector<TCodeReportLine> lines = CodeReport({names[0], folder.File("files")});
  ASSERT_EQ(lines.size(), std::size(cases) + 1);
  EXPECT_EQ(lines[0].text, names[0] + ": S-JIS");
  for (const auto& c : cases) {
    const std::string file = folder.File(std::string("files/") + c.name);
    const auto line = std::find_if(lines.begin() + 1, lines.end(), [&](const TCodeReportLine& l) {
      return l.text.starts_with(file + ":");
    });
    ASSERT_NE(line, lines.end()) << c.name;
    EXPECT_EQ(line->text, file + ": " + c.code);
    EXPECT_EQ(line->accepted, c.accepted) << c.name;
    EXPECT_EQ(line->reason.empty(), c.accepted) << c.name << ": " << line->reason;
  }
  // A folder gives its files in name order.
  EXPECT_TRUE(std::is_sorted(lines.begin() + 1, lines.end(),
                             [](const auto& a, const auto& b) { return a.text < b.text; }));
  const std::vector<TCodeReportLine> missing = CodeReport({folder.File("nothing.txt")});
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_FALSE(missing[0].accepted);
  EXPECT_NE(missing[0].reason.find("nothing.txt"), std::string::npos);
}

} // namespace
} // namespace zorbe
