// The parser: each pattern against a dump of its disjoined tree, and bad patterns against their
// message and position.

#include "internal_text.h"
#include "regex/parser.h"
#include "regex/regexp_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace zorbe {
namespace {

std::string CodeName(TRECode code) {
  if (code > 0x20 && code < 0x7F) {
    return std::string(1, static_cast<char>(code));
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\x%X", static_cast<unsigned>(code));
  return buffer;
}

// cat(l,r) alt(l,r) rep(x) empty nothing bol eol, a single code, or [start-end].
std::string Dump(const TRENode* node) {
  switch (node->kind) {
  case TRENodeKind::Range:
    if (node->start == node->end) {
      return CodeName(node->start);
    }
    return "[" + CodeName(node->start) + "-" + CodeName(node->end) + "]";
  case TRENodeKind::LineStart:
    return "bol";
  case TRENodeKind::LineEnd:
    return "eol";
  case TRENodeKind::Concatenation:
    return "cat(" + Dump(node->left) + "," + Dump(node->right) + ")";
  case TRENodeKind::Alternation:
    return "alt(" + Dump(node->left) + "," + Dump(node->right) + ")";
  case TRENodeKind::Repetition:
    return "rep(" + Dump(node->left) + ")";
  case TRENodeKind::Empty:
    return "empty";
  case TRENodeKind::Nothing:
    return "nothing";
  }
  return "?";
}

std::string ParseDump(const std::string& pattern) {
  TREParser parser(pattern);
  parser.Run();
  return Dump(parser.Tree().Root());
}

const std::string kAny =
    "alt(alt(alt([\\x1-\\x9],[\\xB-\\xC]),[\\xE-\\xFCFC]),[\\x10000-\\x50FFFF])";
// The start of a negated class: the pieces of the any-character set that stay whole.
const std::string kNegated = "alt(alt(alt(alt([\\x1-\\x9],[\\xB-\\xC]),[\\x10000-\\x50FFFF]),";

struct TTreeCase {
  std::string pattern;
  std::string dump;
};

TEST(REParser, DumpsOfTheDisjoinedTree) {
  const TTreeCase cases[] = {
      {"", "empty"},
      {"a", "a"},
      {"abc", "cat(cat(a,b),c)"},
      {"a|b|c", "alt(alt(a,b),c)"},
      {"|a", "alt(empty,a)"},
      {"a|", "alt(a,empty)"},
      {"()", "empty"},
      {"(a)(b)", "cat(a,b)"},
      {"a*", "rep(a)"},
      {"a+", "cat(a,rep(a))"},
      {"a?", "alt(a,empty)"},
      {"(ab)*c", "cat(rep(cat(a,b)),c)"},
      {"ab|c*d", "alt(cat(a,b),cat(rep(c),d))"},
      {"^a$", "cat(cat(bol,a),eol)"},
      {"a^b", "cat(cat(a,bol),b)"},
      {"\\^\\$", "cat(^,$)"},
      {"{-}", "cat(cat({,-),})"},
      {"[abc]", "alt(alt(a,b),c)"},
      {"[a-c]", "[a-c]"},
      {"[a-]", "alt(a,-)"},
      {"[-a]", "alt(-,a)"},
      {"[\\]\\-]", "alt(],-)"},
      {"[a^]", "alt(a,^)"},
      {"[\\x41-\\x5A]", "[A-Z]"},
      {"[a-a]", "a"},
      {"\\x41", "A"},
      {"\\x12345", "cat(\\x1234,5)"},
      {"\\1234567", "cat(\\xA72E,7)"},
      {"\\8\\.\\\\", "cat(cat(8,.),\\)"},
      {"\\b\\n\\r\\t", "cat(cat(cat(\\x8,\\xA),\\xD),\\x9)"},
      {".", kAny},
      {"[^a]", kNegated + "[\\xE-`]),[b-\\xFCFC])"},
      {"[^^]", kNegated + "[\\xE-]]),[_-\\xFCFC])"},
      // The pieces come out in the order of the subtraction: b first, then a.
      {"[^ba]", kNegated + "[c-\\xFCFC]),[\\xE-`])"},
      {"[^\\n\\r]", kAny},
      // Disjoining: the first class becomes a..g|h..m, the second h..m|n..z, sharing h..m.
      {"[a-m]1|[h-z]2", "alt(cat(alt([a-g],[h-m]),1),cat(alt([h-m],[n-z]),2))"},
      {"[a-c][b-d]", "cat(alt(a,[b-c]),alt([b-c],d))"},
      {"[a-d][a-b]", "cat(alt([a-b],[c-d]),[a-b])"},
      {"[a-b][a-d]", "cat([a-b],alt([a-b],[c-d]))"},
      {"[a-d][c-d]", "cat(alt([a-b],[c-d]),[c-d])"},
      {"[a-e]c", "cat(alt(alt([a-b],c),[d-e]),c)"},
      {"a.",
       "cat(a,alt(alt(alt([\\x1-\\x9],[\\xB-\\xC]),alt(alt([\\xE-`],a),[b-\\xFCFC])),[\\x10000-"
       "\\x50FFFF]))"},
      // Codes no text contains match nothing; ranges are cut down to 1..0xFFFC and
      // 0x10000..0x50FFFF.
      {"\\x0", "nothing"},
      {"\\0", "nothing"},
      {"a\\xFFFE", "cat(a,nothing)"},
      {"\\177777", "nothing"},
      {"[\\x0-a]", "[\\x1-a]"},
      {"[\\xFFF0-\\xFFFF]", "[\\xFFF0-\\xFFFC]"},
      {"[\\0\\xFFFD]", "alt(nothing,nothing)"},
      {"[^\\x1-\\xFFFF]", "[\\x10000-\\x50FFFF]"},
      {"[^\\x0-\\x9\\xB\\xC\\xE-" + test::Escaped(0x10FFFF) + "\xFF]", "nothing"},
      {std::string("a\0b", 3), "a"},
      // Double-byte characters are one code each, also in ranges and escapes.
      {test::Sjis("あい"), "cat(\\x82A0,\\x82A2)"},
      {test::Sjis("[ぁ-ん]"), "[\\x829F-\\x82F1]"},
      {"\\" + test::Sjis("あ"), "\\x82A0"},
      {"\\x8140", "\\x8140"},
      // ソ is 0x83 0x5C: its trail byte is not a backslash.
      {test::Sjis("ソ*"), "rep(\\x835C)"},
      {"\xB1\xB2", "cat(\\xB1,\\xB2)"},
      // Escapes and characters with the alternate mark are one code each; ¥ (a backslash byte
      // with the mark) escapes nothing. A range across the reserved codes leaves them out.
      {test::Escaped(0xAC00) + "-" + test::Escaped(0x10FFFD), "cat(cat(\\x20AC00,-),\\x30FFFD)"},
      {"[" + test::Escaped(0xAC00) + "-" + test::Escaped(0xD7A3) + "]", "[\\x20AC00-\\x20D7A3]"},
      {"\x5C\xFF.", "cat(\\x1005C,alt(alt(alt([\\x1-\\x9],[\\xB-\\xC]),[\\xE-\\xFCFC]),alt(alt(["
                    "\\x10000-\\x1005B],\\x1005C),[\\x1005D-\\x50FFFF])))"},
      {"\\\x5C\xFF", "\\x1005C"},
      {"[\x5C\xFF]", "\\x1005C"},
      {"\x81\x60\xFF\x81\x60", "cat(\\x18160,\\x8160)"},
      {"[\\xF000-" + test::Escaped(0x20) + "]", "alt([\\xF000-\\xFFFC],[\\x10000-\\x200020])"},
  };
  for (const auto& [pattern, dump] : cases) {
    EXPECT_EQ(ParseDump(pattern), dump) << pattern;
  }
}

struct TErrorCase {
  std::string pattern;
  const char* message;
  std::uint32_t position;
};

TEST(REParser, BadPatternsGiveMessageAndPosition) {
  using namespace re_message;
  const TErrorCase cases[] = {
      {"a**", kNeedPrimary, 4},      {"*a", kNeedPrimary, 2},       {"a|*", kNeedPrimary, 4},
      {"a+?", kNeedPrimary, 4},      {"]", kNeedPrimary, 2},        {"(|", kNeedRightParen, 3},
      {"a)", kExtraCharacters, 3},   {"(a))", kExtraCharacters, 5}, {"(a", kNeedRightParen, 3},
      {"((a)", kNeedRightParen, 5},  {"[", kNeedRightBracket, 2},   {"[^", kNeedRightBracket, 3},
      {"[a", kNeedRightBracket, 3},  {"[a-", kNeedRightBracket, 4}, {"[a-b", kNeedRightBracket, 5},
      {"[a\\", kBackslashAtEnd, 4},  {"[z-a]", kBadRange, 5},       {"[]", kEmptyClass, 3},
      {"[]a]", kEmptyClass, 3},      {"[^]", kEmptyClass, 4},       {"\\", kBackslashAtEnd, 2},
      {"ab\\", kBackslashAtEnd, 4},  {"\\x", kBadHex, 3},           {"\\xg", kBadHex, 3},
      {"\\200000", kBadOctal, 8},    {"a\x82", kBadDoubleByte, 2},  {"[a\x82", kBadDoubleByte, 3},
      {"\\\x82", kBadDoubleByte, 2},
  };
  for (const auto& [pattern, message, position] : cases) {
    try {
      TREParser parser(pattern);
      parser.Run();
      ADD_FAILURE() << pattern << " parsed";
    } catch (const ERegExpParser& error) {
      EXPECT_STREQ(error.what(), message) << pattern;
      EXPECT_EQ(error.Position(), position) << pattern;
    }
  }
}

TEST(REParser, LeavesAreSharedAndDisjoint) {
  TREParser parser(test::Sjis("[a-z]x|[f-q]+|.[ぁ-ん]|[^0-9a]|[ゃ-ょ]y"));
  parser.Run();
  const auto leaves = parser.Tree().Leaves();
  std::set<std::pair<TRECode, TRECode>> seen;
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    EXPECT_TRUE(seen.insert({leaves[i]->start, leaves[i]->end}).second) << "duplicate leaf";
    for (std::size_t j = i + 1; j < leaves.size(); ++j) {
      EXPECT_TRUE(leaves[i]->end < leaves[j]->start || leaves[j]->end < leaves[i]->start)
          << std::hex << leaves[i]->start << "-" << leaves[i]->end << " overlaps "
          << leaves[j]->start << "-" << leaves[j]->end;
    }
  }
}

TEST(REParser, DeepNestingNeedsNoDeepStack) {
  const int depth = 200000;
  const std::string nested = std::string(depth, '(') + "a" + std::string(depth, ')');
  EXPECT_EQ(ParseDump(nested), "a");
  const std::string starred = std::string(depth, '(') + "a" + [&] {
    std::string closing;
    for (int i = 0; i < depth; ++i) {
      closing += i % 2 == 0 ? ")?" : ")";
    }
    return closing;
  }();
  TREParser parser(starred);
  EXPECT_NO_THROW(parser.Run());
  try {
    TREParser unclosed(std::string(depth, '(') + "a");
    unclosed.Run();
    ADD_FAILURE() << "unclosed groups parsed";
  } catch (const ERegExpParser& error) {
    EXPECT_STREQ(error.what(), re_message::kNeedRightParen);
  }
}

TEST(REParser, FailedRunLeavesNoTree) {
  TREParser parser("ab(c");
  EXPECT_THROW(parser.Run(), ERegExpParser);
  EXPECT_EQ(parser.Tree().Root(), nullptr);
  EXPECT_EQ(parser.Tree().LeafCount(), 0U);
}

TEST(REParser, DisjoinWorkIsBounded) {
  std::string pattern;
  for (int i = 0; i < 40; ++i) {
    pattern += "[\\x" + std::to_string(100 + i) + "-\\x" + std::to_string(5000 + i) + "]";
  }
  TREParser generous(pattern);
  EXPECT_NO_THROW(generous.Run());
  TREParser stingy(pattern);
  try {
    stingy.Run(50);
    ADD_FAILURE() << "disjoining was not bounded";
  } catch (const ERegExpParser& error) {
    EXPECT_STREQ(error.what(), re_message::kTooComplex);
  }
}

} // namespace
} // namespace zorbe
