// Counts the matches of a regular expression in a file, going through the text the way a
// replace-all does, and prints the count. The file is mapped into memory at once.
//
//   regex_search_all [--lf] PATTERN FILE
//
// PATTERN is taken as Shift-JIS bytes. --lf makes LF alone the line end for `$` (default CR LF).

#include "regex/regexp.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

class TFileText {
public:
  explicit TFileText(const char* name) {
    const int fd = open(name, O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
      if (fd >= 0) {
        close(fd);
      }
      return;
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) {
      // The file's pages as they stand in the page cache, mapped all at once: no copy, and no
      // fault while searching. (Reading into fresh memory costs more than the search.)
      void* data = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = static_cast<const char*>(data);
      }
    }
    ok_ = size_ == 0 || data_ != nullptr;
    close(fd);
  }
  ~TFileText() {
    if (data_ != nullptr) {
      munmap(const_cast<char*>(data_), size_);
    }
  }
  TFileText(const TFileText&) = delete;
  TFileText& operator=(const TFileText&) = delete;

  bool Ok() const { return ok_; }
  std::string_view View() const { return {data_ != nullptr ? data_ : "", size_}; }

private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  bool ok_ = false;
};

} // namespace

int main(int argc, char** argv) {
  int arg = 1;
  zorbe::TMatchCORE_LineSeparator separator = zorbe::mcls_CRLF;
  if (arg < argc && std::strcmp(argv[arg], "--lf") == 0) {
    separator = zorbe::mcls_LF;
    ++arg;
  }
  if (argc - arg != 2) {
    std::fprintf(stderr, "usage: regex_search_all [--lf] PATTERN FILE\n");
    return 2;
  }
  const TFileText file(argv[arg + 1]);
  if (!file.Ok()) {
    std::fprintf(stderr, "cannot read %s\n", argv[arg + 1]);
    return 2;
  }
  try {
    const auto dfa = zorbe::CompileRegExp(argv[arg]);
    const zorbe::TREMatcher matcher(*dfa, separator);
    const std::size_t count = matcher.ForEachMatch(file.View(), [](const zorbe::TREMatch&) {});
    std::printf("%zu\n", count);
  } catch (const zorbe::ERegExpParser& error) {
    std::fprintf(stderr, "%s (position %u)\n", error.what(), error.Position());
    return 2;
  }
  return 0;
}
