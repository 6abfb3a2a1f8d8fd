#include "text/unicode_conversion.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

using test::Recode;
using test::Sjis;

// Every code CP932 decodes, one per line: single bytes, then double-byte characters.
std::string EveryCp932Character() {
  static const std::string text = [] {
    std::string all;
    for (unsigned b = 0x20; b < 0x100; ++b) {
      if (TCp932Tables::Get().decodeSingle[b] != kNoCharacter) {
        all += static_cast<char>(b);
        all += '\n';
      }
    }
    for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
      if (code >= 0x100 &&
          TCp932Tables::Get().Decode(static_cast<std::uint16_t>(code)) != kNoCharacter) {
        all += static_cast<char>(code >> 8);
        all += static_cast<char>(code & 0xFF);
        all += '\n';
      }
    }
    return all;
  }();
  return text;
}

std::string ToInternal(std::string_view utf8, const TCodeTable& table) {
  std::string out(utf8.size(), '\0');
  const TConversion result = Utf8ToInternal(utf8.data(), utf8.size(), out.data(), table);
  EXPECT_FALSE(result.fault.has_value());
  out.resize(result.size);
  return out;
}

std::string InCode(std::string_view internal, TOutputCode code, const TCodeTable& table) {
  std::string out;
  EXPECT_EQ(AppendInOutputCode(out, internal, code, table), std::string::npos);
  return out;
}

TEST(UnicodeConversion, AgreesWithIconvOnAllOfCp932) {
  const TCodeTable table;
  const std::string cp932 = EveryCp932Character();
  ASSERT_EQ(std::count(cp932.begin(), cp932.end(), '\n'), 191 - 32 + 9604); // from 0x20 on
  const std::string utf8 = Recode(cp932, "CP932", "UTF-8");
  EXPECT_EQ(InCode(cp932, TOutputCode::Utf8, table), utf8);
  // Back: a character that several codes decode to takes the one iconv gives it.
  EXPECT_EQ(ToInternal(utf8, table), Recode(utf8, "UTF-8", "CP932"));
}

TEST(UnicodeConversion, RandomTextsAgreeWithIconvAndConvertInPlace) {
  const TCodeTable table;
  const std::string all = Recode(EveryCp932Character(), "CP932", "UTF-8");
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find('\n', at);
    characters.push_back(all.substr(at, end - at));
    at = end + 1;
  }
  characters.push_back("\r\n");
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::string utf8;
    for (int n = static_cast<int>(random() % 200); n > 0; --n) {
      // ASCII runs long enough for the sixteen-byte path, and single characters.
      utf8 += random() % 4 == 0 ? std::string(random() % 40, 'a')
                                : characters[random() % characters.size()];
    }
    const std::string expected = Recode(utf8, "UTF-8", "CP932");
    std::string inPlace = utf8;
    const TConversion result =
        Utf8ToInternal(inPlace.data(), inPlace.size(), inPlace.data(), table);
    ASSERT_FALSE(result.fault.has_value());
    inPlace.resize(result.size);
    ASSERT_EQ(inPlace, expected);
    ASSERT_EQ(InCode(expected, TOutputCode::Utf8, table), Recode(expected, "CP932", "UTF-8"));
  }
}

// The writer converts one short line at a time, where the converter's ends of text matter: the
// ASCII tail of each length below a block, a double-byte run cut by the end, a lone lead byte.
TEST(UnicodeConversion, ShortLinesConvertAsIconvDoes) {
  const TCodeTable table;
  const std::string kana = Sjis("かなｶﾅ漢字");
  std::vector<std::string> lines;
  for (std::size_t ascii = 0; ascii <= 17; ++ascii) {
    lines.push_back(std::string(ascii, 'x'));
    lines.push_back(std::string(ascii, 'x') + kana);
    lines.push_back(kana + std::string(ascii, 'y'));
    lines.push_back(Sjis("ｱ") + std::string(ascii, 'z') + Sjis("あ"));
  }
  for (const std::string& line : lines) {
    char out[OutputCapacity(64)];
    const TWritten written = InternalToOutputCode(line, TOutputCode::Utf8, out, table);
    ASSERT_EQ(written.unwritableAt, std::string::npos) << line;
    EXPECT_EQ(std::string(out, written.size), Recode(line, "CP932", "UTF-8")) << line;
  }
  // A lead byte that ends the text is no character, whatever follows it in memory.
  const std::string cut = Sjis("あい") + "\x82\xA0";
  for (const TOutputCode code : {TOutputCode::Utf8, TOutputCode::ShiftJis}) {
    char out[OutputCapacity(8)];
    const TWritten written =
        InternalToOutputCode(std::string_view(cut).substr(0, 5), code, out, table);
    EXPECT_EQ(written.unwritableAt, code == TOutputCode::Utf8 ? 4u : std::string::npos);
    EXPECT_EQ(std::string(out, written.size),
              code == TOutputCode::Utf8 ? "あい" : cut.substr(0, 5));
  }
}

