// Sort jobs over Unicode inputs, end to end: nothing lost, the same order as Shift-JIS twins,
// auxiliary files in either code, the output code and line end, refusals before writing.

#include "engine/job_test_support.h"
#include "engine/job_texts.h"
#include "engine/sort_job.h"
#include "text/code_conversion.h"
#include "text/encoding.h"
#include "text/unicode_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace zorbe {
namespace {

using test::Lines;
using test::Recode;
using test::Sjis;

class UnicodeJobTest : public testing::Test {
protected:
  // Sorts the files with their codes into out.txt and returns how the job ended.
  TJobResult Run(const std::vector<std::pair<std::string, TCharCode>>& files) {
    std::filesystem::remove(out);
    inputs = {setting, {}, {}, out};
    for (const auto& [file, code] : files) {
      inputs.files.push_back(file);
      inputs.codes.push_back(code);
    }
    return RunSortJob(inputs, host, control);
  }
  // Sorts one UTF-8 text and returns the output.
  std::string SortUtf8(const std::string& utf8) {
    const TJobResult result = Run({{folder.Write("in8.txt", utf8), ccUtf8}});
    EXPECT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
    return Output();
  }
  std::string Output() const {
    return std::filesystem::exists(out) ? test::ReadBytes(out) : "(none)";
  }

  test::TTempFolder folder;
  std::string out = folder.File("out.txt");
  TSettingOptionItems setting = SettingDefaults();
  TSortJobInputs inputs;
  TJobControl control;
  test::TRecordingHost host{control, true};
};

// Lines of characters from all of CP932 that read back as themselves, and more.
const std::vector<std::string> kTwinLines = {
    "いろは", "イロハ",      "ｲﾛﾊ",       "ｶﾞｷﾞ",   "漢字",      "亜",     "ABC", "abc",
    "Abc",    "１２３",      "ＡＢＣ",    "ａｂｃ", "Ω",         "①",      "～",  "\\",
    "a,b,c",  "かな,カナ,3", "  space  ", "",       "＃comment", "いろは", "z",   "~tilde",
    "ソ表能", "ーー",        "ｰ",         "、。",   "！？",      "12",     "2",   "ｱ,ｲ",
};

TEST_F(UnicodeJobTest, AUtf8FileSortsLikeItsShiftJisTwinUnderEverySetting) {
  const std::string deletion = folder.Write("del.txt", Lines({"z", "ABC"}));
  const std::string rules = folder.Write("rules.txt", Lines({"ソ,そ", "^a,A"}));
  const struct {
    const char* name;
    void (*apply)(TSettingOptionItems&, const std::string&, const std::string&);
  } kinds[] = {
      {"defaults", [](auto&, auto&, auto&) {}},
      {"reverse", [](auto& s, auto&, auto&) { s.SortDirection = 1; }},
      {"none", [](auto& s, auto&, auto&) { s.SortDirection = 2; }},
      {"no classes", [](auto& s, auto&, auto&) { s.CharTypeOrder = false; }},
      {"folded", [](auto& s, auto&, auto&) { s.Distinction = true; }},
      {"filters",
       [](auto& s, auto& del, auto&) {
         s.Duplicate = s.ReturnDel = s.FBSpaceDel = true;
         s.DelChars = del;
         s.CLTC = "＃";
       }},
      {"column key",
       [](auto& s, auto&, auto&) {
         s.CsvSupport = true;
         s.TargetCsvIndex = 1;
       }},
      {"position key",
       [](auto& s, auto&, auto&) {
         s.CharPos = true;
         s.CharPosCount = 1;
       }},
      {"to half width",
       [](auto& s, auto&, auto&) { s.Pun = s.Num = s.Alpha = s.KataKana = s.AlphaUL = 1; }},
      {"to full width",
       [](auto& s, auto&, auto&) { s.Pun = s.Num = s.Alpha = s.KataKana = s.AlphaUL = 2; }},
      {"replacement", [](auto& s, auto&, auto& r) { s.Replacement = r; }},
  };
  const std::string sjisFile = folder.Write("twin.txt", Lines(kTwinLines));
  const std::string utf8File = folder.Write("twin8.txt", Lines(kTwinLines, false));
  for (const auto& kind : kinds) {
    setting = SettingDefaults();
    kind.apply(setting, deletion, rules);
    ASSERT_EQ(Run({{sjisFile, ccShiftJis}}).outcome, TJobOutcome::Finished) << kind.name;
    const std::string sjisOut = Output();
    ASSERT_EQ(Run({{utf8File, ccUtf8}}).outcome, TJobOutcome::Finished) << kind.name;
    EXPECT_EQ(Output(), Recode(sjisOut, "CP932", "UTF-8")) << kind.name;
  }
}

TEST_F(UnicodeJobTest, EveryLineComesBackAsItself) {
  // CP932's repertoire, the characters CP932 reaches only under another one's code, characters
  // it can't hold, combining marks and private-use characters.
  std::vector<std::string> pieces = {"あ",
                                     "ア",
                                     "ｱ",
                                     "ﾞ",
                                     "亜",
                                     "熙",
                                     "①",
                                     "ⅰ",
                                     "∵",
                                     "A",
                                     "z",
                                     "1",
                                     " ",
                                     "\t",
                                     ",",
                                     "～",
                                     "－",
                                     "∥",
                                     "￠",
                                     "￡",
                                     "￢",
                                     "―",
                                     "\\",
                                     "~",
                                     "〜",
                                     "−",
                                     "‖",
                                     "¢",
                                     "£",
                                     "¬",
                                     "—",
                                     "¥",
                                     "‾",
                                     "𠮷",
                                     "😀",
                                     "é",
                                     "ō",
                                     "\xCC\x81",
                                     "\xE3\x82\x99",
                                     "\xEE\x80\x80",
                                     "\xEE\x9D\x97",
                                     "\xEF\xA3\xBF",
                                     "\xEF\xBB\xBF"};
  // And every character of CP932's repertoire (its user-defined area too).
  std::vector<std::string> repertoire;
  for (int b = 0x20; b <= 0xDF; ++b) {
    if (b <= 0x7E || b >= 0xA1) {
      repertoire.push_back(Cp932ToUtf8(std::string(1, static_cast<char>(b))));
    }
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC && (lead <= 0x9F || lead >= 0xE0); ++trail) {
      const std::string utf8 =
          Cp932ToUtf8(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      if (trail != 0x7F && utf8 != "\xEF\xBF\xBD") {
        repertoire.push_back(utf8);
      }
    }
  }
  ASSERT_GT(repertoire.size(), 9000u);
  std::mt19937 random(7);
  for (const int direction : {0, 1, 2}) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) {
      std::string line;
      for (int n = static_cast<int>(random() % 8); n > 0; --n) {
        const std::vector<std::string>& from = random() % 2 ? repertoire : pieces;
        line += from[random() % from.size()];
      }
      lines.push_back(line);
    }
    setting.SortDirection = static_cast<std::uint8_t>(direction);
    const std::string sorted = SortUtf8(Lines(lines, false, "\n"));
    std::vector<std::string> back;
    for (std::size_t at = 0; at < sorted.size();) {
      const std::size_t end = sorted.find('\n', at);
      back.push_back(sorted.substr(at, end - at));
      at = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    std::sort(back.begin(), back.end());
    EXPECT_EQ(back, lines) << "SortDirection " << direction;
  }
}

