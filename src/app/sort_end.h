#pragma once
// What the program does when a sort job has ended (the job's end callback, on the main thread),
// in the main window and on the command line: the window becomes idle, says "終了" in its caption,
// announces the end unless the user stopped the job, and clears the list when asked to.
//
//   idle -> caption "Zorbe 2nd - 終了" -> [not stopped] sound or beep, flashing, editor
//        -> list cleared (option or immediate sort) -> caption "Zorbe 2nd "
//
// A failed job reports its error instead of the sound, the flashing and the editor: the
// message is the announcement, and there is no output to open. A command-line run never beeps
// and never flashes.

#include "engine/sort_job.h"
#include "platform/shell.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zorbe {

inline constexpr const char* kEndCaption = "Zorbe 2nd - 終了";
inline constexpr const char* kIdleCaption = "Zorbe 2nd ";
inline constexpr int kMaxFlashSec = 30;

struct TSortEndInputs {
  bool cancelled = false;       // the user stopped the job (Stop, or No to the overwrite question)
  bool commandLineMode = false; // no beep and no flashing
  std::string waveFileName;
  bool flash = false;
  int flashSec = 1;
  bool openInEditor = false; // "ソート後エディタで開く(&E)" is checked and enabled
  std::string editorPath;
  bool clearList = false; // SortEndListViewClear, or immediate sort is checked
  bool jobNoConnected = false;
  std::string outputName; // the file the job wrote (the job writes the name back)
  TJobOutcome outcome = TJobOutcome::Finished;
  std::string failure; // the message of a failed job
  std::string warning; // what a finished job still tells (characters replaced by 〓)
};

// The main window's side of the end handling.
class ISortEndView {
public:
  virtual ~ISortEndView() = default;
  virtual void SetIdle() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Flashes the file list for `seconds` (0 to kMaxFlashSec), see RunFlashing.
  virtual void Flash(int seconds) = 0;
  // As the Clear button: rows removed, output field emptied, count 0.
  virtual void ClearList() = 0;
};

void HandleSortEnd(const TSortEndInputs& in, ISortEndView& view, IShell& shell);

// The flashing loop: calls setColour with random colours (0 to 16,777,214 as a 24-bit value)
// until the clock, in whole seconds, has advanced by more than `seconds` since the start; so it
// lasts between `seconds` and `seconds` + 1 seconds. Returns the number of colour changes.
int RunFlashing(int seconds, const std::function<std::int64_t()>& nowSeconds,
                const std::function<void(std::uint32_t colour)>& setColour);

// The current time in whole seconds, for RunFlashing.
std::int64_t WallClockSeconds();

} // namespace zorbe
