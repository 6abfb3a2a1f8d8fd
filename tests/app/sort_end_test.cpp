#include "app/sort_end.h"

#include "app/message_routine.h"
#include "scripted_message_box.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

// Records what the end handling asks of the window and of the desktop, in one sequence.
class TRecorder : public ISortEndView, public IShell {
public:
  void SetIdle() override { steps.push_back("idle"); }
  void SetCaption(const std::string& caption) override { steps.push_back("caption " + caption); }
  void Flash(int seconds) override { steps.push_back("flash " + std::to_string(seconds)); }
  void ClearList() override { steps.push_back("clear"); }
  void PlaySound(const std::string& file) override { steps.push_back("sound " + file); }
  void Beep() override { steps.push_back("beep"); }
  void OpenInEditor(const std::string& editor, const std::string& file) override {
    steps.push_back("editor " + editor + " " + file);
  }
  std::vector<std::string> steps;
};

TSortEndInputs Everything() {
  TSortEndInputs in;
  in.waveFileName = "/s/end.wav";
  in.flash = true;
  in.flashSec = 3;
  in.openInEditor = true;
  in.editorPath = "mousepad";
  in.clearList = true;
  in.outputName = "/o/a[0].txt";
  return in;
}

using Steps = std::vector<std::string>;

TEST(SortEnd, StepsInOrderForEachKindOfEnd) {
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  TSortEndInputs finished = Everything();
  TSortEndInputs quiet;
  TSortEndInputs commandLine = Everything();
  commandLine.commandLineMode = true;
  commandLine.waveFileName.clear();
  TSortEndInputs cancelled = Everything();
  cancelled.cancelled = true;
  TSortEndInputs perFile = Everything();
  perFile.jobNoConnected = true;
  perFile.flashSec = 99;
  TSortEndInputs forcedStop = Everything();
  forcedStop.outcome = TJobOutcome::Stopped;
  TSortEndInputs failed = Everything();
  failed.outcome = TJobOutcome::Failed;
  failed.failure = "ファイル「x」は開けませんでした。";
  TSortEndInputs badRule = failed; // its message was shown when the rule was read
  badRule.failure.clear();

  const struct {
    const char* name;
    TSortEndInputs in;
    Steps steps;
  } cases[] = {
      {"finished",
       finished,
       {"idle", "caption Zorbe 2nd - 終了", "sound /s/end.wav", "flash 3",
        "editor mousepad /o/a[0].txt", "clear", "caption Zorbe 2nd "}},
      {"nothing configured",
       quiet,
       {"idle", "caption Zorbe 2nd - 終了", "beep", "caption Zorbe 2nd "}},
      {"command line: no beep, no flashing",
       commandLine,
       {"idle", "caption Zorbe 2nd - 終了", "editor mousepad /o/a[0].txt", "clear",
        "caption Zorbe 2nd "}},
      {"stopped by the user",
       cancelled,
       {"idle", "caption Zorbe 2nd - 終了", "clear", "caption Zorbe 2nd "}},
      {"per file: no editor; flashing bounded",
       perFile,
       {"idle", "caption Zorbe 2nd - 終了", "sound /s/end.wav", "flash 30", "clear",
        "caption Zorbe 2nd "}},
      {"stopped by closing: announced, nothing to open",
       forcedStop,
       {"idle", "caption Zorbe 2nd - 終了", "sound /s/end.wav", "flash 3", "clear",
        "caption Zorbe 2nd "}},
      {"failed: the error instead",
       failed,
       {"idle", "caption Zorbe 2nd - 終了", "clear", "caption Zorbe 2nd "}},
      {"invalid replacement rule: no second message",
       badRule,
       {"idle", "caption Zorbe 2nd - 終了", "clear", "caption Zorbe 2nd "}},
  };
  for (const auto& c : cases) {
    TRecorder recorder;
    HandleSortEnd(c.in, recorder, recorder);
    EXPECT_EQ(recorder.steps, c.steps) << c.name;
  }
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, failed.failure);
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Error);
  SetMessageBox(nullptr);
}

// A finished job's warning (characters replaced by 〓) is shown after the sort, once.
TEST(SortEnd, AWarningIsShownAfterAFinishedSort) {
  test::TScriptedMessageBox messages;
  SetMessageBox(&messages);
  TSortEndInputs in = Everything();
  in.warning = "2 文字を「〓」に置き換えました。";
  TRecorder recorder;
  HandleSortEnd(in, recorder, recorder);
  in.outcome = TJobOutcome::Stopped;
  HandleSortEnd(in, recorder, recorder);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, in.warning);
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Warning);
  SetMessageBox(nullptr);
}

// A clock that moves one tick per reading; `ticksPerSecond` readings make a second.
struct TFakeClock {
  std::int64_t start;
  int ticksPerSecond;
  int reads = 0;
  std::int64_t operator()() { return start + (reads++) / ticksPerSecond; }
};

TEST(Flashing, LastsBetweenTheSecondsAndOneMore) {
  struct Case {
    int seconds;
    std::int64_t start;
  };
  for (const Case c : {Case{0, 100}, Case{1, 59}, Case{3, 58}, Case{30, 3599}}) {
    TFakeClock clock{c.start, 10};
    std::vector<std::uint32_t> colours;
    const int changes = RunFlashing(c.seconds, std::ref(clock),
                                    [&](std::uint32_t colour) { colours.push_back(colour); });
    EXPECT_EQ(changes, static_cast<int>(colours.size()));
    // The loop ends at the first reading more than `seconds` whole seconds after the start.
    EXPECT_EQ(clock.reads, (c.seconds + 1) * 10 + 1) << c.seconds;
    for (const std::uint32_t colour : colours) {
      EXPECT_LE(colour, 16777214u);
    }
  }
}

TEST(Flashing, ColoursVary) {
  TFakeClock clock{0, 200};
  std::vector<std::uint32_t> colours;
  RunFlashing(0, std::ref(clock), [&](std::uint32_t colour) { colours.push_back(colour); });
  std::sort(colours.begin(), colours.end());
  EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 100);
}

} // namespace
} // namespace zorbe
