// Sort jobs over Unicode inputs, end to end: nothing lost, the same order as Shift-JIS twins,
// auxiliary files in either code, the output code and line end, refusals before writing.

#include "engine/job_input.h"
#include "engine/job_test_support.h"
#include "engine/sort_job.h"
#include "text/code_conversion.h"
#include "text/encoding.h"
#include "text/internal_input.h"
#include "text/internal_output.h"

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
  // In byte order they come after every CP932 character, the IBM rows too (ⅰ is 0xFA40); as
  // classes go, they are kanji lines.
  const std::string text = "😀\n𠮷\né\n漢\nⅰ\n〜\n";
  EXPECT_EQ(SortUtf8(text), "〜\nⅰ\n漢\né\n😀\n𠮷\n");
  setting.CharTypeOrder = false;
  EXPECT_EQ(SortUtf8(text), "〜\n漢\nⅰ\né\n😀\n𠮷\n");
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
  // A character that came in through a rule is found in the replaced text, and one that a rule
  // takes out is never refused.
  setting.OutputCode = ocShiftJis;
  setting.Replacement = folder.Write("rules.txt", "b,é\n");
  const std::string plain = folder.Write("plain.txt", "a\nb\n");
  inputs = {setting, {plain}, {ccUtf8}, out};
  const TJobResult result = RunSortJob(inputs, host, control);
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_EQ(result.message, "「" + plain +
                                "」の 2 行目の文字「é」(U+00E9) は Shift-JIS で出力できません。\r\n"
                                "出力文字コードを「UTF-8」にして下さい。\r\n処理を中止します。");
  EXPECT_EQ(test::ReadBytes(out), "old");
  setting.Replacement = folder.Write("rules.txt", "𠮷,吉\n");
  inputs = {setting, {in}, {ccUtf8}, out};
  ASSERT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), "a\r\nb\r\n" + Sjis("吉c\r\n"));
}

