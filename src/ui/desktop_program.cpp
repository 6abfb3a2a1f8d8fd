#include "ui/desktop_program.h"

#include "app/command_line.h"
#include "app/message_routine.h"
#include "app/program_folder.h"
#include "app/program_layout.h"
#include "platform/console.h"
#include "ui/app_icon.h"
#include "ui/main_form.h"
#include "ui/qt_main_thread_invoker.h"
#include "ui/qt_message_box.h"
#include "ui/qt_shell.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QTimer>
#include <QTranslator>

namespace zorbe {
namespace {

constexpr int kSoundEndWaitMs = 10000;

// Qt reads options of its own from the arguments; the program's arguments never go there.
struct TQtArguments {
  explicit TQtArguments(const char* programName) : name(programName) {}
  std::string name;
  int argc = 1;
  char* argv[2] = {name.data(), nullptr};
};

void ApplyDesktopPalette() {
  QPalette palette = QApplication::palette();
  palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Button));
  QApplication::setPalette(palette);
}

} // namespace

bool UseJapaneseQtTexts() {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void PrepareDesktopApplication() {
  ApplyDesktopPalette();
  UseJapaneseQtTexts();
  QApplication::setWindowIcon(AppIcon());
  // The desktop entry the windows belong to (the application id on Wayland), for their icon and
  // name in the task bar.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
}

int RunMainWindow(const char* programName, const std::string& settingName) {
  TQtArguments arguments(programName);
  QApplication app(arguments.argc, arguments.argv);
  PrepareDesktopApplication();
  SetProgramFolder(ResolveProgramFolder(ProgramFileName()));
  TQtMessageBox messageBox;
  SetMessageBox(&messageBox);
  TQtShell shell;
  const TSettingsFile settings(SettingsFileName());
  int status = 0;
  {
    TMainForm form(settings, shell);
    messageBox.SetMainWindow(&form);
    form.show();
    form.ApplyStartSetting(settingName);
    status = QApplication::exec();
    messageBox.SetMainWindow(nullptr);
  }
  SetMessageBox(nullptr);
  return status;
}

int RunCommandLineInDialogs(const char* programName, const std::vector<std::string>& args) {
  SetProgramFolder(ResolveProgramFolder(ProgramFileName()));
  const TSettingsFile settings(SettingsFileName());
  const TParsedArguments parsed = ParseArguments(args);
  if (const std::optional<std::string> setting = SettingWithoutFiles(parsed, settings)) {
    return RunMainWindow(programName, *setting); // a launcher started without files
  }
  TQtArguments arguments(programName);
  QApplication app(arguments.argc, arguments.argv);
  PrepareDesktopApplication();
  TInterruptWatcher interrupts;
  TQtMessageBox messageBox;
  SetMessageBox(&messageBox);
  TQtShell shell;
  TQtMainThreadInvoker mainThread;
  const TCommandLineServices services{
      mainThread,
      [&interrupts](const std::function<bool()>& ended, const std::function<void()>& stop,
                    const TJobProgress&) {
        // The event loop runs the job's calls into this thread; a tick looks for the end and
        // for an interrupt (which stops the job like the Stop button).
        QEventLoop loop;
        QTimer tick;
        bool stopped = false;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
          if (!stopped && interrupts.Interrupted()) {
            stopped = true;
            stop();
          }
          if (ended()) {
            loop.quit();
          }
        });
        tick.start(20);
        loop.exec();
      },
      [&interrupts] { return interrupts.Interrupted(); },
      shell,
  };
  const int status = RunCommandLine(parsed, settings, services);
  shell.WaitForSound(kSoundEndWaitMs);
  SetMessageBox(nullptr);
  return status;
}

} // namespace zorbe
