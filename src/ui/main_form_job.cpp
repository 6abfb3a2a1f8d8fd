// TMainForm: the sort job: its start, the questions asked while it runs (which hold it), its
// progress in the caption and the status bar, and its end.

#include "ui/main_form.h"

#include "app/main_commands.h"
#include "app/message_routine.h"
#include "app/message_texts.h"
#include "app/output_field.h"
#include "ui/file_name_edit.h"
#include "ui/setting_form.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>

namespace zorbe {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

} // namespace

bool TMainForm::RefuseWhileBusy() {
  if (idle_ && !jobEndRunning_) {
    return false;
  }
  ShowMessage(kBusyMessage, TMsgKind::Error, TMsgButtons::OK);
  return true;
}

bool TMainForm::TakeTemporarySetting() {
  if (TemporarySettingShown()) {
    if (temporaryForm_ == nullptr) {
      ShowMessage(kBadSettingWindowMessage, TMsgKind::Error, TMsgButtons::OK);
      return false;
    }
    temporaryForm_->ReadSettingFromControls(currentSetting_);
  }
  return true;
}

void TMainForm::Start() {
  if (RefuseWhileBusy() || !TakeTemporarySetting()) {
    return;
  }
  std::optional<TSortJobInputs> inputs =
      JobInputsFromRows(Rows(), currentSetting_, OutputFieldFileName(fne_->text().toStdString()));
  if (!inputs) {
    return;
  }
  RunJob(std::move(*inputs));
}

void TMainForm::RunJob(TSortJobInputs inputs) {
  inputs.memoryLimit = MemoryLimitBytes(options_);
  idle_ = false;
  host_.SetCancelled(false);
  job_.reset(); // an earlier job has ended, callback and all
  ++jobsStarted_;
  job_ = std::make_unique<TSortThread>(std::move(inputs), host_, invoker_,
                                       [this](TSortThread& job) { OnJobEnded(job); });
  job_->Start();
}

TMainForm::THeldAnswer TMainForm::AskHoldingTheJob(const char* question, bool stopOnYes) {
  // While the question is open the job may compute on, but asks nothing, puts no output in
  // place and does not end, so the answer meant for this question answers no other.
  const bool running = job_ && !idle_;
  const std::uint64_t started = jobsStarted_;
  if (running) {
    job_->Hold();
  }
  THeldAnswer held{ShowMessage(question, TMsgKind::Warning, TMsgButtons::YesNo) == TMsgResult::Yes};
  // The job can have ended meanwhile only when it was past its last hold already.
  if (!running || jobsStarted_ != started || !job_) {
    return held;
  }
  if (held.yes && stopOnYes && !idle_ && !job_->WorkEnded()) {
    host_.SetCancelled(true);
    job_->Stop();
    held.stopped = true;
  }
  job_->Release();
  return held;
}

void TMainForm::Stop() {
  const THeldAnswer answer = AskHoldingTheJob(kStopQuestion, true);
  if (!answer.yes) {
    return;
  }
  if (!answer.stopped) {
    ShowMessage(kAlreadyEndedMessage, TMsgKind::Information, TMsgButtons::OK);
    return;
  }
  ShowMessage(kSortCancelledMessage, TMsgKind::Information, TMsgButtons::OK);
}

void TMainForm::OnJobEnded(TSortThread& job) {
  jobEndRunning_ = true;
  const bool backOnClipboard = clipboardMode_ == cmClipToClip;
  if (clipboardMode_ != cmNone) {
    FinishClipboardSort(clipboardMode_, *clipboardText_, job.Inputs().outputName, clipboard_);
    clipboardMode_ = cmNone;
    clipboardText_.reset();
  }
  TSortEndInputs in;
  in.cancelled = host_.Cancelled();
  in.waveFileName = options_.WaveFileName;
  in.flash = options_.Flash;
  in.flashSec = options_.FlashSec;
  // A result that went back onto the clipboard has no file left to open.
  in.openInEditor = mmEditorOpen_->isChecked() && mmEditorOpen_->isEnabled() && !backOnClipboard;
  in.editorPath = options_.EditorPath;
  in.clearList = options_.SortEndListViewClear || mmSortedSoon_->isChecked();
  in.jobNoConnected = job.Inputs().setting.NoConnected;
  in.outputName = job.Inputs().outputName;
  in.outcome = job.Result().outcome;
  in.failure = job.Result().message;
  in.warning = job.Result().warning;
  HandleSortEnd(in, *this, shell_);
  jobEndRunning_ = false;
  // Released once this callback has returned and the worker is free to end.
  QMetaObject::invokeMethod(
      this,
      [this, ended = jobsStarted_] {
        if (jobsStarted_ == ended) {
          job_.reset();
        }
      },
      Qt::QueuedConnection);
}

