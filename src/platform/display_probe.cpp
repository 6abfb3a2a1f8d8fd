#include "platform/display_probe.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <xcb/xcb.h>

namespace zorbe {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool XServerAnswers() {
  if (Env("DISPLAY").empty()) {
    return false;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return ok;
}

bool WaylandSocketExists() {
  const std::string display = Env("WAYLAND_DISPLAY");
  if (display.empty()) {
    return false;
  }
  const std::string socket =
      display.front() == '/' ? display : Env("XDG_RUNTIME_DIR") + "/" + display;
  struct stat st {};
  return ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

} // namespace

TDisplay ProbeDisplay() {
  const std::string platform = Env("QT_QPA_PLATFORM");
  if (!platform.empty()) {
    const bool unseen = platform.starts_with("offscreen") || platform.starts_with("minimal");
    return unseen ? TDisplay::Offscreen : TDisplay::Desktop;
  }
  return XServerAnswers() || WaylandSocketExists() ? TDisplay::Desktop : TDisplay::None;
}

} // namespace zorbe
