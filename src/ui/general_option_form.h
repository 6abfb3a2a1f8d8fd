#pragma once
// The general options window ("一般設定"): the editor, the list clearing, the tabbed settings
// window, the flashing and the sound at the end of a sort. It edits a copy: the main window
// takes the values back only when the window closes with "適用" (OK).

#include "settings/settings_file.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QToolButton;

namespace zorbe {

class IShell;
class TFileNameEdit;
class TSpinEdit;

class TGeneralOptionForm : public QDialog {
  Q_OBJECT
public:
  explicit TGeneralOptionForm(IShell& shell, QWidget* parent = nullptr);

  // Fills the controls from the six options this window edits.
  void SetOptions(const TOptions& options);
  // `base` with the six options read back from the controls.
  TOptions Options(TOptions base) const;
  // "テスト": plays the sound file named in the field when it exists.
  void TestSound();

private:
  // The controls with their names, captions and hints; then their places, with their labels.
  void BuildControls();
  void LayOutControls();

  IShell& shell_;
  TFileNameEdit* fneEditorPath_;
  QPushButton* btnApply_;
  QPushButton* btnCancel_;
  QCheckBox* cbSortEndLVClear_;
  QCheckBox* cbSetteingWindowTab_;
  QCheckBox* cbFlash_;
  TFileNameEdit* fneWAVE_;
  TSpinEdit* seFlashSec_;
  QToolButton* speedButton1_;
};

} // namespace zorbe
