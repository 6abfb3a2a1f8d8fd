#include "text/char_code.h"

#include "text/code_check.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zorbe {
namespace {

using test::Recode;
using test::Sjis;

TCharCode Detect(const std::string& bytes) {
  test::TTempFolder folder;
  return DetectCharCode(folder.Write("f", bytes));
}

TEST(DetectCharCode, Codes) {
  const std::string eucA = "\xA4\xA2"; // あ in EUC-JP
  const struct {
    std::string name;
    std::string bytes;
    TCharCode result;
  } cases[] = {
      {"empty is text without lines", "", ccShiftJis},
      {"ascii", "hello\r\n", ccShiftJis},
      {"shift-jis kanji", Sjis("漢字です\r\n"), ccShiftJis},
      {"utf-16le bom",
       "\xFF\xFE"
       "a\0",
       ccUtf16LE},
      {"utf-16be bom", "\xFE\xFF\0a", ccUtf16BE},
      {"utf-8 bom",
       "\xEF\xBB\xBF"
       "abc",
       ccUtf8},
      {"utf-16 without bom", std::string("a\0b\0", 4), ccBinary},
      {"leading nul", std::string("\0abc", 4), ccBinary},
      {"jis83", "\x1B$B$\"\x1B(B\r\n", ccJis83},
      {"jis78", "\x1B$@$\"\x1B(B\r\n", ccJis78},
      {"jis then 8-bit", "\x1B$B$\"\x1B(B\x82\xA0\r\n", ccJis83},
      // Each scan rule below decides before the kana after it, which make the few bytes a text
      // uchardet's single-byte guess can't take for a European one.
      {"euc decided by F0-FE", "\xF0\xA1\r\n" + eucA, ccEuc},
      // Undecided by the scan; the second opinion decides.
      {"euc hiragana only", eucA + "\r\n", ccEuc},
      {"half-width kana pair", Sjis("ｱｲ\r\n"), ccShiftJis},
      {"three half-width kana decide", Sjis("ｱｲｳ\r\n"), ccShiftJis},
      {"8E then kana stays ambiguous", "\x8E\xB1\r\n", ccUndecided},
      {"8E then A0", "\x8E\xA0\r\n" + Sjis("あ"), ccShiftJis},
      {"E0 then FD decides EUC", "\xE0\xFD\r\n" + eucA, ccEuc},
      {"look-ahead after kana and E0", "\xB1\xE0\x41\x89\r\n", ccShiftJis},
      {"look-ahead finds FE", "\xB1\xE0\x41\xFE\r\n" + eucA, ccEuc},
      {"look-ahead skips the byte that ends it", "\xB1\xE0\x1B$B\r\n" + Sjis("あ"), ccShiftJis},
      {"one byte file is never scanned", std::string("\0", 1), ccShiftJis},
      // No rule starts at the last byte; uchardet reads the lone 0x82 as Windows-1252, and with
      // no Japanese in any reading the file is no Japanese text.
      {"last byte of a block is not a rule start", "ab\x82", ccEmptyOrUnreadable},
      {"esc dollar at block end", "ab\x1B$", ccShiftJis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Detect(c.bytes), c.result) << c.name;
  }
}

TEST(DetectCharCode, Utf8WithoutAByteOrderMark) {
  const struct {
    const char* name;
    std::string bytes;
    TCharCode result;
  } cases[] = {
      {"kana", "あいう\n", ccUtf8},
      {"four-byte character", "\xF0\xA0\xAE\xB7\n", ccUtf8},
      {"two-byte characters the scan leaves undecided", "café\n", ccUtf8},
      {"two-byte characters that Shift-JIS reads too", // ﾅア, which uchardet doesn't name
       "\xC5\x83"
       "A\r\n",
       ccUtf8},
      {"Latin text in UTF-8", "Straße, Español, schön, ﬁ\n", ccUtf8},
      {"EUC after a two-byte look-alike", "\xC2\xBC\xA4\xA2\n", ccEuc}, // 村あ
      {"no byte 0x80 or above", "plain\n", ccShiftJis},
      {"7-bit JIS", "\x1B$B$\"\x1B(B\n", ccJis83},
      {"UTF-8 far into the file", std::string(600000, 'a') + "あ\n", ccUtf8},
      {"a binary byte in the first block", "あ\x01い\n", ccBinary},
      {"Shift-JIS that is UTF-8 for a while", "あ" + Sjis("漢字"), ccShiftJis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Detect(c.bytes), c.result) << c.name;
    EXPECT_EQ(DetectCharCodeOfBytes(c.bytes), c.result) << c.name;
  }
}

// The JIS X 0213 codes are told by an Emacs-style coding mark in the first two lines alone; a
// European text is refused, saying what uchardet takes it for.
TEST(DetectCharCode, CodingMarksAndForeignCodes) {
  const std::string kanji = Recode("簞", "UTF-8", "EUC-JISX0213");
  const struct {
    const char* name;
    std::string bytes;
    TCharCode result;
  } cases[] = {
      {"skkdic's mark", ";; -*- mode: fundamental; coding: euc-jis-2004 -*-\n" + kanji,
       ccEucJis2004},
      {"second line", "#!/bin/sh\n# Coding: EUC-JISX0213\n" + kanji, ccEucJis2004},
      {"Shift_JIS-2004", "# coding: shift_jis-2004\n", ccShiftJis2004},
      {"ISO-2022-JP-3", "# -*- coding: iso-2022-jp-3 -*-\n", ccIso2022Jp3},
      {"third line is too late", "a\nb\n# coding: euc-jis-2004\n" + Sjis("漢字かな"), ccShiftJis},
      {"another code changes nothing", "# coding: euc-jp\n" + Sjis("漢字"), ccShiftJis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Detect(c.bytes), c.result) << c.name;
  }
  test::TTempFolder folder;
  for (const char* latin : {"Straße und schön\n", "Español: ¿qué tal? ¡Olé!\n"}) {
    const std::string file = folder.Write("latin.txt", Recode(latin, "UTF-8", "ISO-8859-1"));
    std::string message;
    EXPECT_EQ(DetectCharCode(file, [&](const std::string& m) { message = m; }), ccEmptyOrUnreadable)
        << latin;
    EXPECT_EQ(
        message.rfind("「" + file + "」は日本語の文字コードではありません（uchardet の判定: ", 0),
        0u)
        << message;
  }
}

// What no Japanese reading makes Japanese of, and uchardet takes for a single-byte code: message
// catalogues in Latin-1 (found by hand among this machine's), never kana or lists of kanji.
TEST(ForeignSingleByteCode, RefusesEuropeanTextsOnly) {
  std::string kanjiList;
  for (const char* kanji : {"漢字\n", "東京\n", "大阪\n", "京都\n", "名古屋\n", "札幌\n"}) {
    kanjiList += Sjis(kanji);
  }
  const struct {
    const char* name;
    std::string bytes;
    bool foreign;
  } cases[] = {
      {"Dutch één again and again (E9 E9, one kanji pair read as Shift-JIS or EUC)",
       Recode("Er is één fout.\nNog één regel.\nMaar één naam.\n", "UTF-8", "ISO-8859-1"), true},
      {"one ç in English (uchardet says ASCII)",
       std::string(300, 'a') + Recode("\nFrançois Pinard\n", "UTF-8", "ISO-8859-1"), true},
      {"German (ß reads as half-width katakana)",
       Recode("Straße und schön, Abschließend, Änderungen für ungewöhnlich\n", "UTF-8",
              "ISO-8859-1"),
       true},
      {"Estonian (üü is a level-2 kanji pair, ÜÜ two half-width katakana)",
       Recode("TÜÜP on üks; käivitamine jätkub nüüd; või\n", "UTF-8", "ISO-8859-1"), true},
      {"plain ASCII", "hello\n", false},
      {"kana", Sjis("かなカナ\n"), false},
      {"a list of kanji", kanjiList, false},
      {"half-width katakana", Sjis("ｶﾀｶﾅ ﾃｽﾄ\n"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!ForeignSingleByteCode(c.bytes).empty(), c.foreign) << c.name;
  }
}

TEST(DetectCharCode, AFileIsCheckedForUtf8SomeWayPastItsFirstHighByteOnly) {
  // Read whole, the Shift-JIS at the end shows; from the file, the pieces read (1 MiB each) up
  // to 64 KiB past the first high byte are enough, and the job stops at the Shift-JIS bytes
  // when it reads them.
  std::string text;
  while (text.size() < 1200000) {
    text += "あいうえお\n";
  }
  text += Sjis("漢字\n");
  EXPECT_EQ(DetectCharCodeOfBytes(text), ccShiftJis);
  EXPECT_EQ(Detect(text), ccUtf8);
}

TEST(DetectCharCode, BinaryPreCheckCoversTheFirst511BytesOnly) {
  std::string decided = Sjis("漢字かな") + std::string(600, 'a');
  decided[300] = '\x01';
  EXPECT_EQ(Detect(decided), ccBinary); // even after a decisive byte
  std::string late = std::string(520, 'a') + "\x01" + Sjis("漢字かな");
  EXPECT_EQ(Detect(late), ccBinary); // still undecided when the binary byte comes
  std::string afterDecision = Sjis("漢字かな") + std::string(600, 'a');
  afterDecision[560] = '\x01';
  EXPECT_EQ(Detect(afterDecision), ccShiftJis);
  std::string at512 = std::string(511, 'a') + "\x01" + Sjis("漢字かな");
  EXPECT_EQ(Detect(at512), ccBinary); // outside the pre-check, but the scan is still undecided
}

// A pair split by a 512-byte block boundary (or by the pieces a file is read in) is read as the
// pair the file holds: an EUC pair followed by a comma or a line feed no longer looks like a
// half-width katakana byte followed by ASCII.
TEST(DetectCharCode, PairsSplitByABlockBoundaryAreJoined) {
  const std::string eucKana = "\xA5\xA2\xA5\xA4"; // アイ in EUC-JP
  for (const std::size_t at : {std::size_t{511}, std::size_t{1023}, std::size_t{(1 << 20) - 1}}) {
    for (const char* after : {",", "\n", "\r\n", "\xF0\xA1"}) {
      // The pair F0 A1 (EUC) at the boundary, after undecided EUC kana.
      std::string text = std::string(at - 4, 'a') + eucKana + "\xF0\xA1" + after;
      EXPECT_EQ(Detect(text), ccEuc) << at << " " << after;
      EXPECT_EQ(DetectCharCodeOfBytes(text), ccEuc) << at << " " << after;
    }
    // EUC kana only, a pair across the boundary: never Shift-JIS.
    std::string kanaOnly = std::string(at - 1, 'a');
    for (int i = 0; i < 4; ++i) {
      kanaOnly += eucKana + ",";
    }
    kanaOnly += "\n";
    EXPECT_EQ(Detect(kanaOnly), ccEuc) << at;
    // ESC $ B split by the boundary is still JIS.
    EXPECT_EQ(Detect(std::string(at - 1, 'a') + "\x1B$B$\"\x1B(B\n"), ccJis83) << at;
    EXPECT_EQ(Detect(std::string(at - 2, 'a') + "\x1B$B$\"\x1B(B\n"), ccJis83) << at;
  }
  // The look-ahead after a half-width katakana byte and E0-EF runs on across a boundary.
  EXPECT_EQ(Detect(std::string(510, 'a') + "\xB1\xE0\x41\x41\x89\r\n" + Sjis("かな")), ccShiftJis);
}

TEST(DetectCharCode, LargeUndecidedFileIsScannedToTheEnd) {
  std::string text(3 << 20, 'a');
  text += Sjis("漢字かな");
  text += "\r\n";
  EXPECT_EQ(Detect(text), ccShiftJis);
  EXPECT_EQ(Detect(std::string(3 << 20, 'a') + "\xF5\xA1\xA4\xA2\r\n"), ccEuc);
}

TEST(DetectCharCode, UnreadableFileShowsItsMessage) {
  std::vector<std::string> messages;
  EXPECT_EQ(
      DetectCharCode("/nonexistent/x.txt", [&](const std::string& m) { messages.push_back(m); }),
      ccEmptyOrUnreadable);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ファイル「/nonexistent/x.txt」は存在しないか使用中です。");
}

TEST(CharCode, NamesAndReaders) {
  using F = TCodeFamily;
  const struct {
    int result;
    const char* name;
    TCodeFamily family;
  } codes[] = {
      {5, "S-JIS", F::ShiftJis},     {2, "JIS83", F::Jis},
      {3, "JIS78", F::Jis},          {4, "EUC", F::Euc},
      {6, "Unicode", F::Utf16},      {7, "Unicode(BE)", F::Utf16},
      {8, "UTF-8", F::Utf8},         {1, "BINARY", F::NotText},
      {20, "none", F::NotText},      {21, "none", F::NotText},
      {0, "none", F::NotText},       {12, "none", F::NotText},
      {9, "EUC-JIS-2004", F::Euc},   {10, "Shift_JIS-2004", F::ShiftJis},
      {11, "ISO-2022-JP-3", F::Jis},
  };
  for (const auto& c : codes) {
    const auto code = static_cast<TCharCode>(c.result);
    EXPECT_EQ(CharCodeName(code), c.name) << c.result;
    EXPECT_EQ(FamilyOf(code), c.family) << c.result;
    EXPECT_EQ(IsTextCode(code), c.family != F::NotText) << c.result;
    EXPECT_EQ(IsUnicodeCode(code), c.family == F::Utf8 || c.family == F::Utf16) << c.result;
  }
}

TEST(ReadFileBlock, BlockAndSize) {
  test::TTempFolder folder;
  const std::string file = folder.Write("f", std::string(700, 'x'));
  const TFileBlock block = ReadFileBlock(file, 512);
  EXPECT_EQ(block.bytes, std::string(188, 'x'));
  EXPECT_EQ(block.size, 700u);
  EXPECT_EQ(ReadFileBlock(folder.File("missing"), 0).size, 0u);
}

TEST(CollectFolderFiles, NestedFoldersDepthFirst) {
  test::TTempFolder folder;
  folder.Write("a.txt", "");
  folder.Write("sub/b.txt", "");
  folder.Write("sub/deeper/c.txt", "");
  std::filesystem::create_directories(folder.Path() / "empty");
  std::filesystem::create_directory_symlink(folder.Path(), folder.Path() / "sub" / "loop");
  std::vector<std::string> files = {"kept"};
  CollectFolderFiles(folder.Path().string(), files);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0], "kept");
  std::vector<std::string> found(files.begin() + 1, files.end());
  std::sort(found.begin(), found.end());
  const std::string base = folder.Path().string() + "/";
  EXPECT_EQ(found, (std::vector<std::string>{base + "a.txt", base + "sub/b.txt",
                                             base + "sub/deeper/c.txt"}));
  // Depth first: a folder's files come together.
  const auto b = std::find(files.begin(), files.end(), base + "sub/b.txt");
  const auto c = std::find(files.begin(), files.end(), base + "sub/deeper/c.txt");
  EXPECT_EQ(std::abs(static_cast<int>(c - b)), 1);
}

} // namespace
} // namespace zorbe
