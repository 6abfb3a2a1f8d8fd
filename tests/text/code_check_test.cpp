#include "text/code_check.h"

#include "test_support.h"
#include "text/code_conversion.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

using test::Recode;
using test::Sjis;

constexpr std::size_t npos = std::string::npos;

TEST(CodeCheck, WhatFitsEachCode) {
  const struct {
    const char* name;
    std::string bytes;
    TCharCode code;
    std::size_t unfitAt;
  } cases[] = {
      {"Shift-JIS kanji and kana", Sjis("漢字ｱｲ、abc\r\n"), ccShiftJis, npos},
      {"Shift-JIS NEC and IBM rows", "\x87\x40\xED\x40\xFA\x40\xFC\x4B", ccShiftJis, npos},
      {"Shift-JIS user-defined and unassigned cells", "\xF0\x40\xF9\xFC\x85\x40", ccShiftJis, npos},
      {"Shift-JIS lone lead byte at the end", "ab\x82", ccShiftJis, npos},
      {"Shift-JIS 0x80", "ab\x80", ccShiftJis, 2},
      {"Shift-JIS 0xA0", "\xA0", ccShiftJis, 0},
      {"Shift-JIS 0xFD", "a\xFD\xA1", ccShiftJis, 1},
      {"Shift-JIS lead byte before a line end", "\x82\n", ccShiftJis, 0},
      {"EUC kana and kanji", "\xA4\xA2\xB4\xC1\r\n", ccEuc, npos},
      {"EUC half-width katakana", "\x8E\xB1", ccEuc, npos},
      {"EUC JIS X 0212", "T\x8F\xAB\xB8kaid\x8F\xAB\xB8", ccEuc, npos},
      {"EUC rows 0xF5-0xFE", "\xF5\xA1\xFE\xFE", ccEuc, npos},
      {"EUC pair cut by the end", "\xA4\xA2\xA4", ccEuc, 2},
      {"EUC pair with a comma", "\xA4,", ccEuc, 0},
      {"EUC 8E with a pair byte", "a\x8E\xE0", ccEuc, 1},
      {"EUC Shift-JIS kanji", Sjis("漢"), ccEuc, 0},
      {"JIS", "\x1B$B$\"\x1B(B\r\n", ccJis83, npos},
      {"JIS with Shift-JIS after it", "\x1B$B$\"\x1B(B\x82\xA0", ccJis83, npos},
      {"JIS with 8-bit bytes in two-byte mode", "\x1B$B\xA4\xA2\x1B(B", ccJis83, 3},
      {"Unicode is its converters' to check", "\xFF\xFE\x00", ccUtf8, npos},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FirstUnfitByte(c.bytes, c.code), c.unfitAt) << c.name;
  }
}

// The plain reading of what fits Shift-JIS, one character at a time: the check that takes 64
// bytes at a time must agree with it on every text, wherever its blocks fall.
std::size_t ReferenceUnfitSjis(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b <= 0x7F || (b >= 0xA1 && b <= 0xDF)) {
      ++i;
    } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      if (i + 1 == text.size()) {
        return npos;
      }
      const auto c = static_cast<unsigned char>(text[i + 1]);
      if (c < 0x40 || c == 0x7F || c > 0xFC) {
        return i;
      }
      i += 2;
    } else {
      return i;
    }
  }
  return npos;
}

TEST(CodeCheck, TheBlockCheckAgreesWithTheCharacterByCharacterReading) {
  // Bytes drawn mostly from the lead and trail ranges, where pairs are hard to tell apart.
  const unsigned char pool[] = {0x81, 0x82, 0x9F, 0xE0, 0xEA, 0xFC, 0x40, 0x7E, 0xA1, 0xB1,
                                0xDF, 0x80, 0xA0, 0xFD, 0xFF, 0x7F, 0x0A, 0x2C, 0x41, 0x3F};
  std::mt19937 random(64);
  for (int round = 0; round < 20000; ++round) {
    const std::size_t size = random() % 300;
    std::string text;
    const int errorsEvery = 1 + static_cast<int>(random() % 400);
    for (std::size_t i = 0; i < size; ++i) {
      // Mostly valid text: a lead byte with a trail, a single byte, now and then anything.
      const int pick = static_cast<int>(random() % errorsEvery);
      if (pick == 0) {
        text += static_cast<char>(pool[random() % std::size(pool)]);
      } else if (random() % 3 != 0) {
        text += static_cast<char>(pool[random() % 6]);
        text += static_cast<char>(pool[random() % 14]);
      } else {
        text += static_cast<char>(pool[6 + random() % 8]);
      }
    }
    ASSERT_EQ(FirstUnfitByte(text, ccShiftJis), ReferenceUnfitSjis(text)) << round;
  }
}

