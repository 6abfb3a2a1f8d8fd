#include "ui/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zorbe {

void PlaceWindowOver(QWidget* mainWindow, QWidget* window) {
  const bool mainVisible = mainWindow != nullptr && mainWindow->isVisible();
  QScreen* screen = mainVisible ? mainWindow->screen() : QGuiApplication::primaryScreen();
  const TRect workArea =
      screen != nullptr ? ToRect(screen->availableGeometry()) : TRect{0, 0, 1024, 768};
  const QSize size = window->size();
  const TRect place = PlaceWindow(mainVisible ? ToRect(mainWindow->frameGeometry()) : TRect{},
                                  mainVisible, size.width(), size.height(), workArea);
  window->move(place.left, place.top);
}

} // namespace zorbe
