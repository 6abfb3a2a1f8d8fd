// The replacement pass of a sort job, end to end: rules applied in order to the whole text,
// lines joined and split, the dictionaries as the setting names them, an invalid rule reported
// with its line number, unreadable files, and stops before and during the pass.

#include "engine/job_test_support.h"
#include "regex/regexp_error.h"
#include "regex/replacement_rules.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <utility>

namespace zorbe {
namespace {

using test::Sjis;
using test::TTempFolder;

std::string Text(const std::vector<std::string>& lines) {
  return test::Lines(lines);
}

class ReplacementPassTest : public testing::Test {
protected:
  TJobResult Run(const std::string& input) {
    inputs = {setting, {folder.Write("in.txt", input)}, {ccShiftJis}, out};
    return RunSortJob(inputs, host, control);
  }
  // Runs the job over the lines in input order and returns the output lines.
  std::string Replace(const std::vector<std::string>& lines) {
    std::filesystem::remove(out);
    const TJobResult result = Run(Text(lines));
    EXPECT_EQ(result.outcome, TJobOutcome::Finished) << result.message;
    return test::ReadBytes(out);
  }
  void Rules(const std::vector<std::string>& rules) {
    setting.Replacement = folder.Write("rules.txt", Text(rules));
  }

  TTempFolder folder;
  std::string out = folder.File("out.txt");
  TSettingOptionItems setting = [] {
    TSettingOptionItems s = SettingDefaults();
    s.SortDirection = 2; // keep the input order, so the output shows the text as replaced
    return s;
  }();
  TSortJobInputs inputs;
  TJobControl control;
  test::TRecordingHost host{control, true};
};

TEST_F(ReplacementPassTest, RulesApplyInFileOrderToTheWholeText) {
  const struct {
    std::vector<std::string> rules;
    std::vector<std::string> lines;
    std::vector<std::string> expected;
  } cases[] = {
      {{"abc,xyz"}, {"abc", "xabcx"}, {"xyz", "xxyzx"}},
      {{"a,b", "b,c"}, {"ab"}, {"cc"}},
      {{"abc"}, {"abc"}, {"abc"}},           // one field: skipped
      {{"", "abc,", "  "}, {"abcd"}, {"d"}}, // a second field that is empty deletes
      {{"\" \",_"}, {"a b"}, {"a_b"}},       // a blank pattern has to be quoted
      {{"\"a,b\" \"[&]\" ignored"}, {"a,b"}, {"[a,b]"}},
      {{"\"b\\r\\nc\",+"}, {"a", "b", "c", "d"}, {"a", "+", "d"}},
      {{"\\r\\n,;"}, {"a", "b"}, {"a;b;"}},             // joins every line, the last one too
      {{";,\\r\\n"}, {"a;b"}, {"a", "b"}},              // splits a line
      {{"x,\\r", "y,\\n"}, {"1x2y3"}, {"1", "2", "3"}}, // lone CR and LF end lines too
      // The text ends with CR LF, so an empty line follows it for ^$.
      {{"^$,-"}, {"a", "", "b"}, {"a", "-", "b", "-"}},
      {{"[0-9]+,#", "#,&&"}, {"a12b3"}, {"a##b##"}},
      {{"が,ka"}, {"がガ"}, {"kaガ"}},
  };
  for (const auto& c : cases) {
    Rules(c.rules);
    EXPECT_EQ(Replace(c.lines), Text(c.expected)) << c.rules.front();
  }
  EXPECT_EQ(host.statuses.front(), kStatusReading);
  EXPECT_EQ(host.statuses[1], kStatusReplacing);
  EXPECT_EQ(host.statuses[2], kStatusLinePass);
}

TEST_F(ReplacementPassTest, JoinedLinesAreSortedAsOne) {
  setting.SortDirection = 0;
  Rules({"\"b\\r\\n\",b"});
  EXPECT_EQ(Replace({"c", "b", "a", "z"}), Text({"ba", "c", "z"}));
}

TEST_F(ReplacementPassTest, JisFilesAreReplacedAfterTheirConversion) {
  Rules({"あ,い"});
  inputs = {setting,
            {folder.Write("in.txt", test::Recode(Text({"あう"}), "CP932", "EUC-JP"))},
            {ccEuc},
            out};
  ASSERT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Finished);
  EXPECT_EQ(test::ReadBytes(out), Text({"いう"}));
}

TEST_F(ReplacementPassTest, InvalidRuleReportsItsLineAndWritesNothing) {
  folder.Write("out.txt", "earlier");
  setting.Replacement = folder.Write("rules.txt", "a,b\r\n\r\n(x,y\r\nz,w\r\n");
  const TJobResult result = Run(Text({"a"}));
  EXPECT_EQ(result.outcome, TJobOutcome::Failed);
  EXPECT_EQ(result.message, ""); // already shown through the host
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].first, 3);
  EXPECT_EQ(host.errors[0].second, re_message::kNeedRightParen);
  EXPECT_EQ(test::ReadBytes(out), "earlier");
  EXPECT_EQ(host.statuses.back(), kStatusReplacing);
}

TEST_F(ReplacementPassTest, InvalidReplacementAndDictionaryErrorsAreReportedToo) {
  const struct {
    std::string rules;
    int line;
    std::string message;
  } cases[] = {
      {"a,\"b\\\"", 1, re_message::kBackslashAtEnd},
      {"\r\nq,r\r\n[a,b", 3, re_message::kNeedRightBracket},
      {"a**,b", 1, re_message::kNeedPrimary},
  };
  setting.BaseFuzzyCharDicUses = true; // scanner errors then come from the dictionary pass
  for (const auto& c : cases) {
    host.errors.clear();
    setting.Replacement = folder.Write("rules.txt", c.rules);
    EXPECT_EQ(Run(Text({"a"})).outcome, TJobOutcome::Failed) << c.rules;
    ASSERT_EQ(host.errors.size(), 1u) << c.rules;
    EXPECT_EQ(host.errors[0], std::make_pair(c.line, c.message)) << c.rules;
  }
}

