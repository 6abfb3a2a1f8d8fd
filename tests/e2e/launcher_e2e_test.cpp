// A launcher made for a setting, started as a file manager starts it: its Exec line with the
// files in place of %F. From a terminal-less desktop its questions come as dialogs of
// zorbe-desktop, which zorbe starts in its own place. GLib's own tool (gio) shows which program
// opens text files, before and after a launcher is made.

#include "app/launcher.h"
#include "app/message_routine.h"
#include "e2e/program_runner.h"
#include "platform/console.h"
#include "scripted_message_box.h"
#include "test_support.h"

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

namespace zorbe {
namespace {

namespace fs = std::filesystem;

// A virtual X display for as long as it lives; Display() is empty when none could be started.
class TVirtualDisplay {
public:
  TVirtualDisplay() {
    int pipeFds[2];
    if (access("/usr/bin/Xvfb", X_OK) != 0 || ::pipe(pipeFds) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(pipeFds[0]);
      const int devNull = ::open("/dev/null", O_WRONLY);
      ::dup2(devNull, 1);
      ::dup2(devNull, 2);
      const std::string fd = std::to_string(pipeFds[1]);
      // -noreset: by default the server resets whenever its last client leaves, and refuses
      // connections meanwhile; the program's own probe of the display is such a client.
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset",
              nullptr);
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    // The display number and a line end; the server may write them in more than one piece.
    std::string number;
    char c = 0;
    while (number.size() < 16 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    ::close(pipeFds[0]);
    if (c == '\n' && !number.empty() && AcceptsConnections("/tmp/.X11-unix/X" + number)) {
      display_ = std::string(":").append(number);
    }
  }
  ~TVirtualDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

private:
  // A server on a busy machine may take a moment after it has named its display. Like the X
  // client library, this tries the abstract socket first, then the socket file.
  static bool AcceptsConnections(const std::string& socketName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      for (const bool abstract : {true, false}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socketName.copy(address.sun_path + (abstract ? 1 : 0), sizeof address.sun_path - 2);
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) +
                                                        socketName.size() + (abstract ? 1 : 0));
        const bool connected =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (connected) {
          return true;
        }
      }
      ::usleep(50000);
    }
    return false;
  }

  pid_t pid_ = -1;
  std::string display_;
};

class LauncherE2E : public testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(bin);
    fs::copy_file(ZORBE_EXECUTABLE, bin / "zorbe");
    fs::copy_file(ZORBE_DESKTOP_EXECUTABLE, bin / "zorbe-desktop");
    test::WriteBytes((bin / "zorbe.ini").string(), "[my words]\nSortDirection=1\n"
                                                   "[each file]\nNoConnected=1\n");
    a = folder.Write("files/a.txt", "x\r\ny\r\n");
    b = folder.Write("files/b b.txt", "z\r\n");
  }
  // The right-click entry's command (as libfm runs it) with the files for %F; it sets its own
  // working folder.
  std::vector<std::string> Command(const std::string& settingName) {
    const std::string entry =
        SendToEntryText(TSendToFormat::FileManagerAction,
                        {(bin / "zorbe").string(), bin.string() + "/", settingName, ""});
    const std::size_t exec = entry.find("\nExec=") + 6;
    std::vector<std::string> words =
        test::DesktopExecWords(entry.substr(exec, entry.find('\n', exec) - exec));
    EXPECT_EQ(words.back(), "%F");
    words.pop_back();
    words.push_back(a);
    words.push_back(b);
    words[0] = FindProgram(words[0]); // found on PATH, as the file manager finds it
    return words;
  }
  test::TRunResult Start(const std::string& settingName, const test::TRunOptions& options) {
    const std::vector<std::string> words = Command(settingName);
    return test::RunProgram(words[0], {words.begin() + 1, words.end()}, folder.File(""), options);
  }

  test::TTempFolder folder;
  fs::path bin = folder.Path() / "the bin";
  std::string a;
  std::string b;
};

// Whether a process shows a window on an X display: a mapped top-level window whose _NET_WM_PID
// (which Qt sets) is the process. The virtual display has no window manager, so top-level
// windows are the root's children.
class TWindowWatcher {
public:
  explicit TWindowWatcher(const std::string& display)
      : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
      return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const char name[] = "_NET_WM_PID";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
    if (atom != nullptr) {
      pidAtom_ = atom->atom;
      std::free(atom);
    }
  }
  ~TWindowWatcher() { xcb_disconnect(connection_); }
  TWindowWatcher(const TWindowWatcher&) = delete;
  TWindowWatcher& operator=(const TWindowWatcher&) = delete;

  bool ShowsAWindow(int pid) {
    if (xcb_connection_has_error(connection_) != 0 || pidAtom_ == XCB_ATOM_NONE) {
      return false;
    }
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    if (tree == nullptr) {
      return false;
    }
    bool shown = false;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !shown; ++i) {
      shown = Mapped(children[i]) && PidOf(children[i]) == pid;
    }
    std::free(tree);
    return shown;
  }

