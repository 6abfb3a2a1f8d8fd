#include "ui/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace zorbe {

QMargins FrameMargins(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return handle != nullptr && window->isVisible() ? handle->frameMargins() : QMargins();
}

QRect WorkAreaOf(const QWidget* owner) {
  QScreen* screen = nullptr;
  if (owner != nullptr && owner->isVisible()) {
    screen = QGuiApplication::screenAt(owner->frameGeometry().center());
    if (screen == nullptr) {
      screen = owner->screen();
    }
  }
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void PlaceWindowOver(QWidget* mainWindow, QWidget* window) {
  const bool mainVisible = mainWindow != nullptr && mainWindow->isVisible();
  const QSize size = window->size();
  const QMargins frame = FrameMargins(window);
  const int frameHeight = frame.isNull() ? kFrameAllowance : frame.top() + frame.bottom();
  const TRect place =
      PlaceWindow(mainVisible ? ToRect(mainWindow->frameGeometry()) : TRect{}, mainVisible,
                  size.width(), size.height(), ToRect(WorkAreaOf(mainWindow)), frameHeight);
  window->move(place.left, place.top);
}

} // namespace zorbe
