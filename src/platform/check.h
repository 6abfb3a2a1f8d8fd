#pragma once
// ZORBE_ASSERT(condition): an invariant that the code relies on, checked in debug, sanitizer and
// fuzz builds (where the build defines ZORBE_CHECKS) and compiled out of release builds. A broken
// one ends the program at once, naming the condition and its place: going on would corrupt data.

#ifdef ZORBE_CHECKS
#include <cstdio>
#include <cstdlib>

namespace zorbe {

[[noreturn]] inline void AssertionFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
  std::abort();
}

} // namespace zorbe

#define ZORBE_ASSERT(condition)                                                                    \
  ((condition) ? void(0) : ::zorbe::AssertionFailed(#condition, __FILE__, __LINE__))
#else
#define ZORBE_ASSERT(condition) void(0)
#endif
