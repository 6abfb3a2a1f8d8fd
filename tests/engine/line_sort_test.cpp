#include "engine/line_sort.h"
#include "engine/line_sort_parts.h"
#include "engine/two_threads.h"
#include "text/shift_jis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <numeric>
#include <random>
#include <thread>

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

template <typename Ref = TNarrowRef>
TLineList<Ref> Store(TTextSpace& space, const std::vector<std::string>& lines) {
  TLineList<Ref> refs;
  for (const std::string& line : lines) {
    refs.push_back(MakeRef<Ref>(space.Store(line)));
  }
  return refs;
}

template <typename Ref>
std::vector<std::string> Texts(const TTextSpace& space, const TLineList<Ref>& refs) {
  std::vector<std::string> texts;
  for (Ref ref : refs) {
    texts.emplace_back(space.View(ref));
  }
  return texts;
}

// The written order by definition: class by class in the write order, each sorted stably.
std::vector<std::string> Expected(std::vector<std::string> lines,
                                  const TClassSortOptions& options) {
  std::vector<std::string> out;
  const TLineCompare byCodes = CompareFor(options.sortDirection, options.distinction);
  auto compare = [&](const std::string& a, const std::string& b) {
    return options.numberOrder == 0 ? byCodes(a, b) : CompareNumbered(a, b, NumberOrderOf(options));
  };
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
          TLineList<TNarrowRef> narrow = Store(space, lines);
          TLineList<TWideRef> wide = Store<TWideRef>(space, lines);
          SortClassLists(narrow, space, options);
          SortClassLists(wide, space, options);
          const std::vector<std::string> expected = Expected(lines, options);
          EXPECT_EQ(Texts(space, wide), expected);
          ASSERT_EQ(Texts(space, narrow), expected)
              << "count " << count << " classes " << classes << " direction " << direction
              << " distinction " << distinction;
        }
      }
    }
  }
}

// With NumberOrder, lines of numbers that share long prefixes, runs of many digits and every
// class, in ranges that are bucketed through key arrays and in blocks.
TEST(SortClassLists, NumbersAgreeWithTheDefinition) {
  std::mt19937 random(32);
  const std::vector<std::string> pieces = {"1",        "9",        "0",        "12345", "\x82\x4F",
                                           "\x8F\x5C", "\x88\xEA", "\x96\x9C", ",",     "a",
                                           "A",        "\x82\xA0", " "};
  std::vector<std::string> lines(140000);
  for (std::string& line : lines) {
    for (std::size_t n = random() % 6; n > 0; --n) {
      line += pieces[random() % pieces.size()];
    }
    if (random() % 100 == 0) {
      line += std::string(250 + random() % 10, '7'); // more digits than a key counts
    }
  }
  for (const std::size_t count : {std::size_t{70}, std::size_t{3000}, lines.size()}) {
    const std::vector<std::string> some(lines.begin(), lines.begin() + count);
    for (const int numberOrder : {1, 2}) {
      for (const int direction : {0, 1}) {
        for (const bool distinction : {false, true}) {
          TClassSortOptions options{ClassWriteOrder(""), count == 3000, direction, distinction};
          options.numberOrder = numberOrder;
          TTextSpace space;
          TLineList<TNarrowRef> refs = Store(space, some);
          SortClassLists(refs, space, options);
          ASSERT_EQ(Texts(space, refs), Expected(some, options))
              << count << " lines, NumberOrder " << numberOrder << ", direction " << direction;
        }
      }
    }
  }
}

