#include "app/sort_end.h"

#include "app/message_routine.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace zorbe {

void HandleSortEnd(const TSortEndInputs& in, ISortEndView& view, IShell& shell) {
  view.SetIdle();
  view.SetCaption(kEndCaption);
  if (in.outcome == TJobOutcome::Failed) {
    if (!in.failure.empty()) { // an invalid replacement rule has had its own message
      ShowMessage(in.failure, TMsgKind::Error, TMsgButtons::OK);
    }
  } else if (!in.cancelled) {
    if (!in.waveFileName.empty()) {
      shell.PlaySound(in.waveFileName);
    } else if (!in.commandLineMode) {
      shell.Beep();
    }
    if (in.flash && !in.commandLineMode) {
      view.Flash(std::clamp(in.flashSec, 0, kMaxFlashSec));
    }
    if (!in.warning.empty() && in.outcome == TJobOutcome::Finished) {
      ShowMessage(in.warning, TMsgKind::Warning, TMsgButtons::OK);
    }
    // A stopped job (the window closed during a sort) wrote nothing that could be opened.
    if (in.openInEditor && !in.jobNoConnected && in.outcome == TJobOutcome::Finished &&
        !in.outputName.empty()) {
      shell.OpenInEditor(in.editorPath, in.outputName);
    }
  }
  if (in.clearList) {
    view.ClearList();
  }
  view.SetCaption(kIdleCaption);
}

int RunFlashing(int seconds, const std::function<std::int64_t()>& nowSeconds,
                const std::function<void(std::uint32_t colour)>& setColour) {
  std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::uint32_t> colours(0, 16777214);
  const std::int64_t start = nowSeconds();
  int changes = 0;
  do {
    setColour(colours(random));
    ++changes;
  } while (nowSeconds() - start <= seconds);
  return changes;
}

std::int64_t WallClockSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

} // namespace zorbe
