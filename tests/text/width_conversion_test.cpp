// Width conversion: the listed cases, then agreement with a deliberately plain reference that
// follows the rules character by character with readable tables, on every one- and two-byte
// text and on generated lines.

#include "text/width_conversion.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

namespace zorbe {
namespace {

using test::Sjis;

enum class TOp {
  SymbolsHalf,
  SymbolsFull,
  DigitsHalf,
  DigitsFull,
  LettersHalf,
  LettersFull,
  KatakanaHalf,
  KatakanaFull
};
constexpr TOp kAllOps[] = {TOp::SymbolsHalf,  TOp::SymbolsFull, TOp::DigitsHalf,
                           TOp::DigitsFull,   TOp::LettersHalf, TOp::LettersFull,
                           TOp::KatakanaHalf, TOp::KatakanaFull};

const char* Name(TOp op) {
  static const char* const names[] = {
      "SymbolsToHalfWidth", "SymbolsToFullWidth", "DigitsToHalfWidth",   "DigitsToFullWidth",
      "LettersToHalfWidth", "LettersToFullWidth", "KatakanaToHalfWidth", "KatakanaToFullWidth"};
  return names[static_cast<int>(op)];
}

TWidthConversion Conversion(TOp op) {
  static const TWidthConversion conversions[] = {
      SymbolsToHalfWidth, SymbolsToFullWidth, DigitsToHalfWidth,   DigitsToFullWidth,
      LettersToHalfWidth, LettersToFullWidth, KatakanaToHalfWidth, KatakanaToFullWidth};
  return conversions[static_cast<int>(op)];
}

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
    hex += ' ';
  }
  return hex;
}

// --- The listed cases ----------------------------------------------------------------------

struct TCase {
  TOp op;
  std::string input;
  std::string expected;
};