TEST_F(UnicodeJobTest, CharactersShiftJisCantHoldAreKanjiLinesInCodePointOrder) {
  // In byte order they come after the JIS X 0208 kanji and before the IBM rows (ⅰ is 0xFA40);
  // as classes go, they are kanji lines.
  const std::string text = "😀\n𠮷\né\n漢\nⅰ\n〜\n";
  EXPECT_EQ(SortUtf8(text), "〜\nⅰ\n漢\né\n😀\n𠮷\n");
  setting.CharTypeOrder = false;
  EXPECT_EQ(SortUtf8(text), "〜\n漢\né\n😀\n𠮷\nⅰ\n");
}

TEST_F(UnicodeJobTest, AShiftJisUserDefinedCharacterStaysItselfBesideUtf8Text) {
  // 0xF040 in Shift-JIS is U+E000: the same character in both files, of class 1; 𠮷 takes the
  // next free code and is a kanji line.
  const std::string sjis = folder.Write("user.txt", "\xF0\x40 sjis\r\n" + Sjis("亜\r\n"));
  const std::string utf8 = folder.Write("u8.txt", "𠮷\r\n\xEE\x80\x80 utf8\r\n");
  ASSERT_EQ(Run({{sjis, ccShiftJis}, {utf8, ccUtf8}}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(Output(), "\xEE\x80\x80 sjis\r\n\xEE\x80\x80 utf8\r\n亜\r\n𠮷\r\n");
}

TEST_F(UnicodeJobTest, TargetsReadAheadAreTakenIntoTheCodeTable) {
  // Bytes read from pipes that are gone: the job never reads their names. A UTF-8 one brings
  // characters Shift-JIS can't hold; a Shift-JIS one uses the user-defined code 0xF040 that the
  // job must not hand out.
  std::filesystem::remove(out);
  inputs = {setting, {folder.File("gone8"), folder.File("goneSjis")}, {ccUtf8, ccShiftJis}, out};
  inputs.contents[0] = "\xEF\xBB\xBF𠮷\né\nい\n";
  inputs.contents[1] = "\xF0\x40 sjis\n" + Sjis("あ\n");
  const TJobResult result = RunSortJob(inputs, host, control);
  ASSERT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
  EXPECT_EQ(Output(), "\xEF\xBB\xBF\xEE\x80\x80 sjis\nあ\nい\né\n𠮷\n");
  EXPECT_TRUE(inputs.contents.empty()); // their memory is given back
}

TEST_F(UnicodeJobTest, TheOutputCodeAndLineEndFollowTheSettingOrTheFirstTarget) {
  const std::string sjisLf = folder.Write("lf.txt", Sjis("い\nあ\n"));
  const std::string utf8Lf = folder.Write("lf8.txt", "い\nあ\n");
  const std::string utf8CrLf = folder.Write("crlf8.txt", "う\r\nえ\n");
  const std::string bom = folder.Write("bom8.txt", "\xEF\xBB\xBFお\n");
  const std::string utf16 =
      folder.Write("u16.txt", "\xFF\xFE" + Recode("か\r\n", "UTF-8", "UTF-16LE"));
  const struct {
    const char* name;
    std::vector<std::pair<std::string, TCharCode>> files;
    int outputCode, lineEnd;
    std::string expected;
  } cases[] = {
      {"Shift-JIS: CR LF", {{sjisLf, ccShiftJis}}, 0, 0, Sjis("あ\r\nい\r\n")},
      {"a UTF-8 target makes UTF-8",
       {{sjisLf, ccShiftJis}, {utf8Lf, ccUtf8}},
       0,
       0,
       "あ\nあ\nい\nい\n"}, // with the first target's line end
      {"UTF-8 keeps LF", {{utf8Lf, ccUtf8}}, 0, 0, "あ\nい\n"},
      {"its first line decides",
       {{utf8CrLf, ccUtf8}, {utf8Lf, ccUtf8}},
       0,
       0,
       "あ\r\nい\r\nう\r\nえ\r\n"},
      {"forced LF", {{utf8CrLf, ccUtf8}}, 0, 2, "う\nえ\n"},
      {"forced CR LF", {{utf8Lf, ccUtf8}}, 0, 1, "あ\r\nい\r\n"},
      {"a mark from the first target",
       {{bom, ccUtf8}, {utf8Lf, ccUtf8}},
       0,
       0,
       "\xEF\xBB\xBFあ\nい\nお\n"},
      {"no mark from a later one", {{utf8Lf, ccUtf8}, {bom, ccUtf8}}, 0, 0, "あ\nい\nお\n"},
      {"UTF-16 makes UTF-8 without a mark", {{utf16, ccUtf16LE}}, 0, 0, "か\r\n"},
      {"Shift-JIS forced", {{utf8Lf, ccUtf8}}, 1, 0, Sjis("あ\r\nい\r\n")},
      {"UTF-8 forced", {{sjisLf, ccShiftJis}}, 2, 0, "あ\nい\n"},
      {"EUC-JP forced",
       {{bom, ccUtf8}, {utf8Lf, ccUtf8}},
       3,
       0,
       Recode("あ\nい\nお\n", "UTF-8", "EUC-JP")},
      {"no mark in Shift-JIS", {{bom, ccUtf8}}, 1, 0, Sjis("お\r\n")},
  };
  for (const auto& c : cases) {
    setting.OutputCode = c.outputCode;
    setting.OutputLineEnd = c.lineEnd;
    ASSERT_EQ(Run(c.files).outcome, TJobOutcome::Finished) << c.name;
    EXPECT_EQ(Output(), c.expected) << c.name;
  }
}

TEST_F(UnicodeJobTest, EachFileByItselfWritesItsOwnCode) {
  setting.NoConnected = true;
  const std::string sjis = folder.Write("a.txt", Sjis("い\r\nあ\r\n"));
  const std::string utf8 = folder.Write("b.txt", "く\nか\n");
  ASSERT_EQ(Run({{sjis, ccShiftJis}, {utf8, ccUtf8}}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), Sjis("あ\r\nい\r\n"));
  EXPECT_EQ(test::ReadBytes(folder.File("b[0].txt")), "か\nく\n");
}

TEST_F(UnicodeJobTest, AnOutputThatCantHoldACharacterIsRefusedBeforeWriting) {
  folder.Write("out.txt", "old");
  const std::string in = folder.Write("in.txt", "a\nb\n𠮷c\n");
  const struct {
    int outputCode;
    const char* codeName;
  } cases[] = {{ocShiftJis, "Shift-JIS"}, {ocEucJp, "EUC-JP"}};
  for (const auto& c : cases) {
    setting.OutputCode = c.outputCode;
    inputs = {setting, {in}, {ccUtf8}, out};
    const TJobResult result = RunSortJob(inputs, host, control);
    EXPECT_EQ(result.outcome, TJobOutcome::Failed);
    EXPECT_EQ(result.message, "「" + in + "」の 3 行目の文字「𠮷」(U+20BB7) は " + c.codeName +
                                  " で出力できません。\r\n出力文字コードを「UTF-8」にして下さい。"
                                  "\r\n処理を中止します。");
    EXPECT_EQ(test::ReadBytes(out), "old");
  }
  // A character that came in through a rule is found as it is written.
  setting.OutputCode = ocShiftJis;
  setting.Replacement = folder.Write("rules.txt", "b,é\n");
  const std::string plain = folder.Write("plain.txt", "a\nb\n");
  inputs = {setting, {plain}, {ccUtf8}, out};
  const TJobResult result = RunSortJob(inputs, host, control);
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_EQ(result.message, "出力の 2 行目の文字「é」(U+00E9) は Shift-JIS で出力できません。\r\n"
                            "出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。");
  EXPECT_EQ(test::ReadBytes(out), "old");
}

TEST_F(UnicodeJobTest, AnUnwritableLineOfALargeOutputIsNamedByItsPlaceInTheOutput) {
  // Three comment lines, then a00000 to a39999 sorted, those below a20000 twice: the output is
  // written in runs on two threads, and repeated lines are left out.
  std::string text = "#1\n#2\n#3\n";
  for (int i = 39999; i >= 0; --i) {
    char line[8];
    std::snprintf(line, sizeof line, "a%05d", i);
    text += std::string(line) + "\n";
    if (i < 20000) {
      text += std::string(line) + "\n";
    }
  }
  const std::string in = folder.Write("in.txt", text);
  setting.CLTC = "#";
  setting.Duplicate = true;
  setting.OutputCode = ocShiftJis;
  for (const int k : {5000, 15000, 25000, 30000}) {
    char rule[32];
    std::snprintf(rule, sizeof rule, "a%05d,a%05dé\n", k, k);
    setting.Replacement = folder.Write("rules.txt", rule);
    inputs = {setting, {in}, {ccUtf8}, out};
    const TJobResult result = RunSortJob(inputs, host, control);
    EXPECT_EQ(result.outcome, TJobOutcome::Failed);
    EXPECT_EQ(result.message, "出力の " + std::to_string(3 + k + 1) +
                                  " 行目の文字「é」(U+00E9) は Shift-JIS で出力できません。\r\n"
                                  "出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。")
        << k;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST_F(UnicodeJobTest, AuxiliaryFilesWorkInEitherCode) {
  const std::string sjisTarget = folder.Write("t.txt", Lines({"あい", "うえ", "犬"}));
  const std::string utf8Target = folder.Write("t8.txt", "あい\nうえ\n犬\n𠮷\n");
  const struct {
    const char* name;
    std::string TSettingOptionItems::*field;
    std::string auxiliary;
    std::string target;
    TCharCode targetCode;
    int outputCode;
    std::string expected;
  } cases[] = {
      {"UTF-8 deletion list, Shift-JIS target", &TSettingOptionItems::DelChars, "𠮷\nうえ\n",
       sjisTarget, ccShiftJis, ocAutomatic, Lines({"あい", "犬"})},
      {"Shift-JIS deletion list, UTF-8 target", &TSettingOptionItems::DelChars, Lines({"うえ"}),
       utf8Target, ccUtf8, ocAutomatic, "あい\n犬\n𠮷\n"},
      {"UTF-8 rules, Shift-JIS target", &TSettingOptionItems::Replacement, "あ,か\n", sjisTarget,
       ccShiftJis, ocAutomatic, Lines({"うえ", "かい", "犬"})},
      {"Shift-JIS rules, UTF-8 target", &TSettingOptionItems::Replacement, Lines({"あ,か"}),
       utf8Target, ccUtf8, ocAutomatic, "うえ\nかい\n犬\n𠮷\n"},
      {"a UTF-8 rule brings a character Shift-JIS can't hold", &TSettingOptionItems::Replacement,
       "犬,𠮷\n", sjisTarget, ccShiftJis, ocUtf8, "あい\r\nうえ\r\n𠮷\r\n"},
      {"a rule naming such a character matches it", &TSettingOptionItems::Replacement, "𠮷,吉\n",
       utf8Target, ccUtf8, ocAutomatic, "あい\nうえ\n吉\n犬\n"},
  };
  for (const auto& c : cases) {
    setting = SettingDefaults();
    setting.*c.field = folder.Write("aux.txt", c.auxiliary);
    setting.OutputCode = c.outputCode;
    const TJobResult result = Run({{c.target, c.targetCode}});
    ASSERT_EQ(result.outcome, TJobOutcome::Finished) << c.name << ": " << result.message;
    EXPECT_EQ(Output(), c.expected) << c.name;
  }
}

TEST_F(UnicodeJobTest, DictionariesInUtf8ExpandRulesOnShiftJisText) {
  setting.SortDirection = 2;
  setting.SynonymDic = folder.Write("syn8.txt", "犬,いぬ\n");
  setting.Replacement = folder.Write("rules.txt", Lines({"犬,dog"}));
  ASSERT_EQ(Run({{folder.Write("in.txt", Lines({"いぬ", "犬", "ねこ"})), ccShiftJis}}).outcome,
            TJobOutcome::Finished);
  EXPECT_EQ(Output(), Lines({"dog", "dog", "ねこ"}));
}

TEST_F(UnicodeJobTest, MoreCharactersThanCodesEndTheJobWithTheCount) {
  std::string text;
  for (char32_t c = 0x1F000; c < 0x1F000 + 1900; ++c) {
    const unsigned char bytes[5] = {static_cast<unsigned char>(0xF0 | c >> 18),
                                    static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F)),
                                    static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)),
                                    static_cast<unsigned char>(0x80 | (c & 0x3F)), '\n'};
    text.append(reinterpret_cast<const char*>(bytes), 5);
  }
  const TJobResult result = Run({{folder.Write("many.txt", text), ccUtf8}});
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_NE(result.message.find("1900 種類"), std::string::npos) << result.message;
  EXPECT_EQ(Output(), "(none)");
}

