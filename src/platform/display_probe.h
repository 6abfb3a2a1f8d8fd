#pragma once
// Whether the program can show windows: decided before Qt is started, because Qt ends the
// process when it can't open its platform.

namespace zorbe {

enum class TDisplay {
  None,      // no display: the console serves the user
  Offscreen, // an explicitly chosen platform nobody looks at (offscreen, minimal): windows
             // work, but nobody can answer a dialog
  Desktop,   // a display a user looks at
};

// QT_QPA_PLATFORM when set decides; otherwise an X server that accepts a connection, or a
// Wayland socket that exists, is a desktop.
TDisplay ProbeDisplay();

} // namespace zorbe
