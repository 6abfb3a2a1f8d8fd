#include "engine/reading_sort.h"

#include "engine/two_threads.h"
#include "text/shift_jis.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>

namespace zorbe {
namespace {

// Reading keys of lines [first, last) into one arena; ends[i] is where key i ends.
struct TKeyRun {
  std::string arena;
  std::vector<std::size_t> ends;
};

// Folds the ASCII capitals of a key's single-byte characters into small letters (the key is in
// the internal form, where a pair's second byte may look like a letter).
void FoldKeyCase(char* key, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(key[i]);
    if (IsLeadByte(b)) {
      ++i;
    } else if (b >= 'A' && b <= 'Z') {
      key[i] = static_cast<char>(b - 'A' + 'a');
    }
  }
}

// The reading of a line; with NumberOrder its numbers are read as their values (NumbersOf) and
// the text between them by MeCab.
void AppendLineReading(TReadingAnalyzer& analyzer, std::string_view line,
                       const TNumberOrder& numbers, std::string& out) {
  if (numbers.mode == noCodes) {
    analyzer.AppendReading(line, out);
    return;
  }
  std::size_t at = 0;
  for (const TNumberSpan& number : NumbersOf(line, numbers)) {
    if (number.begin > at) {
      analyzer.AppendReading(line.substr(at, number.begin - at), out);
    }
    out += number.key;
    at = number.end;
  }
  if (at < line.size()) {
    analyzer.AppendReading(line.substr(at), out);
  }
}

// With `foldCase` (Distinction), lines equal but for letter case get equal keys.
template <typename Ref>
void MakeKeys(const TLineList<Ref>& lines, std::size_t first, std::size_t last,
              const TTextSpace& space, const TReadingDictionary& dictionary,
              const TInternalCodec& codec, const TClassSortOptions& options, TKeyRun& run) {
  TReadingAnalyzer analyzer(dictionary, codec);
  const TNumberOrder numbers = NumberOrderOf(options);
  const bool foldCase = options.distinction;
  run.ends.reserve(last - first);
  for (std::size_t i = first; i < last; ++i) {
    const std::size_t start = run.arena.size();
    AppendLineReading(analyzer, space.View(lines[i]), numbers, run.arena);
    if (foldCase) {
      FoldKeyCase(run.arena.data() + start, run.arena.size() - start);
    }
    run.ends.push_back(run.arena.size());
  }
}

std::vector<std::string_view> Views(const TKeyRun& run) {
  std::vector<std::string_view> views;
  views.reserve(run.ends.size());
  std::size_t start = 0;
  for (const std::size_t end : run.ends) {
    views.emplace_back(run.arena.data() + start, end - start);
    start = end;
  }
  return views;
}

} // namespace

template <typename Ref>
void SortClassListsByReading(TLineList<Ref>& lines, const TTextSpace& space,
                             const TClassSortOptions& options, const TReadingDictionary& dictionary,
                             const TInternalCodec& codec) {
  const std::size_t half = lines.size() / 2;
  TKeyRun firstHalf;
  TKeyRun secondHalf;
  RunBoth(
      [&] { MakeKeys(lines, 0, half, space, dictionary, codec, options, firstHalf); },
      [&] { MakeKeys(lines, half, lines.size(), space, dictionary, codec, options, secondHalf); });
  std::vector<std::string_view> keys = Views(firstHalf);
  const std::vector<std::string_view> rest = Views(secondHalf);
  keys.insert(keys.end(), rest.begin(), rest.end());

  // Lines are grouped by the write position of their key's class, then sorted within it.
  const auto positionOfClass = PositionOfClass(options);
  std::vector<std::uint8_t> position(lines.size());
  // A line that starts with a number is classed by its first character as written: its key
  // starts with the number's digit count (every digit in a key is a number's).
  const bool numbers = NumberOrderOf(options).mode != noCodes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool number = numbers && !keys[i].empty() && keys[i][0] >= '0' && keys[i][0] <= '9';
    position[i] = positionOfClass[ClassForSort(number ? space.View(lines[i]) : keys[i],
                                               options.charTypeOrder)];
  }
  std::vector<std::size_t> order(lines.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const bool descending = options.sortDirection == 1;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (position[a] != position[b]) {
      return position[a] < position[b];
    }
    const std::string_view lineA = space.View(lines[a]);
    const std::string_view lineB = space.View(lines[b]);
    int c = CompareReadings(keys[a], keys[b]);
    if (c == 0 && options.distinction) {
      // Lines equal but for letter case stay side by side, for the duplicate check.
      c = CompareFolded(lineA, lineB);
    }
    c = c != 0 ? c : lineA.compare(lineB);
    return descending ? c > 0 : c < 0;
  });
  TLineList<Ref> sorted(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted[i] = lines[order[i]];
  }
  lines.swap(sorted);
}

template void SortClassListsByReading(TLineList<TNarrowRef>&, const TTextSpace&,
                                      const TClassSortOptions&, const TReadingDictionary&,
                                      const TInternalCodec&);
template void SortClassListsByReading(TLineList<TWideRef>&, const TTextSpace&,
                                      const TClassSortOptions&, const TReadingDictionary&,
                                      const TInternalCodec&);

} // namespace zorbe
