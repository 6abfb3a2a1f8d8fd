#pragma once
// The window placement routine for Qt windows: a secondary window (or a dialog) centred over the
// main window when that is visible, else in the work area, and kept on the work area; and the
// screen arithmetic the windows use to fit the work area at all.

#include "app/window_placement.h"

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace zorbe {

inline TRect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.width(), r.height()};
}

// Room for a window manager's title bar and borders around a window that has not been shown
// yet, whose frame is still unknown.
inline constexpr int kFrameAllowance = 40;

// The margins the window manager's frame (title bar and borders) adds around a window; none
// until the window has been framed.
QMargins FrameMargins(const QWidget* window);

// The work area (the screen without its panels) where a window owned by `owner` appears: the
// owner's screen when it is visible, else the primary screen. `owner` may be null.
QRect WorkAreaOf(const QWidget* owner);

// Whether a window with contents of that size, framed, fits the work area.
inline bool FitsWorkArea(const QSize& size, const QRect& workArea) {
  return size.width() <= workArea.width() && size.height() + kFrameAllowance <= workArea.height();
}

// Moves `window` by the routine; its size must be final. `mainWindow` may be null.
void PlaceWindowOver(QWidget* mainWindow, QWidget* window);

} // namespace zorbe