std::vector<TCase> ListedCases() {
  return {
      {TOp::KatakanaFull, Sjis("ﾊﾟｿｺﾝ"), Sjis("パソコン")},
      {TOp::KatakanaFull, Sjis("ｶﾞｷﾞ"), Sjis("ガギ")},
      {TOp::KatakanaFull, Sjis("ｳﾞｧ"), Sjis("ウ゛ァ")},
      {TOp::KatakanaFull, Sjis("ｱﾞｱﾟ"), Sjis("ア゛ア゜")},
      {TOp::KatakanaFull, Sjis("ｶﾟﾄﾟﾎﾞﾎﾟ"), Sjis("カ゜ト゜ボポ")},
      {TOp::KatakanaFull, Sjis("ｰ"), Sjis("ー")},
      {TOp::KatakanaFull, Sjis("ｰﾞ"), Sjis("ｰﾞ")},
      {TOp::KatakanaFull, Sjis("ﾞﾟ"), Sjis("ﾞﾟ")},
      {TOp::KatakanaFull, Sjis("｡｢｣､･"), Sjis("。「」、・")},
      {TOp::KatakanaFull, Sjis("｡ﾞ｢ﾟ"), Sjis("。ﾞ「ﾟ")},
      {TOp::KatakanaFull, Sjis("ｦｯﾝﾜﾞ"), Sjis("ヲッンワ゛")},
      {TOp::KatakanaFull, "\xA0\xDE" + Sjis("ｱ"), "\xA0\xDE" + Sjis("ア")},
      {TOp::KatakanaFull, Sjis("ｱ,.ﾃﾞ"), Sjis("ア,.デ")},
      {TOp::KatakanaHalf, Sjis("あいう"), Sjis("ｱｲｳ")},
      {TOp::KatakanaHalf, Sjis("ヴヶヵ"), Sjis("ｳﾞｹｶ")},
      {TOp::KatakanaHalf, Sjis("ガぱッょ"), Sjis("ｶﾞﾊﾟｯｮ")},
      {TOp::KatakanaHalf, Sjis("ゐゑゎヰヱヮをヲ"), Sjis("ｲｴﾜｲｴﾜｦｦ")},
      {TOp::KatakanaHalf, Sjis("ー゛゜・"), Sjis("ー゛゜・")},
      {TOp::SymbolsHalf, Sjis("。「」、・"), Sjis("｡｢｣､･")},
      {TOp::SymbolsHalf,
       Sjis("　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／「」"),
       " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_" + Sjis("､｡･") + ",./" + Sjis("｢｣")},
      {TOp::SymbolsHalf, Sjis("＼～ー"), Sjis("＼～ー")},
      {TOp::SymbolsHalf, Sjis("ソ表＃"), Sjis("ソ表#")},
      {TOp::SymbolsFull, " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_" + Sjis("､｡･") + ",./" + Sjis("｢｣"),
       Sjis("　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／「」")},
      {TOp::SymbolsFull, Sjis("ソ表\\~"), Sjis("ソ表￥￣")},
      {TOp::SymbolsFull, Sjis("＼abc09"), Sjis("＼abc09")},
      {TOp::DigitsHalf, Sjis("０１９Ａ＃"), Sjis("019Ａ＃")},
      {TOp::DigitsFull, Sjis("0a9 ソ"), Sjis("０a９ ソ")},
      {TOp::LettersHalf, Sjis("ＡＺａｚ０＠"), Sjis("AZaz０＠")},
      {TOp::LettersFull, Sjis("AZaz0@ア"), Sjis("ＡＺａｚ0@ア")},
      // A trail byte that looks like the kind converted is never taken for it.
      {TOp::LettersFull, "\x83\x41\x82\x61", "\x83\x41\x82\x61"},
      {TOp::DigitsFull, "\x81\x30", "\x81\x30"},
      // A lone lead byte at the end is copied.
      {TOp::DigitsFull, "1\x82", Sjis("１") + "\x82"},
      {TOp::DigitsHalf, Sjis("０") + "\x82", "0\x82"},
      {TOp::KatakanaFull, Sjis("ｱ") + "\x83", Sjis("ア") + "\x83"},
      {TOp::KatakanaHalf, Sjis("ア") + "\x83", Sjis("ｱ") + "\x83"},
      // A row 0x24/0x25 code no kana has (0x8397) gives its lead alone: 0x97 then leads the
      // next pair, so the Ａ after it is read as 0x97 0x82 and 0x60 and stays.
      {TOp::LettersHalf, "\x83\x97\x82\x60", "\x83\x97\x82\x60"},
      {TOp::LettersHalf, "\x83\x96\x82\x60",
       "\x83\x96"
       "A"},
      {TOp::KatakanaHalf, "\x82\xF5\x83\x41", "\x82\xF5\x83\x41"},
      // Codes of row 0x23 that are neither digits nor letters stay.
      {TOp::DigitsHalf, "\x82\x40\x82\x59\x82\x80", "\x82\x40\x82\x59\x82\x80"},
      {TOp::LettersHalf, "\x82\x40\x82\x59\x82\x80", "\x82\x40\x82\x59\x82\x80"},
  };
}

TEST(WidthConversion, ListedCases) {
  for (const TCase& c : ListedCases()) {
    SCOPED_TRACE(std::string(Name(c.op)) + " of " + Hex(c.input));
    std::string out = "previous line";
    const bool changed = Conversion(c.op)(c.input, out);
    EXPECT_EQ(changed, c.expected != c.input);
    EXPECT_EQ(Hex(changed ? out : c.input), Hex(c.expected));
  }
}

TEST(WidthConversion, NothingToConvertLeavesTheBufferAlone) {
  const std::string japanese = Sjis("漢字とカタカナ、ｶﾅ。");
  const std::vector<std::pair<TOp, std::string>> cases = {
      {TOp::SymbolsHalf, Sjis("漢字かなｶﾅABC123")},
      {TOp::SymbolsFull, Sjis("漢字ABC123ｶﾅ")},
      {TOp::DigitsHalf, japanese},
      {TOp::DigitsFull, japanese},
      {TOp::LettersHalf, japanese},
      {TOp::LettersFull, japanese},
      {TOp::KatakanaHalf, Sjis("漢字ｶﾅ、ABC")},
      {TOp::KatakanaFull, Sjis("漢字かな、ABC")},
  };
  for (const auto& [op, input] : cases) {
    for (const std::string& text : {std::string(), input}) {
      SCOPED_TRACE(std::string(Name(op)) + " of " + Hex(text));
      std::string out = "previous line";
      EXPECT_FALSE(Conversion(op)(text, out));
      EXPECT_EQ(out, "previous line");
    }
  }
}

