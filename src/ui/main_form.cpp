// TMainForm: the window itself: its building and options, the list of target files with its
// commands (adding, opening, deleting, clearing) and the output name that follows the list.

#include "ui/main_form.h"

#include "app/message_routine.h"
#include "app/message_texts.h"
#include "app/output_field.h"
#include "app/target_files.h"
#include "engine/output_name.h"
#include "text/input_code.h"
#include "ui/file_drop_target.h"
#include "ui/file_name_edit.h"
#include "ui/form_time_ana_result.h"
#include "ui/keyboard_access.h"
#include "ui/qt_window_placement.h"
#include "ui/refreshing_combo_box.h"
#include "ui/setting_form.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
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
