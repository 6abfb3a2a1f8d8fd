#pragma once
// The main window: the list of target files with their character codes, the choice of the sort
// setting, the output file name, and the commands that start and stop one sort job.
//
// The form holds the window state (idle flag, the running job, the temporary settings window)
// and wires widgets to the rules in src/app: which commands are offered (MainCommandStates),
// which files are accepted (AcceptedListCode), what a job gets (JobInputsFromRows) and what
// happens at its end (HandleSortEnd). The job runs on its worker thread; its questions and end
// callback reach this form on the GUI thread through the Qt invoker while the worker waits, and
// the 100 ms timer reads its progress for the caption and the status bar. The job object is
// released only after its end callback has returned, since releasing it waits for the worker.

#include "app/clipboard_sort.h"
#include "app/job_host.h"
#include "app/job_start.h"
#include "app/sort_end.h"
#include "engine/sort_thread.h"
#include "settings/settings_file.h"
#include "timing/time_analyzer.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_main_thread_invoker.h"

#include <QMainWindow>
#include <QMargins>
#include <QPalette>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class QProgressBar;

namespace zorbe {

class IShell;
class TFileDropTarget;
class TFileNameEdit;
class TFormTimeAnaResult;
class TRefreshingComboBox;
class TSettingForm;

class TMainForm : public QMainWindow, private ISortEndView {
  Q_OBJECT
public:
  // Reads the window options and the setting names from `settings`.
  TMainForm(const TSettingsFile& settings, IShell& shell, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The start-up's share once the window is shown: the setting chosen at start (the one given,
  // else the remembered one) is loaded, and its temporary settings window opened.
  void ApplyStartSetting(const std::string& settingName = {});

  // The commands, as the buttons, menus, drops and the timer run them.
  void AddFiles(const std::vector<std::string>& names);
  void Start();
  void Stop();
  void DeleteSelected();
  void Clear();
  void SettingNameChanged();
  // The clipboard sort of the menu item with that name ("mmClipToClip" writes the sorted text
  // back, "mmClipToFile" saves it into a file).
  void mmClipboardClick(const QString& itemName);
  void OpenSortSettings();
  void OpenGeneralOptions();
  // The general options as the options window hands them back after OK.
  void ApplyGeneralOptions(const TOptions& edited);
  // The 100 ms timer: which commands are offered.
  void UpdateCommands();
  // The status bar's progress bar: shown while a sort runs (nothing: hidden), filled as far as
  // the sort's phase has come (with the phase's name), or busy where the phase's amount of work
  // is not known; the caption names the phase. The 100 ms timer calls it with the running job's
  // progress.
  void ShowProgress(const std::optional<TProgressSnapshot>& progress);
  // "目次(&C)" / F1: the help file beside the program, in the desktop's browser; a message says
  // so when it is missing or can't be opened.
  void OpenHelp();
  // The help file OpenHelp opens (HelpFileName of the program file unless set).
  void SetHelpFileName(std::string name) { helpFile_ = std::move(name); }
  // "バージョン情報(&A)": the version window, modal, placed over this window.
  void OpenAbout();
  // The time analyzer's result window, refreshed and in front (Ctrl+Alt+Shift+T; a developer's
  // instrument, in no menu).
  void ShowTimeAnaResult();
  TFormTimeAnaResult* TimeAnaResultForm() const { return timeAnaResult_; }
  // The job last started, until it is released after its end; null when none.
  const TSortThread* RunningJob() const { return job_.get(); }

  // The window's time analyzer: code under development measures its sections here.
  TTimeAnalyzer TA;

  bool Idle() const { return idle_; }
  std::vector<TTargetRow> Rows() const;
  // The options as they would be written now.
  TOptions CurrentOptions() const;
  TSettingForm* TemporarySettingForm() const { return temporaryForm_; }
  // The setting chosen in the window (with the temporary window's edits once they are taken).
  const TSettingOptionItems& CurrentSetting() const { return currentSetting_; }
  // The clock the end-of-sort flashing measures its seconds with.
  void SetFlashClock(std::function<std::int64_t()> clock) { flashClock_ = std::move(clock); }

protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The status bar's progress bar: its steps from empty to full.
  static constexpr int kProgressBarSteps = 1000;

  // ISortEndView
  void SetIdle() override { idle_ = true; }
  void SetCaption(const std::string& caption) override;
  void Flash(int seconds) override;
  void ClearList() override { Clear(); }

  void BuildList();
  void BuildBottomPanel();
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildOptionMenu();
  void BuildHelpMenu();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                     const QKeySequence& shortcut = {});
  // The window is at least as wide as its longest status-bar text, so that no hint is cut.
  void FitStatusTexts();
  void ApplyOptions();
  void FillSettingNames(const QString& select);
  bool TemporarySettingShown() const;
  // Shows the busy message and answers true while a sort or its end handling runs.
  bool RefuseWhileBusy();
  // The temporary setting's controls into currentSetting_ when its window is chosen; false, with
  // a message, when that window is missing.
  bool TakeTemporarySetting();
  void OpenTemporaryForm();
  void CloseTemporaryForm();
  // The temporary window's NoConnected and output fields, edited there, into currentSetting_.
  void TakeImmediateFields();
  // Moves this window, where needed, so that the temporary window opening beside it covers none
  // of it (MakeRoomBeside).
  void MakeRoomForTemporaryForm();
  // Beside this window within the work area, top edges aligned (PlaceBeside).
  void PlaceTemporaryForm();
  // The temporary window's close: the setting chosen before the temporary one comes back.
  void LeaveTemporarySetting();
  void AppendRow(const std::string& file, TCharCode code);
  void RefreshOutputName();
  void SetOutputText(const std::string& text);
  void ShowCount();
  void ShowCodePanel(bool visible);
  void OpenFiles();
  void SetOnTop(bool onTop);
  void ToggleSortedSoon();
  // Asks a Yes/No question about the running job while holding it; with stopOnYes, Yes stops
  // it (with the cancelled mark) unless its work is over already.
  struct THeldAnswer {
    bool yes = false;
    bool stopped = false; // Yes stopped the running job
  };
  THeldAnswer AskHoldingTheJob(const char* question, bool stopOnYes);
  // Starts a job on the inputs; the window becomes busy.
  void RunJob(TSortJobInputs inputs);
  void OnJobEnded(TSortThread& job);
  // Runs a settings-file access; a failure is reported instead of ending the program.
  void Guarded(const std::function<void()>& access);

