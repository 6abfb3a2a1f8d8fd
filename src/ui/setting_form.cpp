#include "ui/setting_form.h"

#include "app/message_routine.h"
#include "app/message_texts.h"
#include "app/output_field_check.h"
#include "app/setting_editing.h"
#include "app/setting_form_rules.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "settings/setting_keys.h"
#include "ui/browse_edit.h"
#include "ui/file_name_edit.h"
#include "ui/folder_edit.h"
#include "ui/keyboard_access.h"
#include "ui/refreshing_combo_box.h"
#include "ui/spin_edit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace zorbe {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

void SetIndex(QComboBox* combo, int index) {
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// A key's value shown in its control, by the kind of control: a flag in a check box, a number
// as the index of a drop-down list or in a spin edit, a text in a text field. Other controls
// (the sort method, the class list) are shown by rules of their own.
void ShowValue(QWidget* control, const std::string& value) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(Q(value));
  } else if (auto* browse = qobject_cast<TBrowseEdit*>(control)) {
    browse->setText(Q(value));
  }
}

void ShowValue(QWidget* control, bool value) {
  if (auto* check = qobject_cast<QCheckBox*>(control)) {
    check->setChecked(value);
  }
}

template <typename Number> void ShowValue(QWidget* control, Number value) {
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    SetIndex(combo, static_cast<int>(value));
  } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    spin->setValue(static_cast<int>(value));
  }
}

void ReadValue(const QWidget* control, std::string& value) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    value = edit->text().toStdString();
  } else if (const auto* browse = qobject_cast<const TBrowseEdit*>(control)) {
    value = browse->text().toStdString();
  }
}

void ReadValue(const QWidget* control, bool& value) {
  if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
    value = check->isChecked();
  }
}

template <typename Number> void ReadValue(const QWidget* control, Number& value) {
  if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
    value = static_cast<Number>(combo->currentIndex());
  } else if (const auto* spin = qobject_cast<const QSpinBox*>(control)) {
    value = static_cast<Number>(spin->value());
  }
}

} // namespace

TSettingForm::TSettingForm(TKind kind, const TSettingsFile& settings, IShell& shell,
                           const TOptions& options, QWidget* parent)
    : QDialog(parent), kind_(kind), settings_(settings), shell_(shell), options_(options) {
  setObjectName(QStringLiteral("SettingForm"));
  QWidget* namePanel = BuildNamePanel();
  QWidget* sortPanel = BuildSortPanel();
  QGroupBox* replacement = BuildReplacementGroup();
  QGroupBox* output = BuildOutputGroup();
  QWidget* buttonPanel = BuildButtonPanel();
  Arrange(namePanel, sortPanel, replacement, output, buttonPanel);
  if (Temporary()) {
    setWindowTitle(QString::fromUtf8(kTemporarySettingName));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  } else {
    setWindowTitle(QStringLiteral("ソート設定"));
  }
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, &TSettingForm::UpdateReorderButtons);
  timer_->start();
  adjustSize();
  UpdateReorderButtons();
  MakeKeyboardReady(this);
}

void TSettingForm::RefreshNames() {
  const QString text = cbSortSettingName_->currentText();
  std::vector<std::string> names;
  try {
    names = settings_.ListSortSettingNames();
  } catch (const std::exception& e) {
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK);
  }
  QSignalBlocker block(cbSortSettingName_);
  cbSortSettingName_->clear();
  for (const std::string& name : names) {
    cbSortSettingName_->addItem(Q(name));
  }
  const int index = cbSortSettingName_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  cbSortSettingName_->setCurrentIndex(index);
  cbSortSettingName_->setEditText(text);
}

void TSettingForm::SetSettingName(const QString& name) {
  RefreshNames();
  {
    QSignalBlocker block(cbSortSettingName_);
    const int index = cbSortSettingName_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    cbSortSettingName_->setCurrentIndex(index);
    cbSortSettingName_->setEditText(name);
  }
  LoadSetting();
}

