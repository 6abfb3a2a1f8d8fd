#include "platform/console.h"

#include "platform/file_system.h"
#include "platform/line_ends.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbe {

TInterruptWatcher::TInterruptWatcher() {
  if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    wakePipe_[0] = wakePipe_[1] = -1;
  }
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
  thread_ = std::thread([this] { Watch(); });
}

TInterruptWatcher::~TInterruptWatcher() {
  {
    std::lock_guard lock(mutex_);
    quitting_ = true;
  }
  ::pthread_kill(thread_.native_handle(), SIGTERM);
  thread_.join();
  ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  for (int& fd : wakePipe_) {
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
  }
}

void TInterruptWatcher::Watch() {
  for (;;) {
    int signal = 0;
    if (::sigwait(&signals_, &signal) != 0) {
      continue;
    }
    std::lock_guard lock(mutex_);
    if (quitting_) {
      return;
    }
    if (interrupted_.exchange(true)) {
      // The second interrupt: end the program as the signal would have (an unfinished output is
      // an unnamed file, so nothing is left behind and nothing replaced).
      ::signal(signal, SIG_DFL);
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signal);
      ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
      ::raise(signal);
      return;
    }
    if (wakePipe_[1] >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &byte, 1);
    }
    if (onInterrupt_) {
      onInterrupt_();
    }
  }
}

void TInterruptWatcher::SetOnInterrupt(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  onInterrupt_ = std::move(action);
}

bool IsYesAnswer(std::string line) {
  while (!line.empty() && static_cast<unsigned char>(line.back()) <= 0x20) {
    line.pop_back();
  }
  const std::size_t start = line.find_first_not_of(" \t");
  line = start == std::string::npos ? std::string() : line.substr(start);
  std::transform(line.begin(), line.end(), line.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return line == "y" || line == "yes" || line == "はい";
}

TMsgResult TConsoleMessageBox::Show(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
  const bool terminal = IsTerminal(outFd_);
  std::string message = terminal ? "\a" : "";
  if (kind == TMsgKind::Error) {
    message += "zorbe: ";
  }
  message += WithLfLineEnds(text) + "\n";
  if (buttons == TMsgButtons::OK) {
    WriteAll(outFd_, message);
    return TMsgResult::OK;
  }
  WriteAll(outFd_, message + "[y/N] ");
  const bool yes = IsYesAnswer(ReadAnswerLine());
  if (!terminal || !yes) {
    WriteAll(outFd_, yes ? "y\n" : "n\n");
  }
  return yes ? TMsgResult::Yes : TMsgResult::No;
}

std::string TConsoleMessageBox::ReadAnswerLine() {
  if (inFd_ < 0) {
    return {};
  }
  std::string line;
  for (;;) {
    pollfd fds[2] = {{inFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int count = wakeFd_ >= 0 ? 2 : 1;
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR && !Woken()) {
        continue;
      }
      return {};
    }
    if (count == 2 && (fds[1].revents & POLLIN) != 0) {
      return {}; // interrupted: the answer is No
    }
    char c = 0;
    const ssize_t n = ::read(inFd_, &c, 1);
    if (n < 0 && errno == EINTR) {
      if (Woken()) {
        return {};
      }
      continue;
    }
    if (n <= 0 || c == '\n') {
      return line;
    }
    line += c;
  }
}

bool TConsoleMessageBox::Woken() const {
  if (wakeFd_ < 0) {
    return false;
  }
  pollfd wake{wakeFd_, POLLIN, 0};
  return ::poll(&wake, 1, 0) == 1 && (wake.revents & POLLIN) != 0;
}

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) {
    return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string folder(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

int ReplaceProcess(const std::string& path, char* argv[]) {
  ::execv(path.c_str(), argv);
  return errno;
}

namespace {

// The program's own arguments in the form execvp takes; they live as long as `argv`.
std::vector<char*> ExecArguments(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  return args;
}

// In a child process: standard input and output to /dev/null, then the program.
[[noreturn]] void ExecQuietly(const std::vector<char*>& args) {
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
  }
  ::execvp(args[0], args.data());
  ::_exit(127);
}

int WaitForChild(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return status;
}

// Starts the program in a child process and returns the child's id, or -1. A detached program
// runs in a grandchild in a session of its own, so that it belongs to init and never becomes our
// zombie; the child itself ends at once.
pid_t StartQuietly(const std::vector<std::string>& argv, bool detached) {
  if (argv.empty() || FindProgram(argv[0]).empty()) {
    return -1;
  }
  const std::vector<char*> args = ExecArguments(argv);
  const pid_t child = ::fork();
  if (child != 0) {
    return child;
  }
  if (detached) {
    ::setsid();
    if (::fork() != 0) {
      ::_exit(0);
    }
  }
  ExecQuietly(args);
}

} // namespace

bool SpawnDetached(const std::vector<std::string>& argv) {
  const pid_t child = StartQuietly(argv, true);
  if (child < 0) {
    return false;
  }
  WaitForChild(child);
  return true;
}

bool RunAndWait(const std::vector<std::string>& argv) {
  const pid_t child = StartQuietly(argv, false);
  if (child < 0) {
    return false;
  }
  const int status = WaitForChild(child);
  return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace zorbe

#include "platform/file_system.h"
#include "platform/shell.h"

namespace zorbe {

void TConsoleShell::PlaySound(const std::string& fileName) {
  for (const char* player : {"paplay", "aplay"}) {
    if (SpawnDetached({player, fileName})) {
      return;
    }
  }
}

void TConsoleShell::Beep() {
  if (IsTerminal(2)) {
    WriteAll(2, "\a");
  }
}

void TConsoleShell::OpenInEditor(const std::string& editor, const std::string& fileName) {
  if (!editor.empty() && FileExists(editor) && SpawnDetached({editor, fileName})) {
    return;
  }
  SpawnDetached({"xdg-open", fileName});
}

bool TConsoleShell::OpenUrl(const std::string& url) {
  return SpawnDetached({"xdg-open", url});
}

} // namespace zorbe
