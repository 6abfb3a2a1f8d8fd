// Takes pictures of the windows for the help and the README: the main window with the
// temporary settings window beside it, the settings window plain and tabbed, and the general
// options window. Run it under a real X server (xvfb-run) with the Japanese fonts installed:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/debug/tests/ui/zorbe_screenshots docs/images
//
// The windows get a small sample setting and sample target files in a temporary folder.

#include "app/message_routine.h"
#include "platform/message_box.h"
#include "settings/settings_file.h"
#include "test_support.h"
#include "ui/desktop_program.h"
#include "ui/general_option_form.h"
#include "ui/main_form.h"
#include "ui/qt_shell.h"
#include "ui/setting_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>

using namespace zorbe;

namespace {

void Settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QTest::qWait(30);
  }
}

bool Save(QWidget* window, const QString& folder, const char* name) {
  Settle();
  const QString file = folder + QLatin1Char('/') + QLatin1String(name);
  const bool ok = window->grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
  return ok;
}

// The screen area that holds all the windows, as the user sees them side by side.
bool SaveScreenArea(const QRect& area, const QString& folder, const char* name) {
  Settle();
  const QString file = folder + QLatin1Char('/') + QLatin1String(name);
  const bool ok = QGuiApplication::primaryScreen()
                      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                      .save(file);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
  return ok;
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ApplyDesktopPalette();
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);
  test::TTempFolder temp;
  TScriptedMessageBox messages;
  SetMessageBox(&messages);
  TQtShell shell;
  const TSettingsFile settings(temp.File("zorbe.ini"));
  TSettingOptionItems sample = SettingDefaults("単語帳");
  sample.Duplicate = true;
  sample.ReturnDel = true;
  sample.CLTC = "#;//";
  settings.SaveSortSetting("単語帳", sample);
  settings.SaveSortSetting("住所録", SettingDefaults("住所録"));
  TOptions options;
  options.DefaultSettingName = "単語帳";
  settings.SaveOptions(options);

  const std::string words = temp.Write("単語/動物.txt", test::Sjis("ねこ\r\nいぬ\r\n"));
  temp.Write("単語/植物.txt", test::Sjis("さくら\r\nうめ\r\n"));
  temp.Write("単語/果物.txt", test::Sjis("りんご\r\nみかん\r\n"));

  bool ok = true;
  {
    TMainForm form(settings, shell);
    form.move(40, 40);
    form.show();
    form.ApplyStartSetting();
    form.AddFiles({temp.File("単語")});
    ok &= Save(&form, folder, "main_window.png");

    auto* box = form.findChild<QComboBox*>(QStringLiteral("cbSettingName"));
    box->setCurrentIndex(0);
    form.SettingNameChanged();
    Settle();
    TSettingForm* side = form.TemporarySettingForm();
    const QRect both = form.frameGeometry().united(side->frameGeometry());
    ok &= SaveScreenArea(both, folder, "main_window_with_temporary_setting.png");
  }
  for (const bool tabbed : {false, true}) {
    TOptions look;
    look.SettingWindowTab = tabbed;
    TSettingForm form(TSettingForm::TKind::Modal, settings, shell, look);
    form.SetSettingName(QStringLiteral("単語帳"));
    form.move(40, 40);
    form.show();
    ok &= Save(&form, folder, tabbed ? "setting_window_tabbed.png" : "setting_window.png");
  }
  {
    TGeneralOptionForm form(shell);
    TOptions general;
    general.EditorPath = "/usr/bin/mousepad";
    general.Flash = true;
    general.FlashSec = 2;
    form.SetOptions(general);
    form.move(40, 40);
    form.show();
    ok &= Save(&form, folder, "general_options.png");
  }
  SetMessageBox(nullptr);
  return ok ? 0 : 1;
}