void TSettingForm::LoadSetting() {
  const std::string name = cbSortSettingName_->currentText().toStdString();
  bool exists = false;
  try {
    setting_ = settings_.LoadSortSetting(name);
    exists = settings_.SortSettingExists(name);
  } catch (const std::exception& e) {
    setting_ = SettingDefaults(name);
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK);
  }
  ShowSetting(setting_);
  bnDel_->setEnabled(exists);
  ApplyEnabling();
}

void TSettingForm::ShowSetting(const TSettingOptionItems& s) {
  loading_ = true;
  for (const TSettingKey& key : SettingKeys()) {
    std::visit([&](auto member) { ShowValue(findChild<QWidget*>(key.control), s.*member); },
               key.field);
  }
  if (QAbstractButton* method = sortButtons_->button(s.SortDirection)) {
    method->setChecked(true);
  } else {
    sortButtons_->setExclusive(false);
    for (QAbstractButton* button : sortButtons_->buttons()) {
      button->setChecked(false);
    }
    sortButtons_->setExclusive(true);
  }
  listBox_->clear();
  for (const std::string& entry : SplitOrderOfRow(s.OrderOfRow)) {
    listBox_->addItem(Q(entry));
  }
  const TKeyChecks keys = KeyChecksOnLoad(s);
  cbCsvSupport_->setChecked(keys.csvSupport);
  cbCharPos_->setChecked(keys.charPos);
  loading_ = false;
}

void TSettingForm::ReadSettingFromControls(TSettingOptionItems& r) const {
  for (const TSettingKey& key : SettingKeys()) {
    std::visit([&](auto member) { ReadValue(findChild<QWidget*>(key.control), r.*member); },
               key.field);
  }
  r.SortDirection = static_cast<std::uint8_t>(sortButtons_->checkedId());
  std::vector<std::string> entries;
  for (int i = 0; i < listBox_->count(); ++i) {
    entries.push_back(listBox_->item(i)->text().toStdString());
  }
  r.OrderOfRow = JoinOrderOfRow(entries);
}

void TSettingForm::ApplyEnabling() {
  TSettingControlState state;
  state.sortDirection = sortButtons_->checkedId();
  state.charTypeOrder = cbCharTypeOrder_->isChecked();
  state.charPos = cbCharPos_->isChecked();
  state.charPosCount = seCharPosCount_->value();
  state.csvSupport = cbCsvSupport_->isChecked();
  state.noConnected = cbNoConnected_->isChecked();
  const TSettingEnabling on = SettingEnabling(state);
  for (QWidget* widget : std::initializer_list<QWidget*>{
           cbSortByReading_, cbNumberOrder_, lbNumberOrder_, cbCharTypeOrder_, cbDuplicate_,
           cbDistinction_, lbCommentLTC_, commentLTC_}) {
    widget->setEnabled(on.charTypeOrder);
  }
  listBox_->setEnabled(on.classList);
  cbCharPos_->setEnabled(on.charPos);
  seCharPosCount_->setEnabled(on.charPosCount);
  lbCharPosCount_->setEnabled(on.charPosCount);
  cbLineEndCount_->setEnabled(on.lineEndCount);
  for (QWidget* widget : std::initializer_list<QWidget*>{seTargetCsvIndex_, seInsertCsvIndex_,
                                                         cbCsvDelimiter_, cbCsvNotRestore_}) {
    widget->setEnabled(on.csvFields);
  }
  for (QLabel* label : csvLabels_) {
    label->setEnabled(on.csvFields);
  }
  cbPun_->setEnabled(on.pun);
  lbPun_->setEnabled(on.pun);
  eOutputFilename_->setEnabled(on.outputFilename);
}

void TSettingForm::UpdateReorderButtons() {
  const QList<QListWidgetItem*> selected = listBox_->selectedItems();
  const int row = selected.isEmpty() ? -1 : listBox_->row(selected.constFirst());
  const TReorderButtons buttons = ReorderButtons(listBox_->hasFocus(), row, listBox_->count());
  sbUp_->setEnabled(buttons.up);
  sbDown_->setEnabled(buttons.down);
}

