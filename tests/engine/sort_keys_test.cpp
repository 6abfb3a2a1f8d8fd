#include "engine/sort_keys.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace zorbe {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitFields, Delimiters) {
  const struct {
    int kind;
    std::string line;
    Fields fields;
  } cases[] = {
      {dkComma, "a,,b", {"a", "", "b"}},
      {dkComma, "a,", {"a", ""}},
      {dkComma, ",a", {"", "a"}},
      {dkComma, "", {}},
      {dkComma, "a b,c", {"a b", "c"}},
      {dkComma, "\"a\"b,c", {"\"a\"", "b", "c"}},
      {dkComma, "\"a,\"\"b\",c", {"\"a,\"\"b\"", "c"}},
      {dkComma, "\"open,c", {"\"open,c"}}, // no closing quote: the rest of the line
      {dkComma,
       "\x01\x02"
       "a\x03"
       "b,c",
       {"a", "b", "c"}},
      {dkComma, "a,\x01", {"a"}},
      {dkSpace, "a  b", {"a", "", "b"}},
      {dkSpace, "a,b c", {"a,b", "c"}},
      {dkTab, "a\tb\t", {"a", "b", ""}},
      {dkTab, "a b\tc", {"a b", "c"}},
      {dkSemicolon, "#;//", {"#", "//"}},
      {dkSemicolon, "#;", {"#", ""}},
      {7, "a,b", {"a", "b"}},                               // an unknown kind is the comma
      {dkComma, "\x81,\x82\x9F,x", {"\x81,\x82\x9F", "x"}}, // a lead byte takes the next byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitFields(c.kind, c.line), c.fields) << testing::PrintToString(c.line);
  }
}

