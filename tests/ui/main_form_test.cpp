#include "ui/main_form.h"

#include "app/output_field.h"
#include "engine/output_name.h"
#include "ui/file_name_edit.h"
#include "ui/setting_form.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zorbe {
namespace {

using test::Find;
using test::Q;
using test::Sjis;

class MainFormTest : public test::UiTest {
protected:
  std::unique_ptr<TMainForm> MakeForm() {
    auto form = std::make_unique<TMainForm>(settings, shell);
    form->show();
    form->ApplyStartSetting();
    return form;
  }
  QAction* Action(TMainForm& form, const char* name) { return Find<QAction>(&form, name); }
  QPushButton* ButtonOf(TMainForm& form, const char* name) {
    return Find<QPushButton>(&form, name);
  }
  QString Output(TMainForm& form) { return Find<TFileNameEdit>(&form, "FNE")->text(); }
  QString Count(TMainForm& form) { return Find<QLabel>(&form, "StatusPanel1")->text(); }
  // A target file that is a named pipe: the job waits in its read until the test writes.
  std::string PipeInPlaceOf(const std::string& file) {
    std::filesystem::remove(file);
    EXPECT_EQ(::mkfifo(file.c_str(), 0600), 0);
    return file;
  }
  static void FeedPipe(const std::string& fifo, const std::string& bytes) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
  }
};

TEST_F(MainFormTest, AddingAFolderListsItsTextFilesAndRefusesTheOthersOneByOne) {
  const std::string a = folder.Write("tree/a.txt", Sjis("あ\r\n"));
  const std::string b = folder.Write("tree/sub/b.txt", "\xa4\xa2\xf0\xa1\r\n");
  const std::string binary = folder.Write("tree/sub/bin.dat", std::string("\0\1\2abc", 6));
  const std::string bom = folder.Write("tree/bom.txt", "\xef\xbb\xbf"
                                                       "abc");
  const std::string undecided =
      folder.Write("tree/sub/deep/undecided.txt", "\xb1\xb2\xb3\xb4\xa4\xa2\xb5\xb6\xb7\xb8\r\n");
  auto form = MakeForm();
  form->AddFiles({folder.File("tree")});

  std::vector<TTargetRow> rows = form->Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Output(*form), Q(QuotedName(DefaultOutputName(rows[0].file, "", "", false))));
  std::sort(rows.begin(), rows.end(), [](auto& x, auto& y) { return x.file < y.file; });
  EXPECT_EQ(rows[0].file, a);
  EXPECT_EQ(rows[0].code, ccShiftJis);
  EXPECT_EQ(rows[1].file, bom);
  EXPECT_EQ(rows[1].code, ccUtf8);
  EXPECT_EQ(rows[2].file, b);
  EXPECT_EQ(rows[2].code, ccEuc);
  std::vector<std::string> texts = messages.Texts();
  std::vector<std::string> expected{"「" + binary + "」はテキストファイルではありません。",
                                    "「" + undecided + "」はEUCかShift-JISか判定できません。"};
  std::sort(texts.begin(), texts.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(Count(*form), QStringLiteral("3 個"));
  EXPECT_FALSE(Find<QWidget>(form.get(), "CodeTypePanel")->isVisible());
  EXPECT_TRUE(form->statusBar()->currentMessage().isEmpty());

  // The same files again are listed again; the output field keeps its name.
  const QString output = Output(*form);
  form->AddFiles({a});
  EXPECT_EQ(form->Rows().size(), 4u);
  EXPECT_EQ(Output(*form), output);
  EXPECT_EQ(Count(*form), QStringLiteral("4 個"));
}

