#include "text/code_table.h"

#include "text/code_conversion.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using test::Sjis;

// One input of a census: UTF-8 text, or Shift-JIS text (the internal form as read).
struct TInput {
  enum { Utf8, Utf8Rules, Internal } kind;
  std::string text;
};

TCodeTable TableOf(const std::vector<TInput>& inputs) {
  TCodeCensus census;
  for (const TInput& input : inputs) {
    if (input.kind == TInput::Internal) {
      census.NoteInternal(input.text);
    } else {
      EXPECT_EQ(census.NoteUtf8(input.text, input.kind == TInput::Utf8Rules), std::string::npos);
    }
  }
  return TCodeTable(census);
}

std::string Decoded(const TCodeTable& table, std::uint16_t code) {
  const char32_t c = code < 0x100 ? table.DecodeSingle(static_cast<unsigned char>(code))
                                  : table.DecodeDouble(static_cast<unsigned char>(code >> 8),
                                                       static_cast<unsigned char>(code));
  return c == kNoCharacter ? "(none)" : "U+" + std::to_string(c);
}

std::string U(char32_t c) {
  return "U+" + std::to_string(c);
}

TEST(CodeTable, CharactersCp932CantHoldGetUserDefinedCodesInCodePointOrder) {
  // 𠮷 U+20BB7, é U+00E9, 😀 U+1F600, ō U+014D: in code-point order é ō 😀 𠮷.
  const TCodeTable table = TableOf({{TInput::Utf8, "𠮷とé😀あō"}});
  EXPECT_EQ(table.Encode(0xE9), 0xF040);
  EXPECT_EQ(table.Encode(0x14D), 0xF041);
  EXPECT_EQ(table.Encode(0x1F600), 0xF042);
  EXPECT_EQ(table.Encode(0x20BB7), 0xF043);
  EXPECT_EQ(table.Encode(U'あ'), 0x82A0); // CP932's own code
  EXPECT_EQ(Decoded(table, 0xF043), U(0x20BB7));
  EXPECT_TRUE(table.IsJobCode(0xF0, 0x43));
  EXPECT_FALSE(table.IsJobCode(0xF0, 0x44));
  EXPECT_EQ(table.Cp932OfJobCode(0xF040), kNoCode);
  EXPECT_EQ(table.Encode(0x1F601), kNoCode); // not in the census
}

TEST(CodeTable, ASharedCodeDecodesToTheFormTheJobUses) {
  const struct {
    const char* name;
    std::vector<TInput> inputs;
    char32_t decodes8160;   // the character 0x8160 stands for
    std::uint16_t waveDash; // the code of 〜 U+301C
    std::uint16_t tilde;    // the code of ～ U+FF5E
  } cases[] = {
      {"wave dash only", {{TInput::Utf8, "〜"}}, 0x301C, 0x8160, 0x8160},
      {"full-width tilde only", {{TInput::Utf8, "～"}}, 0xFF5E, 0x8160, 0x8160},
      {"both, wave dash more often", {{TInput::Utf8, "〜〜～"}}, 0x301C, 0x8160, 0xF040},
      {"both, tilde more often", {{TInput::Utf8, "〜～～"}}, 0xFF5E, 0xF040, 0x8160},
      {"a tie goes to CP932's own", {{TInput::Utf8, "〜～"}}, 0xFF5E, 0xF040, 0x8160},
      {"Shift-JIS text counts as CP932's own",
       {{TInput::Utf8, "〜"}, {TInput::Internal, Sjis("～～")}},
       0xFF5E,
       0xF040,
       0x8160},
  };
  for (const auto& c : cases) {
    const TCodeTable table = TableOf(c.inputs);
    EXPECT_EQ(Decoded(table, 0x8160), U(c.decodes8160)) << c.name;
    EXPECT_EQ(table.Encode(0x301C), c.waveDash) << c.name;
    EXPECT_EQ(table.Encode(0xFF5E), c.tilde) << c.name;
    if (table.HasJobCodes()) {
      EXPECT_EQ(table.Cp932OfJobCode(0xF040), 0x8160) << c.name; // written as 0x8160 in Shift-JIS
    }
  }
}

TEST(CodeTable, ShiftJisTextIsRewrittenWhereItsFormLostTheSharedCode) {
  const std::string internal = Sjis("a～b") + "\x83\x81\x60"; // a trail byte 0x81 then 0x60
  const TCodeTable table = TableOf({{TInput::Utf8, "〜〜〜"}, {TInput::Internal, internal}});
  ASSERT_TRUE(table.RewritesInternal());
  std::string text = internal;
  table.RewriteInternal(text.data(), text.size());
  EXPECT_EQ(text, "a\xF0\x40"
                  "b\x83\x81\x60");
  EXPECT_EQ(Decoded(table, 0xF040), U(0xFF5E));
  EXPECT_FALSE(TableOf({{TInput::Utf8, "～"}, {TInput::Internal, internal}}).RewritesInternal());
}

