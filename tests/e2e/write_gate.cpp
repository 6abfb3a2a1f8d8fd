// A gate in the program's writing, for the end-to-end tests that stop or kill it while it writes
// its output. Loaded into the program with LD_PRELOAD, it passes every write through, except
// the first one into an unfinished output in the folder $ZORBE_WRITE_GATE_FOLDER (an unnamed
// temporary file, or a hidden one): that write is made, then the writing thread says
// "[write gate reached]" on standard error and waits for a byte from the named pipe
// $ZORBE_WRITE_GATE, which the test holds open. So the test acts while the program provably
// holds a partly written output, whatever the timing.
//
// Built without sanitizers: it runs inside the program before any runtime it could rely on.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using TWrite = ssize_t (*)(int, const void*, size_t);

TWrite RealWrite() {
  static const TWrite real = reinterpret_cast<TWrite>(::dlsym(RTLD_NEXT, "write"));
  return real;
}

// The file is an unfinished output in the gated folder: "#..." (unnamed) or ".name..." (hidden).
bool IsUnfinishedOutput(int fd, const char* folder) {
  char link[64];
  char target[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t size = ::readlink(link, target, sizeof target - 1);
  if (size <= 0) {
    return false;
  }
  target[size] = '\0';
  const std::size_t folderSize = std::strlen(folder);
  return std::strncmp(target, folder, folderSize) == 0 && target[folderSize] == '/' &&
         (target[folderSize + 1] == '#' || target[folderSize + 1] == '.');
}

// The test has the pipe open for writing before the program starts, so the open never waits.
void WaitAtTheGate(const char* gate) {
  const int fd = ::open(gate, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return;
  }
  static const char kReached[] = "[write gate reached]\n";
  RealWrite()(2, kReached, sizeof kReached - 1);
  char byte;
  [[maybe_unused]] const ssize_t n = ::read(fd, &byte, 1);
  ::close(fd);
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  static std::atomic<bool> passed{false};
  const ssize_t written = RealWrite()(fd, data, size);
  const char* folder = std::getenv("ZORBE_WRITE_GATE_FOLDER");
  const char* gate = std::getenv("ZORBE_WRITE_GATE");
  if (written > 0 && folder != nullptr && gate != nullptr && !passed.load() &&
      IsUnfinishedOutput(fd, folder) && !passed.exchange(true)) {
    WaitAtTheGate(gate);
  }
  return written;
}
