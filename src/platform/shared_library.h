#pragma once
// A shared library opened at run time, so that the program runs without it and says what is
// missing only when a feature needs it. Closed with the object.

#include <string>

namespace zorbe {

class TSharedLibrary {
public:
  // Opens the library (its own symbols are not shared with others); see IsOpen and Error.
  explicit TSharedLibrary(const std::string& name);
  ~TSharedLibrary();
  TSharedLibrary(const TSharedLibrary&) = delete;
  TSharedLibrary& operator=(const TSharedLibrary&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  // Why it could not be opened, as the system says it (may be empty).
  const std::string& Error() const { return error_; }
  // The address of a symbol, or nullptr when the library has none of that name.
  void* Symbol(const char* name) const;

private:
  void* handle_ = nullptr;
  std::string error_;
};

} // namespace zorbe
