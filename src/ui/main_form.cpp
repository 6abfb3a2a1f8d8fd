#include "ui/main_form.h"

#include "app/main_commands.h"
#include "app/message_routine.h"
#include "app/message_texts.h"
#include "app/output_field.h"
#include "app/target_files.h"
#include "engine/output_name.h"
#include "text/input_code.h"
#include "ui/file_drop_target.h"
#include "ui/file_name_edit.h"
#include "ui/form_time_ana_result.h"
#include "ui/general_option_form.h"
#include "ui/keyboard_access.h"
#include "ui/launchers.h"
#include "ui/qt_window_placement.h"
#include "ui/refreshing_combo_box.h"
#include "ui/setting_form.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace zorbe {
namespace {

constexpr int kDesignedWidth = 422;
constexpr int kDesignedHeight = 315;
constexpr int kNeverStoredTop = -100;
constexpr int kFileRole = Qt::UserRole; // the native bytes of a row's file name
constexpr int kCodeRole = Qt::UserRole; // a row's TCharCode, in the code column
// Between the status-bar message and the file count.
constexpr int kCountPanelGap = 12;
// What the status bar keeps beside its message and the count: its margins and the size grip.
constexpr int kStatusBarChrome = 40;
// The status bar's progress bar: its steps from empty to full.
constexpr int kProgressBarSteps = 1000;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QString Native(const std::string& fileName) {
  return QFile::decodeName(QByteArray::fromStdString(fileName));
}

} // namespace

TMainForm::TMainForm(const TSettingsFile& settings, IShell& shell, QWidget* parent)
    : QMainWindow(parent), settings_(settings), shell_(shell) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Zorbe 2nd"));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(central);
  BuildList();
  BuildBottomPanel();
  BuildMenus();
  timeAnaResult_ = new TFormTimeAnaResult(TA, this);
  timeAnaResult_->hide();
  countPanel_ = new QLabel(Q(FileCountText(0)), this);
  countPanel_->setObjectName(QStringLiteral("StatusPanel1"));
  countPanel_->setMinimumWidth(50);
  countPanel_->setContentsMargins(kCountPanelGap, 0, 0, 0);
  // The bar takes the message area while a sort runs; a hint shown meanwhile takes its place
  // for as long as it is shown, so hints keep their whole width.
  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("ProgressBar"));
  progressBar_->setRange(0, kProgressBarSteps);
  progressBar_->hide();
  statusBar()->addWidget(progressBar_, 1);
  statusBar()->addPermanentWidget(countPanel_);
  FitStatusTexts();

  dropTarget_ =
      new TFileDropTarget([this](const std::vector<std::string>& names) { AddFiles(names); }, this);
  dropTarget_->Watch(this);
  dropTarget_->Watch(list_->viewport());

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, &TMainForm::UpdateCommands);
  timer_->start();

  ApplyOptions();
  UpdateCommands();
  MakeKeyboardReady(this);
}

TMainForm::~TMainForm() {
  if (job_ && !idle_ && !jobEndRunning_) {
    // Released without its close handling while a sort runs: stop the sort and let its end
    // callback run, since the worker can't end before it has.
    job_->Stop();
    while (!idle_) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
  }
  job_.reset(); // the worker is past its end callback: this only waits for it to return
  delete temporaryForm_;
}

void TMainForm::FitStatusTexts() {
  QStringList texts = {QString::fromUtf8(kSearchingStatus), QString::fromUtf8(kDetectingStatus)};
  for (const QAction* action : findChildren<QAction*>()) {
    texts << action->statusTip();
  }
  for (const QWidget* widget : findChildren<QWidget*>()) {
    texts << widget->statusTip();
  }
  const QFontMetrics metrics = statusBar()->fontMetrics();
  int widest = 0;
  for (const QString& text : texts) {
    widest = std::max(widest, metrics.horizontalAdvance(text));
  }
  setMinimumWidth(widest + countPanel_->sizeHint().width() + kStatusBarChrome);
}

void TMainForm::Guarded(const std::function<void()>& access) {
  try {
    access();
  } catch (const std::exception& e) {
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK);
  }
}

