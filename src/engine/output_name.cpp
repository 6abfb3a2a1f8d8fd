#include "engine/output_name.h"

#include "platform/file_system.h"

#include <filesystem>

namespace zorbe {

std::string WithoutQuotes(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

std::string DefaultOutputName(const std::string& file, const std::string& folder,
                              const std::string& name, bool perFile) {
  const std::string fixedName = WithHomeFolder(WithoutQuotes(name));
  if (!name.empty() && !perFile && fixedName.starts_with('/')) {
    return fixedName; // no folder is put before an absolute name
  }
  std::string base;
  if (!folder.empty()) {
    base = WithHomeFolder(WithoutQuotes(folder));
    base = base.ends_with('/') ? base : base + "/";
  } else if (const std::size_t slash = file.rfind('/'); slash != std::string::npos) {
    base = file.substr(0, slash + 1);
  }
  if (!name.empty() && !perFile) {
    return base + fixedName;
  }
  const std::filesystem::path fileName = std::filesystem::path(file).filename();
  const std::string stem = fileName.stem().string();
  const std::string extension = fileName.extension().string();
  for (unsigned long k = 0;; ++k) {
    std::string candidate = base + stem + "[" + std::to_string(k) + "]" + extension;
    if (!NameIsTaken(candidate)) {
      return candidate;
    }
  }
}

} // namespace zorbe
