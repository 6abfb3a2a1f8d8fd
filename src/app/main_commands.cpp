#include "app/main_commands.h"

namespace zorbe {

TMainCommandStates MainCommandStates(const TMainCommandInputs& in) {
  TMainCommandStates out;
  out.sortOption = !in.temporarySettingShown;
  out.editorOpen = !in.noConnected;
  if (in.sortedSoon) {
    // Dropped files sort at once: the list and its buttons are out of the user's hands.
    out.list = false;
    out.listButtonFace = true;
    out.output = false;
    out.outputButtonFace = true;
    out.stopButton = !in.idle;
    return out;
  }
  const bool hasRows = in.rowCount > 0;
  const bool outputFixed = in.noConnected || in.fixedOutput;
  out.output = !outputFixed;
  out.outputButtonFace = outputFixed;
  out.clipboardMenus = in.idle && in.clipboardHasText;
  out.clearButton = hasRows;
  out.clearMenu = hasRows;
  out.startButton = hasRows && in.idle;
  out.stopButton = hasRows && !in.idle;
  out.deleteButton = hasRows && in.selectedCount > 0;
  out.deleteMenu = out.deleteButton;
  return out;
}

} // namespace zorbe