TEST(WidthConversion, PureFormsReturnTheConvertedCopy) {
  EXPECT_EQ(KatakanaToFullWidth(Sjis("ﾃﾞｰﾀ")), Sjis("データ"));
  EXPECT_EQ(LettersToHalfWidth(Sjis("ソＡ")), Sjis("ソA"));
  EXPECT_EQ(DigitsToFullWidth(Sjis("漢字")), Sjis("漢字"));
}

TEST(WidthConversion, ReusedBufferHoldsOnlyTheNewLine) {
  std::string out;
  ASSERT_TRUE(SymbolsToFullWidth(std::string(200, '!'), out));
  ASSERT_TRUE(SymbolsToFullWidth("?", out));
  EXPECT_EQ(out, Sjis("？"));
}

// --- The reference -------------------------------------------------------------------------

bool RefIsLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Shift-JIS to JIS the textbook way: count the trail bytes 0x40-0xFC (less 0x7F) of a lead
// byte from 0; the first 94 belong to the odd row, the rest to the even row after it.
std::optional<std::pair<int, int>> RefJis(unsigned char lead, unsigned char trail) {
  if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
    return std::nullopt;
  }
  int row = (lead < 0xA0 ? lead - 0x81 : lead - 0xC1) * 2 + 0x21;
  int index = trail - 0x40 - (trail > 0x7F ? 1 : 0);
  if (index >= 94) {
    ++row;
    index -= 94;
  }
  return std::pair{row, index + 0x21};
}

// Splits a readable table "ｧ ｱ ｶﾞ ..." at its spaces.
std::vector<std::string> Words(const std::string& utf8) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= utf8.size()) {
    const std::size_t end = std::min(utf8.find(' ', start), utf8.size());
    words.push_back(Sjis(utf8.substr(start, end - start)));
    start = end + 1;
  }
  return words;
}

// Each double-byte character of `full` paired, in order, with one entry of `half`.
void AddPairs(std::map<std::string, std::string>& map, const std::string& full,
              const std::vector<std::string>& half) {
  ASSERT_EQ(full.size(), half.size() * 2);
  for (std::size_t i = 0; i < half.size(); ++i) {
    map[full.substr(i * 2, 2)] = half[i];
  }
}

struct TRefTables {
  std::string halfSymbols = " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_" + Sjis("､｡･") + ",./" + Sjis("｢｣");
  std::string fullSymbols =
      Sjis("　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／「」");
  std::string digits = Sjis("０１２３４５６７８９");
  std::string upper = Sjis("ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ");
  std::string lower = Sjis("ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ");
  std::string halfKana = Sjis("ｦｧｨｩｪｫｬｭｮｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ");
  std::string fullKana =
      Sjis("ヲァィゥェォャュョッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミ"
           "ムメモヤユヨラリルレロワン");
  std::string voicedHalf = Sjis("ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ");
  std::string voicedFull = Sjis("ガギグゲゴザジズゼゾダヂヅデドバビブベボ");
  std::string semiVoicedHalf = Sjis("ﾊﾋﾌﾍﾎ");
  std::string semiVoicedFull = Sjis("パピプペポ");
  std::map<std::string, std::string> kanaToHalf; // full-width letter -> half-width text

