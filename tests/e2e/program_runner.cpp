#include "e2e/program_runner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/capability.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace zorbe::test {
namespace {

void ReadAvailable(int fd, std::string& into, bool& open) {
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || errno != EINTR) {
    open = false;
  }
}

} // namespace

TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const TRunOptions& options) {
  const std::string& input = options.input;
  const bool keepInputOpen = options.keepInputOpen;
  const auto& whileRunning = options.whileRunning;
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  // The program as a terminal user or a script runs it: without a display, so it never
  // answers with a window or a dialog whatever the test's own environment has. The entries
  // the test gives replace inherited ones of the same name.
  std::vector<std::string> environment;
  auto given = [&options](std::string_view text) {
    const std::string_view name = text.substr(0, text.find('=') + 1);
    return std::any_of(options.environment.begin(), options.environment.end(),
                       [name](const std::string& entry) { return entry.starts_with(name); });
  };
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (!text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=") &&
        !text.starts_with("QT_QPA_PLATFORM=") && !given(text)) {
      environment.emplace_back(text);
    }
  }
  environment.insert(environment.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  // A program that ends before it has read its input (a usage error) must not end the test with
  // SIGPIPE; the program itself starts with the usual disposition.
  ::signal(SIGPIPE, SIG_IGN);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    if (::chdir(cwd.c_str()) != 0) {
      ::_exit(127);
    }
    if (options.checkPermissions) {
      // Out of the bounding set, the capabilities are not regained when the program starts.
      for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        ::prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
      }
    }
    if (options.fileSizeLimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                         static_cast<rlim_t>(options.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      ::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG, like a full disk
    }
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (!input.empty()) {
    [[maybe_unused]] const ssize_t n = ::write(in[1], input.data(), input.size());
  }
  if (!keepInputOpen) {
    ::close(in[1]);
  }
  TRunResult result;
  bool outOpen = true;
  bool errOpen = true;
  bool watching = static_cast<bool>(whileRunning);
  while (outOpen || errOpen) {
    pollfd fds[2] = {{out[0], static_cast<short>(outOpen ? POLLIN : 0), 0},
                     {err[0], static_cast<short>(errOpen ? POLLIN : 0), 0}};
    ::poll(fds, 2, watching ? 2 : 50); // watching: look at the process often
    if ((fds[0].revents & (POLLIN | POLLHUP)) != 0) {
      ReadAvailable(out[0], result.out, outOpen);
    }
    if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
      ReadAvailable(err[0], result.err, errOpen);
    }
    if (watching && whileRunning(pid, result.err)) {
      watching = false;
    }
  }
  if (keepInputOpen) {
    ::close(in[1]);
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void SignalTaken(int pid, int signal) {
  ::kill(pid, signal);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < giveUp) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool pending = false;
    while (std::getline(status, line)) {
      if (line.starts_with("ShdPnd:")) {
        pending = (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
      }
    }
    if (!pending) {
      return; // taken, or the process is gone
    }
    std::this_thread::yield();
  }
}

TWriteGate::TWriteGate(std::string pipe, std::string outputFolder,
                       std::function<void(int pid)> atGate)
    : pipe_(std::move(pipe)), outputFolder_(std::move(outputFolder)), atGate_(std::move(atGate)) {
  if (::mkfifo(pipe_.c_str(), 0600) != 0) {
    throw std::runtime_error("mkfifo failed");
  }
  // Open for reading and writing, it never waits for the other end, and the program's own open
  // of the pipe finds a writer.
  end_ = ::open(pipe_.c_str(), O_RDWR | O_CLOEXEC);
  if (end_ < 0) {
    throw std::runtime_error("the gate's pipe can't be opened");
  }
}

TWriteGate::~TWriteGate() {
  ::close(end_);
  ::unlink(pipe_.c_str());
}

TRunOptions TWriteGate::Options(TRunOptions options) const {
  const char* asan = std::getenv("ASAN_OPTIONS");
  options.environment.insert(
      options.environment.end(),
      {std::string("LD_PRELOAD=") + ZORBE_WRITE_GATE_LIBRARY, "ZORBE_WRITE_GATE=" + pipe_,
       "ZORBE_WRITE_GATE_FOLDER=" + outputFolder_,
       // The gate comes before the AddressSanitizer's runtime in an instrumented program.
       std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") + ":verify_asan_link_order=0"});
  options.whileRunning = [this](int pid, const std::string& err) {
    if (err.find("[write gate reached]") == std::string::npos) {
      return false;
    }
    atGate_(pid);
    [[maybe_unused]] const ssize_t n = ::write(end_, "", 1);
    return true;
  };
  return options;
}

} // namespace zorbe::test