TEST_F(MainFormTest, DropsTakeLocalFilesAndRefuseOtherLinksByName) {
  const std::string a = folder.Write("drop/a b.txt", "b\r\na\r\n");
  auto form = MakeForm();
  QWidget* target = Find<QTableWidget>(form.get(), "FileNameListView")->viewport();

  QMimeData text;
  text.setText(QStringLiteral("just text"));
  QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &refused);
  EXPECT_FALSE(refused.isAccepted());

  QMimeData uris;
  uris.setUrls({QUrl::fromLocalFile(Q(a)), QUrl(QStringLiteral("sftp://host/x.txt"))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_TRUE(test::WaitFor([&] { return form->Rows().size() == 1; }));
  EXPECT_EQ(form->Rows()[0].file, a);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0].rfind(
                "「sftp://host/x.txt」はこのコンピュータ上のファイルではありません。", 0),
            0u);
}

TEST_F(MainFormTest, ImmediateSortStartsOnAddingAndClearsTheListAtTheEnd) {
  const std::string a = folder.Write("a.txt", "b\r\na\r\n");
  auto form = MakeForm();
  form->AddFiles({a});
  Action(*form, "mmSortedSoon")->trigger(); // checking it also empties the list
  EXPECT_TRUE(form->Rows().empty());
  EXPECT_EQ(Count(*form), QStringLiteral("0 個"));
  form->UpdateCommands();
  EXPECT_FALSE(Find<QTableWidget>(form.get(), "FileNameListView")->isEnabled());
  EXPECT_FALSE(ButtonOf(*form, "bnStart")->isEnabled());

  form->AddFiles({a});
  EXPECT_FALSE(form->Idle());
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "a\r\nb\r\n");
  EXPECT_TRUE(form->Rows().empty());
  EXPECT_TRUE(Output(*form).isEmpty());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Zorbe 2nd "));
  EXPECT_EQ(shell.beeps, 1);
}

// With MemoryLimit below what the text needs, the output is the sorted text; the caption, which
// follows the job's progress as the 100 ms timer reads it, names the sort's two phases on disk.
TEST_F(MainFormTest, CaptionNamesTheRunAndMergePhasesOfASortLargerThanItsMemory) {
  TOptions options;
  options.MemoryLimit = 1;
  settings.SaveOptions(options);
  std::string text;
  std::vector<std::string> lines;
  for (int i = 0; i < 150000; ++i) {
    lines.push_back(std::to_string(i * 7919 % 150001));
    text += lines.back() + "\r\n";
  }
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) {
    sorted += line + "\r\n";
  }
  const std::string a = folder.Write("a.txt", text);
  auto form = MakeForm();
  form->AddFiles({a});
  form->Start();
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_TRUE(test::ReadBytes(folder.File("a[0].txt")) == sorted);
  for (const char* phase : {kStatusSortingRuns, kStatusMerging}) {
    form->ShowProgress(TProgressSnapshot{phase, 1, 4, 1000, 2});
    EXPECT_EQ(form->windowTitle(), Q(std::string("Zorbe 2nd - ") + phase)) << phase;
  }
}

// The save dialog's choice goes into the output field in double quotes: unquoted, a name with a
// blank was read as its first word, and the sort wrote to (and asked to overwrite) that file.
TEST_F(MainFormTest, SaveDialogChoiceIsQuotedAndTheSortWritesToIt) {
  const std::string firstWord = folder.Write("new", "not the output");
  const std::string chosen = folder.File("new out.txt");
  auto form = MakeForm();
  form->AddFiles({folder.Write("a.txt", "b\r\na\r\n")});
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      answer.stop();
      // Typed into the name field: selectFile leaves the field alone once it has the focus.
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(Q(folder.File("new out")));
      static_cast<QDialog*>(dialog)->accept(); // the file dialog adds the default extension
    }
  });
  answer.start(10);
  Find<TFileNameEdit>(form.get(), "FNE")->findChild<QToolButton*>()->click();
  EXPECT_EQ(Output(*form), Q("\"" + chosen + "\""));
  form->Start();
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_TRUE(messages.Texts().empty()); // no question about "new"
  EXPECT_EQ(test::ReadBytes(chosen), "a\r\nb\r\n");
  EXPECT_EQ(test::ReadBytes(firstWord), "not the output");
}

