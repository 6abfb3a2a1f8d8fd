#include "engine/output_name.h"

#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace zorbe {

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

std::string DefaultOutputName(const std::string& file, const std::string& folder,
                              const std::string& name, bool perFile) {
  if (!name.empty() && !perFile) {
    // Quotes are removed from the whole name later; an absolute one has no folder put before it.
    const std::string fixedName = WithHomeFolder(WithoutQuotes(name));
    if (fixedName.starts_with('/')) {
      return fixedName;
    }
  }
  std::string base;
  if (!folder.empty()) {
    base = WithHomeFolder(WithoutQuotes(folder));
    base = base.ends_with('/') ? base : base + "/";
  } else if (const std::size_t slash = file.rfind('/'); slash != std::string::npos) {
    base = WithoutQuotes(file.substr(0, slash + 1));
  }
  if (!name.empty() && !perFile) {
    return base + name;
  }
  const std::filesystem::path fileName = std::filesystem::path(file).filename();
  const std::string stem = fileName.stem().string();
  const std::string extension = fileName.extension().string();
  for (unsigned long k = 0;; ++k) {
    std::string candidate = base + stem + "[" + std::to_string(k) + "]" + extension;
    struct stat st {};
    if (::lstat(candidate.c_str(), &st) != 0) {
      return candidate;
    }
  }
}

} // namespace zorbe
