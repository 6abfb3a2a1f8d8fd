#include "app/window_placement.h"

#include <algorithm>

namespace zorbe {

TRect CentredOver(const TRect& owner, int width, int height) {
  return {owner.left + (owner.width - width) / 2, owner.top + (owner.height - height) / 2, width,
          height};
}

TRect ClampToWorkArea(TRect window, const TRect& workArea) {
  window.left = std::min(window.left, workArea.left + workArea.width - window.width);
  window.top = std::min(window.top, workArea.top + workArea.height - window.height);
  window.left = std::max(window.left, workArea.left);
  window.top = std::max(window.top, workArea.top);
  return window;
}

TRect PlaceWindow(const TRect& mainWindow, bool mainVisible, int width, int height,
                  const TRect& workArea, int frameHeight) {
  TRect place = CentredOver(mainVisible ? mainWindow : workArea, width, height);
  place.height += frameHeight;
  place = ClampToWorkArea(place, workArea);
  place.height = height;
  return place;
}

TRect PlaceBeside(const TRect& mainWindow, int width, int height, const TRect& workArea) {
  const int roomRight = workArea.left + workArea.width - (mainWindow.left + mainWindow.width);
  const int roomLeft = mainWindow.left - workArea.left;
  const bool right = roomRight >= width || (roomLeft < width && roomRight >= roomLeft);
  const int left = right ? mainWindow.left + mainWindow.width : mainWindow.left - width;
  return ClampToWorkArea({left, mainWindow.top, width, height}, workArea);
}

TRect MakeRoomBeside(const TRect& mainWindow, int width, const TRect& workArea) {
  const TRect main = ClampToWorkArea(mainWindow, workArea);
  const int roomRight = workArea.left + workArea.width - (main.left + main.width);
  const int roomLeft = main.left - workArea.left;
  if (roomRight >= width || roomLeft >= width) {
    return main;
  }
  if (main.width + width > workArea.width) {
    return {workArea.left, main.top, main.width, main.height};
  }
  TRect moved = main;
  if (width - roomRight <= width - roomLeft) {
    moved.left -= width - roomRight; // room on the right
  } else {
    moved.left += width - roomLeft; // room on the left
  }
  return moved;
}

} // namespace zorbe
