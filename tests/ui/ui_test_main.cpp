// The window tests run on Qt's offscreen platform: no display, no window manager, nobody to
// answer a dialog (every message goes through a scripted message routine).

#include "ui/desktop_program.h"

#include <QApplication>
#include <QString>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// The offscreen platform says so whenever a window asks for something only a window manager
// does, and the test machine has no runtime folder; both are expected here and would only hide
// real warnings.
QtMessageHandler standardHandler = nullptr;

void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith(QStringLiteral("This plugin does not support")) ||
      text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
    return;
  }
  if (standardHandler != nullptr) {
    standardHandler(type, context, text);
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  standardHandler = qInstallMessageHandler(QuietOffscreenNotes);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  zorbe::ApplyDesktopPalette();
  return RUN_ALL_TESTS();
}
