#pragma once
// The window placement routine for Qt windows: a secondary window (or a dialog) centred over the
// main window when that is visible, else in the work area, and kept on the work area.

#include "app/window_placement.h"

#include <QRect>

class QWidget;

namespace zorbe {

inline TRect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.width(), r.height()};
}

// Moves `window` by the routine; its size must be final. `mainWindow` may be null.
void PlaceWindowOver(QWidget* mainWindow, QWidget* window);

} // namespace zorbe