std::size_t ReferenceUnfitEuc(std::string_view text) {
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  auto pairByte = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b = at(i);
    const std::size_t left = text.size() - i;
    if (b < 0x80) {
      ++i;
    } else if (pairByte(b) && left >= 2 && pairByte(at(i + 1))) {
      i += 2;
    } else if (b == 0x8E && left >= 2 && at(i + 1) >= 0xA1 && at(i + 1) <= 0xDF) {
      i += 2;
    } else if (b == 0x8F && left >= 3 && pairByte(at(i + 1)) && pairByte(at(i + 2))) {
      i += 3;
    } else {
      return i;
    }
  }
  return npos;
}

TEST(CodeCheck, TheEucBlockCheckAgreesWithTheCharacterByCharacterReading) {
  const unsigned char pool[] = {0xA4, 0xA5, 0xB0, 0xFE, 0xA1, 0xDF, 0xE0, 0x8E,
                                0x41, 0x0A, 0x2C, 0x80, 0xA0, 0xFF, 0x8D, 0x8F};
  std::mt19937 random(65);
  for (int round = 0; round < 20000; ++round) {
    const std::size_t size = random() % 300;
    const int errorsEvery = 1 + static_cast<int>(random() % 400);
    const bool supplementary = round % 10 == 0;
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
      const int pick = static_cast<int>(random() % errorsEvery);
      if (pick == 0) {
        text += static_cast<char>(pool[random() % (supplementary ? 16 : 15)]);
      } else if (random() % 3 != 0) {
        text += static_cast<char>(pool[random() % 8]); // a pair, or 0x8E and a kana byte
        text += static_cast<char>(pool[random() % 6]);
      } else {
        text += static_cast<char>(pool[8 + random() % 3]);
      }
    }
    ASSERT_EQ(FirstUnfitByte(text, ccEuc), ReferenceUnfitEuc(text)) << round;
  }
}

// Texts of 16 MB and more are checked in two parts, split after the LF that follows the middle:
// a fault on either side of that LF, far from it, or none.
TEST(CodeCheck, ALargeTextIsCheckedInTwoPartsWithTheSameResult) {
  const struct {
    TCharCode code;
    std::string line;
    char lead;
    std::size_t (*reference)(std::string_view);
  } codes[] = {{ccShiftJis, "\x82\xA0\x88\x9F ab\xB1\n", '\x82', ReferenceUnfitSjis},
               {ccEuc, "\xA4\xA2\xB0\xA1 ab\x8E\xB1\n", '\xA4', ReferenceUnfitEuc}};
  for (const auto& code : codes) {
    std::string text;
    while (text.size() < (std::size_t{16} << 20) + 5) {
      text += code.line;
    }
    const std::size_t split = text.find('\n', text.size() / 2) + 1;
    for (const std::size_t at : {npos, split - 2, split, split + 1, text.size() / 4,
                                 text.size() * 3 / 4, text.size() - 2}) {
      std::string damaged = text;
      if (at != npos) {
        damaged[at] = code.lead; // a lead byte before an LF or a single byte
        damaged[at + 1] = '\n';
      }
      EXPECT_EQ(FirstUnfitByte(damaged, code.code), code.reference(damaged))
          << static_cast<int>(code.code) << " at " << at;
    }
  }
}

