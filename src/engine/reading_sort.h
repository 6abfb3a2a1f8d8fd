#pragma once
// Sorting a job's lines by their reading: each line's reading key is made once (the lines split
// between both cores, a MeCab tagger on each), lines are classed by the key's text and each
// class is sorted by reading, then by the lines' bytes, so the order is fixed and lines that are
// the same bytes stay side by side for the duplicate check. With NumberOrder a line's numbers
// are read as their values, and a line that starts with one is classed as written.

#include "engine/line_sort.h"
#include "text/reading_key.h"

namespace zorbe {

// As SortClassLists, by reading. `codec` decodes the lines (the job's own).
template <typename Ref>
void SortClassListsByReading(TLineList<Ref>& lines, const TTextSpace& space,
                             const TClassSortOptions& options, const TReadingDictionary& dictionary,
                             const TInternalCodec& codec);

} // namespace zorbe