TEST_F(UnicodeJobTest, AnUnwritableCharacterOfALargeTextIsNamedByItsLine) {
  // Three comment lines, then a39999 down to a00000, those below a20000 twice: the text is
  // converted and replaced in halves on two threads.
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
    const int line = k >= 20000 ? 3 + (39999 - k) + 1 : 3 + 20000 + 2 * (19999 - k) + 1;
    EXPECT_EQ(result.message, "「" + in + "」の " + std::to_string(line) +
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

// A multilingual list far beyond any fixed table of codes: 200,000 lines of 30,000 different
// characters CP932 lacks (Hangul, CJK extension B, Latin with accents, emoji, variation
// sequences) among Japanese ones. Sorted in memory and in runs on disk it comes out the same:
// every line as it was, the characters CP932 lacks after the kanji in code-point order.
TEST_F(UnicodeJobTest, AMultilingualListOfThirtyThousandForeignCharactersSortsLosslessly) {
  std::vector<char32_t> foreign;
  for (char32_t c = 0xAC00; c < 0xAC00 + 11000; ++c) {
    foreign.push_back(c); // Hangul syllables
  }
  for (char32_t c = 0x20000; c < 0x20000 + 18000; ++c) {
    foreign.push_back(c); // CJK extension B
  }
  for (const char32_t c : {0xE9, 0xDF, 0x1F600, 0x1F63A, 0x0301, 0xE0100, 0xF0000, 0x10FFFD}) {
    foreign.push_back(c);
  }
  for (char32_t c = 0x100; foreign.size() < 30000; ++c) {
    foreign.push_back(c); // Latin Extended and beyond
  }
  auto utf8Of = [](char32_t c) {
    unsigned char bytes[4];
    std::size_t n = 0;
    if (c < 0x800) {
      bytes[n++] = static_cast<unsigned char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
      bytes[n++] = static_cast<unsigned char>(0xE0 | c >> 12);
      bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    } else {
      bytes[n++] = static_cast<unsigned char>(0xF0 | c >> 18);
      bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
      bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    }
    bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return std::string(reinterpret_cast<const char*>(bytes), n);
  };
  const std::vector<std::string> japanese = {"漢字", "かな", "カナ", "ｶﾅ", "〜", "～", "abc"};
  std::mt19937 random(3);
  std::vector<std::string> lines;
  std::string text;
  for (int i = 0; i < 200000; ++i) {
    std::string line = random() % 3 == 0 ? japanese[random() % japanese.size()] : "";
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
      line += utf8Of(foreign[random() % foreign.size()]);
    }
    text += line + "\n";
    lines.push_back(std::move(line));
  }
  setting.CharTypeOrder = false;
  const std::string in = folder.Write("multi.txt", text);
  const std::string inMemory = SortUtf8(text);
  const TJobResult result = [&] {
    std::filesystem::remove(out);
    TSortJobInputs external{setting, {in}, {ccUtf8}, out};
    external.memoryLimit = 1 << 20; // in runs on disk
    return RunSortJob(external, host, control);
  }();
  ASSERT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
  EXPECT_TRUE(Output() == inMemory);
  // Exactly the lines read, in the order of their internal form: code-point order among the
  // characters CP932 lacks, since a line of them starts with an escape.
  std::vector<std::string> internal;
  for (const std::string& line : lines) {
    internal.push_back(test::Internal(line));
  }
  std::sort(internal.begin(), internal.end());
  std::string expected;
  for (const std::string& line : internal) {
    expected += test::Utf8OfInternal(line) + "\n";
  }
  EXPECT_TRUE(inMemory == expected);
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
// UTF-8; in Shift-JIS output one that CP932 holds (～) is its CP932 code, the others become 〓
// as before, and are reported.
TEST_F(UnicodeJobTest, JisX0212CharactersAreKeptInUtf8Output) {
  const std::vector<std::string> lines = {"Tōkaidō", "ōsaka", "丂",  "東京", "あ",
                                          "abc",     "ǎb",    "～x", "Ōi",   "ō"};
  std::vector<std::string> geta = lines;
  for (std::string& line : geta) {
    for (const char* kept : {"ō", "ǎ", "丂", "Ō"}) {
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
        {"Shift-JIS output", ocShiftJis, {{legacy, c.code}}, replaced, 7},
        {"automatic alone", ocAutomatic, {{legacy, c.code}}, replaced, 7},
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

// A large UTF-8 text is converted a half at a time on two threads: the result and the offset of
// a bad byte must not depend on where it is split, nor on a half running out of room.
TEST_F(UnicodeJobTest, ALargeTextIsTakenInHalvesWithTheSameResult) {
  const std::string line = "あいう漢字abc,ｱｲ\n";
  std::string big;
  for (int i = 0; i < 2 * 60000; ++i) {
    big += line;
  }
  const std::size_t middle = big.size() / 2; // a line start
  const std::size_t lineSize = line.size();
  std::string manyEscapes;
  for (int i = 0; i < 200000; ++i) {
    manyEscapes += i % 1000 == 0 ? "\n" : "é";
  }
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
      {"characters that outgrow the second half", middle, manyEscapes, ""},
      {"characters that outgrow the first half", 0, manyEscapes, ""},
  };
  TJobInput input(setting);
  input.UseOutput(TOutputCode::Utf8);
  for (const auto& c : cases) {
    std::string text = big;
    text.insert(c.at, c.inserted);
    const TConvertedString whole =
        ConvertText(TInputConverter(ccUtf8, TInternalCodec::For(TOutputCode::Utf8)), text);
    TTextSpace space;
    char* bytes = space.Allocate(text.size() + 1);
    std::memcpy(bytes, text.data(), text.size());
    try {
      const TInternalTarget target =
          input.TargetToInternal(space, "big.txt", ccUtf8, space.EndText(bytes, text.size()));
      EXPECT_EQ(c.expectedError, "") << c.name;
      ASSERT_FALSE(whole.report.fault) << c.name;
      EXPECT_TRUE(target.text.View() == whole.text) << c.name;
    } catch (const EFileError& e) {
      EXPECT_NE(c.expectedError, "") << c.name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.expectedError), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

} // namespace
} // namespace zorbe
