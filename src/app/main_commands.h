#pragma once
// Which commands of the main window are offered, recomputed by its 100 ms timer.
//
// The window gathers what the rules look at (the list, the idle flag, the chosen setting, the
// menu checks, the clipboard) into TMainCommandInputs; MainCommandStates answers with the state
// of every control. In immediate-sort mode some menu items keep whatever state they had: those
// answers are empty optionals.

#include <cstddef>
#include <optional>

namespace zorbe {

struct TMainCommandInputs {
  bool temporarySettingShown = false; // the setting box shows "一時設定" at index 0
  bool noConnected = false;           // of the current setting
  bool fixedOutput = false;           // the current setting has an OutputFolder or OutputFilename
  bool sortedSoon = false;            // "直ちにソート(&I)" is checked
  bool idle = true;
  std::size_t rowCount = 0;
  std::size_t selectedCount = 0;
  bool clipboardHasText = false;
};

struct TMainCommandStates {
  bool sortOption = true; // menu "ソート設定(&S)" and btnSortOption
  bool editorOpen = true; // menu "ソート後エディタで開く(&E)"
  bool list = true;
  bool listButtonFace = false; // paint the list in the button-face colour
  bool output = true;
  bool outputButtonFace = false;
  bool startButton = false;
  bool stopButton = false;
  bool clearButton = false;
  bool deleteButton = false;
  std::optional<bool> clearMenu; // empty: keeps its state
  std::optional<bool> deleteMenu;
  std::optional<bool> clipboardMenus;
};

TMainCommandStates MainCommandStates(const TMainCommandInputs& in);

} // namespace zorbe
