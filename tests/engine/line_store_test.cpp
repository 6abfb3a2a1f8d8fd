#include "engine/line_store.h"

#include "platform/file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace zorbe {
namespace {

// A text put into the space the way ReadText puts a file there.
TSpaceText ReadTextOf(TTextSpace& space, std::string_view text) {
  char* start = space.Allocate(text.size() + 1);
  std::memcpy(start, text.data(), text.size());
  return space.EndText(start, text.size());
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](const char* data, std::size_t size) { lines.emplace_back(data, size); });
  return lines;
}

TEST(ForEachLine, LineEnds) {
  using L = std::vector<std::string>;
  const struct {
    std::string text;
    L lines;
  } cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"x\r\n", {"x"}},
      {"x\r\n\r\n", {"x", ""}},
      {"x\ry\nz", {"x", "y", "z"}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"\r\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\rb\r", {"a", "", "b"}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lines(c.text), c.lines) << testing::PrintToString(c.text);
    EXPECT_EQ(CountLines(c.text), c.lines.size());
  }
}

// Line ends at every place of the counter's 16-byte blocks, CR LF split between two of them.
TEST(CountLines, AgreesWithTheLinesVisitedOnRandomTexts) {
  std::mt19937 random(8);
  const char pool[] = {'a', '\r', '\n', '\0', '\x82'};
  for (int round = 0; round < 5000; ++round) {
    // Now and then more than 255 blocks, which the counter adds up in rounds.
    std::string text(round % 100 == 0 ? 9000 + random() % 100 : random() % 80, 'a');
    for (char& c : text) {
      c = pool[random() % std::size(pool)];
    }
    ASSERT_EQ(CountLines(text), Lines(text).size()) << testing::PrintToString(text);
  }
}

TEST(ForEachLine, OnlyCarriageReturnsStayLinear) {
  std::string text;
  for (int i = 0; i < 200000; ++i) {
    text += "ab\r";
  }
  EXPECT_EQ(CountLines(text), 200000u);
}

