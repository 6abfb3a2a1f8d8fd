// TMainForm: the setting chosen and the settings windows: the temporary one beside this window,
// the modal sort settings and the general options.

#include "ui/main_form.h"

#include "ui/general_option_form.h"
#include "ui/launchers.h"
#include "ui/qt_window_placement.h"
#include "ui/refreshing_combo_box.h"
#include "ui/setting_form.h"

namespace zorbe {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

} // namespace

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

void TMainForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  PlaceTemporaryForm();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  PlaceTemporaryForm();
}

} // namespace zorbe
