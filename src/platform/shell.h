#pragma once
// Desktop services: a sound, a beep, opening a file in an editor, opening a web or mail link or
// a document with the desktop's own program for it.

#include <string>

namespace zorbe {

class IShell {
public:
  virtual ~IShell() = default;
  // Plays a sound file without waiting; silent when it can't be played.
  virtual void PlaySound(const std::string& fileName) = 0;
  virtual void Beep() = 0;
  // Opens the file in `editor` when that names an existing program file, otherwise with the
  // desktop's program for text files. Silent when nothing can be opened.
  virtual void OpenInEditor(const std::string& editor, const std::string& fileName) = 0;
  // Opens a URL (a web page, a "mailto:" link, a "file:" URL) with the desktop's program for it,
  // without waiting; false when nothing could be started. A shell without a desktop opens
  // nothing.
  virtual bool OpenUrl(const std::string& url) {
    (void)url;
    return false;
  }
};

// The console's services: helper programs found on PATH (paplay or aplay; xdg-open).
class TConsoleShell : public IShell {
public:
  void PlaySound(const std::string& fileName) override;
  void Beep() override;
  void OpenInEditor(const std::string& editor, const std::string& fileName) override;
  bool OpenUrl(const std::string& url) override;
};

} // namespace zorbe
