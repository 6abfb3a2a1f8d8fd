#pragma once
// The settings window: shows one named sort setting, edits it, saves it under a name and
// deletes it. It comes in two kinds: the modal "ソート設定" window, and the compact temporary
// settings window beside the main window that edits "一時設定" (its name and button panels are
// hidden and its save button sits beside the sort method).
//
// Its controls map one to one onto the fields of TSettingOptionItems. Every change of the name
// loads that setting into the window's record (Setting) and the controls; every change of a control
// re-applies the enabling rules of src/app. With the tabbed option, or when the window would not
// fit the screen's work area otherwise, the settings are spread over two pages.

#include "settings/settings_file.h"

#include <QDialog>

#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace zorbe {

class IShell;
class TFileNameEdit;
class TFolderEdit;
class TRefreshingComboBox;
class TSpinEdit;

class TSettingForm : public QDialog {
  Q_OBJECT
public:
  enum class TKind { Modal, Temporary };
  // `options` supplies the editor for the "●" buttons and the tabbed layout; it must outlive
  // the window.
  TSettingForm(TKind kind, const TSettingsFile& settings, IShell& shell, const TOptions& options,
               QWidget* parent = nullptr);

  // Puts the name into the name box (as the opener does) and loads that setting.
  void SetSettingName(const QString& name);
  // Fields 2 to 30 of the record from the controls; the name stays.
  void ReadSettingFromControls(TSettingOptionItems& record) const;
  // The setting last loaded or saved; the temporary window also keeps NoConnected, OutputFolder
  // and OutputFilename in it as they are edited.
  const TSettingOptionItems& Setting() const { return setting_; }
  // The 100 ms timer: the up and down buttons of the class list.
  void UpdateReorderButtons();
  // Moves the selected class one place up (-1) or down (+1).
  void MoveSelectedClass(int step);
  // The temporary window stays until the main window releases it: Escape leaves it open, and
  // the window manager's close (where it offers one) only asks the main window to leave the
  // temporary setting (CloseRequested).
  void reject() override;

signals:
  // The temporary window changed NoConnected, OutputFolder or OutputFilename of Setting().
  void ImmediateFieldsChanged();
  // The window manager's close of the temporary window.
  void CloseRequested();
  // "デスクトップ(&D)" (1) or "送る(&S)" (2) of the shortcut button for the shown name.
  void ShortcutRequested(int tag, const QString& settingName);
  // The setting of that name was deleted: its launchers go too.
  void SettingDeleted(const QString& settingName);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  QWidget* BuildNamePanel();
  QWidget* BuildSortPanel();
  // The sort method's group, and the character classes' order (the list and its arrows).
  void BuildSortGroup(QWidget* panel);
  QGridLayout* BuildClassOrder(QWidget* panel);
  QWidget* BuildConversionGroups();
  // The frames of the key's place: a character position, or a column of CSV.
  QWidget* BuildKeyFrames();
  QFrame* BuildPositionFrame(QWidget* area);
  QFrame* BuildCsvFrame(QWidget* area);
  QGroupBox* BuildReplacementGroup();
  QGroupBox* BuildOutputGroup();
  QWidget* BuildButtonPanel();
  void Arrange(QWidget* namePanel, QWidget* sortPanel, QGroupBox* replacement, QGroupBox* output,
               QWidget* buttonPanel);
  void SpreadOverPages(QFrame* panel2, QGroupBox* replacement, QGroupBox* output);
  // The field with its "●" button, named after the field's caption.
  QWidget* FileRow(TFileNameEdit* field, int tag, const QString& caption);
  void RefreshNames();
  void LoadSetting();
  void ShowSetting(const TSettingOptionItems& setting);
  void ApplyEnabling();
  void Save();
  void Delete();
  void OpenInEditor(TFileNameEdit* field);
  void CheckFolderField();
  void CheckFileNameField();
  void WriteImmediateFields();
  bool Temporary() const { return kind_ == TKind::Temporary; }

  const TKind kind_;
  const TSettingsFile& settings_;
  IShell& shell_;
  const TOptions& options_;
  TSettingOptionItems setting_;
  bool loading_ = false;

  TRefreshingComboBox* cbSortSettingName_ = nullptr;
  QPushButton* bnSave_ = nullptr;
  QPushButton* bnDel_ = nullptr;
  QGroupBox* sortGroup_ = nullptr;
  QButtonGroup* sortButtons_ = nullptr;
  QCheckBox* cbSortByReading_ = nullptr;
  QComboBox* cbNumberOrder_ = nullptr;
  QLabel* lbNumberOrder_ = nullptr;
  QCheckBox* cbCharTypeOrder_ = nullptr;
  QListWidget* listBox_ = nullptr;
  QToolButton* sbUp_ = nullptr;
  QToolButton* sbDown_ = nullptr;
  QComboBox* cbPun_ = nullptr;
  QLabel* lbPun_ = nullptr;
  QComboBox* cbNum_ = nullptr;
  QComboBox* cbAlpha_ = nullptr;
  QComboBox* cbKataKana_ = nullptr;
  QComboBox* cbAlphaUL_ = nullptr;
  QCheckBox* cbDuplicate_ = nullptr;
  QCheckBox* cbReturnDel_ = nullptr;
  QCheckBox* cbFBSpaceDel_ = nullptr;
  QCheckBox* cbDistinction_ = nullptr;
  QCheckBox* cbNoConnected_ = nullptr;
  QCheckBox* cbCharPos_ = nullptr;
  TSpinEdit* seCharPosCount_ = nullptr;
  QLabel* lbCharPosCount_ = nullptr;
  QCheckBox* cbLineEndCount_ = nullptr;
  QCheckBox* cbCsvSupport_ = nullptr;
  TSpinEdit* seTargetCsvIndex_ = nullptr;
  TSpinEdit* seInsertCsvIndex_ = nullptr;
  QComboBox* cbCsvDelimiter_ = nullptr;
  QCheckBox* cbCsvNotRestore_ = nullptr;
  std::vector<QLabel*> csvLabels_;
  TFileNameEdit* delFNE_ = nullptr;
  QLineEdit* commentLTC_ = nullptr;
  QLabel* lbCommentLTC_ = nullptr;
  TFileNameEdit* fneReplacement_ = nullptr;
  TFileNameEdit* fneSynonymDic_ = nullptr;
  TFileNameEdit* fneFuzzyCharDic_ = nullptr;
  QCheckBox* cbBaseFuzzyCharDicUses_ = nullptr;
  TFolderEdit* deOutputFolder_ = nullptr;
  QLineEdit* eOutputFilename_ = nullptr;
  QPushButton* btnShortcut_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QTimer* timer_ = nullptr;
};

} // namespace zorbe
