#include "engine/line_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zorbe {
namespace {

// Lines from a small alphabet that makes long shared prefixes, equal lines, NUL bytes, empty
// lines and every class likely.
std::vector<std::string> RandomLines(std::mt19937& random, std::size_t count) {
  static const std::vector<std::string> pieces = {"a",
                                                  "A",
                                                  "b",
                                                  "B",
                                                  "\x82\xA0",
                                                  "\x83\x41",
                                                  "\x88\x9F",
                                                  "1",
                                                  " ",
                                                  "\xB1",
                                                  "\x81\x40",
                                                  std::string(1, '\0'),
                                                  "\x82\x4F",
                                                  "\x82\x60",
                                                  "\xFF",
                                                  "~",
                                                  "\x82\xA0\x82\xA0\x82\xA0\x82\xA0"};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    for (std::size_t n = random() % 7; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
  }
  return lines;
}

std::vector<TLineRef> Store(TTextSpace& space, const std::vector<std::string>& lines) {
  std::vector<TLineRef> refs;
  for (const std::string& line : lines) {
    refs.push_back(space.Store(line));
  }
  return refs;
}

std::vector<std::string> Texts(const TTextSpace& space, const std::vector<TLineRef>& refs) {
  std::vector<std::string> texts;
  for (TLineRef ref : refs) {
    texts.emplace_back(space.View(ref));
  }
  return texts;
}

// The written order by definition: class by class in the write order, each sorted stably.
std::vector<std::string> Expected(std::vector<std::string> lines,
                                  const TClassSortOptions& options) {
  std::vector<std::string> out;
  const TLineCompare compare = CompareFor(options.sortDirection, options.distinction);
  for (int cls : options.writeOrder) {
    std::vector<std::string> group;
    std::copy_if(
        lines.begin(), lines.end(), std::back_inserter(group),
        [&](const std::string& line) { return ClassForSort(line, options.charTypeOrder) == cls; });
    if (options.distinction) {
      QuickSortExact(group.data(), group.size(),
                     [&](const std::string& a, const std::string& b) { return compare(a, b); });
    } else {
      std::stable_sort(group.begin(), group.end(), [&](const std::string& a, const std::string& b) {
        return compare(a, b) < 0;
      });
    }
    out.insert(out.end(), group.begin(), group.end());
  }
  return out;
}

TEST(SortClassLists, AgreesWithTheDefinitionOnRandomLines) {
  std::mt19937 random(11);
  const auto reversed = ClassWriteOrder("全角 - 漢字;全角 - 片仮名;全角 - 平仮名;全角 - 英字;全角 "
                                        "- 数字;全角 - 記号;半角 - 片仮名;半角 - 英字;"
                                        "半角 - 数字;半角 - 記号;空白、TAB、改行");
  for (std::size_t count : {0, 1, 2, 31, 33, 500, 40000}) {
    for (bool classes : {false, true}) {
      for (int direction : {0, 1}) {
        for (bool distinction : {false, true}) {
          const TClassSortOptions options{count % 2 ? reversed : ClassWriteOrder(""), classes,
                                          direction, distinction};
          const std::vector<std::string> lines = RandomLines(random, count);
          TTextSpace space;
          std::vector<TLineRef> refs = Store(space, lines);
          SortClassLists(refs, space, options);
          ASSERT_EQ(Texts(space, refs), Expected(lines, options))
              << "count " << count << " classes " << classes << " direction " << direction
              << " distinction " << distinction;
        }
      }
    }
  }
}

TEST(SortClassLists, LongLinesAndLongSharedPrefixes) {
  TTextSpace space;
  const std::string prefix(100000, 'x');
  std::vector<std::string> lines = {prefix + "b",
                                    prefix,
                                    prefix + "a",
                                    std::string(TLineRef::kLongSize + 5, 'y'),
                                    std::string(TLineRef::kLongSize + 5, 'x'),
                                    prefix + "a"};
  std::vector<TLineRef> refs = Store(space, lines);
  SortClassLists(refs, space, {ClassWriteOrder(""), false, 0, false});
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(Texts(space, refs), lines);
}

} // namespace
} // namespace zorbe
