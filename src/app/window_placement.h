#pragma once
// Where secondary windows and message boxes appear: centred over their owner when it is
// visible, else in the middle of the screen's work area, and never off the work area. The
// temporary settings window sits beside the main window instead, top edges aligned, and is also
// kept on the work area. Every rectangle here is a window's outer frame.
//
// Plain rectangle arithmetic, so the rules are the same for every window toolkit and can be
// tested without one.

namespace zorbe {

struct TRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const TRect&) const = default;
};

// The top-left corner that centres a window of the given size over `owner`:
// owner left + (owner width - width) div 2, and the same for the top.
TRect CentredOver(const TRect& owner, int width, int height);

// Moves the window so that it stays inside the work area. When the window is larger than the
// work area its top-left corner stays visible (the title bar can still be grabbed).
TRect ClampToWorkArea(TRect window, const TRect& workArea);

// The window placement routine: centred over the main window when that is visible, otherwise
// in the work area; then kept inside the work area together with the `frameHeight` that the
// window manager's title bar and borders add below its top-left corner.
TRect PlaceWindow(const TRect& mainWindow, bool mainVisible, int width, int height,
                  const TRect& workArea, int frameHeight = 0);

// The temporary settings window's place: right of the main window where the work area has room
// for it, else left of it; where neither side has room, on the side with more room and moved
// into the work area, so that it overlaps the main window but is fully visible. Its top is the
// main window's top as far as the work area allows.
TRect PlaceBeside(const TRect& mainWindow, int width, int height, const TRect& workArea);

// Where the main window goes when the temporary settings window (`width` wide) opens beside it:
// where it is when either side has room; else, when the two fit side by side on the work area,
// moved the shorter way that makes room on one side; else (a screen too narrow for both) to the
// work area's left edge, so that the temporary window, put at the right edge, covers only the
// main window's right part. It is kept on the work area in every case.
TRect MakeRoomBeside(const TRect& mainWindow, int width, const TRect& workArea);

} // namespace zorbe