// A launcher started without files opens the main window with its setting chosen.
TEST_F(MainFormTest, StartSettingGivenByALauncherIsChosen) {
  TSettingOptionItems reverse = SettingDefaults();
  reverse.SortDirection = 1;
  settings.SaveSortSetting("my words", reverse);
  settings.SaveSortSetting("other", SettingDefaults());
  TOptions options;
  options.DefaultSettingName = "other";
  settings.SaveOptions(options);
  TMainForm form(settings, shell);
  form.show();
  form.ApplyStartSetting("my words");
  EXPECT_EQ(Find<QComboBox>(&form, "cbSettingName")->currentText(), QStringLiteral("my words"));
  EXPECT_EQ(form.CurrentSetting().SortDirection, 1);
}

TEST_F(MainFormTest, StartRefusesWhileBusyAndStopCancelsWithoutAnnouncement) {
  folder.Write("a.txt", "x\r\n");
  auto form = MakeForm();
  form->AddFiles({folder.File("a.txt")});
  const std::string pipe = PipeInPlaceOf(folder.File("a.txt"));
  form->Start();
  ASSERT_FALSE(form->Idle());
  EXPECT_TRUE(test::WaitFor(
      [&] { return form->windowTitle() == QStringLiteral("Zorbe 2nd - ファイル読込中"); }));
  form->UpdateCommands();
  EXPECT_TRUE(ButtonOf(*form, "bnStop")->isEnabled());
  EXPECT_FALSE(ButtonOf(*form, "bnStart")->isEnabled());

  form->Start();
  form->Stop(); // answered No
  EXPECT_FALSE(form->Idle());
  messages.SetNextAnswer(TMsgResult::Yes);
  form->Stop();
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"ソート中です。\r\nソート処理終了迄お待ち下さい。",
                                      "ソートを中止しますか？", "ソートを中止しますか？",
                                      "ソートを中止しました。"}));
  FeedPipe(pipe, "b\r\na\r\n");
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_FALSE(std::filesystem::exists(folder.File("a[0].txt")));
  EXPECT_EQ(shell.beeps, 0);
  EXPECT_TRUE(shell.sounds.empty());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Zorbe 2nd "));
  EXPECT_EQ(form->Rows().size(), 1u);

  messages.Clear();
  messages.SetNextAnswer(TMsgResult::Yes);
  form->Stop();
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"ソートを中止しますか？", "既にソートが終了しています。"}));
}

