#include "app/version_info.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TVersionInfo TwoLanguages() {
  TVersionInfo info;
  info.translations = {{0x0411, 0x03a4}, {0x0409, 0x04b0}};
  info.stringTables["041103a4"] = {{"ProductName", "日本語名"}, {"Empty", ""}};
  info.stringTables["040904b0"] = {{"ProductName", "English"}, {"OnlyHere", "x"}};
  return info;
}

TEST(VersionInfo, LookupRules) {
  const TVersionInfo two = TwoLanguages();
  TVersionInfo noPairs = two;
  noPairs.translations.clear();
  TVersionInfo missingTable = two;
  missingTable.stringTables.erase("041103a4");
  struct Case {
    const char* what;
    const TVersionInfo* info;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"no version information", nullptr, "ProductName", ""},
      {"the first pair's table", &two, "ProductName", "日本語名"},
      {"an empty value is a value", &two, "Empty", ""},
      {"a key only in the second table", &two, "OnlyHere", "UnKnown"},
      {"a missing key", &two, "LegalCopyright", "UnKnown"},
      {"keys keep their letter case", &two, "productname", "UnKnown"},
      {"no language pair", &noPairs, "ProductName", "UnKnown"},
      {"the first pair's table missing", &missingTable, "ProductName", "UnKnown"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionString(c.info, c.key), c.expected) << c.what;
  }
}

TEST(VersionInfo, StringTableNameIsLowerCaseHexadecimal) {
  EXPECT_EQ(StringTableName({0x0411, 0x03A4}), "041103a4");
  EXPECT_EQ(StringTableName({0xABCD, 0x0001}), "abcd0001");
  EXPECT_EQ(StringTableName({0, 0}), "00000000");
}

TEST(VersionInfo, ProgramTableNamesTheProductAndItsVersion) {
  EXPECT_EQ(ProgramVersionString("ProductName"), "Zorbe 2nd");
  EXPECT_EQ(ProgramVersionString("ProductVersion"), ZORBE_VERSION);
  EXPECT_NE(ProgramVersionString("LegalCopyright"), "UnKnown");
  EXPECT_EQ(ProgramVersionString("NoSuchKey"), "UnKnown");
}

TEST(VersionInfo, MailLinkCarriesTheProductInItsSubject) {
  EXPECT_EQ(ContactMailLink("a@b.example", "Zorbe 2nd", "1.2.3"),
            "Mailto:a@b.example?subject=Zorbe%202nd1.2.3&");
  // Characters a URL gives meaning to stay inside the subject.
  EXPECT_EQ(ContactMailLink("a@b", "x&y#", "?"), "Mailto:a@b?subject=x%26y%23%3F&");
  EXPECT_EQ(ContactMailLink("a@b", "日", ""), "Mailto:a@b?subject=%E6%97%A5&");
}

} // namespace
} // namespace zorbe