// Ranges of hundreds of thousands of lines are bucketed in blocks rather than through an array
// of their keys (for the folded order, too, that ranks the lines for the exact sort); many
// equal lines share every key down to their line ends.
TEST(SortClassLists, LargeRangesAgreeWithTheDefinition) {
  std::mt19937 random(5);
  std::vector<std::string> lines = RandomLines(random, 250000);
  lines.insert(lines.end(), 50000, "\x82\xA0same line");
  std::shuffle(lines.begin(), lines.end(), random);
  for (const auto& [classes, distinction] :
       {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
    for (int direction : {0, 1}) {
      const TClassSortOptions options{ClassWriteOrder(""), classes, direction, distinction};
      TTextSpace space;
      TLineList<TNarrowRef> refs = Store(space, lines);
      SortClassLists(refs, space, options);
      const std::vector<std::string> expected = Expected(lines, options);
      ASSERT_EQ(Texts(space, refs), expected)
          << "classes " << classes << " direction " << direction << " distinction " << distinction;
      if (distinction) { // wide references carry wider coarse keys
        TLineList<TWideRef> wide = Store<TWideRef>(space, lines);
        SortClassLists(wide, space, options);
        EXPECT_EQ(Texts(space, wide), expected) << "direction " << direction;
      }
    }
  }
}

// Mostly different lines, with here and there a few that are equal but for case and runs of
// identical ones: the exact order has to be kept only around the former.
std::vector<std::string> FewCaseVariants(std::mt19937& random, std::size_t count) {
  static const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> lines;
  while (lines.size() < count) {
    std::string line;
    for (std::size_t n = 3 + random() % 8; n > 0; --n) {
      line += random() % 5 == 0 ? std::string("\x82\xA0") : std::string(1, letters[random() % 52]);
    }
    lines.push_back(line);
    if (random() % 50 == 0) { // a case variant, or the same line again
      for (char& c : line) {
        c = random() % 2 == 0 ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      }
      lines.insert(lines.end(), 1 + random() % 3, line);
    }
  }
  std::shuffle(lines.begin(), lines.end(), random);
  return lines;
}

// The list's order need not be the order of its lines in the space: the lines are stored in one
// order and listed in another.
TEST(SortClassLists, FoldedOrderAgreesWithTheQuicksortInAnyListOrder) {
  std::mt19937 random(23);
  for (std::size_t count : {3000, 100000}) {
    const std::vector<std::string> stored = FewCaseVariants(random, count);
    for (bool listedAsStored : {true, false}) {
      for (int direction : {0, 1}) {
        TTextSpace space;
        const TLineList<TNarrowRef> storedRefs = Store(space, stored);
        std::vector<std::size_t> order(stored.size());
        std::iota(order.begin(), order.end(), 0);
        if (!listedAsStored) {
          std::shuffle(order.begin(), order.end(), random);
        }
        std::vector<std::string> lines;
        TLineList<TNarrowRef> refs;
        for (std::size_t i : order) {
          lines.push_back(stored[i]);
          refs.push_back(storedRefs[i]);
        }
        const TClassSortOptions options{ClassWriteOrder(""), direction == 0, direction, true};
        SortClassLists(refs, space, options);
        ASSERT_EQ(Texts(space, refs), Expected(lines, options))
            << "count " << count << " listed as stored " << listedAsStored << " direction "
            << direction;
      }
    }
  }
}

// Lines listed as a job lists them: in texts with LF, CR or CR LF after each line, one text per
// run of `runLength` lines, and a line that is not listed between the texts.
TLineList<TNarrowRef> StoreInRuns(TTextSpace& space, const std::vector<std::string>& lines,
                                  std::size_t runLength, std::mt19937& random) {
  static const std::string ends[] = {"\n", "\r", "\r\n"};
  TLineList<TNarrowRef> refs;
  for (std::size_t first = 0; first < lines.size(); first += runLength) {
    const std::size_t last = std::min(first + runLength, lines.size());
    std::string text;
    std::vector<std::size_t> starts;
    for (std::size_t k = first; k < last; ++k) {
      starts.push_back(text.size());
      text += lines[k];
      // A CR before an empty line that ends in an LF would read as one CR LF.
      const bool nextIsLf = k + 1 < last && lines[k + 1].empty();
      text += ends[random() % (nextIsLf ? 1 : 3)];
    }
    text += "not listed\n";
    char* at = space.Allocate(text.size());
    std::copy(text.begin(), text.end(), at);
    for (std::size_t start : starts) {
      refs.push_back(MakeRef<TNarrowRef>(space.OffsetOf(at + start)));
    }
  }
  return refs;
}

// Lines listed as a job lists them, runs of lines with every line end between them: the exact
// sort reads the lines themselves and gives the quicksort's order.
TEST(SortClassLists, ExactSortOfRunsWithEveryLineEnd) {
  std::mt19937 random(31);
  for (std::size_t count : {2, 700, 30000}) {
    const std::vector<std::string> lines =
        count < 1000 ? RandomLines(random, count) : FewCaseVariants(random, count);
    for (std::size_t runLength : {count, count / 3 + 1, std::size_t{7}}) {
      for (int direction : {0, 1}) {
        TTextSpace space;
        TLineList<TNarrowRef> refs = StoreInRuns(space, lines, runLength, random);
        const TClassSortOptions options{ClassWriteOrder(""), false, direction, true};
        SortClassLists(refs, space, options);
        ASSERT_EQ(Texts(space, refs), Expected(lines, options))
            << "count " << count << " run " << runLength << " direction " << direction;
      }
    }
  }
}

// More lines equal but for case than the exact sort finishes on positions at once: the group is
// partitioned on the lines' bytes alone, their coarse keys being equal.
TEST(SortClassLists, ExactSortOfAVeryLargeGroupOfCaseVariants) {
  std::mt19937 random(41);
  std::vector<std::string> lines = RandomLines(random, 3000);
  for (int n = 0; n < 120000; ++n) {
    lines.push_back(random() % 2 == 0 ? "ab" : (random() % 2 == 0 ? "Ab" : "aB"));
  }
  std::shuffle(lines.begin(), lines.end(), random);
  for (int direction : {0, 1}) {
    TTextSpace space;
    TLineList<TNarrowRef> refs = Store(space, lines);
    const TClassSortOptions options{ClassWriteOrder(""), false, direction, true};
    SortClassLists(refs, space, options);
    ASSERT_EQ(Texts(space, refs), Expected(lines, options)) << "direction " << direction;
  }
}

TEST(SortClassLists, LongLinesAndLongSharedPrefixes) {
  TTextSpace space;
  const std::string prefix(100000, 'x');
  std::vector<std::string> lines = {
      prefix + "b", prefix, prefix + "a", std::string(1 << 24, 'y'), std::string(1 << 24, 'x'),
      prefix + "a"};
  TLineList<TNarrowRef> refs = Store(space, lines);
  SortClassLists(refs, space, {ClassWriteOrder(""), false, 0, false});
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(Texts(space, refs), lines);
}

// Lines with long runs of shared bytes, letters in both cases and Shift-JIS characters whose
// trail bytes look like letters (ア is 0x83 0x41), so that keys of every kind meet at every
// depth, next to the mixed lines of RandomLines.
std::vector<std::string> SharedPrefixLines(std::mt19937& random, std::size_t count) {
  static const std::vector<std::string> prefixes = {
      "", "abcdefgh", "ABCDEFGH", "\x83\x41\x83\x61", "\x83\x41\x83\x41", "zzzzzzzzzzzzzzzzzz"};
  std::vector<std::string> lines = RandomLines(random, count / 2);
  for (std::vector<std::string> tails = RandomLines(random, count - count / 2);
       std::string & tail : tails) {
    lines.push_back(prefixes[random() % prefixes.size()] + tail);
  }
  std::shuffle(lines.begin(), lines.end(), random);
  return lines;
}

// The folded radix sort on its own, as the exact sort uses it: ascending by the folded compare,
// with the bit of every line equal to the one before it set and no other, whatever the line
// ends.
TEST(SortFolded, OrdersByTheFoldedCompareAndMarksEqualLines) {
  using line_sort_parts::SortFolded;
  using line_sort_parts::TBits;
  using line_sort_parts::TIndexedRef;
  std::mt19937 random(47);
  for (std::size_t count : {2, 40, 3000, 300000}) {
    const std::vector<std::string> lines = SharedPrefixLines(random, count);
    for (bool inRuns : {false, true}) {
      TTextSpace space;
      const TLineList<TNarrowRef> refs =
          inRuns ? StoreInRuns(space, lines, count / 3 + 1, random) : Store(space, lines);
      std::vector<TIndexedRef<TNarrowRef>> items;
      for (std::size_t i = 0; i < refs.size(); ++i) {
        items.push_back({refs[i], static_cast<TNarrowRef>(i)});
      }
      TBits equal(count);
      SortFolded(items.data(), items.size(), space, &equal);
      std::vector<std::size_t> seen(count);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(items[i].ref, refs[items[i].index]) << "an index lost its line at " << i;
        ++seen[items[i].index];
        if (i == 0) {
          continue;
        }
        const int order = CompareFolded(space.View(items[i - 1].ref), space.View(items[i].ref));
        ASSERT_LE(order, 0) << "count " << count << " at " << i;
        ASSERT_EQ(equal.Test(i), order == 0)
            << "count " << count << " at " << i << " runs " << inRuns;
      }
      EXPECT_FALSE(equal.Test(0));
      EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<std::ptrdiff_t>(count));
    }
  }
}