  const TSettingsFile& settings_;
  IShell& shell_;
  TOptions options_;
  std::function<std::int64_t()> flashClock_ = WallClockSeconds;

  bool idle_ = true;
  bool jobEndRunning_ = false;
  TQtMainThreadInvoker invoker_;
  TAppJobHost host_;
  std::unique_ptr<TSortThread> job_;
  // Counts the jobs started: a job's release, queued at its end, must not reach a job started
  // after it (which may well sit at the same address).
  std::uint64_t jobsStarted_ = 0;
  TSettingOptionItems currentSetting_;
  TSettingForm* temporaryForm_ = nullptr;
  QMargins temporaryFrame_;        // the temporary window's frame when it was last placed
  QString settingBeforeTemporary_; // the setting chosen before "一時設定"
  TQtClipboard clipboard_;
  TClipboardMode clipboardMode_ = cmNone;
  std::optional<TClipboardText> clipboardText_; // the text a running clipboard sort came from

  QTableWidget* list_ = nullptr;
  QPalette listPalette_;
  QFrame* codeTypePanel_ = nullptr;
  QPushButton* bnDel_ = nullptr;
  QPushButton* bnClear_ = nullptr;
  TRefreshingComboBox* cbSettingName_ = nullptr;
  QPushButton* btnSortOption_ = nullptr;
  TFileNameEdit* fne_ = nullptr;
  QPalette outputPalette_;
  QPushButton* bnStart_ = nullptr;
  QPushButton* bnStop_ = nullptr;
  QPushButton* bnExit_ = nullptr;
  QLabel* countPanel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QAction* mmClipToClip_ = nullptr;
  QAction* mmClipToFile_ = nullptr;
  QAction* mmDelete_ = nullptr;
  QAction* mmClear_ = nullptr;
  QAction* mmOnTheTop_ = nullptr;
  QAction* mmSortedSoon_ = nullptr;
  QAction* mmEditorOpen_ = nullptr;
  QAction* mmSortOption_ = nullptr;
  TFileDropTarget* dropTarget_ = nullptr;
  QTimer* timer_ = nullptr;
  TFormTimeAnaResult* timeAnaResult_ = nullptr;
  std::string helpFile_;
};

} // namespace zorbe
