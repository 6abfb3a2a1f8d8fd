// The internal form's codecs, input converters and writers, against iconv as the oracle and a
// plain character-at-a-time reference.

#include "text/internal_input.h"
#include "text/internal_output.h"

#include "test_support.h"
#include "text/internal_char.h"
#include "text/internal_reference.h"
#include "text/shift_jis.h"
#include "text/utf8_decode.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

using test::Internal;
using test::Recode;
using test::Sjis;
using test::Utf8OfInternal;

const TInternalCodec& Codec(TOutputCode output) {
  return TInternalCodec::For(output);
}

std::string Written(std::string_view internal, TOutputCode output) {
  std::string out;
  EXPECT_EQ(AppendInOutputCode(out, internal, Codec(output)), std::string::npos);
  return out;
}

// Every code CP932 decodes, one per line, from 0x20 on.
std::string EveryCp932Character() {
  std::string all;
  for (unsigned code = 0x20; code <= 0xFCFC; ++code) {
    if (TCp932Tables::Get().Decode(static_cast<std::uint16_t>(code)) == kNoCharacter ||
        (code >= 0x80 && code < 0x100 && IsLeadByte(static_cast<unsigned char>(code)))) {
      continue;
    }
    if (code >= 0x100) {
      all += static_cast<char>(code >> 8);
    }
    all += static_cast<char>(code & 0xFF);
    all += '\n';
  }
  return all;
}

TEST(InternalConversion, EveryCp932CharacterComesBackAsIconvReadsIt) {
  const std::string cp932 = EveryCp932Character();
  const std::string utf8 = Recode(cp932, "CP932", "UTF-8");
  for (const TOutputCode output : {TOutputCode::Utf8, TOutputCode::ShiftJis}) {
    // A character that several codes decode to is held as the one iconv encodes it to.
    EXPECT_EQ(Internal(utf8, output), Recode(utf8, "UTF-8", "CP932"));
  }
  // Shift-JIS read for UTF-8 output writes what iconv reads, the NEC and IBM twins included.
  const TConvertedString read =
      ConvertText(TInputConverter(ccShiftJis, Codec(TOutputCode::Utf8)), cp932);
  ASSERT_FALSE(read.report.fault);
  EXPECT_EQ(Written(read.text, TOutputCode::Utf8), utf8);
  EXPECT_EQ(Written(read.text, TOutputCode::Utf16), Recode(utf8, "UTF-8", "UTF-16LE"));
}

// Random texts of Japanese, Latin, Hangul, supplementary-plane characters, variation selectors
// and the other characters of shared codes: converted in place (with the rest that needs more
// room converted apart) they are what the reference gives, and UTF-8 writes them back.
TEST(InternalConversion, RandomTextsConvertInPlaceAsTheReferenceAndComeBack) {
  const std::vector<std::string> pieces = {"あ",
                                           "漢字",
                                           "ｶﾅ",
                                           "〜",
                                           "～",
                                           "¥",
                                           "\\",
                                           "‾",
                                           "−",
                                           "é",
                                           "Straße",
                                           "가",
                                           "힣",
                                           "𠮷",
                                           "😀",
                                           "葛\xF3\xA0\x84\x81",
                                           "\r\n",
                                           "\n",
                                           std::string(20, 'a'),
                                           "ß",
                                           "¬",
                                           "∥",
                                           "‖"};
  std::mt19937 random(11);
  for (int round = 0; round < 400; ++round) {
    std::string utf8;
    for (int n = static_cast<int>(random() % 60); n > 0; --n) {
      utf8 += pieces[random() % (round % 2 == 0 ? 4 : pieces.size())];
    }
    const TInternalCodec& codec = Codec(TOutputCode::Utf8);
    std::string text = utf8;
    const TConvertedText converted =
        ConvertInPlace(TInputConverter(ccUtf8, codec), text.data(), text.size());
    ASSERT_FALSE(converted.report.fault) << utf8;
    const std::string internal = text.substr(0, converted.written) + converted.tail;
    ASSERT_EQ(internal, ReferenceInternal(utf8, codec)) << utf8;
    ASSERT_EQ(Written(internal, TOutputCode::Utf8), utf8);
    ASSERT_EQ(Utf8OfInternal(internal), utf8);
  }
}

