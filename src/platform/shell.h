#pragma once
// Desktop services at the end of a sort: a sound, a beep, opening a file in an editor.

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
};

// The console's services: helper programs found on PATH (paplay or aplay; xdg-open).
class TConsoleShell : public IShell {
public:
  void PlaySound(const std::string& fileName) override;
  void Beep() override;
  void OpenInEditor(const std::string& editor, const std::string& fileName) override;
};

} // namespace zorbe