private:
  bool Mapped(xcb_window_t window) {
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr);
    const bool mapped = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return mapped;
  }
  long PidOf(xcb_window_t window) {
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    long pid = -1;
    if (property != nullptr && xcb_get_property_value_length(property) == 4) {
      pid = *static_cast<const std::uint32_t*>(xcb_get_property_value(property));
    }
    std::free(property);
    return pid;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
};

// The launcher's runs inside a desktop session: a virtual X display the program is started on.
class LauncherOnDisplayE2E : public LauncherE2E {
protected:
  void SetUp() override {
    LauncherE2E::SetUp();
    display.emplace();
    if (display->Display().empty()) {
      GTEST_SKIP() << "no virtual X display (Xvfb) on this machine";
    }
    options.environment = {"DISPLAY=" + display->Display()};
  }
  std::optional<TVirtualDisplay> display;
  test::TRunOptions options; // runs on the display
};

TEST_F(LauncherE2E, FromATerminalTheLauncherSortsTheFilesWithItsSetting) {
  const test::TRunResult run = Start("my words", {}); // the output question: no answer is No
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("「" + a + "」は、保存ファイル名ですか？"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(folder.File("files/a[0].txt")), "z\r\ny\r\nx\r\n");
}

// Started without files (a double-click), a launcher used to ask about an empty output name and
// then do nothing. From the desktop it opens the main window; on a terminal there is nothing to
// sort.
TEST_F(LauncherE2E, WithoutFilesFromATerminalItSaysThereIsNothingToSort) {
  std::vector<std::string> words = Command("my words");
  words.resize(words.size() - 2); // no files for %F
  const test::TRunResult run =
      test::RunProgram(words[0], {words.begin() + 1, words.end()}, folder.File(""));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("ソートするファイルが指定されていません。"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("保存ファイル名ですか"), std::string::npos) << run.err;
}

// A script in a desktop session with standard error redirected: --batch never hands over to a
// dialog that nobody sees; the questions are answered No on the console.
TEST_F(LauncherOnDisplayE2E, BatchWithADisplayNeverOpensADialog) {
  const auto start = std::chrono::steady_clock::now();
  bool hung = false;
  options.whileRunning = [&](int pid, const std::string&) {
    if (std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
      return false;
    }
    hung = true; // waiting on a dialog: a failure, not a slow machine
    ::kill(pid, SIGKILL);
    return true;
  };
  const test::TRunResult run =
      test::RunProgram((bin / "zorbe").string(), {"--batch", a, b}, folder.File(""), options);
  EXPECT_FALSE(hung);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("保存ファイル名ですか"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadBytes(folder.File("files/a[0].txt")), "x\r\ny\r\nz\r\n");
}

TEST_F(LauncherOnDisplayE2E, FromTheDesktopItsQuestionIsADialogAndItSortsWithoutOne) {
  // The setting asks for the output name: the question waits in a dialog of zorbe-desktop,
  // which shows a window (the program itself, now zorbe-desktop in zorbe's place).
  const auto start = std::chrono::steady_clock::now();
  TWindowWatcher windows(display->Display());
  bool waitedInDialog = false;
  options.whileRunning = [&](int pid, const std::string&) {
    const bool shown = windows.ShowsAWindow(pid);
    if (!shown && std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
      return false;
    }
    std::error_code ec;
    const std::string exe = fs::read_symlink(fs::path("/proc") / std::to_string(pid) / "exe", ec);
    waitedInDialog = shown && exe.ends_with("/zorbe-desktop");
    ::kill(pid, SIGKILL);
    return true;
  };
  test::TRunResult run = Start("my words", options);
  EXPECT_TRUE(waitedInDialog) << run.err;
  EXPECT_EQ(run.err.find("保存ファイル名ですか"), std::string::npos); // not on the terminal
  EXPECT_FALSE(fs::exists(folder.File("files/a[0].txt")));

  // A setting that asks nothing sorts each file and ends.
  options.whileRunning = {};
  run = Start("each file", options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(folder.File("files/a[0].txt")), "x\r\ny\r\n");
  EXPECT_EQ(test::ReadBytes(folder.File("files/b b[0].txt")), "z\r\n");
}