TEST(CodeTable, TheAsciiBackslashAndTildeKeepTheirBytes) {
  const struct {
    const char* name;
    std::vector<TInput> inputs;
    std::uint16_t yen;
    char32_t decodes5C;
  } cases[] = {
      {"yen alone takes 0x5C", {{TInput::Utf8, "¥100"}}, 0x5C, 0xA5},
      {"a backslash in any text keeps it",
       {{TInput::Utf8, "¥¥¥"}, {TInput::Utf8, "a\\b"}},
       0xF040,
       '\\'},
      {"a backslash in Shift-JIS text too",
       {{TInput::Utf8, "¥"}, {TInput::Internal, "\\"}},
       0xF040,
       '\\'},
      {"a trail byte 0x5C is no backslash",
       {{TInput::Utf8, "¥"}, {TInput::Internal, Sjis("ソ")}},
       0x5C,
       0xA5},
      {"yen in a rule file would read as an escape", {{TInput::Utf8Rules, "¥"}}, 0xF040, '\\'},
  };
  for (const auto& c : cases) {
    const TCodeTable table = TableOf(c.inputs);
    EXPECT_EQ(table.Encode(0xA5), c.yen) << c.name;
    EXPECT_EQ(Decoded(table, 0x5C), U(c.decodes5C)) << c.name;
    EXPECT_EQ(table.Encode('\\'), 0x5C) << c.name;
  }
}

TEST(CodeTable, UserDefinedCodesInUseAreNeverHandedOut) {
  // A Shift-JIS user-defined character 0xF040, and U+E001 (the code 0xF041) in UTF-8.
  const TCodeTable table = TableOf(
      {{TInput::Internal, "\xF0\x40"}, {TInput::Utf8, "\xEE\x80\x81"}, {TInput::Utf8, "é𠮷"}});
  EXPECT_EQ(table.Encode(0xE9), 0xF042);
  EXPECT_EQ(table.Encode(0x20BB7), 0xF043);
  EXPECT_EQ(table.Encode(0xE001), 0xF041);
  EXPECT_FALSE(table.IsJobCode(0xF0, 0x40));
  EXPECT_FALSE(table.IsJobCode(0xF0, 0x41));
  EXPECT_EQ(Decoded(table, 0xF040), U(0xE000));
}

TEST(CodeTable, MoreCharactersThanCodesIsRefusedWithTheCount) {
  std::string text;
  for (char32_t c = 0x1F000; c < 0x1F000 + 1881; ++c) {
    unsigned char bytes[4] = {static_cast<unsigned char>(0xF0 | c >> 18),
                              static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F)),
                              static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)),
                              static_cast<unsigned char>(0x80 | (c & 0x3F))};
    text.append(reinterpret_cast<const char*>(bytes), 4);
  }
  EXPECT_EQ(UserDefinedCodes().size(), 1880u);
  TCodeCensus census;
  census.NoteUtf8(text);
  try {
    TCodeTable table(census);
    FAIL() << "no error";
  } catch (const ETooManyCharacters& e) {
    EXPECT_EQ(e.Needed(), 1881u);
    EXPECT_NE(std::string(e.what()).find("1881"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("1880"), std::string::npos);
  }
  census.NoteInternal("\xF9\xFC"); // one code fewer
  EXPECT_THROW(TCodeTable{census}, ETooManyCharacters);
}

TEST(CodeTable, TheCensusSaysWhenInternalTextsMatter) {
  const struct {
    const char* text;
    bool needs;
  } cases[] = {{"plain あ ascii ～", false},
               {"〜", true},
               {"¢", true},
               {"é", true},
               {"\xEE\x80\x80", false}};
  for (const auto& c : cases) {
    TCodeCensus census;
    census.NoteUtf8(c.text);
    EXPECT_EQ(census.NeedsInternalTexts(), c.needs) << c.text;
  }
  TCodeCensus census;
  EXPECT_EQ(census.NoteUtf8("ab\xE3\x81"), 2u); // the offset of the byte that is not UTF-8
}

// JIS X 0212 characters noted by the census get the codes their characters have in the job: a
// code of its own for one CP932 can't hold, the shared code for ～ (0x2237), the geta mark for
// an empty cell; the same characters read from UTF-8 get the same codes.
TEST(CodeTable, JisX0212CharactersGetTheCodesOfTheirCharacters) {
  EXPECT_EQ(TCodeTable(TCodeCensus{}).JisX0212Codes(), nullptr);
  TCodeCensus census;
  census.NoteUtf8("丂");
  for (const auto& [row, cell] :
       {std::pair{0x2B, 0x57}, {0x30, 0x21}, {0x22, 0x37}, {0x7E, 0x7E}}) {
    census.NoteJisX0212(static_cast<unsigned char>(row), static_cast<unsigned char>(cell));
  }
  const TCodeTable table(census);
  const std::uint16_t* codes = table.JisX0212Codes();
  ASSERT_NE(codes, nullptr);
  const struct {
    unsigned char row, cell;
    char32_t character; // kNoCharacter: the geta mark
  } cases[] = {
      {0x2B, 0x57, U'ō'}, {0x30, 0x21, U'丂'}, {0x22, 0x37, U'～'}, {0x7E, 0x7E, kNoCharacter}};
  for (const auto& c : cases) {
    const std::uint16_t code = codes[JisX0212Index(c.row, c.cell)];
    if (c.character == kNoCharacter) {
      EXPECT_EQ(code, 0x81AC);
      continue;
    }
    EXPECT_EQ(code, table.Encode(c.character)) << std::hex << c.row << c.cell;
    EXPECT_EQ(table.DecodeDouble(static_cast<unsigned char>(code >> 8),
                                 static_cast<unsigned char>(code & 0xFF)),
              c.character);
  }
  EXPECT_TRUE(table.IsJobCode(static_cast<unsigned char>(codes[JisX0212Index(0x2B, 0x57)] >> 8),
                              static_cast<unsigned char>(codes[JisX0212Index(0x2B, 0x57)])));
  EXPECT_EQ(codes[JisX0212Index(0x22, 0x37)], 0x8160);
}

} // namespace
} // namespace zorbe