// The stop question holds the job: what the job reaches meanwhile (the overwrite question, its
// output put in place) waits for the answer, so the key meant for the stop never answers another
// question; a confirmed stop ends the job without asking and leaves an existing output alone.
TEST_F(MainFormTest, TheStopQuestionHoldsTheJobUntilItIsAnswered) {
  const struct {
    bool outputExists;
    TMsgResult stop;
    std::vector<std::string> texts;
    std::optional<std::string> output;
  } cases[] = {
      {true, TMsgResult::Yes, {kStopQuestion, kSortCancelledMessage}, "old"},
      {true, TMsgResult::No, {kStopQuestion, "overwrite"}, "a\r\nb\r\n"},
      {false, TMsgResult::Yes, {kStopQuestion, kSortCancelledMessage}, std::nullopt},
      {false, TMsgResult::No, {kStopQuestion}, "a\r\nb\r\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(folder.File("a.txt")); // the pipe of the case before
    const std::string a = folder.Write("a.txt", "x\r\n");
    const std::string out = folder.File("out.txt");
    std::filesystem::remove(out);
    if (c.outputExists) {
      folder.Write("out.txt", "old");
    }
    auto form = MakeForm();
    form->AddFiles({a});
    Find<TFileNameEdit>(form.get(), "FNE")->setText(Q(QuotedName(out)));
    const std::string pipe = PipeInPlaceOf(a);
    messages.Clear();
    messages.SetNextAnswer(TMsgResult::Yes); // for the overwrite question, once it may come
    std::thread feeder;
    bool heldAtAnswer = false;
    messages.SetHook([&](const std::string& text) -> std::optional<TMsgResult> {
      if (text != kStopQuestion) {
        return std::nullopt;
      }
      // The job runs on to what it must not do while the question is open.
      feeder = std::thread([&] { FeedPipe(pipe, "b\r\na\r\n"); });
      test::WaitFor(
          [&] { return form->RunningJob()->WaitingAtHold() || messages.Messages().size() > 1; });
      heldAtAnswer = form->RunningJob()->WaitingAtHold();
      return c.stop;
    });
    form->Start();
    form->Stop();
    ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
    feeder.join();
    messages.SetHook({});
    EXPECT_TRUE(heldAtAnswer);
    std::vector<std::string> texts = c.texts;
    std::replace(texts.begin(), texts.end(), std::string("overwrite"), OverwriteQuestion(out));
    EXPECT_EQ(messages.Texts(), texts);
    if (c.output) {
      EXPECT_EQ(test::ReadBytes(out), *c.output);
    } else {
      EXPECT_FALSE(std::filesystem::exists(out));
    }
  }
}

// The sort's progress as a bar in the status bar, beside the caption that names the phase:
// busy while the phase's amount of work is not known (reading a file that is still coming),
// filled as far as a phase has come, and hidden when no sort runs.
TEST_F(MainFormTest, StatusBarBarShowsTheProgressOfTheSort) {
  folder.Write("a.txt", "x\r\n");
  auto form = MakeForm();
  auto* bar = Find<QProgressBar>(form.get(), "ProgressBar");
  EXPECT_TRUE(bar->isHidden());
  form->AddFiles({folder.File("a.txt")});
  const std::string pipe = PipeInPlaceOf(folder.File("a.txt"));
  form->Start();
  ASSERT_TRUE(test::WaitFor(
      [&] { return form->windowTitle() == QStringLiteral("Zorbe 2nd - ファイル読込中"); }));
  form->UpdateCommands();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->maximum(), 0);

  form->ShowProgress(TProgressSnapshot{kStatusLinePass, 45, 100, 1000});
  EXPECT_EQ(bar->maximum(), 1000);
  EXPECT_EQ(bar->value(), 450);
  EXPECT_EQ(bar->text(), QStringLiteral("文字処理中  45%"));

  // A control's hint leaves the bar in place (the hint is the control's tooltip meanwhile).
  QStatusTipEvent hint(QStringLiteral("ソートを中止"));
  QApplication::sendEvent(ButtonOf(*form, "bnStop"), &hint);
  form->ShowProgress(TProgressSnapshot{kStatusLinePass, 50, 100, 1000});
  EXPECT_FALSE(bar->isHidden());
  EXPECT_TRUE(form->statusBar()->currentMessage().isEmpty());

  FeedPipe(pipe, "b\r\na\r\n");
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  form->UpdateCommands();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(test::ReadBytes(folder.File("a[0].txt")), "a\r\nb\r\n");
}