// A home folder as on a plain desktop: with or without a default program for text files; no
// programs from the system are seen.
class SendToE2E : public LauncherE2E {
protected:
  void SetUp() override {
    LauncherE2E::SetUp();
    folder.Write("home/.local/share/applications/editor.desktop",
                 "[Desktop Entry]\nType=Application\nName=Editor\nExec=true %F\n"
                 "MimeType=text/plain;\n");
    fs::create_directories(folder.Path() / "system/applications");
  }
  std::vector<std::string> Environment() const {
    const std::string home = folder.File("home");
    return {"HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share",
            "XDG_CONFIG_HOME=" + home + "/.config", "XDG_DATA_DIRS=" + folder.File("system"),
            "LC_ALL=C"};
  }
  // `gio mime text/plain`: the default program's line, then the registered ones.
  std::string Mime() const {
    test::TRunOptions options;
    options.environment = Environment();
    const test::TRunResult run =
        test::RunProgram(gio, {"mime", "text/plain"}, folder.File(""), options);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  }

  std::string gio = FindProgram("gio");
};

// A launcher made for "送る" never becomes the program that opens text files, whether the
// desktop has a default for them or not; its right-click entry sorts the selected files.
TEST_F(SendToE2E, TheEntriesLeaveTheDefaultForTextFilesAloneAndSort) {
  if (gio.empty()) {
    GTEST_SKIP() << "no gio (libglib2.0-bin) on this machine";
  }
  const std::string home = folder.File("home");
  const TSendToFolders folders{home + "/.local/share", home + "/.config"};
  const TLauncher launcher{(bin / "zorbe").string(), bin.string() + "/", "each file", ""};
  for (const bool withDefault : {false, true}) {
    if (withDefault) {
      folder.Write("home/.config/mimeapps.list",
                   "[Default Applications]\ntext/plain=editor.desktop\n");
    }
    const std::string before = Mime();
    test::TScriptedMessageBox messages;
    SetMessageBox(&messages);
    messages.SetNextAnswer(TMsgResult::Yes);
    CreateLauncherForSetting(lpSendTo, launcher, folder.File("Desktop"), folders);
    SetMessageBox(nullptr);
    ASSERT_EQ(messages.Texts().back(), kShortcutCreatedMessage);
    EXPECT_EQ(Mime(), before) << withDefault;
    EXPECT_EQ(Mime().find("Zorbe"), std::string::npos) << withDefault;
  }

  const test::TRunResult run = Start("each file", {});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(folder.File("files/a[0].txt")), "x\r\ny\r\n");
  EXPECT_EQ(test::ReadBytes(folder.File("files/b b[0].txt")), "z\r\n");
}

// pcmanfm's right-click menu, read and run by its own library: the entry is offered for text
// files (a CSV file too) under the setting's name, not for a picture, and sorts what is selected.
TEST_F(SendToE2E, TheFileManagersMenuOffersTheEntryForTextFilesAndItSorts) {
#ifndef ZORBE_FILE_MANAGER_MENU
  GTEST_SKIP() << "built without libfm (libfm-dev)";
#else
  const std::string home = folder.File("home");
  const TLauncher launcher{(bin / "zorbe").string(), bin.string() + "/", "each file", ""};
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  messages.SetNextAnswer(TMsgResult::Yes);
  CreateLauncherForSetting(lpSendTo, launcher, folder.File("Desktop"),
                           {home + "/.local/share", home + "/.config"});
  SetMessageBox(nullptr);
  const std::string csv = folder.Write("files/c.csv", "2,b\n1,a\n");
  const std::string png =
      folder.Write("files/p.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  test::TRunOptions options;
  options.environment = Environment();
  const auto menu = [&](const std::vector<std::string>& args) {
    return test::RunProgram(ZORBE_FILE_MANAGER_MENU, args, folder.File(""), options);
  };
  const std::string label = LauncherLabel("each file");
  for (const auto& [files, offered] : std::vector<std::pair<std::vector<std::string>, bool>>{
           {{a}, true}, {{csv}, true}, {{a, b}, true}, {{png}, false}}) {
    const test::TRunResult run = menu(files);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find(label + "\n") != std::string::npos, offered) << files[0] << run.out;
  }

  const test::TRunResult run = menu({"--launch", label, a, b});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(test::ReadBytes(folder.File("files/a[0].txt")), "x\r\ny\r\n");
  EXPECT_EQ(test::ReadBytes(folder.File("files/b b[0].txt")), "z\r\n");
#endif
}

} // namespace
} // namespace zorbe
