#include "app/output_field_check.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

struct TCheckCase {
  std::string text;
  std::string cleaned;
  bool removed;
};

TEST(OutputFieldCheck, FileNameLosesEveryForbiddenCharacter) {
  const TCheckCase cases[] = {
      {"out.txt", "out.txt", false},
      {"out?.txt", "out.txt", true},
      {"a\\b/c:d,e*f?g\"h<i>j|k", "abcdefghijk", true},
      {"ソート結果.txt", "ソート結果.txt", false}, // multi-byte characters stay whole
      {"表\\示", "表示", true},
      {"", "", false},
  };
  for (const TCheckCase& c : cases) {
    const TCheckedField checked = CheckOutputFileName(c.text);
    EXPECT_EQ(checked.text, c.cleaned) << c.text;
    EXPECT_EQ(checked.removed, c.removed) << c.text;
  }
}

TEST(OutputFieldCheck, AbsoluteFolderIsCheckedAfterItsRootAndKeepsItsQuotes) {
  const TCheckCase cases[] = {
      {"/out|put", "/output", true},
      {"/home/me/出力", "/home/me/出力", false},
      {"/a:b*c?d<e>f,g", "/abcdefg", true},
      {"\"/out|put\"", "\"/output\"", true},  // set-aside quotes come back
      {"\"/out\"put\"", "\"/output\"", true}, // a quote inside is removed
      {"\"/open", "\"/open", false},          // no closing quote to set aside
      {"out|put", "out|put", false},          // a relative folder is not checked
      {"/", "/", false},
      {"", "", false},
  };
  for (const TCheckCase& c : cases) {
    const TCheckedField checked = CheckOutputFolder(c.text);
    EXPECT_EQ(checked.text, c.cleaned) << c.text;
    EXPECT_EQ(checked.removed, c.removed) << c.text;
  }
}

} // namespace
} // namespace zorbe