TEST(InternalConversion, BytesThatAreNoCharacterStopAtTheirOffset) {
  const struct {
    const char* name;
    TCharCode code;
    std::string bytes;
    std::size_t offset;
    bool cp932Model = false; // also a fault when the output is Shift-JIS
  } cases[] = {
      {"Shift-JIS in UTF-8", ccUtf8, "abc" + Sjis("漢"), 3},
      {"cut at the end", ccUtf8, "ああ\xE3\x81", 6},
      {"overlong", ccUtf8, "a\xC0\xAF", 1},
      {"after a long ASCII run", ccUtf8, std::string(40, 'a') + "\xFF", 40},
      {"unassigned CP932 code", ccShiftJis, "ab\x85\x40", 2},
      {"unassigned EUC-JP cell", ccEuc, "a\xA9\xA1", 1},
      {"EUC-JIS-2004 empty plane-2 row", ccEucJis2004, "\xA4\xA2\x8F\xA2\xA1", 2},
      // A first byte alone, inside a block of 16 bytes that the vector lanes take.
      {"EUC-JP lone first byte", ccEuc, "\xA4\xA2\xE4" + std::string(20, ','), 2, true},
      {"EUC-JIS-2004 lone first byte", ccEucJis2004, "a\xE4\x00" + std::string(20, 'b'), 1, true},
  };
  for (const auto& c : cases) {
    for (const TOutputCode output : {TOutputCode::Utf8, TOutputCode::ShiftJis}) {
      if (output == TOutputCode::ShiftJis && !c.cp932Model) {
        continue; // CP932's own codes, taken as they are in that model
      }
      const TConvertedString converted =
          ConvertText(TInputConverter(c.code, Codec(output)), c.bytes);
      ASSERT_TRUE(converted.report.fault) << c.name;
      EXPECT_EQ(converted.report.fault->offset, c.offset) << c.name;
    }
  }
}

// Each legacy code read as iconv reads it: the UTF-8 output of a text in the code is iconv's.
TEST(InternalConversion, LegacyCodesReadAsIconvReadsThem) {
  const std::string japanese = "かなカナ漢字、〜−¢£¬‖ｶﾅ①ⅰ\n";
  const struct {
    TCharCode code;
    const char* iconvName;
    std::string utf8;
  } cases[] = {
      {ccEuc, "EUC-JP", "かな漢字、〜−¢£¬‖ｶﾅ\nTōkaidō ß\n"},
      {ccJis83, "ISO-2022-JP", "かな漢字、〜−¢£¬‖\r\nabc\n"},
      {ccEucJis2004, "EUC-JISX0213", japanese + "簞𧃴か゚ǽ\n"},
      {ccShiftJis2004, "SHIFT_JISX0213", japanese + "簞𧃴か゚ǽ ¥‾\n"},
      {ccIso2022Jp3, "ISO-2022-JP-3", "かな漢字\n簞𧃴か゚\n"},
      {ccShiftJis, "CP932", "かなカナ漢字、～－∥ｶﾅ①ⅰ髙\\~\n"}, // CP932's own forms
  };
  for (const auto& c : cases) {
    const std::string bytes = Recode(c.utf8, "UTF-8", c.iconvName);
    for (const TOutputCode output : {TOutputCode::Utf8, TOutputCode::Utf16}) {
      const TConvertedString read = ConvertText(TInputConverter(c.code, Codec(output)), bytes);
      ASSERT_FALSE(read.report.fault) << c.iconvName;
      EXPECT_EQ(Written(read.text, output),
                Recode(c.utf8, "UTF-8", output == TOutputCode::Utf8 ? "UTF-8" : "UTF-16LE"))
          << c.iconvName;
    }
  }
}