void TMainForm::ApplyOptions() {
  Guarded([this] { options_ = settings_.LoadOptions(); });
  if (options_.Top == kNeverStoredTop) {
    resize(QSize(kDesignedWidth, kDesignedHeight).expandedTo(minimumSizeHint()));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const TRect place = CentredOver(ToRect(screen->availableGeometry()), width(), height());
      move(place.left, place.top);
    }
  } else {
    // A position saved on a larger screen (or another one) is moved onto the work area of the
    // screen that holds most of the window, else of the primary one: never where its title bar
    // can't be grabbed.
    resize(QSize(options_.Width, options_.Height).expandedTo(minimumSizeHint()));
    const QRect saved(options_.Left, options_.Top, width() + kFrameAllowance / 4,
                      height() + kFrameAllowance);
    QScreen* screen = QGuiApplication::primaryScreen();
    int shared = 0; // the screen with the largest part of the window
    for (QScreen* candidate : QGuiApplication::screens()) {
      const QRect part = saved.intersected(candidate->availableGeometry());
      if (!part.isEmpty() && part.width() * part.height() > shared) {
        shared = part.width() * part.height();
        screen = candidate;
      }
    }
    const TRect place = ClampToWorkArea(
        ToRect(saved), screen != nullptr ? ToRect(screen->availableGeometry()) : ToRect(saved));
    move(place.left, place.top);
  }
  FillSettingNames(Q(options_.DefaultSettingName));
  mmOnTheTop_->setChecked(options_.OnTheTop);
  mmSortedSoon_->setChecked(options_.SortedSoon);
  mmEditorOpen_->setChecked(options_.EditorOpen);
}

void TMainForm::ApplyStartSetting(const std::string& settingName) {
  if (!settingName.empty()) {
    FillSettingNames(Q(settingName));
  }
  SettingNameChanged();
  if (mmOnTheTop_->isChecked()) {
    SetOnTop(true);
  }
}

TOptions TMainForm::CurrentOptions() const {
  TOptions options = options_;
  options.Top = y();
  options.Left = x();
  options.Width = width();
  options.Height = height();
  options.DefaultSettingName = cbSettingName_->currentText().toStdString();
  options.OnTheTop = mmOnTheTop_->isChecked();
  options.SortedSoon = mmSortedSoon_->isChecked();
  options.EditorOpen = mmEditorOpen_->isChecked();
  return options;
}

void TMainForm::FillSettingNames(const QString& select) {
  std::vector<std::string> names;
  Guarded([&] { names = settings_.ListSortSettingNames(); });
  QSignalBlocker block(cbSettingName_);
  cbSettingName_->clear();
  for (const std::string& name : names) {
    cbSettingName_->addItem(Q(name));
  }
  int index = -1;
  for (int i = 0; i < cbSettingName_->count(); ++i) {
    if (cbSettingName_->itemText(i) == select) {
      index = i;
      break;
    }
  }
  cbSettingName_->setCurrentIndex(index);
}

bool TMainForm::TemporarySettingShown() const {
  return cbSettingName_->currentIndex() == 0 &&
         cbSettingName_->currentText() == QString::fromUtf8(kTemporarySettingName);
}

std::vector<TTargetRow> TMainForm::Rows() const {
  std::vector<TTargetRow> rows;
  for (int row = 0; row < list_->rowCount(); ++row) {
    rows.push_back({list_->item(row, 0)->data(kFileRole).toByteArray().toStdString(),
                    static_cast<TCharCode>(list_->item(row, 1)->data(kCodeRole).toInt())});
  }
  return rows;
}

void TMainForm::AppendRow(const std::string& file, TCharCode code) {
  const int row = list_->rowCount();
  list_->insertRow(row);
  auto* name = new QTableWidgetItem(Native(file));
  name->setData(kFileRole, QByteArray::fromStdString(file));
  list_->setItem(row, 0, name);
  auto* codeItem = new QTableWidgetItem(Q(CharCodeName(code)));
  codeItem->setData(kCodeRole, static_cast<int>(code));
  list_->setItem(row, 1, codeItem);
}

void TMainForm::ShowCount() {
  countPanel_->setText(Q(FileCountText(static_cast<std::size_t>(list_->rowCount()))));
}

void TMainForm::SetOutputText(const std::string& text) {
  fne_->setText(Q(text));
}

void TMainForm::RefreshOutputName() {
  if (list_->rowCount() == 0) {
    return;
  }
  const std::string first = Rows().front().file;
  SetOutputText(
      QuotedName(DefaultOutputName(first, currentSetting_.OutputFolder,
                                   currentSetting_.OutputFilename, currentSetting_.NoConnected)));
}

