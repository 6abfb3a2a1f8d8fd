#pragma once
// The fuzz targets' property check: a property that does not hold is a finding, so the run stops
// there with the input saved, after naming the line of the check that failed.

#include <cstdio>
#include <cstdlib>

namespace zorbe::fuzz {

inline void Check(bool condition, const char* file = __builtin_FILE(),
                  unsigned line = __builtin_LINE()) {
  if (!condition) {
    std::fprintf(stderr, "check failed at %s:%u\n", file, line);
    std::abort();
  }
}

} // namespace zorbe::fuzz
