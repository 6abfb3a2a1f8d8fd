// The window tests run on Qt's offscreen platform: no display, no window manager, nobody to
// answer a dialog (every message goes through a scripted message routine). Its screens are the
// work areas the windows must fit (see ui_test_support.h).

#include "test_support.h"
#include "ui/desktop_program.h"
#include "ui/ui_test_support.h"

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

// The offscreen platform's screens, as its configuration file describes them.
std::string ScreensConfiguration() {
  std::string screens;
  for (const QRect& area :
       {zorbe::test::kLaptopWorkArea, zorbe::test::kSmallWorkArea, zorbe::test::kLargeWorkArea}) {
    screens += std::string(screens.empty() ? "" : ",") + "{\"name\": \"" +
               std::to_string(area.width()) + "x" + std::to_string(area.height()) +
               "\", \"x\": " + std::to_string(area.x()) + ", \"y\": " + std::to_string(area.y()) +
               ", \"width\": " + std::to_string(area.width()) +
               ", \"height\": " + std::to_string(area.height()) + "}";
  }
  return "{\"windowFrameMargins\": true, \"screens\": [" + screens + "]}";
}

} // namespace

int main(int argc, char** argv) {
  const zorbe::test::TTempFolder folder;
  const std::string configuration = folder.Write("screens.json", ScreensConfiguration());
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + configuration.c_str());
  standardHandler = qInstallMessageHandler(QuietOffscreenNotes);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  zorbe::PrepareDesktopApplication();
  return RUN_ALL_TESTS();
}