// The byte order does not depend on how the lines end.
TEST(SortClassLists, ByteOrderOfLinesWithEveryLineEnd) {
  std::mt19937 random(53);
  for (std::size_t count : {50, 5000, 300000}) {
    const std::vector<std::string> lines = SharedPrefixLines(random, count);
    for (bool classes : {false, true}) {
      TTextSpace space;
      TLineList<TNarrowRef> refs = StoreInRuns(space, lines, count / 4 + 1, random);
      const TClassSortOptions options{ClassWriteOrder(""), classes, 0, false};
      SortClassLists(refs, space, options);
      ASSERT_EQ(Texts(space, refs), Expected(lines, options))
          << "count " << count << " classes " << classes;
    }
  }
}

// Runs of set bits that start and end inside words, cover whole words or lie in one word; the
// bits around them stay clear.
TEST(TBits, SetsRunsAndMasksOfBits) {
  using line_sort_parts::TBits;
  const struct {
    std::size_t from;
    std::size_t to;
  } runs[] = {{0, 0}, {0, 1}, {3, 64}, {63, 65}, {64, 128}, {5, 300}, {130, 131}, {299, 300}};
  for (const auto& run : runs) {
    TBits bits(300);
    bits.SetRunShared(run.from, run.to);
    for (std::size_t i = 0; i < 300; ++i) {
      ASSERT_EQ(bits.Test(i), i >= run.from && i < run.to)
          << run.from << "-" << run.to << " bit " << i;
    }
  }
  for (std::size_t at : {0, 1, 40, 63, 64, 250}) {
    const std::uint64_t mask = 0x8000'0000'0000'0005u;
    TBits bits(320);
    bits.SetShared(at, mask);
    for (std::size_t i = 0; i < 320; ++i) {
      const bool expected = i >= at && i < at + 64 && ((mask >> (i - at)) & 1) != 0;
      ASSERT_EQ(bits.Test(i), expected) << "mask at " << at << " bit " << i;
    }
  }
}

