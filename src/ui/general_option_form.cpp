#include "ui/general_option_form.h"

#include "app/sort_end.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "ui/file_name_edit.h"
#include "ui/keyboard_access.h"
#include "ui/spin_edit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace zorbe {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

} // namespace

TGeneralOptionForm::TGeneralOptionForm(IShell& shell, QWidget* parent)
    : QDialog(parent), shell_(shell) {
  setObjectName(QStringLiteral("GeneralOptionForm"));
  setWindowTitle(QStringLiteral("一般設定"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  BuildControls();
  LayOutControls();
  seFlashSec_->setAccessibleName(QStringLiteral("フラッシュの秒数"));
  speedButton1_->setAccessibleName(QStringLiteral("ソート終了音のテスト"));
  MakeKeyboardReady(this);

  connect(btnApply_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(speedButton1_, &QToolButton::clicked, this, &TGeneralOptionForm::TestSound);
  setFixedSize(sizeHint().expandedTo(QSize(384, 189)));
}

void TGeneralOptionForm::BuildControls() {
  fneEditorPath_ = new TFileNameEdit(TFileNameEdit::TMode::Open, this);
  fneEditorPath_->setObjectName(QStringLiteral("fneEditorPath"));
  // Programs here have no extension to filter by.
  fneEditorPath_->SetDialog(QStringLiteral("開く"), QStringLiteral("全てのファイル (*)|*"));
  fneEditorPath_->SetStartFolder(QStringLiteral("/usr/bin"));
  btnApply_ = new QPushButton(QStringLiteral("適用"), this);
  btnApply_->setObjectName(QStringLiteral("btnApply"));
  btnApply_->setDefault(true);
  btnCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  cbSortEndLVClear_ =
      new QCheckBox(QStringLiteral("ソート終了後ターゲットファイルをクリアする"), this);
  cbSortEndLVClear_->setObjectName(QStringLiteral("cbSortEndLVClear"));
  cbSetteingWindowTab_ = new QCheckBox(QStringLiteral("設定ウィンドウをタブ化する"), this);
  cbSetteingWindowTab_->setObjectName(QStringLiteral("cbSetteingWindowTab"));
  cbFlash_ = new QCheckBox(QStringLiteral("フラッシュさせる"), this);
  cbFlash_->setObjectName(QStringLiteral("cbFlash"));
  fneWAVE_ = new TFileNameEdit(TFileNameEdit::TMode::Open, this);
  fneWAVE_->setObjectName(QStringLiteral("fneWAVE"));
  fneWAVE_->SetDialog(QStringLiteral("開く"),
                      QStringLiteral("WAVE ファイル (*.wav)|*.wav|全てのファイル (*.*)|*.*"));
  seFlashSec_ = new TSpinEdit(this, 0, kMaxFlashSec);
  seFlashSec_->setObjectName(QStringLiteral("seFlashSec"));
  speedButton1_ = new QToolButton(this);
  speedButton1_->setObjectName(QStringLiteral("SpeedButton1"));
  speedButton1_->setArrowType(Qt::RightArrow);
  speedButton1_->setToolTip(QStringLiteral("テスト"));
  speedButton1_->setStatusTip(QStringLiteral("テスト"));
}

void TGeneralOptionForm::LayOutControls() {
  auto* editorLabel = new QLabel(QStringLiteral("エディタのパス:"), this);
  editorLabel->setBuddy(fneEditorPath_);
  auto* soundLabel = new QLabel(QStringLiteral("ソート終了音:"), this);
  soundLabel->setBuddy(fneWAVE_);
  auto* flashRow = new QHBoxLayout;
  flashRow->addWidget(cbFlash_);
  flashRow->addSpacing(12);
  flashRow->addWidget(seFlashSec_);
  flashRow->addWidget(new QLabel(QStringLiteral("秒"), this));
  flashRow->addStretch(1);
  auto* soundRow = new QHBoxLayout;
  soundRow->addWidget(fneWAVE_, 1);
  soundRow->addWidget(speedButton1_);

  auto* layout = new QGridLayout(this);
  layout->addWidget(editorLabel, 0, 0);
  layout->addWidget(fneEditorPath_, 1, 0);
  layout->addWidget(btnApply_, 1, 1);
  layout->addWidget(btnCancel_, 2, 1);
  layout->addWidget(cbSortEndLVClear_, 2, 0);
  layout->addWidget(cbSetteingWindowTab_, 3, 0);
  layout->addLayout(flashRow, 4, 0);
  layout->addWidget(soundLabel, 5, 0);
  layout->addLayout(soundRow, 6, 0);
  layout->setColumnStretch(0, 1);
}

void TGeneralOptionForm::SetOptions(const TOptions& options) {
  fneEditorPath_->setText(Q(options.EditorPath));
  cbSortEndLVClear_->setChecked(options.SortEndListViewClear);
  cbSetteingWindowTab_->setChecked(options.SettingWindowTab);
  fneWAVE_->setText(Q(options.WaveFileName));
  cbFlash_->setChecked(options.Flash);
  seFlashSec_->setValue(options.FlashSec);
}

TOptions TGeneralOptionForm::Options(TOptions base) const {
  base.EditorPath = fneEditorPath_->text().toStdString();
  base.SortEndListViewClear = cbSortEndLVClear_->isChecked();
  base.SettingWindowTab = cbSetteingWindowTab_->isChecked();
  base.WaveFileName = fneWAVE_->text().toStdString();
  base.Flash = cbFlash_->isChecked();
  base.FlashSec = seFlashSec_->value();
  return base;
}

void TGeneralOptionForm::TestSound() {
  const std::string file = fneWAVE_->text().toStdString();
  if (!file.empty() && FileExists(file)) {
    shell_.PlaySound(file);
  }
}

} // namespace zorbe