TEST_F(UnicodeJobTest, BytesThatAreNotUtf8EndTheJobWithTheirOffset) {
  const std::string in = folder.Write("bad.txt", "\xEF\xBB\xBFあい\n" + Sjis("漢字"));
  const TJobResult result = Run({{in, ccUtf8}});
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_EQ(result.message, "「" + in +
                                "」は UTF-8 として正しくないバイトを含んでいます（オフセット "
                                "10）。\r\n処理を中止します。");
  EXPECT_EQ(Output(), "(none)");
}

// A target's bytes are read in the code they fit, whatever the detector said; bytes that fit no
// Japanese code end the job before anything is written, naming the file and the offset.
TEST_F(UnicodeJobTest, ATargetIsReadInTheCodeItsBytesFit) {
  const std::string euc = folder.Write("euc.txt", "\xA5\xA4,\xFD\xFE\r\n\xA5\xA2\r\n");
  ASSERT_EQ(Run({{euc, ccShiftJis}}).outcome, TJobOutcome::Finished);
  EXPECT_EQ(Output(), EucToSjis("\xA5\xA2\r\n\xA5\xA4,\xFD\xFE\r\n"));
  const std::string broken = folder.Write("broken.txt", "abc\r\n\xA4\x80\r\n");
  const TJobResult result = Run({{euc, ccEuc}, {broken, ccShiftJis}});
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_NE(result.message.find("「" + broken + "」"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("オフセット 6"), std::string::npos) << result.message;
  EXPECT_EQ(Output(), "(none)");
}

// A JIS X 0212 character (edict's "Tōkaidō" in EUC) still becomes 〓, but the job says so:
// how many, and the first one's file and line.
TEST_F(UnicodeJobTest, CharactersReplacedByGetaAreReported) {
  const std::string plain = folder.Write("plain.txt", "a\r\n");
  const std::string edict = folder.Write("edict.txt", "x\nT\x8F\xAB\xB8kaid\x8F\xAB\xB8\n");
  const TJobResult result = Run({{plain, ccShiftJis}, {edict, ccEuc}});
  ASSERT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
  EXPECT_EQ(Output(), "T\x81\xACkaid\x81\xAC\r\na\r\nx\r\n");
  EXPECT_EQ(result.warning, "Shift-JIS で表せない文字 (JIS X 0212) 2 文字を「〓」に置き換えました。"
                            "\r\n最初の文字は「" +
                                edict + "」の 2 行目です。");
  EXPECT_EQ(Run({{plain, ccShiftJis}}).warning, "");
}

// A JIS X 0212 character of an EUC or JIS file (ō, ǎ, 丂; ～ is JIS X 0212 too, the form of
// U+FF5E) is kept as itself in UTF-8 output, where its line sorts exactly as its twin read from
// UTF-8; in Shift-JIS output it becomes 〓 as before, and is reported.
TEST_F(UnicodeJobTest, JisX0212CharactersAreKeptInUtf8Output) {
  const std::vector<std::string> lines = {"Tōkaidō", "ōsaka", "丂",  "東京", "あ",
                                          "abc",     "ǎb",    "～x", "Ōi",   "ō"};
  std::vector<std::string> geta = lines;
  for (std::string& line : geta) {
    for (const char* kept : {"ō", "ǎ", "丂", "～", "Ō"}) {
      for (std::size_t at; (at = line.find(kept)) != std::string::npos;) {
        line.replace(at, std::strlen(kept), "〓");
      }
    }
  }
  const std::string utf8 = folder.Write("twin8.txt", Lines(lines, false, "\n"));
  const std::string utf8Geta = folder.Write("geta8.txt", Lines(geta, false, "\n"));
  const std::string other = folder.Write("other8.txt", "𠮷\n");
  setting.OutputCode = ocUtf8;
  const std::string kept = SortUtf8(Lines(lines, false, "\n"));
  ASSERT_NE(kept.find("Tōkaidō\n"), std::string::npos) << kept;
  ASSERT_EQ(Run({{utf8, ccUtf8}, {other, ccUtf8}}).outcome, TJobOutcome::Finished);
  const std::string keptWithOther = Output();
  setting.OutputCode = ocShiftJis;
  ASSERT_EQ(Run({{utf8Geta, ccUtf8}}).outcome, TJobOutcome::Finished);
  const std::string replaced = Output();

  const struct {
    const char* iconvName;
    TCharCode code;
  } codes[] = {{"EUC-JP", ccEuc}, {"ISO-2022-JP-2", ccJis83}};
  for (const auto& c : codes) {
    const std::string legacy =
        folder.Write("legacy.txt", Recode(Lines(lines, false, "\n"), "UTF-8", c.iconvName));
    ASSERT_NE(legacy, "") << c.iconvName;
    const struct {
      const char* name;
      int outputCode;
      std::vector<std::pair<std::string, TCharCode>> files;
      std::string expected;
      std::size_t replacedCount;
    } cases[] = {
        {"UTF-8 output", ocUtf8, {{legacy, c.code}}, kept, 0},
        {"automatic beside a UTF-8 target",
         ocAutomatic,
         {{legacy, c.code}, {other, ccUtf8}},
         keptWithOther,
         0},
        {"Shift-JIS output", ocShiftJis, {{legacy, c.code}}, replaced, 8},
        {"automatic alone", ocAutomatic, {{legacy, c.code}}, replaced, 8},
    };
    for (const auto& k : cases) {
      setting.OutputCode = k.outputCode;
      const TJobResult result = Run(k.files);
      ASSERT_EQ(result.outcome, TJobOutcome::Finished) << c.iconvName << ", " << k.name;
      EXPECT_EQ(Output(), k.expected) << c.iconvName << ", " << k.name;
      EXPECT_EQ(result.warning.empty(), k.replacedCount == 0) << c.iconvName << ", " << k.name;
      if (k.replacedCount != 0) {
        EXPECT_NE(result.warning.find(" " + std::to_string(k.replacedCount) + " 文字"),
                  std::string::npos)
            << result.warning;
      }
    }
  }
}

// Six JIS X 0208 codes mean another character in iconv's EUC-JP and ISO-2022-JP than in CP932
// (A1C1 is 〜 U+301C there, ～ U+FF5E in CP932): EUC and JIS text written as UTF-8 is what iconv
// makes of it, sorted; Shift-JIS output stays the CP932 code.
TEST_F(UnicodeJobTest, EucAndJisTextInUtf8OutputMeansWhatIconvReads) {
  const char* const meanings[] = {"〜", "‖", "−", "¢", "£", "¬"};
  const struct {
    const char* iconvName;
    TCharCode code;
  } codes[] = {{"EUC-JP", ccEuc}, {"ISO-2022-JP", ccJis83}};
  for (const char* c : meanings) {
    const std::vector<std::string> lines = {std::string("a") + c + "b", c, std::string("漢") + c,
                                            "z"};
    setting.OutputCode = ocUtf8;
    const std::string utf8Sorted = SortUtf8(Lines(lines, false, "\n"));
    setting.OutputCode = ocShiftJis;
    const std::string sjisSorted = SortUtf8(Lines(lines, false, "\n"));
    for (const auto& k : codes) {
      const std::string legacy =
          folder.Write("legacy.txt", Recode(Lines(lines, false, "\n"), "UTF-8", k.iconvName));
      for (const int outputCode : {ocUtf8, ocShiftJis}) {
        setting.OutputCode = outputCode;
        const TJobResult result = Run({{legacy, k.code}});
        ASSERT_EQ(result.outcome, TJobOutcome::Finished) << c << " " << k.iconvName;
        EXPECT_EQ(Output(), outputCode == ocUtf8 ? utf8Sorted : sjisSorted)
            << c << " " << k.iconvName << " " << outputCode;
      }
    }
  }
}

// The job looks for those codes character by character: after half-width katakana (two bytes
// in EUC) and a JIS X 0212 character (three) as well; 纊 is one that Shift-JIS holds too.
TEST_F(UnicodeJobTest, AnEucWaveDashIsFoundAfterEveryKindOfCharacter) {
  setting.OutputCode = ocUtf8;
  for (const char* before : {"ｱ", "纊", "ō", "漢", "a", ""}) {
    const std::string line = std::string(before) + "〜\n";
    const std::string euc = folder.Write("euc.txt", Recode(line, "UTF-8", "EUC-JP"));
    ASSERT_EQ(Run({{euc, ccEuc}}).outcome, TJobOutcome::Finished) << before;
    EXPECT_EQ(Output(), line) << before;
  }
}

// An EUC 〜 and a UTF-8 ～ in one job are two characters: each comes back as itself.
TEST_F(UnicodeJobTest, AnEucWaveDashAndAUtf8FullWidthTildeStayApart) {
  const std::string euc = folder.Write("euc.txt", Recode("〜1\n〜2\n", "UTF-8", "EUC-JP"));
  const std::string utf8 = folder.Write("utf8.txt", "～3\n");
  const std::string sjis = folder.Write("sjis.txt", Sjis("～4\n"));
  setting.OutputCode = ocAutomatic;
  const TJobResult result = Run({{euc, ccEuc}, {utf8, ccUtf8}, {sjis, ccShiftJis}});
  ASSERT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
  // Two of each: on the tie CP932's own form keeps 0x8160, and the wave dash takes a per-job
  // code, which sorts after the kanji.
  EXPECT_EQ(Output(), "～3\n～4\n〜1\n〜2\n");
}

// A deletion list in EUC or JIS names a JIS X 0212 character of a UTF-8 target: the two agree.
TEST_F(UnicodeJobTest, AJisX0212CharacterOfAnAuxiliaryFileMatchesItsUtf8Twin) {
  for (const char* code : {"EUC-JP", "ISO-2022-JP-2"}) {
    setting.DelChars =
        folder.Write("del.txt", Recode("Tōkaidō\n東海道新幹線の駅\n", "UTF-8", code));
    EXPECT_EQ(SortUtf8("b\nTōkaidō\na\nTokaido\n"), "Tokaido\na\nb\n") << code;
  }
}

// A large UTF-8 text is noted and converted a half at a time on two threads: the result, the
// offset of a bad byte and the characters the census finds must not depend on where it is split.
TEST_F(UnicodeJobTest, ALargeTextIsTakenInHalvesWithTheSameResult) {
  const std::string line = "あいう漢字abc,ｱｲ\n";
  std::string big;
  for (int i = 0; i < 2 * 60000; ++i) {
    big += line;
  }
  const std::size_t middle = big.size() / 2; // a line start
  const std::size_t lineSize = line.size();
  // A job whose census saw é and 𝄞, not 𩸽.
  const TJobTexts texts({folder.Write("rare.txt", "é𝄞\n")}, {ccUtf8}, setting);
  const struct {
    const char* name;
    std::size_t at;
    std::string inserted;
    std::string expectedError; // empty: converts like one piece
  } cases[] = {
      {"valid", 0, "", ""},
      // Inserted before a line's LF: the new middle falls inside 𝄞, or after the cut character.
      {"a four-byte character across the middle", middle - 1, "é𝄞", ""},
      {"a cut character at the middle", middle - 1, "\xE3\x81",
       "オフセット " + std::to_string(middle - 1) + "）"},
      {"a bad byte in the first half", 38 * lineSize, "\xFF",
       "オフセット " + std::to_string(38 * lineSize) + "）"},
      {"a bad byte in the second half", middle + 38 * lineSize, "\xFF",
       "オフセット " + std::to_string(middle + 38 * lineSize) + "）"},
      {"a character without a code", middle + 2 * lineSize, "𩸽", "書き換えられました"},
  };
  for (const auto& c : cases) {
    std::string text = big;
    text.insert(c.at, c.inserted);
    std::string expected(text.size(), '\0');
    const TConversion whole =
        Utf8ToInternal(text.data(), text.size(), expected.data(), texts.Table());
    try {
      text.resize(texts.ConvertUnicode("big.txt", ccUtf8, text.data(), text.size()));
      EXPECT_EQ(c.expectedError, "") << c.name;
      ASSERT_FALSE(whole.fault) << c.name;
      expected.resize(whole.size);
      EXPECT_TRUE(text == expected) << c.name;
    } catch (const EFileError& e) {
      EXPECT_NE(c.expectedError, "") << c.name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.expectedError), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
  // The census of the second half counts: its characters get codes and come back.
  std::string withRare = big;
  withRare.insert(middle + 10 * lineSize, "𠮷\n");
  withRare.insert(middle - lineSize, "é\n");
  const std::string sorted = SortUtf8(withRare);
  EXPECT_NE(sorted.find("\n𠮷\n"), std::string::npos);
  EXPECT_NE(sorted.find("\né\n"), std::string::npos);
  EXPECT_EQ(sorted.size(), withRare.size());
}

// The census reads a file in pieces of 8 MiB: a character cut by the end of a piece counts as
// the character, and a bad byte is named by its offset in the file, wherever the cut falls.
TEST_F(UnicodeJobTest, TheCensusReadsACharacterAcrossTheEndOfAPiece) {
  constexpr std::size_t kPiece = std::size_t{8} << 20;
  const std::string bom(kUtf8ByteOrderMark);
  const struct {
    const char* name;
    std::string head; // the file's first bytes; 'a' up to `at`, then `tail`
    std::size_t at;
    std::string tail;
    std::size_t badAt; // npos: the file is noted whole
  } cases[] = {
      {"a four-byte character across the cut", "", kPiece - 2, "😀\n", std::string::npos},
      {"the same after a byte-order mark", bom, kPiece - 1, "😀\n", std::string::npos},
      {"a cut character that isn't finished", "", kPiece - 1,
       "\xE3\x81"
       "A\n",
       kPiece - 1},
      {"a bad byte at the start of a piece", "", kPiece, "\xFF\n", kPiece},
      {"a bad byte after a character across the cut", "", kPiece - 1, "\xE3\x81\x82\xFF\n",
       kPiece + 2},
  };
  for (const auto& c : cases) {
    const std::string file =
        folder.Write("piece.txt", c.head + std::string(c.at - c.head.size(), 'a') + c.tail);
    try {
      const TJobTexts texts({file}, {ccUtf8}, setting);
      EXPECT_EQ(c.badAt, std::string::npos) << c.name;
      EXPECT_NE(texts.Table().Encode(U'😀'), kNoCode) << c.name;
    } catch (const EFileError& e) {
      EXPECT_NE(std::string(e.what()).find("オフセット " + std::to_string(c.badAt) + "）"),
                std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

} // namespace
} // namespace zorbe