// Work is split until its pieces are small enough and every piece is finished exactly once; when
// no piece is above the threshold, no helper thread is started for it.
TEST(RunOnTwoThreads, FinishesEveryPieceOnceAndSmallWorkOnTheCallingThread) {
  struct Range {
    std::size_t first;
    std::size_t count;
  };
  const struct {
    std::vector<Range> ranges;
    std::size_t threshold;
    bool callerOnly;
  } cases[] = {
      {{{0, 10}, {10, 5}, {15, 0}}, 10, true},
      {{{0, 1000}}, 1000, true},
      {{{0, 1000}}, 10, false},
      {{{0, 7}, {7, 300}}, 20, false},
  };
  for (const auto& c : cases) {
    std::size_t total = 0;
    for (const Range& range : c.ranges) {
      total += range.count;
    }
    std::vector<int> done(total);
    std::mutex mutex;
    bool elsewhere = false;
    RunOnTwoThreads(
        c.ranges, c.threshold,
        [](Range range, std::vector<Range>& parts) {
          parts.push_back({range.first, range.count / 2});
          parts.push_back({range.first + range.count / 2, range.count - range.count / 2});
        },
        [&, caller = std::this_thread::get_id()](Range range) {
          std::lock_guard lock(mutex);
          elsewhere = elsewhere || std::this_thread::get_id() != caller;
          for (std::size_t i = range.first; i < range.first + range.count; ++i) {
            ++done[i];
          }
        });
    EXPECT_EQ(std::count(done.begin(), done.end(), 1), static_cast<std::ptrdiff_t>(total));
    if (c.callerOnly) {
      EXPECT_FALSE(elsewhere) << "threshold " << c.threshold;
    }
  }
}

} // namespace
} // namespace zorbe