// Every pair of plane 1 that iconv reads, in runs of its neighbours and alone among kana: the
// blocks converted by the JIS arithmetic agree with the tables at every edge of where it holds.
TEST(InternalConversion, EveryPlaneOnePairReadsAsIconvReadsIt) {
  const std::pair<TCharCode, const char*> codes[] = {{ccEuc, "EUC-JP"},
                                                     {ccEucJis2004, "EUC-JISX0213"}};
  for (const auto& [code, iconvName] : codes) {
    std::string runs;
    std::string alone;
    for (int row = 0xA1; row <= 0xFE; ++row) {
      for (int cell = 0xA1; cell <= 0xFE; ++cell) {
        const std::string pair{static_cast<char>(row), static_cast<char>(cell)};
        try {
          Recode(pair, iconvName, "UTF-8");
        } catch (const std::runtime_error&) {
          continue; // no character for iconv
        }
        runs += pair;
        alone += "\xA4\xA2\xA4\xA2\xA4\xA2" + pair + "\n";
      }
    }
    for (const std::string& text : {runs, alone}) {
      const TConvertedString read =
          ConvertText(TInputConverter(code, Codec(TOutputCode::Utf8)), text);
      ASSERT_FALSE(read.report.fault) << iconvName;
      EXPECT_EQ(Written(read.text, TOutputCode::Utf8), Recode(text, iconvName, "UTF-8"))
          << iconvName;
    }
  }
}

