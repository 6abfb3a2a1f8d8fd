#pragma once
// The desktop's services: the sound through Qt Multimedia (silent when there is no audio device
// or the file can't be played), the system beep, opening a file in the configured editor or,
// failing that, with the desktop's own program for it, and opening links and documents.

#include "platform/shell.h"

#include <QObject>

class QSoundEffect;

namespace zorbe {

class TQtShell : public QObject, public IShell {
  Q_OBJECT
public:
  explicit TQtShell(QObject* parent = nullptr);

  // Plays without waiting; a new sound replaces one still playing.
  void PlaySound(const std::string& fileName) override;
  void Beep() override;
  // The editor is a program file or a program name found on PATH; the file is its argument.
  void OpenInEditor(const std::string& editor, const std::string& fileName) override;
  // Through QDesktopServices: the desktop's own association, like xdg-open.
  bool OpenUrl(const std::string& url) override;

  // Keeps the event loop running until a playing sound has ended, at most `maxMs`; a program
  // about to exit calls this so that its sound is heard to the end.
  void WaitForSound(int maxMs);

private:
  QSoundEffect* sound_ = nullptr;
};

} // namespace zorbe