TEST_F(MainFormTest, ClosingDuringASortAsksThenWaitsForTheEndAndSavesTheOptions) {
  folder.Write("a.txt", "x\r\n");
  auto form = MakeForm();
  form->AddFiles({folder.File("a.txt")});
  Find<QComboBox>(form.get(), "cbSettingName")->setCurrentIndex(0);
  form->SettingNameChanged();
  const std::string pipe = PipeInPlaceOf(folder.File("a.txt"));
  form->Start();
  EXPECT_FALSE(form->close()); // answered No: the sort goes on
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->Idle());
  EXPECT_NE(form->TemporarySettingForm(), nullptr);

  // The input arrives once the second question is on the screen: the sort can't end before it.
  messages.SetNextAnswer(TMsgResult::Yes);
  std::thread feeder;
  messages.SetHook([&](const std::string&) -> std::optional<TMsgResult> {
    if (!feeder.joinable()) {
      feeder = std::thread([&] { FeedPipe(pipe, "b\r\na\r\n"); });
    }
    return std::nullopt;
  });
  EXPECT_TRUE(form->close());
  ASSERT_TRUE(feeder.joinable());
  feeder.join();
  EXPECT_TRUE(form->Idle());
  EXPECT_EQ(form->TemporarySettingForm(), nullptr);
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>(2, "ソート中です。\r\n強制終了しますか？")));
  // Closed without the cancelled mark: the end is announced as after a finished sort.
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_EQ(settings.LoadOptions(), form->CurrentOptions());
}

TEST_F(MainFormTest, ReleasingTheWindowDuringASortStopsTheSortFirst) {
  folder.Write("a.txt", "x\r\n");
  auto form = MakeForm();
  form->AddFiles({folder.File("a.txt")});
  const std::string pipe = PipeInPlaceOf(folder.File("a.txt"));
  form->Start();
  // The input arrives only once the release waits for the sort's end, after pressing Stop: no
  // event is handled before that wait, so the timer fires in it. (The feeder stops waiting after
  // a long time only so that a release that never waits fails instead of hanging.)
  std::promise<void> releaseWaits;
  std::future<void> waiting = releaseWaits.get_future();
  QObject timerOwner;
  QTimer::singleShot(0, &timerOwner, [&] { releaseWaits.set_value(); });
  std::thread feeder([&] {
    waiting.wait_for(std::chrono::seconds(30));
    FeedPipe(pipe, "b\r\na\r\n");
  });
  form.reset();
  feeder.join();
  EXPECT_EQ(waiting.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_FALSE(std::filesystem::exists(folder.File("a[0].txt")));
}

TEST_F(MainFormTest, StartRefusalsLeaveTheWindowIdle) {
  const std::string a = folder.Write("a.txt", "x\r\n");
  auto form = MakeForm();
  form->AddFiles({a});
  std::filesystem::remove(a);
  form->Start();
  EXPECT_TRUE(form->Idle());

  // "一時設定" chosen without its window (the change handling has not run).
  folder.Write("a.txt", "x\r\n");
  Find<QComboBox>(form.get(), "cbSettingName")->setCurrentIndex(0);
  form->Start();
  EXPECT_TRUE(form->Idle());
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"「" + a + "」は存在しません。\r\n処理を中止します。",
                                      "設定ウィンドウが不正です。\r\n処理を中止します。"}));
  EXPECT_EQ(form->Rows().size(), 1u);
}

TEST_F(MainFormTest, TemporarySettingWindowOpensBesideFollowsAndFeedsTheSort) {
  settings.SaveSortSetting("other", SettingDefaults());
  const std::string a = folder.Write("a.txt", "a\r\nb\r\n");
  auto form = MakeForm();
  form->move(50, 60);
  form->AddFiles({a});
  auto* box = Find<QComboBox>(form.get(), "cbSettingName");
  ASSERT_EQ(box->itemText(0), QStringLiteral("一時設定"));
  box->setCurrentIndex(0);
  form->SettingNameChanged();
  TSettingForm* side = form->TemporarySettingForm();
  ASSERT_NE(side, nullptr);
  EXPECT_TRUE(side->isVisible());
  EXPECT_EQ(side->windowTitle(), QStringLiteral("一時設定"));
  EXPECT_EQ(side->pos(), form->frameGeometry().topRight() + QPoint(1, 0));
  form->move(150, 80);
  EXPECT_EQ(side->pos(), form->frameGeometry().topRight() + QPoint(1, 0));
  form->UpdateCommands();
  EXPECT_FALSE(ButtonOf(*form, "btnSortOption")->isEnabled());

  // Its fixed output name reaches the main window at once; its sort method reaches the job.
  Find<QLineEdit>(side, "eOutputFilename")->setText(QStringLiteral("fixed.txt"));
  EXPECT_EQ(Output(*form), Q(QuotedName(folder.File("fixed.txt"))));
  Find<QRadioButton>(side, "SortGroupItem1")->setChecked(true);
  form->Start();
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_EQ(test::ReadBytes(folder.File("fixed.txt")), "b\r\na\r\n");

  box->setCurrentIndex(1);
  form->SettingNameChanged();
  EXPECT_EQ(form->TemporarySettingForm(), nullptr);
  EXPECT_EQ(Output(*form), Q(QuotedName(folder.File("a[0].txt"))));
}

