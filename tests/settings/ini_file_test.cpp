#include "settings/ini_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(IniFile, FormatRules) {
  const TIniFile ini = TIniFile::Parse("before=ignored\r\n"
                                       "  [ One ]  \n"
                                       "; a comment\n"
                                       "Key = value with = sign  \n"
                                       "key=second\n"
                                       "\n"
                                       "no equals sign here\n"
                                       "[two]\n"
                                       "Num=0x1F\n"
                                       "Bad=12abc\n"
                                       "Neg=-5\n"
                                       "[one]\n"
                                       "Key=from the second section\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"One", "two", "one"}));
  EXPECT_EQ(ini.ReadString("ONE", "KEY", "-"), "value with = sign"); // first section and key win
  EXPECT_EQ(ini.ReadString("one", "before", "-"), "-");
  EXPECT_EQ(ini.ReadInteger("two", "Num", 0), 31);
  EXPECT_EQ(ini.ReadInteger("two", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("two", "Neg", 0), -5);
  EXPECT_TRUE(ini.ReadBool("two", "Neg", false));
  EXPECT_FALSE(ini.SectionExists("three"));
  // Comment lines go; a line without "=" and the lines before the first section stay; each
  // section ends with an empty line.
  EXPECT_EQ(ini.Text(),
            "before=ignored\n\n[One]\nKey=value with = sign\nkey=second\nno equals sign here\n\n"
            "[two]\nNum=0x1F\nBad=12abc\nNeg=-5\n\n[one]\nKey=from the second section\n\n");
}

TEST(IniFile, IntegerForms) {
  const struct {
    std::string text;
    std::optional<long long> value;
  } cases[] = {{"42", 42},
               {"-42", -42},
               {"0x10", 16},
               {"0XfF", 255},
               {"", std::nullopt},
               {"1.5", std::nullopt},
               {"0x", std::nullopt},
               {"--1", std::nullopt},
               {"2147483647", 2147483647},
               {"2147483648", std::nullopt},
               {"-2147483648", -2147483648LL},
               {"0xFFFFFFFF", -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseIniInteger(c.text), c.value) << c.text;
  }
}

TEST(IniFile, WritesKeepOrderAndTrimValues) {
  TIniFile ini;
  ini.WriteString("A", "x", "  padded  ");
  ini.WriteInteger("B", "n", 3);
  ini.WriteBool("A", "flag", true);
  ini.WriteString("a", "X", "replaced");
  ini.WriteString("B", "line", "one\r\ntwo");
  EXPECT_EQ(ini.Text(), "[A]\nx=replaced\nflag=1\n\n[B]\nn=3\nline=one  two\n\n");
  ini.WriteString("two\nlines", "k", "v"); // a name is stored and found on one line
  EXPECT_EQ(ini.ReadString("two\nlines", "k", ""), "v");
  EXPECT_EQ(ini.ReadString("two lines", "k", ""), "v");
  ini.EraseSection("two\nlines");
  ini.EraseSection("a");
  EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"B"});
}

TEST(IniFile, SaveReplacesTheFileAndLoadReadsCp932) {
  test::TTempFolder folder;
  const std::string name = folder.File("conf/zorbe.ini");
  TIniFile ini;
  ini.WriteString("設定", "CLTC", "＃");
  ini.Save(name);
  EXPECT_EQ(TIniFile::Load(name).ReadString("設定", "CLTC", ""), "＃");
  EXPECT_EQ(std::filesystem::directory_iterator(folder.File("conf"))->path().filename(),
            "zorbe.ini");

  test::WriteBytes(name, test::Sjis("[設定]\r\nCLTC=＃\r\n"));
  EXPECT_EQ(TIniFile::Load(name).ReadString("設定", "CLTC", ""), "＃");
  EXPECT_TRUE(TIniFile::Load(folder.File("missing.ini")).SectionNames().empty());
}

// Editors on Windows put a byte-order mark in front (Notepad writes UTF-8 with one, or UTF-16);
// the first section must still be found.
TEST(IniFile, ByteOrderMarksAreRead) {
  const std::string utf8 = "[逆]\r\nSortDirection=1\r\n";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"UTF-8", "\xEF\xBB\xBF" + utf8},
      {"UTF-8, behind an empty line", "\r\n\xEF\xBB\xBF\xEF\xBB\xBF" + utf8},
      {"CP932", "\xEF\xBB\xBF" + test::Sjis(utf8)},
      {"UTF-16LE", "\xFF\xFE" + test::Recode(utf8, "UTF-8", "UTF-16LE")},
      {"UTF-16BE", "\xFE\xFF" + test::Recode(utf8, "UTF-8", "UTF-16BE")},
  };
  for (const auto& c : cases) {
    const TIniFile ini = TIniFile::Parse(c.bytes);
    EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"逆"}) << c.what;
    EXPECT_EQ(ini.ReadInteger("逆", "SortDirection", 0), 1) << c.what;
    EXPECT_EQ(ini.Text(), "[逆]\nSortDirection=1\n\n") << c.what;
  }
}

TEST(IniFile, RewritingKeepsWhatItDoesNotUnderstand) {
  const std::string text = "stray line\n"
                           "orphan=1\n"
                           "[A]\n"
                           "k=1\n"
                           "k=2\n"
                           "just text\n"
                           "[Option]\n"
                           "Top=5\n"
                           "[a]\n"
                           "k=3\n";
  TIniFile ini = TIniFile::Parse(text);
  ini.WriteInteger("Option", "Top", 7);
  ini.WriteString("B", "new", "x");
  EXPECT_EQ(ini.Text(), "stray line\norphan=1\n\n[A]\nk=1\nk=2\njust text\n\n"
                        "[Option]\nTop=7\n\n[a]\nk=3\n\n[B]\nnew=x\n\n");
  EXPECT_EQ(TIniFile::Parse(ini.Text()).Text(), ini.Text()); // and reads back the same
}

TEST(IniFile, UnwritableFileIsAnErrorNamingIt) {
  test::TTempFolder folder;
  const std::string blocker = folder.Write("file", "");
  TIniFile ini;
  ini.WriteString("A", "k", "v");
  try {
    ini.Save(blocker + "/zorbe.ini");
    FAIL() << "no error";
  } catch (const EIniFileError& e) {
    EXPECT_NE(std::string(e.what()).find(blocker), std::string::npos);
  }
}

} // namespace
} // namespace zorbe
