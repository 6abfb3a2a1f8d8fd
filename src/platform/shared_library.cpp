#include "platform/shared_library.h"

#include <dlfcn.h>

namespace zorbe {

TSharedLibrary::TSharedLibrary(const std::string& name)
    : handle_(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    error_ = why != nullptr ? why : "";
  }
}

TSharedLibrary::~TSharedLibrary() {
  if (handle_ != nullptr) {
    ::dlclose(handle_);
  }
}

void* TSharedLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

} // namespace zorbe
