#pragma once
// Sorting the lines of a job into the order they are written: grouped by character class in
// the write order, each class sorted by the chosen compare. Lines of different classes are
// never compared with each other.
//
// Without case folding, lines that compare equal are identical bytes, so any correct sort gives
// the same output: an in-place MSD radix sort on both cores, descending order being the
// ascending one reversed. With case folding (Distinction) the steps of QuickSortExact decide
// the order of lines that differ only in case. Its independent parts are spread over both cores
// (which gives the same result as doing them one after another): large parts are partitioned on
// the lines themselves, each small one is put in the folded order by the radix sort (where no two
// lines are equal but for case, that is the quicksort's result too) and the quicksort runs on the
// lines' positions in that order, whose groups of equal lines give exactly the results of the
// folded compare without reading a line. Beside the list it needs under two megabytes.
//
// With NumberOrder, each class is sorted by the number-aware compare (number_order.h): bucketed
// first by an MSD radix sort on both cores over keys that order as the compare does, the small
// buckets then by the compare; with Distinction by QuickSortExact with the folded compare.
//
// Lines are offsets into the text space (TNarrowRef or TWideRef, see line_store.h).

#include "engine/line_order.h"
#include "engine/line_store.h"
#include "engine/number_order.h"
#include "text/internal_char.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zorbe {

struct TClassSortOptions {
  std::array<int, kClassCount> writeOrder; // the classes in the order they are written
  bool charTypeOrder = true;               // off: every line is class 1
  int sortDirection = 0;                   // 1 descending, anything else ascending
  bool distinction = false;                // compare with letter case folded
  int numberOrder = 0;                     // NumberOrder: numbers by value (number_order.h)
  bool numberCommas = true;                // a comma may group a number's digits
};

// The number-aware order of the options (a mode of noCodes when numbers are not ordered).
TNumberOrder NumberOrderOf(const TClassSortOptions& options);

// The write position (0 to 10) of each class (1 to 11).
std::array<std::uint8_t, kClassCount + 1> PositionOfClass(const TClassSortOptions& options);

template <typename Ref>
void SortClassLists(TLineList<Ref>& lines, const TTextSpace& space,
                    const TClassSortOptions& options);

// The class a sort files a line under: 1 for an empty line or when classes are off; a line
// that starts with an escape (a character CP932 lacks: internal_char.h) is a kanji line, 11, as
// those characters sort after the kanji.
inline int ClassForSort(std::string_view line, bool charTypeOrder) {
  if (!charTypeOrder || line.empty()) {
    return 1;
  }
  if (IsEscapeLead(static_cast<unsigned char>(line[0]))) {
    return kClassCount;
  }
  return ClassOfLine(line);
}

} // namespace zorbe