void TMainForm::SetCaption(const std::string& caption) {
  setWindowTitle(Q(caption));
}

void TMainForm::Flash(int seconds) {
  RunFlashing(seconds, flashClock_, [this](std::uint32_t colour) {
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, QColor::fromRgb(colour & 0xFFFFFF));
    list_->setPalette(palette);
    list_->viewport()->repaint();
    QThread::msleep(20);
  });
}

void TMainForm::UpdateCommands() {
  TMainCommandInputs in;
  in.temporarySettingShown = TemporarySettingShown();
  in.noConnected = currentSetting_.NoConnected;
  in.fixedOutput = !currentSetting_.OutputFolder.empty() || !currentSetting_.OutputFilename.empty();
  in.sortedSoon = mmSortedSoon_->isChecked();
  in.idle = idle_;
  in.rowCount = static_cast<std::size_t>(list_->rowCount());
  in.selectedCount = static_cast<std::size_t>(list_->selectionModel()->selectedRows().size());
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  in.clipboardHasText = clip != nullptr && clip->hasText();
  const TMainCommandStates out = MainCommandStates(in);

  mmSortOption_->setEnabled(out.sortOption);
  btnSortOption_->setEnabled(out.sortOption);
  mmEditorOpen_->setEnabled(out.editorOpen);
  list_->setEnabled(out.list);
  QPalette listPalette = listPalette_;
  if (out.listButtonFace) {
    listPalette.setColor(QPalette::Base, listPalette_.color(QPalette::Button));
  }
  list_->setPalette(listPalette);
  fne_->setEnabled(out.output);
  QPalette outputPalette = outputPalette_;
  if (out.outputButtonFace) {
    outputPalette.setColor(QPalette::Base, outputPalette_.color(QPalette::Button));
  }
  fne_->lineEdit()->setPalette(outputPalette);
  bnStart_->setEnabled(out.startButton);
  bnStop_->setEnabled(out.stopButton);
  bnClear_->setEnabled(out.clearButton);
  bnDel_->setEnabled(out.deleteButton);
  if (out.clearMenu) {
    mmClear_->setEnabled(*out.clearMenu);
  }
  if (out.deleteMenu) {
    mmDelete_->setEnabled(*out.deleteMenu);
  }
  if (out.clipboardMenus) {
    mmClipToClip_->setEnabled(*out.clipboardMenus);
    mmClipToFile_->setEnabled(*out.clipboardMenus);
  }
  ShowProgress(job_ && !idle_ ? std::optional(job_->Progress().Snapshot()) : std::nullopt);
}

void TMainForm::ShowProgress(const std::optional<TProgressSnapshot>& progress) {
  if (!progress) {
    progressBar_->hide();
    return;
  }
  if (const std::optional<double> fraction = progress->Fraction()) {
    progressBar_->setRange(0, kProgressBarSteps);
    progressBar_->setValue(static_cast<int>(*fraction * kProgressBarSteps));
  } else {
    progressBar_->setRange(0, 0); // busy: the amount of work is not known
  }
  const QString phase = progress->phase != nullptr ? QString::fromUtf8(progress->phase) : QString();
  progressBar_->setFormat(phase + QStringLiteral("  %p%"));
  if (progress->phase != nullptr) {
    SetCaption(PhaseCaption(progress->phase));
  }
  // A hint shown over the bar keeps its place; the status bar shows the bar again after it.
  if (statusBar()->currentMessage().isEmpty()) {
    progressBar_->show();
  }
}

bool TMainForm::event(QEvent* event) {
  // While a sort runs, the bar keeps its place: a control's hint is its tooltip meanwhile.
  if (event->type() == QEvent::StatusTip && !progressBar_->isHidden()) {
    return true;
  }
  return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!idle_) {
    // A refused close keeps the temporary settings window: the sort it may feed next needs it.
    if (!AskHoldingTheJob(kCloseWhileSortingQuestion, false).yes) {
      event->ignore();
      return;
    }
    // Without the cancelled mark: the end is announced as after a finished job.
    if (job_) {
      job_->Stop();
    }
    while (!idle_) {
      // Sleeps until an event comes (the job's calls are events; so is the 100 ms timer).
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
  }
  CloseTemporaryForm();
  Guarded([this] { settings_.SaveOptions(CurrentOptions()); });
  event->accept();
}

} // namespace zorbe
