#pragma once
// Sorting the class lists of a job into their written order.
//
// On entry every line's tag is its class (1 to 11). On return the lines stand in the order they
// are written: class by class in the write order, each class sorted by the chosen compare.
// Lines of different classes are never compared with each other.

#include "engine/line_order.h"
#include "engine/line_store.h"

#include <array>
#include <vector>

namespace zorbe {

// Sorted by bytes (SortDirection 1 descending, anything else ascending). With `distinction`
// (case ignored) each class goes through QuickSortExact with a folded compare, whose steps fix
// the order of lines that differ only in case; otherwise equal lines are identical bytes and
// the fastest sort gives the same output.
void SortClassLists(std::vector<TLineRef>& lines, const std::array<int, kClassCount>& writeOrder,
                    int sortDirection, bool distinction);

} // namespace zorbe
