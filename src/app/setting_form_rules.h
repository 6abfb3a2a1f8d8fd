#pragma once
// The rules of the settings window that need no widget: which controls are enabled, the
// exclusive CSV and position keys, the class list and its reordering.
//
// The window reads the state of its controls into TSettingControlState after every change and
// applies SettingEnabling to them, so the controls always follow the rules.

#include "settings/setting_option_items.h"

#include <string>
#include <vector>

namespace zorbe {

struct TSettingControlState {
  int sortDirection = 0; // the radio group: 0, 1, or 2 for "無し"
  bool charTypeOrder = true;
  bool charPos = false;
  int charPosCount = 0;
  bool csvSupport = false;
  bool noConnected = false;
};

struct TSettingEnabling {
  bool charTypeOrder = true; // and duplicate removal, case folding, the comment label and edit
  bool classList = true;
  bool charPos = true;
  bool charPosCount = true; // the spin edit and its label "位置:"
  bool lineEndCount = true;
  bool csvFields = false; // the column spin edits, the delimiter, "ソート後復元しない", labels
  bool pun = true;        // the symbols conversion and its label "記号:"
  bool outputFilename = true;
};

TSettingEnabling SettingEnabling(const TSettingControlState& state);

// The CSV and position check boxes as the window shows a loaded setting: when both are set and
// the sort method orders lines, only the position key is shown checked.
struct TKeyChecks {
  bool csvSupport = false;
  bool charPos = false;
};
TKeyChecks KeyChecksOnLoad(const TSettingOptionItems& setting);

// OrderOfRow split at every ";" into list entries (an empty text gives no entries), and back.
std::vector<std::string> SplitOrderOfRow(const std::string& orderOfRow);
std::string JoinOrderOfRow(const std::vector<std::string>& entries);

// Moves the entry at `index` one place up (step -1) or down (step +1); returns its new index,
// or `index` unchanged when it can't move.
int MoveClassEntry(std::vector<std::string>& entries, int index, int step);

// The up and down buttons: only while the list has the focus and an entry is selected, and not
// past either end. `selected` is -1 when nothing is selected.
struct TReorderButtons {
  bool up = false;
  bool down = false;
};
TReorderButtons ReorderButtons(bool listHasFocus, int selected, int count);

} // namespace zorbe
