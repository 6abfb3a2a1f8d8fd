#include "app/setting_form_rules.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(SettingEnabling, FollowsSortMethodPositionCsvAndOutput) {
  struct Case {
    const char* name;
    TSettingControlState state;
    TSettingEnabling expected;
  };
  const Case cases[] = {
      // state: sortDirection, charTypeOrder, charPos, charPosCount, csvSupport, noConnected
      // expected: charTypeOrder, classList, charPos, charPosCount, lineEndCount, csvFields,
      //           pun, outputFilename
      {"defaults",
       {0, true, false, 0, false, false},
       {true, true, true, false, false, false, true, true}},
      {"class order off",
       {1, false, false, 0, false, false},
       {true, false, true, false, false, false, true, true}},
      {"no ordering",
       {2, true, true, 3, false, false},
       {false, false, false, false, false, false, true, true}},
      {"position 0",
       {0, true, true, 0, false, false},
       {true, true, true, true, false, false, true, true}},
      {"position 3",
       {0, true, true, 3, false, false},
       {true, true, true, true, true, false, true, true}},
      {"csv",
       {0, true, false, 0, true, false},
       {true, true, true, false, false, true, false, true}},
      {"csv without ordering",
       {2, true, false, 0, true, false},
       {false, false, false, false, false, true, false, true}},
      {"per file",
       {0, true, false, 0, false, true},
       {true, true, true, false, false, false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TSettingEnabling on = SettingEnabling(c.state);
    EXPECT_EQ(on.charTypeOrder, c.expected.charTypeOrder);
    EXPECT_EQ(on.classList, c.expected.classList);
    EXPECT_EQ(on.charPos, c.expected.charPos);
    EXPECT_EQ(on.charPosCount, c.expected.charPosCount);
    EXPECT_EQ(on.lineEndCount, c.expected.lineEndCount);
    EXPECT_EQ(on.csvFields, c.expected.csvFields);
    EXPECT_EQ(on.pun, c.expected.pun);
    EXPECT_EQ(on.outputFilename, c.expected.outputFilename);
  }
}

TEST(KeyChecksOnLoad, BothKeysShowOnlyThePositionUnlessLinesAreNotOrdered) {
  TSettingOptionItems s = SettingDefaults();
  s.CsvSupport = true;
  s.CharPos = true;
  EXPECT_FALSE(KeyChecksOnLoad(s).csvSupport);
  EXPECT_TRUE(KeyChecksOnLoad(s).charPos);
  s.SortDirection = 2;
  EXPECT_TRUE(KeyChecksOnLoad(s).csvSupport);
  EXPECT_TRUE(KeyChecksOnLoad(s).charPos);
  s.SortDirection = 1;
  s.CharPos = false;
  EXPECT_TRUE(KeyChecksOnLoad(s).csvSupport);
}

TEST(OrderOfRow, SplitsAtEverySemicolonAndJoinsBack) {
  const std::string texts[] = {kDefaultOrderOfRow, "", "a", "a;;b", "a;b;", ";"};
  const std::size_t counts[] = {11, 0, 1, 3, 3, 2};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    const std::vector<std::string> entries = SplitOrderOfRow(texts[i]);
    EXPECT_EQ(entries.size(), counts[i]) << texts[i];
    EXPECT_EQ(JoinOrderOfRow(entries), texts[i]);
  }
}

TEST(ClassReordering, MovesWithinTheListOnly) {
  std::vector<std::string> entries{"a", "b", "c"};
  EXPECT_EQ(MoveClassEntry(entries, 1, -1), 0);
  EXPECT_EQ(entries, (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(MoveClassEntry(entries, 0, -1), 0);
  EXPECT_EQ(MoveClassEntry(entries, 0, +1), 1);
  EXPECT_EQ(MoveClassEntry(entries, 1, +1), 2);
  EXPECT_EQ(entries, (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(MoveClassEntry(entries, 2, +1), 2);
  EXPECT_EQ(MoveClassEntry(entries, -1, +1), -1);
  EXPECT_EQ(entries, (std::vector<std::string>{"a", "c", "b"}));
}

TEST(ClassReordering, ButtonsNeedFocusAndASelectionAwayFromTheEnd) {
  const struct {
    bool focus;
    int selected;
    int count;
    bool up, down;
  } cases[] = {
      {false, 3, 11, false, false}, {true, -1, 11, false, false}, {true, 0, 11, false, true},
      {true, 5, 11, true, true},    {true, 10, 11, true, false},  {true, 0, 1, false, false},
      {true, 0, 0, false, false},
  };
  for (const auto& c : cases) {
    const TReorderButtons buttons = ReorderButtons(c.focus, c.selected, c.count);
    EXPECT_EQ(buttons.up, c.up) << c.selected;
    EXPECT_EQ(buttons.down, c.down) << c.selected;
  }
}

} // namespace
} // namespace zorbe