  TRefTables() {
    const std::vector<std::string> halves = Words(
        "ｧ ｱ ｨ ｲ ｩ ｳ ｪ ｴ ｫ ｵ ｶ ｶﾞ ｷ ｷﾞ ｸ ｸﾞ ｹ ｹﾞ ｺ ｺﾞ ｻ ｻﾞ ｼ ｼﾞ ｽ ｽﾞ ｾ ｾﾞ ｿ ｿﾞ ﾀ ﾀﾞ ﾁ ﾁﾞ ｯ ﾂ "
        "ﾂﾞ ﾃ ﾃﾞ ﾄ ﾄﾞ ﾅ ﾆ ﾇ ﾈ ﾉ ﾊ ﾊﾞ ﾊﾟ ﾋ ﾋﾞ ﾋﾟ ﾌ ﾌﾞ ﾌﾟ ﾍ ﾍﾞ ﾍﾟ ﾎ ﾎﾞ ﾎﾟ ﾏ ﾐ ﾑ ﾒ ﾓ ｬ ﾔ ｭ ﾕ ｮ ﾖ "
        "ﾗ ﾘ ﾙ ﾚ ﾛ ﾜ ﾜ ｲ ｴ ｦ ﾝ ｳﾞ ｶ ｹ");
    AddPairs(kanaToHalf,
             Sjis("ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデ"
                  "トドナニヌネノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロ"
                  "ヮワヰヱヲンヴヵヶ"),
             halves);
    // Hiragana ends at ん; the three cells after it (0x82F2-0x82F4) are read like ヴヵヶ.
    AddPairs(kanaToHalf,
             Sjis("ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてで"
                  "とどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろ"
                  "ゎわゐゑをん") +
                 "\x82\xF2\x82\xF3\x82\xF4",
             halves);
  }
};

const TRefTables& Ref() {
  static const TRefTables tables;
  return tables;
}

// The position of a double-byte character in a text of double-byte characters.
std::optional<std::size_t> FindPair(const std::string& table, std::string_view pair) {
  for (std::size_t i = 0; i + 1 < table.size(); i += 2) {
    if (table.compare(i, 2, pair) == 0) {
      return i / 2;
    }
  }
  return std::nullopt;
}

std::string RefToHalf(TOp op, std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!RefIsLead(lead) || i + 1 == text.size()) {
      out += text[i++];
      continue;
    }
    const std::string pair(text.substr(i, 2));
    const auto code = RefJis(lead, static_cast<unsigned char>(text[i + 1]));
    if (code && (code->first == 0x24 || code->first == 0x25)) {
      if (code->second < 0x21 || code->second > 0x76) {
        out += text[i++];
        continue;
      }
      out += op == TOp::KatakanaHalf ? Ref().kanaToHalf.at(pair) : pair;
    } else if (const auto symbol = FindPair(Ref().fullSymbols, pair)) {
      out += op == TOp::SymbolsHalf ? std::string(1, Ref().halfSymbols[*symbol]) : pair;
    } else if (const auto digit = FindPair(Ref().digits, pair); digit && op == TOp::DigitsHalf) {
      out += static_cast<char>('0' + *digit);
    } else if (const auto upper = FindPair(Ref().upper, pair); upper && op == TOp::LettersHalf) {
      out += static_cast<char>('A' + *upper);
    } else if (const auto lower = FindPair(Ref().lower, pair); lower && op == TOp::LettersHalf) {
      out += static_cast<char>('a' + *lower);
    } else {
      out += pair;
    }
    i += 2;
  }
  return out;
}

// The full-width form of one byte by digits, letters or symbols; empty when it has none.
std::string RefFullOfByte(TOp op, char c) {
  if (op == TOp::DigitsFull && c >= '0' && c <= '9') {
    return Ref().digits.substr((c - '0') * 2, 2);
  }
  if (op == TOp::LettersFull && c >= 'A' && c <= 'Z') {
    return Ref().upper.substr((c - 'A') * 2, 2);
  }
  if (op == TOp::LettersFull && c >= 'a' && c <= 'z') {
    return Ref().lower.substr((c - 'a') * 2, 2);
  }
  if (const std::size_t at = Ref().halfSymbols.find(c);
      at != std::string::npos &&
      (op == TOp::SymbolsFull ||
       (op == TOp::KatakanaFull && static_cast<unsigned char>(c) >= 0xA0))) {
    return Ref().fullSymbols.substr(at * 2, 2);
  }
  return {};
}