// Each output code writes what iconv writes for the characters it holds.
TEST(InternalConversion, OutputCodesWriteAsIconvDoes) {
  const struct {
    TOutputCode output;
    const char* iconvName;
    std::string utf8;
  } cases[] = {
      {TOutputCode::ShiftJis, "CP932", "ｶﾀｶﾅ、ひらがな。漢字（ＡＢＣ）①ⅰ\r\nabc\n"},
      {TOutputCode::EucJp, "EUC-JP", "ｶﾀｶﾅ、ひらがな。漢字〜−\nTōkaidō ßé\n"},
      {TOutputCode::Utf16, "UTF-16LE", "a〜～𠮷가é\n"},
      {TOutputCode::EucJis2004, "EUC-JISX0213", "簞𧃴か゚ǽ〜～\\~ｶ\n"},
      {TOutputCode::ShiftJis2004, "SHIFT_JISX0213", "簞𧃴か゚ǽ〜～¥‾ｶ\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Written(Internal(c.utf8, c.output), c.output), Recode(c.utf8, "UTF-8", c.iconvName))
        << c.iconvName;
  }
}

// Two characters are one to a job exactly when its output writes them alike.
TEST(InternalConversion, CharactersAreEqualWhenTheOutputWritesThemAlike) {
  const struct {
    TOutputCode output;
    std::string a, b;
    bool equal;
  } cases[] = {
      {TOutputCode::ShiftJis, "10〜20", "10～20", true},
      {TOutputCode::ShiftJis, "−", "－", true},
      {TOutputCode::EucJp, "〜", "～", true},
      {TOutputCode::Utf8, "10〜20", "10～20", false},
      {TOutputCode::Utf8, "¥", "\\", false},
      {TOutputCode::ShiftJis2004, "¥", "\\", true},
      {TOutputCode::EucJis2004, "¥", "\\", false},
      {TOutputCode::EucJis2004, "〜", "～", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Internal(c.a, c.output) == Internal(c.b, c.output), c.equal)
        << c.a << " " << c.b << " " << OutputCodeName(c.output);
  }
  // 髙 from CP932's IBM row and from its NEC-selected row: one character in UTF-8, two codes
  // that Shift-JIS writes as they are.
  for (const TOutputCode output : {TOutputCode::Utf8, TOutputCode::ShiftJis}) {
    const TInputConverter sjis(ccShiftJis, Codec(output));
    const bool equal = ConvertText(sjis, "\xFB\xFC").text == ConvertText(sjis, "\xEE\xE0").text;
    EXPECT_EQ(equal, output == TOutputCode::Utf8);
  }
}

TEST(InternalConversion, OrderIsCp932ThenTheOtherCharactersInCodePointOrder) {
  // Each row in order for UTF-8 output: the other character of a shared code right after the
  // code's own, characters CP932 lacks after its last kanji.
  const std::vector<std::vector<std::string>> orders = {
      {"～", "〜", "∥"}, {"\\", "¥", "]"}, {"龠", "é", "가", "𠮷", "\xF3\xA0\x84\x81"}};
  for (const auto& order : orders) {
    for (std::size_t i = 1; i < order.size(); ++i) {
      EXPECT_LT(Internal(order[i - 1]), Internal(order[i])) << order[i - 1] << order[i];
    }
  }
}

TEST(InternalConversion, CharactersTheOutputCantWriteAreHeldAndNoted) {
  // Each text: what the output writes, then the character it can't, then more.
  const struct {
    TOutputCode output;
    std::string writable, unwritable;
  } cases[] = {
      {TOutputCode::ShiftJis, "あa", "𠮷b"},     {TOutputCode::ShiftJis, "あa", "éb"},
      {TOutputCode::EucJp, "ßé", "가"},          // JIS X 0212 holds ß and é
      {TOutputCode::EucJp, "a", "\xEE\x80\x80"}, // U+E000: CP932's user-defined area
      {TOutputCode::EucJis2004, "簞𧃴", "가"},   {TOutputCode::Utf8, "𠮷가é", ""},
  };
  for (const auto& c : cases) {
    const TInternalCodec& codec = Codec(c.output);
    const std::string utf8 = c.writable + c.unwritable;
    const TConvertedString read = ConvertText(TInputConverter(ccUtf8, codec), utf8);
    ASSERT_FALSE(read.report.fault) << utf8;
    const std::size_t first =
        c.unwritable.empty() ? std::string::npos : Internal(c.writable, c.output).size();
    EXPECT_EQ(read.report.firstUnwritable, first) << utf8;
    EXPECT_EQ(FindUnwritable(read.text, codec), first) << utf8;
    EXPECT_EQ(Utf8OfInternal(read.text, c.output), utf8); // held as itself all the same
  }
  EXPECT_EQ(CharacterAt(Internal("a𠮷"), 1, Codec(TOutputCode::Utf8)), "「𠮷」(U+20BB7)");
  EXPECT_EQ(CharacterAt("ab\x85\x40", 2, Codec(TOutputCode::Utf8)), "0x85 0x40");
}

TEST(InternalConversion, JisX0212InShiftJisOutputBecomesTheGetaMarkAndIsCounted) {
  const std::string euc = Recode("東海道 Tōkaidō\n", "UTF-8", "EUC-JP");
  const TConvertedString sjis =
      ConvertText(TInputConverter(ccEuc, Codec(TOutputCode::ShiftJis)), euc);
  EXPECT_EQ(sjis.text, Sjis("東海道 T〓kaid〓\n"));
  EXPECT_EQ(sjis.report.substituted, 2u);
  EXPECT_EQ(sjis.report.firstSubstituted, 8u);
  const TConvertedString eucOut =
      ConvertText(TInputConverter(ccEuc, Codec(TOutputCode::EucJp)), euc);
  EXPECT_EQ(eucOut.report.substituted, 0u);
  EXPECT_EQ(Written(eucOut.text, TOutputCode::EucJp), euc);
}

TEST(InternalConversion, Utf16EitherWayBecomesUtf8) {
  const std::string text = "a\r\nあ𠮷é";
  std::string out;
  EXPECT_FALSE(Utf16ToUtf8(Recode(text, "UTF-8", "UTF-16LE"), false, out).has_value());
  EXPECT_EQ(out, text);
  out.clear();
  EXPECT_FALSE(Utf16ToUtf8(Recode(text, "UTF-8", "UTF-16BE"), true, out).has_value());
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

// The writer converts one short line at a time, where the ends of a text matter: the ASCII
// tail of each length below a block, a double-byte run cut by the end, a mark after either.
TEST(InternalConversion, ShortLinesWriteAsIconvDoes) {
  std::vector<std::string> lines;
  for (std::size_t ascii = 0; ascii <= 17; ++ascii) {
    const std::string run(ascii, 'x');
    for (const std::string& other : {std::string("かなｶﾅ漢字"), std::string("〜¥‾")}) {
      lines.push_back(run);
      lines.push_back(run + other);
      lines.push_back(other + run);
      lines.push_back("ｱ" + run + "あ¥");
    }
  }
  for (const std::string& utf8 : lines) {
    const std::string line = Internal(utf8);
    char out[OutputCapacity(128)];
    const TWritten written = InternalToOutputCode(line, Codec(TOutputCode::Utf8), out);
    ASSERT_EQ(written.unwritableAt, std::string::npos) << utf8;
    EXPECT_EQ(std::string(out, written.size), utf8);
  }
}

} // namespace
} // namespace zorbe
