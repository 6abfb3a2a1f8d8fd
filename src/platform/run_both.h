#pragma once
// Two pieces of work at once, on this thread and a helper.

#include <exception>
#include <thread>

namespace zorbe {

// Runs `second` on a helper thread while `first` runs on this one, and returns when both have
// ended. An exception from either is passed on (the first one's when both throw).
template <typename First, typename Second> void RunBoth(First first, Second second) {
  std::exception_ptr failure;
  std::thread helper([&] {
    try {
      second();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    first();
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

} // namespace zorbe
