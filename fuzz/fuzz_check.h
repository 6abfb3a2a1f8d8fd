#pragma once
// The fuzz targets' property check: a property that does not hold is a finding, so the run stops
// there with the input saved.

#include <cstdlib>

namespace zorbe::fuzz {

inline void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

} // namespace zorbe::fuzz
