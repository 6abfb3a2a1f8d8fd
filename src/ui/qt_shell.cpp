#include "ui/qt_shell.h"

#include "platform/console.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

namespace zorbe {

TQtShell::TQtShell(QObject* parent) : QObject(parent) {}

void TQtShell::PlaySound(const std::string& fileName) {
  if (sound_ == nullptr) {
    sound_ = new QSoundEffect(this);
  }
  sound_->stop();
  sound_->setSource(QUrl::fromLocalFile(QFile::decodeName(fileName.c_str())));
  sound_->play();
}

void TQtShell::Beep() {
  QApplication::beep();
}

void TQtShell::OpenInEditor(const std::string& editor, const std::string& fileName) {
  const QString file = QFile::decodeName(fileName.c_str());
  if (!editor.empty()) {
    const std::string program = FindProgram(editor);
    if (!program.empty() &&
        QProcess::startDetached(QFile::decodeName(program.c_str()), {file}, QString())) {
      return;
    }
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool TQtShell::OpenUrl(const std::string& url) {
  const QUrl parsed(QString::fromStdString(url), QUrl::TolerantMode);
  return parsed.isValid() && QDesktopServices::openUrl(parsed);
}

void TQtShell::WaitForSound(int maxMs) {
  if (sound_ == nullptr) {
    return;
  }
  QElapsedTimer elapsed;
  elapsed.start();
  // A sound still loading has not started playing yet; it counts as playing.
  auto pending = [this] {
    return sound_->isPlaying() || (sound_->status() == QSoundEffect::Loading);
  };
  while (pending() && elapsed.elapsed() < maxMs) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

} // namespace zorbe