TEST(SplitTextFileLines, NulEndsTheText) {
  EXPECT_EQ(SplitTextFileLines(std::string("a\r\nb\0c\r\nd", 9)),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitTextFileLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TextSpace, StoredLinesReadBackAtAnyLength) {
  TTextSpace space;
  const std::string longLine(100000, 'q');
  const std::uint64_t a = space.Store("abc");
  const std::uint64_t b = space.Store(longLine);
  const std::uint64_t c = space.Store("");
  const std::uint64_t d = space.Store(std::string("x\0y", 3));
  EXPECT_EQ(space.View(a), "abc");
  EXPECT_EQ(space.View(b), longLine);
  EXPECT_EQ(space.View(c), "");
  EXPECT_EQ(space.View(d), std::string("x\0y", 3));
  space.Clear();
  EXPECT_EQ(space.Used(), 0u);
}

// Growing, shrinking or ending anything but the newest allocation would overwrite what was
// allocated after it; the checked builds stop there instead.
TEST(TextSpaceDeathTest, OnlyTheNewestAllocationChangesSize) {
#ifndef ZORBE_CHECKS
  GTEST_SKIP() << "assertions are compiled out of this build";
#else
  TTextSpace space;
  char* older = space.Allocate(8);
  char* newest = space.Allocate(8);
  space.Grow(newest, 16);
  EXPECT_EQ(space.EndText(newest, 4).View(), std::string_view(newest, 4));
  EXPECT_DEATH(space.Grow(older, 32), "assertion failed");
  EXPECT_DEATH(space.Shrink(older, 4), "assertion failed");
  EXPECT_DEATH(space.EndText(older, 4), "assertion failed");
#endif
}

// A line's length is found from its start alone, wherever it lies against the 16-byte blocks
// the search reads.
TEST(LineLength, EveryAlignmentAndLength) {
  alignas(16) char buffer[96];
  for (std::size_t start = 0; start < 32; ++start) {
    for (std::size_t length = 0; length < 40; ++length) {
      for (const char end : {'\r', '\n'}) {
        std::memset(buffer, 'a', sizeof buffer);
        buffer[start + length] = end;
        ASSERT_EQ(LineLength(buffer + start), length) << start << " " << length;
        ASSERT_EQ(FindLineEnd(buffer + start, buffer + sizeof buffer), buffer + start + length);
      }
    }
  }
  EXPECT_EQ(FindLineEnd(buffer, buffer + 3), buffer + 3);
}

// The writer puts lines over the text it has read them from, each with one LF after it, and
// stores a line elsewhere when it would reach past the bytes the caller is done with.
TEST(SpaceWriter, KeptLinesCompactTheTextTheyCameFrom) {
  TTextSpace space;
  const std::string_view text = ReadTextOf(space, "  abc  \r\nxy\r\n\r\nz");
  char* start = const_cast<char*>(text.data());
  TSpaceWriter writer(space, start);
  const std::uint64_t trimmed = writer.Keep(text.substr(2, 3), start + 8);
  const std::uint64_t grown = writer.Keep("xyxyxyxy", start + 12); // too long for its place
  const std::uint64_t empty = writer.Keep(text.substr(13, 0), start + 14);
  const std::uint64_t last = writer.Keep(text.substr(15, 1), start + 17);
  EXPECT_EQ(std::string_view(text.data(), 6), "abc\n\nz");
  EXPECT_EQ(space.View(trimmed), "abc");
  EXPECT_EQ(space.OffsetOf(start), trimmed);
  EXPECT_EQ(space.View(grown), "xyxyxyxy");
  EXPECT_GE(grown, space.OffsetOf(start + 17));
  EXPECT_EQ(space.View(empty), "");
  EXPECT_EQ(space.View(last), "z");
  EXPECT_EQ(space.View(TSpaceWriter(space).Keep("copied", start + 17)), "copied");
}

TEST(ReadText, BlockBoundariesAndLongLines) {
  test::TTempFolder folder;
  // A CR LF pair split by the 8,192-byte boundary, a line longer than a block, a last line
  // without a line end.
  const std::string first(8191, 'a');
  const std::string longLine(20000, 'b');
  const std::string text = first + "\r\n" + longLine + "\n\r\nlast";
  TTextSpace space;
  const TSpaceText read = ReadText(space, folder.Write("in.txt", text));
  EXPECT_EQ(read.View(), text);
  EXPECT_EQ(Lines(read), (std::vector<std::string>{first, longLine, "", "last"}));
  EXPECT_EQ(space.View(space.OffsetOf(read.data()) + read.size() - 4), "last");
  EXPECT_EQ(CrLfJoined(space, read).View(), first + "\r\n" + longLine + "\r\n\r\nlast\r\n");
}

TEST(CrLfJoined, EveryLineEndsWithCrLf) {
  const struct {
    std::string text;
    std::string joined;
  } cases[] = {
      {"", ""},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\r\rb\r\n", "a\r\n\r\nb\r\n"},
      {"\n", "\r\n"},
      {"a\r\n\n", "a\r\n\r\n"},
  };
  for (const auto& c : cases) {
    TTextSpace space;
    const std::string_view joined = CrLfJoined(space, ReadTextOf(space, c.text));
    EXPECT_EQ(joined, c.joined) << testing::PrintToString(c.text);
    EXPECT_EQ(joined.data()[joined.size()], '\n'); // ended for the line views
  }
}

TEST(MiddleLineBoundary, SplitsAfterALineEndNeverInsideCrLf) {
  EXPECT_EQ(MiddleLineBoundary("abcd\r\nef"), 6u);
  EXPECT_EQ(MiddleLineBoundary("abc\r\ndef"), 5u); // the middle is the LF of the pair
  EXPECT_EQ(MiddleLineBoundary("abcd\refgh"), 5u);
  EXPECT_EQ(MiddleLineBoundary("ab\r\ncdef"), 8u); // no line end from the middle on
  EXPECT_EQ(MiddleLineBoundary(""), 0u);
}

TEST(ReadText, MissingFileIsAnErrorNamingIt) {
  TTextSpace space;
  try {
    ReadText(space, "/nonexistent/zorbe.txt");
    FAIL() << "no error";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/zorbe.txt"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("処理を中止します。"), std::string::npos);
  }
}

} // namespace
} // namespace zorbe