void TMainForm::ShowCodePanel(bool visible) {
  if (visible) {
    const QRect area = list_->geometry();
    codeTypePanel_->move(area.left() + (area.width() - codeTypePanel_->width()) / 2,
                         area.top() + (area.height() - codeTypePanel_->height()) / 2);
    codeTypePanel_->raise();
    codeTypePanel_->show();
    repaint();
    return;
  }
  codeTypePanel_->hide();
}

void TMainForm::AddFiles(const std::vector<std::string>& names) {
  list_->setUpdatesEnabled(false);
  statusBar()->showMessage(QString::fromUtf8(kSearchingStatus));
  statusBar()->repaint();
  const std::vector<std::string> work = ExpandTargetNames(names);
  statusBar()->showMessage(QString::fromUtf8(kDetectingStatus));
  ShowCodePanel(true);
  const MessageSink showError = [](const std::string& message) {
    ShowMessage(message, TMsgKind::Error, TMsgButtons::OK);
  };
  for (const std::string& name : work) {
    try {
      const std::optional<std::string> file = ListedFileName(name, showError);
      if (!file) {
        continue;
      }
      if (const std::optional<TCharCode> code =
              AcceptedListCode(*file, showError, InputCodeOfValue(currentSetting_.InputCode))) {
        AppendRow(*file, *code);
      }
    } catch (const std::exception& e) {
      showError(e.what()); // a read error: this file is skipped, the others still come
    }
  }
  ShowCodePanel(false);
  if (fne_->text().isEmpty()) {
    RefreshOutputName();
  }
  ShowCount();
  list_->setUpdatesEnabled(true);
  statusBar()->clearMessage();
  if (mmSortedSoon_->isChecked()) {
    fne_->setText({});
    Start();
  }
}

void TMainForm::OpenFiles() {
  const QStringList chosen = QFileDialog::getOpenFileNames(
      this, QStringLiteral("開く"), {}, QtFileFilter(QString::fromUtf8(kTextFileFilter)));
  std::vector<std::string> names;
  for (const QString& name : chosen) {
    names.push_back(QFile::encodeName(name).toStdString());
  }
  if (!names.empty()) {
    AddFiles(names);
  }
}

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

void TMainForm::DeleteSelected() {
  if (list_->rowCount() == 0) {
    return;
  }
  for (int row = list_->rowCount() - 1; row >= 0; --row) {
    if (list_->item(row, 0)->isSelected()) {
      list_->removeRow(row);
    }
  }
  ShowCount();
  if (list_->rowCount() == 0) {
    fne_->setText({});
  }
}

void TMainForm::Clear() {
  if (list_->rowCount() == 0) {
    return;
  }
  list_->setUpdatesEnabled(false);
  list_->setRowCount(0);
  list_->setUpdatesEnabled(true);
  fne_->setText({});
  ShowCount();
}

void TMainForm::SetOnTop(bool onTop) {
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
  if (QWindow* handle = windowHandle()) {
    // Changing the widget's flags would hide and show the window again; telling the window
    // system directly keeps it where it is, its size and the activation unchanged.
    overrideWindowFlags(flags);
    handle->setFlags(flags);
    return;
  }
  setWindowFlags(flags);
}

void TMainForm::ToggleSortedSoon() {
  list_->setRowCount(0);
  ShowCount();
}

void TMainForm::SettingNameChanged() {
  Guarded([this] {
    currentSetting_ = settings_.LoadSortSetting(cbSettingName_->currentText().toStdString());
  });
  if (TemporarySettingShown()) {
    if (temporaryForm_ == nullptr) {
      OpenTemporaryForm();
      currentSetting_ = temporaryForm_->Setting();
    }
  } else {
    settingBeforeTemporary_ = cbSettingName_->currentText();
    CloseTemporaryForm();
  }
  RefreshOutputName();
}

void TMainForm::LeaveTemporarySetting() {
  FillSettingNames(settingBeforeTemporary_);
  SettingNameChanged();
}

