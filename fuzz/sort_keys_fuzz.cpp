// libFuzzer target for the sort keys: the first bytes choose the delimiter kind, the field
// indices and the byte count, the rest is the line. A key applied and undone gives back the
// line as joined anew (or the line itself when nothing moved), and a rotation undone gives back
// the line byte for byte.

#include "engine/sort_keys.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using zorbe::fuzz::Check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) {
    return 0;
  }
  // The column key's kinds: the job reads every CsvDelimiter other than 1 and 2 as the comma.
  // (The semicolon kind only splits the comment prefixes; it is never joined.)
  static const int kKinds[] = {0, 1, 2, 7};
  const int kind = kKinds[data[0] % 4];
  const int from = static_cast<int>(data[1] % 12) - 2; // a few negative indices too
  const int to = static_cast<int>(data[2] % 12) - 2;
  const int count = static_cast<int>(data[3]) - 16;
  const std::string line(reinterpret_cast<const char*>(data + 4), size - 4);

  const std::string keyed = zorbe::MoveField(line, from, to, kind);
  const std::string undone = zorbe::MoveField(keyed, to, from, kind);
  const std::string joined = zorbe::JoinFields(kind, zorbe::SplitFields(kind, line));
  Check(undone == joined || (keyed == line && undone == line));
  // Splitting what was joined gives the same fields again.
  Check(zorbe::SplitFields(kind, joined) == zorbe::SplitFields(kind, line) || joined.empty());

  for (const bool fromEnd : {false, true}) {
    const std::string rotated = zorbe::RotateLine(line, count, fromEnd);
    Check(rotated.size() == line.size());
    Check(zorbe::RotateLine(rotated, count, !fromEnd) == line);
  }
  return 0;
}