TEST(CodeCheck, ADecisionThatDoesNotDecodeTakesTheOneCodeThatDoes) {
  const struct {
    const char* name;
    std::string bytes;
    TCharCode detected;
    TCharCode code;
    std::size_t unfitAt;
  } cases[] = {
      {"fits", Sjis("漢字"), ccShiftJis, ccShiftJis, npos},
      // EUC rows FD-FE have no Shift-JIS reading.
      {"EUC read as Shift-JIS", "\xA4\xA2,\xFD\xFE\n", ccShiftJis, ccEuc, npos},
      {"Shift-JIS read as EUC", Sjis("ｱ漢字"), ccEuc, ccShiftJis, npos},
      // 0x80 fits neither; Shift-JIS fails at 1, EUC at 0: the later failure is named.
      {"neither", "\xA4\x80", ccShiftJis, ccUndecided, 1},
      // JIS with bytes both Shift-JIS and EUC read: the second opinion chooses (kana pairs).
      {"JIS whose bytes both read", "\x1B$B\xA5\xA2\xA5\xA4\xA5\xA6", ccJis83, ccEuc, npos},
  };
  for (const auto& c : cases) {
    const TCheckedCode checked = CheckCode(c.bytes, c.detected);
    EXPECT_EQ(checked.code, c.code) << c.name;
    EXPECT_EQ(checked.unfitAt, c.unfitAt) << c.name;
  }
}

// Word lists of EUC katakana without ン (which decided nothing before), 2 to 20 lines: EUC,
// never Shift-JIS. Half-width katakana in Shift-JIS stays Shift-JIS. Whatever is decided reads
// as iconv reads it.
TEST(CodeCheck, SecondOpinionOnKanaOnlyWordLists) {
  const char* const kana[] = {"ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ",
                              "サ", "シ", "ス", "セ", "ソ", "タ", "チ", "ツ", "テ", "ト",
                              "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ",
                              "マ", "ミ", "ム", "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ",
                              "ル", "レ", "ロ", "ワ", "ガ", "ギ", "グ", "ゲ", "ゴ", "ー"};
  std::mt19937 random(14);
  for (int list = 0; list < 200; ++list) {
    std::string utf8;
    const int lines = 2 + static_cast<int>(random() % 19);
    for (int line = 0; line < lines; ++line) {
      for (int n = 2 + static_cast<int>(random() % 5); n > 0; --n) {
        utf8 += kana[random() % std::size(kana)];
      }
      utf8 += list % 2 ? "\n" : ",名詞\n";
    }
    const std::string euc = Recode(utf8, "UTF-8", "EUC-JP");
    EXPECT_EQ(DetectCharCodeOfBytes(euc), ccEuc) << utf8;
    EXPECT_EQ(CheckCode(euc, ccEuc).code, ccEuc) << utf8;
    EXPECT_EQ(EucToSjis(euc), Sjis(utf8)) << utf8; // as iconv reads it
    EXPECT_EQ(DetectCharCodeOfBytes(Sjis(utf8)), ccShiftJis) << utf8;
  }
  // Half-width katakana words, which the scan leaves undecided.
  for (const char* words : {"ｱｲ\r\n", "ｶﾞｲｺｸ\r\nｼﾞｺｸ\r\n", "ﾃｽﾄ\r\nﾃﾞｰﾀ\r\n"}) {
    EXPECT_EQ(DetectCharCodeOfBytes(Sjis(words)), ccShiftJis) << words;
  }
}

TEST(CodeCheck, WhatStaysAmbiguousIsNamedAsSuch) {
  // Five pairs, one of them in a kana row: too many for Shift-JIS half-width text, too few for
  // EUC.
  const std::string ambiguous = "\xB1\xB2\xB3\xB4\xA4\xA2\xB5\xB6\xB7\xB8\r\n";
  EXPECT_EQ(DetectCharCodeOfBytes(ambiguous), ccUndecided);
  EXPECT_EQ(AmbiguousCodeMessage("a.txt"), "「a.txt」はEUCかShift-JISか判定できません。");
  EXPECT_NE(UnfitBytesMessage("a.txt", 12).find("（オフセット 12）"), npos);
}

} // namespace
} // namespace zorbe