TEST(UnicodeConversion, AFaultNamesItsOffsetAndCharacter) {
  const TCodeTable table;
  const struct {
    const char* name;
    std::string utf8;
    std::size_t offset;
    char32_t character;
  } cases[] = {
      {"Shift-JIS bytes", "abc" + Sjis("漢"), 3, kNoCharacter},
      {"cut at the end", "ああ\xE3\x81", 6, kNoCharacter},
      {"overlong", "a\xC0\xAF", 1, kNoCharacter},
      {"beyond CP932", "あ𠮷", 3, 0x20BB7},
      {"after a long ASCII run", std::string(40, 'a') + "é", 40, 0xE9},
  };
  for (const auto& c : cases) {
    std::string out(c.utf8.size(), '\0');
    const TConversion result = Utf8ToInternal(c.utf8.data(), c.utf8.size(), out.data(), table);
    ASSERT_TRUE(result.fault.has_value()) << c.name;
    EXPECT_EQ(result.fault->offset, c.offset) << c.name;
    EXPECT_EQ(result.fault->character, c.character) << c.name;
  }
}

TEST(UnicodeConversion, Utf16EitherWayBecomesUtf8) {
  const std::string text = "a\r\nあ𠮷é";
  const std::string le = Recode(text, "UTF-8", "UTF-16LE");
  const std::string be = Recode(text, "UTF-8", "UTF-16BE");
  std::string out;
  EXPECT_FALSE(Utf16ToUtf8(le, false, out).has_value());
  EXPECT_EQ(out, text);
  out.clear();
  EXPECT_FALSE(Utf16ToUtf8(be, true, out).has_value());
  EXPECT_EQ(out, text);
  const struct {
    const char* name;
    std::string bytes;
    std::size_t offset;
  } faults[] = {
      {"odd last byte", std::string("a\0b", 3), 2},
      {"lone high surrogate", std::string("a\0\x3D\xD8", 4), 2},
      {"high surrogate then a letter",
       std::string("\x3D\xD8"
                   "a\0",
                   4),
       0},
      {"lone low surrogate", std::string("a\0\x00\xDC", 4), 2},
  };
  for (const auto& f : faults) {
    out.clear();
    const std::optional<TConversionFault> fault = Utf16ToUtf8(f.bytes, false, out);
    ASSERT_TRUE(fault.has_value()) << f.name;
    EXPECT_EQ(fault->offset, f.offset) << f.name;
  }
}

TEST(UnicodeConversion, OutputCodesWriteWhatTheyCanHoldAndStopAtTheRest) {
  TCodeCensus census;
  census.NoteUtf8("〜〜～𠮷");
  const TCodeTable table(census); // 〜 keeps 0x8160; ～ is 0xF040, 𠮷 0xF041
  const std::string internal = ToInternal("ｱ〜～あ", table);
  EXPECT_EQ(internal, "\xB1\x81\x60\xF0\x40\x82\xA0");
  EXPECT_EQ(InCode(internal, TOutputCode::Utf8, table), "ｱ〜～あ");
  EXPECT_EQ(InCode(internal, TOutputCode::ShiftJis, table), "\xB1\x81\x60\x81\x60\x82\xA0");
  EXPECT_EQ(InCode(internal, TOutputCode::EucJp, table), "\x8E\xB1\xA1\xC1\xA1\xC1\xA4\xA2");

  const std::string yoshi = ToInternal("a𠮷b", table);
  std::string out;
  EXPECT_EQ(AppendInOutputCode(out, yoshi, TOutputCode::ShiftJis, table), 1u);
  EXPECT_EQ(out, "a");
  EXPECT_EQ(FindUnwritable(yoshi, TOutputCode::EucJp, table), 1u);
  EXPECT_EQ(FindUnwritable(yoshi, TOutputCode::Utf8, table), std::string::npos);
  EXPECT_EQ(CharacterAt(yoshi, 1, table), "「𠮷」(U+20BB7)");

  // User-defined and IBM rows have no place in EUC-JP; bytes that are no character have none
  // in UTF-8.
  const TCodeTable plain;
  EXPECT_EQ(FindUnwritable(Sjis("あ") + "\xFA\x40", TOutputCode::EucJp, plain), 2u);
  EXPECT_EQ(FindUnwritable("ab\x85\x40", TOutputCode::Utf8, plain), 2u);
  EXPECT_EQ(CharacterAt("ab\x85\x40", 2, plain), "0x85 0x40");
  EXPECT_EQ(FindUnwritable("ab\x85\x40", TOutputCode::ShiftJis, plain), std::string::npos);
}

TEST(UnicodeConversion, YenAloneTakesTheBackslashByteAndComesBackAsItself) {
  TCodeCensus census;
  census.NoteUtf8("¥100");
  const TCodeTable table(census);
  const std::string internal = ToInternal("a¥100", table);
  EXPECT_EQ(internal, "a\\100");
  EXPECT_EQ(InCode(internal, TOutputCode::Utf8, table), "a¥100");
  EXPECT_EQ(InCode(internal, TOutputCode::ShiftJis, table), "a\\100");
}

TEST(UnicodeConversion, EucOutputAgreesWithIconvOnJisX0208) {
  const TCodeTable table;
  const std::string sjis = Sjis("ｶﾀｶﾅ、ひらがな。漢字（ＡＢＣ）①\r\nabc\n");
  EXPECT_EQ(InCode(sjis, TOutputCode::EucJp, table), Recode(sjis, "CP932", "EUC-JP-MS"));
}

} // namespace
} // namespace zorbe