// The fields of a line by their definition, a character at a time: a lead byte takes the next
// byte with it, whatever it is; control bytes around fields are dropped; a quoted field runs to
// its closing quote.
Fields FieldsByCharacters(int kind, const std::string& line) {
  const char delimiter = kind == dkSpace       ? ' '
                         : kind == dkTab       ? '\t'
                         : kind == dkSemicolon ? ';'
                                               : ',';
  auto control = [](unsigned char c) { return c >= 0x01 && c <= 0x1F && c != '\t'; };
  auto next = [&](std::size_t i) {
    const auto b = static_cast<unsigned char>(line[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead && i + 1 < line.size() ? i + 2 : i + 1;
  };
  Fields fields;
  std::size_t i = 0;
  auto skipControls = [&] {
    while (i < line.size() && control(static_cast<unsigned char>(line[i]))) {
      ++i;
    }
  };
  skipControls();
  while (i < line.size()) {
    const std::size_t start = i;
    if (line[i] == '"') {
      for (++i; i < line.size();) {
        if (line[i] != '"') {
          i = next(i);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          i += 2;
        } else {
          ++i;
          break;
        }
      }
    } else {
      while (i < line.size() && line[i] != delimiter &&
             !control(static_cast<unsigned char>(line[i]))) {
        i = next(i);
      }
    }
    fields.push_back(line.substr(start, i - start));
    skipControls();
    if (i < line.size() && line[i] == delimiter) {
      if (i + 1 == line.size()) {
        fields.emplace_back();
      }
      ++i;
      skipControls();
    }
  }
  return fields;
}

// Lead bytes before delimiters, quotes and control bytes, alone and in runs, and NUL bytes.
TEST(SplitFields, AgreesWithSplittingACharacterAtATimeOnRandomLines) {
  std::mt19937 random(9);
  const std::string alphabet[] = {"a",    ",",        ";",        " ",
                                  "\t",   "\"",       "\x01",     "\x82",
                                  "\xE0", "\x82\xA0", "\x9F\x40", std::string(1, '\0'),
                                  "\xA0"};
  for (int round = 0; round < 50000; ++round) {
    std::string line;
    for (int n = random() % 16; n > 0; --n) {
      line += alphabet[random() % std::size(alphabet)];
    }
    const int kind = static_cast<int>(random() % 4);
    ASSERT_EQ(SplitFields(kind, line), FieldsByCharacters(kind, line))
        << testing::PrintToString(line) << " kind " << kind;
  }
}

TEST(JoinFields, DelimiterOfTheKind) {
  EXPECT_EQ(JoinFields(dkComma, {"a", "", "b"}), "a,,b");
  EXPECT_EQ(JoinFields(dkSpace, {"a", "b"}), "a b");
  EXPECT_EQ(JoinFields(dkTab, {"a", "b"}), "a\tb");
  EXPECT_EQ(JoinFields(dkSemicolon, {"a", "b"}), "a,b");
  EXPECT_EQ(JoinFields(dkComma, {}), "");
}

TEST(MoveField, KeyAndUndo) {
  const struct {
    std::string line;
    int from, to, kind;
    std::string keyed;
  } cases[] = {
      {"a,b,c,d", 2, 0, dkComma, "c,a,b,d"},
      {"a,b,c,d", 0, 3, dkComma, "b,c,d,a"},
      {"a,b", 2, 0, dkComma, "a,b"}, // too few fields: unchanged
      {"a,\x01"
       "b",
       1, 1, dkComma, "a,b"},         // same index: joined anew
      {"a,b", -1, 0, dkComma, "a,b"}, // negative: unchanged
      {"a,b", 0, -3, dkComma, "a,b"},
      {"x  y", 2, 0, dkSpace, "y x "}, // the empty field counts
      {"\"q\"b,c", 2, 0, dkComma, "c,\"q\",b"},
      {"a,\"open", 1, 0, dkComma, "a,\"open"}, // an unclosed quote stays last
      {"a,\"open", 0, 1, dkComma, "a,\"open"},
      {"a,b,\"open", 0, 1, dkComma, "b,a,\"open"},
      {"\xFF\x10\xFF\xEF", 1, 0, dkTab,
       "\xFF\x10\xFF\xEF"}, // a lone lead byte at the end stays last
  };
  for (const auto& c : cases) {
    const std::string keyed = MoveField(c.line, c.from, c.to, c.kind);
    EXPECT_EQ(keyed, c.keyed) << c.line;
    const std::string joined = MoveField(c.line, 0, 0, c.kind);
    if (c.from >= 0 && c.to >= 0 && keyed != c.line) {
      EXPECT_EQ(MoveField(keyed, c.to, c.from, c.kind), joined) << c.line;
    }
  }
}

TEST(MoveField, UndoRestoresTheJoinedLineOnRandomLines) {
  std::mt19937 random(3);
  const std::string alphabet[] = {"a", ",", " ", "\t", "\"", "\x01", "\x82\xA0", "b"};
  for (int round = 0; round < 5000; ++round) {
    std::string line;
    for (int n = random() % 12; n > 0; --n) {
      line += alphabet[random() % 8];
    }
    const int kind = static_cast<int>(random() % 3);
    const int from = static_cast<int>(random() % 5);
    const int to = static_cast<int>(random() % 5);
    const std::string keyed = MoveField(line, from, to, kind);
    const std::string joined = JoinFields(kind, SplitFields(kind, line));
    const std::string undone = MoveField(keyed, to, from, kind);
    ASSERT_TRUE(undone == joined || (keyed == line && undone == line))
        << testing::PrintToString(line);
  }
}

bool Lead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Whether a field swallows what follows it: a quoted field without its closing quote, or a field
// that ends in a lead byte without its trail byte.
bool OpenField(const std::string& field) {
  const bool quoted = !field.empty() && field[0] == '"';
  for (std::size_t i = quoted ? 1 : 0; i < field.size();) {
    if (quoted && field[i] == '"') {
      if (i + 1 < field.size() && field[i + 1] == '"') {
        i += 2;
        continue;
      }
      return false; // the closing quote, which ends the field
    }
    if (Lead(field[i]) && i + 1 == field.size()) {
      return true;
    }
    i += Lead(field[i]) ? 2 : 1;
  }
  return quoted;
}

// MoveField by its definition, on the list of the split fields.
std::string MovedByLists(const std::string& line, int from, int to, int kind) {
  std::vector<std::string> fields = SplitFields(kind, line);
  const auto count = static_cast<int>(fields.size());
  if (from >= count || to >= count ||
      (from != to && (from == count - 1 || to == count - 1) && OpenField(fields.back()))) {
    return line;
  }
  std::string moved = fields[from];
  fields.erase(fields.begin() + from);
  fields.insert(fields.begin() + to, moved);
  return JoinFields(kind, fields);
}

TEST(MoveField, AgreesWithMovingTheSplitFieldsOnRandomLines) {
  std::mt19937 random(4);
  const std::string alphabet[] = {"a",    ",",    " ",        "\t", "\"",
                                  "\"\"", "\x01", "\x82\xA0", "b",  "\x82"};
  std::string out = "left over";
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (int n = random() % 14; n > 0; --n) {
      line += alphabet[random() % 10];
    }
    const int kind = static_cast<int>(random() % 3);
    const int from = static_cast<int>(random() % 6);
    const int to = static_cast<int>(random() % 6);
    const std::string expected = MovedByLists(line, from, to, kind);
    ASSERT_EQ(MoveField(line, from, to, kind), expected)
        << testing::PrintToString(line) << " " << from << " " << to << " " << kind;
    MoveField(line, from, to, kind, out);
    ASSERT_EQ(out, expected);
  }
}

TEST(RotateLine, ByteCounts) {
  const struct {
    std::string line;
    int n;
    bool fromEnd;
    std::string rotated;
  } cases[] = {
      {"01abc", 2, false, "abc01"},
      {"abc123", 3, true, "123abc"},
      {"abc", 0, false, "abc"},
      {"abc", 3, false, "abc"},
      {"abc", 7, true, "abc"},
      {"abc", -1, false, "abc"},
      {"\x82\xA0"
       "b",
       1, false,
       "\xA0"
       "b\x82"}, // a count of 1 splits a double-byte character
  };
  for (const auto& c : cases) {
    const std::string rotated = RotateLine(c.line, c.n, c.fromEnd);
    EXPECT_EQ(rotated, c.rotated);
    EXPECT_EQ(RotateLine(rotated, c.n, !c.fromEnd), c.line);
  }
}

} // namespace
} // namespace zorbe