void TSettingForm::MoveSelectedClass(int step) {
  const QList<QListWidgetItem*> selected = listBox_->selectedItems();
  if (selected.isEmpty()) {
    return;
  }
  std::vector<std::string> entries;
  for (int i = 0; i < listBox_->count(); ++i) {
    entries.push_back(listBox_->item(i)->text().toStdString());
  }
  const int from = listBox_->row(selected.constFirst());
  const int to = MoveClassEntry(entries, from, step);
  if (to == from) {
    return;
  }
  QListWidgetItem* item = listBox_->takeItem(from);
  listBox_->insertItem(to, item);
  listBox_->setCurrentItem(item);
  item->setSelected(true);
}

void TSettingForm::reject() {
  if (!Temporary()) {
    QDialog::reject();
  }
}

void TSettingForm::closeEvent(QCloseEvent* event) {
  if (Temporary()) {
    event->ignore();
    emit CloseRequested();
    return;
  }
  QDialog::closeEvent(event);
}

bool TSettingForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == listBox_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::AltModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      MoveSelectedClass(key->key() == Qt::Key_Up ? -1 : +1);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TSettingForm::Save() {
  const std::string name = cbSortSettingName_->currentText().toStdString();
  try {
    SaveSettingAsked(settings_, name, setting_,
                     [this](TSettingOptionItems& record) { ReadSettingFromControls(record); });
    bnDel_->setEnabled(!name.empty() && settings_.SortSettingExists(name));
  } catch (const std::exception& e) {
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK);
  }
}

void TSettingForm::Delete() {
  const std::string name = cbSortSettingName_->currentText().toStdString();
  try {
    if (!DeleteSettingAsked(settings_, name)) {
      return;
    }
  } catch (const std::exception& e) {
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK);
    return;
  }
  emit SettingDeleted(QString::fromStdString(name));
  cbSortSettingName_->setCurrentIndex(-1);
  cbSortSettingName_->setEditText({});
  LoadSetting();
}

void TSettingForm::OpenInEditor(TFileNameEdit* field) {
  const std::string file = WithHomeFolder(field->text().toStdString());
  if (file.empty() || !FileExists(file)) {
    ShowMessage(kNoTextFileMessage, TMsgKind::Warning, TMsgButtons::OK);
    return;
  }
  shell_.OpenInEditor(options_.EditorPath, file);
}

void TSettingForm::CheckFolderField() {
  if (loading_) {
    return;
  }
  QLineEdit* edit = deOutputFolder_->lineEdit();
  const int caret = edit->cursorPosition();
  const TCheckedField checked = CheckOutputFolder(edit->text().toStdString());
  if (checked.removed) {
    ShowMessage(kForbiddenCharsMessage, TMsgKind::Error, TMsgButtons::OK);
    edit->setText(Q(checked.text)); // comes back here clean, and is passed on
    edit->setCursorPosition(std::max(0, caret - 1));
    return;
  }
  WriteImmediateFields();
}

void TSettingForm::CheckFileNameField() {
  if (loading_) {
    return;
  }
  const int caret = eOutputFilename_->cursorPosition();
  const TCheckedField checked = CheckOutputFileName(eOutputFilename_->text().toStdString());
  if (checked.removed) {
    ShowMessage(kForbiddenCharsMessage, TMsgKind::Error, TMsgButtons::OK);
    eOutputFilename_->setText(Q(checked.text));
    eOutputFilename_->setCursorPosition(std::max(0, caret - 1));
    return;
  }
  WriteImmediateFields();
}

void TSettingForm::WriteImmediateFields() {
  if (loading_ || !Temporary()) {
    return;
  }
  setting_.NoConnected = cbNoConnected_->isChecked();
  setting_.OutputFolder = deOutputFolder_->text().toStdString();
  setting_.OutputFilename = eOutputFilename_->text().toStdString();
  emit ImmediateFieldsChanged();
}

} // namespace zorbe
