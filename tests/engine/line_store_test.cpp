#include "engine/line_store.h"

#include "platform/file_system.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

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

TEST(TextSpace, ShortAndLongLinesRoundTrip) {
  TTextSpace space;
  const std::string longLine(TLineRef::kLongSize, 'q');
  const std::string nearLong(TLineRef::kLongSize - 1, 'r');
  const TLineRef a = space.Store("abc");
  const TLineRef b = space.Store(longLine);
  const TLineRef c = space.Store(nearLong);
  const TLineRef d = space.Store("");
  EXPECT_EQ(space.View(a), "abc");
  EXPECT_TRUE(b.IsLong());
  EXPECT_EQ(space.View(b), longLine);
  EXPECT_FALSE(c.IsLong());
  EXPECT_EQ(space.View(c), nearLong);
  EXPECT_EQ(space.View(d), "");
  space.Clear();
  EXPECT_EQ(space.Used(), 0u);
}

TEST(ReadTextLines, BlockBoundariesAndLongLines) {
  test::TTempFolder folder;
  // A CR LF pair split by the 8,192-byte boundary, a line longer than a block, a last line
  // without a line end.
  const std::string first(8191, 'a');
  const std::string longLine(20000, 'b');
  const std::string text = first + "\r\n" + longLine + "\n\r\nlast";
  const std::string file = folder.Write("in.txt", text);
  TTextSpace space;
  std::vector<TLineRef> refs;
  ReadTextLines(space, file, refs);
  ASSERT_EQ(refs.size(), 4u);
  EXPECT_EQ(space.View(refs[0]), first);
  EXPECT_EQ(space.View(refs[1]), longLine);
  EXPECT_EQ(space.View(refs[2]), "");
  EXPECT_EQ(space.View(refs[3]), "last");
  EXPECT_EQ(JoinLinesCrLf(space, refs.data(), refs.data() + refs.size()),
            first + "\r\n" + longLine + "\r\n\r\nlast\r\n");
}

TEST(ReadTextLines, MissingFileIsAnErrorNamingIt) {
  TTextSpace space;
  std::vector<TLineRef> refs;
  try {
    ReadTextLines(space, "/nonexistent/zorbe.txt", refs);
    FAIL() << "no error";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/zorbe.txt"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("処理を中止します。"), std::string::npos);
  }
}

} // namespace
} // namespace zorbe