void TMainForm::OpenTemporaryForm() {
  temporaryForm_ =
      new TSettingForm(TSettingForm::TKind::Temporary, settings_, shell_, options_, this);
  temporaryForm_->SetSettingName(QString::fromUtf8(kTemporarySettingName));
  connect(temporaryForm_, &TSettingForm::ImmediateFieldsChanged, this,
          &TMainForm::TakeImmediateFields);
  connect(temporaryForm_, &TSettingForm::ShortcutRequested, this, &CreateLauncherForSettingName);
  connect(temporaryForm_, &TSettingForm::CloseRequested, this, &TMainForm::LeaveTemporarySetting,
          Qt::QueuedConnection);
  temporaryForm_->installEventFilter(this);
  temporaryFrame_ = {};
  MakeRoomForTemporaryForm();
  PlaceTemporaryForm();
  temporaryForm_->show();
}

void TMainForm::TakeImmediateFields() {
  const TSettingOptionItems& edited = temporaryForm_->Setting();
  currentSetting_.NoConnected = edited.NoConnected;
  currentSetting_.OutputFolder = edited.OutputFolder;
  currentSetting_.OutputFilename = edited.OutputFilename;
  RefreshOutputName();
}

void TMainForm::CloseTemporaryForm() {
  if (temporaryForm_ == nullptr) {
    return;
  }
  TSettingForm* form = temporaryForm_;
  temporaryForm_ = nullptr;
  form->hide();
  form->deleteLater();
}

void TMainForm::MakeRoomForTemporaryForm() {
  const QSize size = temporaryForm_->size().grownBy(FrameMargins(this));
  const TRect place =
      MakeRoomBeside(ToRect(frameGeometry()), size.width(), ToRect(WorkAreaOf(this)));
  move(place.left, place.top);
}

void TMainForm::PlaceTemporaryForm() {
  if (temporaryForm_ == nullptr) {
    return;
  }
  // Until the window manager has framed it, the temporary window is taken to get a frame like
  // this window's.
  temporaryFrame_ = FrameMargins(temporaryForm_);
  const QSize size = temporaryForm_->size().grownBy(temporaryFrame_.isNull() ? FrameMargins(this)
                                                                             : temporaryFrame_);
  const TRect place =
      PlaceBeside(ToRect(frameGeometry()), size.width(), size.height(), ToRect(WorkAreaOf(this)));
  temporaryForm_->move(place.left, place.top);
}

void TMainForm::OpenSortSettings() {
  if (TemporarySettingShown()) {
    return; // the temporary setting is edited in its own window
  }
  TSettingForm form(TSettingForm::TKind::Modal, settings_, shell_, options_, this);
  form.SetSettingName(cbSettingName_->currentText());
  connect(&form, &TSettingForm::ShortcutRequested, this, &CreateLauncherForSettingName);
  connect(&form, &TSettingForm::SettingDeleted, this, &RemoveLaunchersOfSettingName);
  PlaceWindowOver(this, &form);
  // Shown before its loop runs, so that the offer is asked over it.
  form.setWindowModality(Qt::ApplicationModal);
  form.show();
  OfferToReplaceOldLaunchersOnce(options_);
  form.exec();
  const int index = cbSettingName_->currentIndex();
  FillSettingNames({});
  cbSettingName_->setCurrentIndex(index < cbSettingName_->count() ? index : -1);
  SettingNameChanged();
}

void TMainForm::OpenGeneralOptions() {
  TGeneralOptionForm form(shell_, this);
  form.SetOptions(options_);
  PlaceWindowOver(this, &form);
  if (form.exec() == QDialog::Accepted) {
    ApplyGeneralOptions(form.Options(options_));
  }
}

void TMainForm::ApplyGeneralOptions(const TOptions& edited) {
  const bool layoutChanged = edited.SettingWindowTab != options_.SettingWindowTab;
  options_.EditorPath = edited.EditorPath;
  options_.SortEndListViewClear = edited.SortEndListViewClear;
  options_.SettingWindowTab = edited.SettingWindowTab;
  options_.WaveFileName = edited.WaveFileName;
  options_.Flash = edited.Flash;
  options_.FlashSec = edited.FlashSec;
  if (layoutChanged && temporaryForm_ != nullptr) {
    CloseTemporaryForm();
    SettingNameChanged();
  }
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

void TMainForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  PlaceTemporaryForm();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  PlaceTemporaryForm();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == temporaryForm_ && temporaryForm_ != nullptr &&
      (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
    // Its place depends on its frame, known only once the window manager has framed it. A
    // move by the user leaves the frame as it was and the window where the user put it.
    if (FrameMargins(temporaryForm_) != temporaryFrame_ || event->type() == QEvent::Resize) {
      PlaceTemporaryForm();
    }
  }
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    OpenFiles();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

} // namespace zorbe
