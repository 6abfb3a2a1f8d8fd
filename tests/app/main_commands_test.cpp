#include "app/main_commands.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

struct TCommandCase {
  const char* name;
  TMainCommandInputs in;
  bool start, stop, clear, del;
  std::optional<bool> clipboard;
  bool output, outputFace, list;
};

TEST(MainCommandStates, FollowTheTable) {
  TMainCommandInputs idleEmpty;
  TMainCommandInputs idleRows;
  idleRows.rowCount = 3;
  TMainCommandInputs selected = idleRows;
  selected.selectedCount = 1;
  TMainCommandInputs busy = selected;
  busy.idle = false;
  busy.clipboardHasText = true;
  TMainCommandInputs clipboard = idleEmpty;
  clipboard.clipboardHasText = true;
  TMainCommandInputs perFile = idleRows;
  perFile.noConnected = true;
  TMainCommandInputs fixed = idleRows;
  fixed.fixedOutput = true;
  TMainCommandInputs soonIdle = selected;
  soonIdle.sortedSoon = true;
  TMainCommandInputs soonBusy = soonIdle;
  soonBusy.idle = false;
  soonBusy.rowCount = 0;

  const TCommandCase cases[] = {
      // name, in, start, stop, clear, del, clipboard, output, outputFace, list
      {"idle, empty", idleEmpty, false, false, false, false, false, true, false, true},
      {"idle, rows", idleRows, true, false, true, false, false, true, false, true},
      {"idle, a row selected", selected, true, false, true, true, false, true, false, true},
      {"busy", busy, false, true, true, true, false, true, false, true},
      {"clipboard text", clipboard, false, false, false, false, true, true, false, true},
      {"per-file setting", perFile, true, false, true, false, false, false, true, true},
      {"fixed output", fixed, true, false, true, false, false, false, true, true},
      {"immediate, idle", soonIdle, false, false, false, false, std::nullopt, false, true, false},
      {"immediate, busy", soonBusy, false, true, false, false, std::nullopt, false, true, false},
  };
  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TMainCommandStates out = MainCommandStates(c.in);
    EXPECT_EQ(out.startButton, c.start);
    EXPECT_EQ(out.stopButton, c.stop);
    EXPECT_EQ(out.clearButton, c.clear);
    EXPECT_EQ(out.deleteButton, c.del);
    EXPECT_EQ(out.clipboardMenus, c.clipboard);
    EXPECT_EQ(out.output, c.output);
    EXPECT_EQ(out.outputButtonFace, c.outputFace);
    EXPECT_EQ(out.list, c.list);
    EXPECT_EQ(out.listButtonFace, !c.list);
    if (c.in.sortedSoon) {
      // Immediate sort leaves the clear and delete menu items as they were.
      EXPECT_FALSE(out.clearMenu.has_value());
      EXPECT_FALSE(out.deleteMenu.has_value());
    } else {
      EXPECT_EQ(out.clearMenu, c.clear);
      EXPECT_EQ(out.deleteMenu, c.del);
    }
  }
}

TEST(MainCommandStates, SortOptionAndEditorFollowTheSetting) {
  TMainCommandInputs in;
  EXPECT_TRUE(MainCommandStates(in).sortOption);
  EXPECT_TRUE(MainCommandStates(in).editorOpen);
  in.temporarySettingShown = true;
  in.noConnected = true;
  in.sortedSoon = true;
  EXPECT_FALSE(MainCommandStates(in).sortOption);
  EXPECT_FALSE(MainCommandStates(in).editorOpen);
}

} // namespace
} // namespace zorbe