TEST_F(MainFormTest, CommandsFollowTheListTheSelectionAndTheSetting) {
  TSettingOptionItems perFile = SettingDefaults();
  perFile.NoConnected = true;
  settings.SaveSortSetting("per file", perFile);
  auto form = MakeForm();
  auto* list = Find<QTableWidget>(form.get(), "FileNameListView");
  auto* output = Find<TFileNameEdit>(form.get(), "FNE");
  form->UpdateCommands();
  EXPECT_FALSE(ButtonOf(*form, "bnStart")->isEnabled());
  EXPECT_FALSE(ButtonOf(*form, "bnClear")->isEnabled());
  EXPECT_FALSE(Action(*form, "mmClear")->isEnabled());

  form->AddFiles({folder.Write("a.txt", "a"), folder.Write("b.txt", "b")});
  form->UpdateCommands();
  EXPECT_TRUE(ButtonOf(*form, "bnStart")->isEnabled());
  EXPECT_TRUE(ButtonOf(*form, "bnClear")->isEnabled());
  EXPECT_FALSE(ButtonOf(*form, "bnDel")->isEnabled());
  list->selectRow(1);
  form->UpdateCommands();
  EXPECT_TRUE(ButtonOf(*form, "bnDel")->isEnabled());
  EXPECT_TRUE(Action(*form, "mmDelete")->isEnabled());
  form->DeleteSelected();
  EXPECT_EQ(form->Rows().size(), 1u);
  EXPECT_EQ(Count(*form), QStringLiteral("1 個"));
  EXPECT_FALSE(output->text().isEmpty());

  QApplication::clipboard()->setText(QStringLiteral("text"));
  form->UpdateCommands();
  EXPECT_TRUE(Action(*form, "mmClipToClip")->isEnabled());
  EXPECT_TRUE(Action(*form, "mmClipToFile")->isEnabled());
  QApplication::clipboard()->clear();
  form->UpdateCommands();
  EXPECT_FALSE(Action(*form, "mmClipToClip")->isEnabled());

  auto* box = Find<QComboBox>(form.get(), "cbSettingName");
  box->setCurrentIndex(box->findText(QStringLiteral("per file")));
  form->SettingNameChanged();
  form->UpdateCommands();
  EXPECT_FALSE(output->isEnabled());
  EXPECT_FALSE(Action(*form, "mmEditorOpen")->isEnabled());
  EXPECT_EQ(output->lineEdit()->palette().color(QPalette::Base),
            output->palette().color(QPalette::Button));

  form->Clear();
  EXPECT_TRUE(form->Rows().empty());
  EXPECT_TRUE(output->text().isEmpty());
  EXPECT_EQ(Count(*form), QStringLiteral("0 個"));
}