TEST_F(ReplacementPassTest, DictionariesWithoutReplacementFileChangeNothing) {
  setting.SynonymDic = folder.Write("syn.txt", Text({"a,b"}));
  setting.FuzzyCharDic = folder.Write("fuzzy.txt", Text({"c,d"}));
  setting.BaseFuzzyCharDicUses = true;
  setting.Replacement = folder.File("missing.txt");
  EXPECT_EQ(Replace({"ａ", "b", "d"}), Text({"ａ", "b", "d"}));
  EXPECT_EQ(std::count(host.statuses.begin(), host.statuses.end(), kStatusReplacing), 0);
}

TEST_F(ReplacementPassTest, SynonymDictionaryOnlyWhenItsFileExists) {
  Rules({"cat,pet"});
  setting.SynonymDic = folder.Write("syn.txt", Text({"dog,cat", "", "pet,animal"}));
  EXPECT_EQ(Replace({"cat", "dog", "animal"}), Text({"pet", "pet", "animal"}));
  setting.SynonymDic = folder.File("none.txt");
  EXPECT_EQ(Replace({"cat", "dog"}), Text({"pet", "dog"}));
}

TEST_F(ReplacementPassTest, UserLookAlikeGroupsComeAfterTheBasicOnesAndNeedTheSwitch) {
  Rules({"a,1", "漢,2"});
  setting.FuzzyCharDic = folder.Write("fuzzy.txt", Text({"a,@", "漢,字"}));
  EXPECT_EQ(Replace({"aＡ@", "漢字"}), Text({"1Ａ@", "2字"})); // switch off: no dictionary
  setting.BaseFuzzyCharDicUses = true;
  EXPECT_EQ(Replace({"aＡ@", "漢字"}), Text({"11@", "22"})); // the basic row for a wins
}

TEST_F(ReplacementPassTest, UnreadableFilesEndTheJobWithTheirName) {
  // Reading this file always fails, even for the superuser.
  const std::string unreadable = "/proc/self/mem";
  for (const int which : {0, 1, 2}) {
    folder.Write("out.txt", "earlier");
    Rules({"a,b"});
    setting.SynonymDic = which == 1 ? unreadable : "";
    setting.FuzzyCharDic = which == 2 ? unreadable : "";
    if (which == 0) {
      setting.Replacement = unreadable;
    }
    const TJobResult result = Run(Text({"a"}));
    EXPECT_EQ(result.outcome, TJobOutcome::Failed) << which;
    EXPECT_NE(result.message.find(unreadable), std::string::npos) << result.message;
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(test::ReadBytes(out), "earlier");
  }
}

TEST_F(ReplacementPassTest, StopBeforeTheFirstRuleWritesNothing) {
  Rules({"a,b"});
  folder.Write("out.txt", "earlier");
  host.stopAt = kStatusReplacing;
  EXPECT_EQ(Run(Text({"a"})).outcome, TJobOutcome::Stopped);
  EXPECT_EQ(test::ReadBytes(out), "earlier");
  EXPECT_EQ(host.statuses.back(), kStatusReplacing);
}

// Stop is pressed as the job's progress shows the first rule applied, on the job's own thread,
// so it always lands between two rules: the job stops there, before the next rule and the line
// pass, and writes nothing.
TEST_F(ReplacementPassTest, StopWhileRulesRunWritesNothing) {
  Rules({"a,b", "", "b,c", "c,d"});
  folder.Write("out.txt", "earlier");
  control.Progress().SetListener([this](const TProgressSnapshot& now) {
    // Compared as texts: a build may hold one status text at several addresses.
    if (now.phase != nullptr && std::string_view(now.phase) == kStatusReplacing && now.done == 1) {
      control.RequestStop();
    }
  });
  EXPECT_EQ(Run(Text({"a"})).outcome, TJobOutcome::Stopped);
  EXPECT_EQ(control.Progress().Snapshot().done, 1u);
  EXPECT_EQ(host.statuses.back(), kStatusReplacing);
  EXPECT_EQ(test::ReadBytes(out), "earlier");
}

// Stop during the rules over a large text ends the job and leaves the earlier output. Stop is
// pressed as the rules start, so no timing is involved; that the search itself reads the cancel
// flag is shown on the engine (CancelStopsALongSearchThatFindsNothing).
TEST_F(ReplacementPassTest, StopDuringTheRulesOfALargeTextWritesNothing) {
  Rules({"(.|\\r|\\n)*END,x"});
  folder.Write("out.txt", "earlier");
  host.stopAt = kStatusReplacing;
  inputs = {
      setting, {folder.Write("in.txt", Text({std::string(2'000'000, 'a')}))}, {ccShiftJis}, out};
  EXPECT_EQ(RunSortJob(inputs, host, control).outcome, TJobOutcome::Stopped);
  EXPECT_EQ(test::ReadBytes(out), "earlier");
}

TEST(JobControlTest, StopIsTheFlagTheRulesRead) {
  TJobControl control;
  TReplacementRules rules({"a,b"}, {});
  EXPECT_EQ(rules.ApplyAll("banana", control.StopFlag()), "bbnbnb");
  control.RequestStop();
  EXPECT_THROW(rules.ApplyAll("banana", control.StopFlag()), EGrepCancel);
}

} // namespace
} // namespace zorbe
