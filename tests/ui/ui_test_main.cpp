// The window tests run on Qt's offscreen platform: no display, no window manager, nobody to
// answer a dialog (every message goes through a scripted message routine).

#include "ui/desktop_program.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  zorbe::ApplyDesktopPalette();
  return RUN_ALL_TESTS();
}