std::string RefKatakanaToFull(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (RefIsLead(c)) {
      out += text.substr(i, 2);
      i += 2;
      continue;
    }
    if (c < 0xA0 || c > 0xDF) {
      out += text[i++];
      continue;
    }
    const char mark = i + 1 < text.size() ? text[i + 1] : '\0';
    const bool marked = mark == '\xDE' || mark == '\xDF';
    if (!marked && c == 0xB0) {
      out += Sjis("ー");
    } else if (const std::size_t kana = Ref().halfKana.find(text[i]); kana != std::string::npos) {
      const std::size_t voiced = Ref().voicedHalf.find(text[i]);
      const std::size_t semi = Ref().semiVoicedHalf.find(text[i]);
      if (mark == '\xDE' && voiced != std::string::npos) {
        out += Ref().voicedFull.substr(voiced * 2, 2);
      } else if (mark == '\xDF' && semi != std::string::npos) {
        out += Ref().semiVoicedFull.substr(semi * 2, 2);
      } else {
        out += Ref().fullKana.substr(kana * 2, 2);
        if (marked) {
          out += Sjis(mark == '\xDE' ? "゛" : "゜");
        }
      }
    } else if (const std::string symbol = RefFullOfByte(TOp::KatakanaFull, text[i]);
               !symbol.empty()) {
      out += symbol;
      if (marked) {
        out += mark;
      }
    } else {
      out += text.substr(i, marked ? 2 : 1);
    }
    i += marked ? 2 : 1;
  }
  return out;
}

std::string RefConvert(TOp op, std::string_view text) {
  switch (op) {
  case TOp::SymbolsHalf:
  case TOp::DigitsHalf:
  case TOp::LettersHalf:
  case TOp::KatakanaHalf:
    return RefToHalf(op, text);
  case TOp::KatakanaFull:
    return RefKatakanaToFull(text);
  default:
    break;
  }
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (RefIsLead(static_cast<unsigned char>(text[i]))) {
      out += text.substr(i++, 2);
      continue;
    }
    const std::string full = RefFullOfByte(op, text[i]);
    out += full.empty() ? std::string(1, text[i]) : full;
  }
  return out;
}

// Compares every conversion with the reference on one text; returns false after the first
// difference so that a broken table reports one case, not thousands.
bool AgreesWithReference(const std::string& text) {
  std::string out;
  for (TOp op : kAllOps) {
    const std::string expected = RefConvert(op, text);
    const bool changed = Conversion(op)(text, out);
    const std::string actual = changed ? out : text;
    if (changed != (expected != text) || actual != expected) {
      ADD_FAILURE() << Name(op) << " of " << Hex(text) << "gave " << Hex(actual)
                    << (changed ? "(changed)" : "(unchanged)") << ", expected " << Hex(expected);
      return false;
    }
  }
  return true;
}

TEST(WidthConversionReference, AgreesOnEveryTextOfOneOrTwoBytes) {
  for (unsigned first = 0; first < 256; ++first) {
    const std::string single(1, static_cast<char>(first));
    ASSERT_TRUE(AgreesWithReference(single));
    for (unsigned second = 0; second < 256; ++second) {
      ASSERT_TRUE(AgreesWithReference(single + static_cast<char>(second)));
    }
  }
}

TEST(WidthConversionReference, AgreesOnGeneratedLines) {
  std::mt19937 random(20261207);
  // Bytes drawn mostly from where the conversions act: the leads 0x81-0x83, half-width kana
  // and marks, ASCII symbols, digits and letters; now and then any byte at all.
  auto byte = [&random]() -> char {
    const unsigned kind = random() % 100;
    if (kind < 30) {
      return static_cast<char>(0x81 + random() % 3);
    }
    if (kind < 55) {
      return static_cast<char>(0xA0 + random() % 0x40);
    }
    if (kind < 65) {
      return static_cast<char>(0xDE + random() % 2);
    }
    if (kind < 85) {
      return static_cast<char>(0x20 + random() % 0x5F);
    }
    return static_cast<char>(random() % 256);
  };
  for (int line = 0; line < 20000; ++line) {
    std::string text(random() % 40, '\0');
    for (char& c : text) {
      c = byte();
    }
    ASSERT_TRUE(AgreesWithReference(text));
  }
}

} // namespace
} // namespace zorbe
