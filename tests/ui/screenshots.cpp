// Takes pictures of the windows for the help and the README: the main window with the
// temporary settings window beside it, both pages of the settings window, the general options
// window and the version window. Run it under a real X server (xvfb-run) with the Japanese fonts
// installed, on the screen size most laptops have, where the settings window shows its two
// pages:
//
//   xvfb-run -a -s "-screen 0 1366x768x24" build/release/tests/ui/zorbe_screenshots docs/images
//
// The windows get a small sample setting and sample target files in a temporary folder.

#include "app/message_routine.h"
#include "platform/message_box.h"
#include "scripted_message_box.h"
#include "settings/settings_file.h"
#include "test_support.h"
#include "ui/about_form.h"
#include "ui/desktop_program.h"
#include "ui/general_option_form.h"
#include "ui/main_form.h"
#include "ui/qt_shell.h"
#include "ui/setting_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>

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

// Windows side by side as the user sees them, on a plain background.
bool SaveSideBySide(QWidget* left, QWidget* right, const QString& folder, const char* name) {
  Settle();
  const QPixmap a = left->grab();
  const QPixmap b = right->grab();
  QPixmap canvas(a.width() + b.width(), std::max(a.height(), b.height()));
  canvas.fill(QColor(0xd0, 0xd4, 0xd8));
  QPainter painter(&canvas);
  painter.drawPixmap(0, 0, a);
  painter.drawPixmap(a.width(), 0, b);
  painter.end();
  const QString file = folder + QLatin1Char('/') + QLatin1String(name);
  const bool ok = canvas.save(file);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
  return ok;
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PrepareDesktopApplication();
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);
  // A folder with a readable name, since its path shows in the pictures.
  const std::filesystem::path samples = std::filesystem::temp_directory_path() / "見本";
  std::filesystem::remove_all(samples);
  std::filesystem::create_directories(samples);
  auto write = [&samples](const std::string& name, const std::string& bytes) {
    const std::filesystem::path file = samples / name;
    std::filesystem::create_directories(file.parent_path());
    test::WriteBytes(file.string(), bytes);
  };
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  TQtShell shell;
  const TSettingsFile settings((samples / "zorbe.ini").string());
  TSettingOptionItems sample = SettingDefaults("単語帳");
  sample.Duplicate = true;
  sample.ReturnDel = true;
  sample.CLTC = "#;//";
  settings.SaveSortSetting("単語帳", sample);
  settings.SaveSortSetting("住所録", SettingDefaults("住所録"));
  TOptions options;
  options.DefaultSettingName = "単語帳";
  settings.SaveOptions(options);

  write("単語/動物.txt", test::Sjis("ねこ\r\nいぬ\r\n"));
  write("単語/植物.txt", test::Sjis("さくら\r\nうめ\r\n"));
  write("単語/果物.txt", test::Sjis("りんご\r\nみかん\r\n"));

  bool ok = true;
  {
    TMainForm form(settings, shell);
    form.move(40, 40);
    form.show();
    form.ApplyStartSetting();
    form.AddFiles({(samples / "単語").string()});
    ok &= Save(&form, folder, "main_window.png");

    auto* box = form.findChild<QComboBox*>(QStringLiteral("cbSettingName"));
    box->setCurrentIndex(0);
    form.SettingNameChanged();
    Settle();
    ok &= SaveSideBySide(&form, form.TemporarySettingForm(), folder,
                         "main_window_with_temporary_setting.png");
  }
  {
    TSettingForm form(TSettingForm::TKind::Modal, settings, shell, TOptions{});
    form.SetSettingName(QStringLiteral("単語帳"));
    form.move(40, 40);
    form.show();
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl"));
    if (pages == nullptr) {
      std::printf("FAILED the settings window shows no pages on a screen this large: take the "
                  "pictures at 1366x768\n");
      ok = false;
    } else {
      ok &= Save(&form, folder, "setting_window.png");
      pages->setCurrentIndex(1);
      ok &= Save(&form, folder, "setting_window_page2.png");
    }
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
  {
    TAboutForm form(shell);
    form.move(40, 40);
    form.show();
    ok &= Save(&form, folder, "about_window.png");
  }
  SetMessageBox(nullptr);
  std::filesystem::remove_all(samples);
  return ok ? 0 : 1;
}
