// Adds the files below the named folders as the main window does when they are dropped on it:
// expands the folders, examines every file's character code, and prints how many were accepted.
//
//   stress_add_files FOLDER...

#include "app/target_files.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
  const std::vector<std::string> dropped(argv + 1, argv + argc);
  const std::vector<std::string> files = zorbe::ExpandTargetNames(dropped);
  std::size_t accepted = 0;
  std::size_t refused = 0;
  for (const std::string& file : files) {
    if (zorbe::AcceptedListCode(file, [&refused](const std::string&) { ++refused; })) {
      ++accepted;
    }
  }
  std::printf("%zu files, %zu accepted, %zu refused\n", files.size(), accepted, refused);
  return 0;
}