TEST_F(MainFormTest, OptionsAreAppliedAtStartAndWrittenAtClose) {
  settings.SaveSortSetting("A", SettingDefaults());
  settings.SaveSortSetting("B", SettingDefaults());
  TOptions stored;
  stored.Top = 120;
  stored.Left = 80;
  stored.Width = 600;
  stored.Height = 420;
  stored.DefaultSettingName = "B";
  stored.SortedSoon = true;
  stored.EditorOpen = true;
  stored.WaveFileName = "/sounds/end.wav";
  stored.FlashSec = 7;
  settings.SaveOptions(stored);
  auto form = MakeForm();
  EXPECT_EQ(form->pos(), QPoint(80, 120));
  EXPECT_EQ(form->size(), QSize(600, 420));
  EXPECT_EQ(Find<QComboBox>(form.get(), "cbSettingName")->currentText(), QStringLiteral("B"));
  EXPECT_TRUE(Action(*form, "mmSortedSoon")->isChecked());
  EXPECT_TRUE(Action(*form, "mmEditorOpen")->isChecked());
  EXPECT_FALSE(Action(*form, "mmOnTheTop")->isChecked());
  EXPECT_EQ(form->CurrentOptions(), stored);

  Action(*form, "mmOnTheTop")->trigger();
  EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(form->isVisible());
  form->move(90, 130);
  ASSERT_TRUE(form->close());
  TOptions expected = stored;
  expected.OnTheTop = true;
  expected.Left = 90;
  expected.Top = 130;
  EXPECT_EQ(settings.LoadOptions(), expected);
}

TEST_F(MainFormTest, WithoutStoredPlaceTheWindowIsCentredAndNothingIsChosen) {
  TOptions stored;
  stored.DefaultSettingName = "gone";
  settings.SaveOptions(stored);
  auto form = MakeForm();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 2);
  EXPECT_LE(std::abs(form->geometry().center().y() - screen.center().y()), 2);
  EXPECT_EQ(Find<QComboBox>(form.get(), "cbSettingName")->currentIndex(), -1);
  EXPECT_EQ(form->CurrentSetting(), SettingDefaults());
}

TEST_F(MainFormTest, SortEndPlaysFlashesOpensTheEditorAndClears) {
  const std::string a = folder.Write("a.txt", "b\r\na\r\n");
  auto form = MakeForm();
  TOptions general = form->CurrentOptions();
  general.WaveFileName = "/sounds/end.wav";
  general.Flash = true;
  general.FlashSec = 2;
  general.EditorPath = "/usr/bin/editor";
  general.SortEndListViewClear = true;
  form->ApplyGeneralOptions(general);
  Action(*form, "mmEditorOpen")->trigger();
  int clockReads = 0;
  form->SetFlashClock([&clockReads] { return std::int64_t{1000} + clockReads++ / 5; });
  form->AddFiles({a});
  form->Start();
  ASSERT_TRUE(test::WaitFor([&] { return form->Idle(); }));
  EXPECT_EQ(shell.sounds, (std::vector<std::string>{"/sounds/end.wav"}));
  EXPECT_EQ(shell.beeps, 0);
  EXPECT_EQ(clockReads, 3 * 5 + 1);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0],
            std::make_pair(std::string("/usr/bin/editor"), folder.File("a[0].txt")));
  EXPECT_TRUE(form->Rows().empty());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Zorbe 2nd "));
}

TEST_F(MainFormTest, SortSettingsWindowIsModalAndTheListIsReadAgainAfterwards) {
  settings.SaveSortSetting("A", SettingDefaults());
  TOptions stored;
  stored.DefaultSettingName = "A";
  settings.SaveOptions(stored);
  auto form = MakeForm();
  QString shownName;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<TSettingForm*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    shownName = Find<QComboBox>(window, "cbSortSettingName")->currentText();
    settings.SaveSortSetting("B", SettingDefaults()); // as if saved in the window
    window->reject();
  });
  Action(*form, "mmSortOption")->trigger();
  EXPECT_EQ(shownName, QStringLiteral("A"));
  auto* box = Find<QComboBox>(form.get(), "cbSettingName");
  EXPECT_EQ(box->count(), 4); // 一時設定, A, B, empty
  EXPECT_EQ(box->currentText(), QStringLiteral("A"));
}

} // namespace
} // namespace zorbe
