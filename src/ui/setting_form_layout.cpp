// TSettingForm: building its controls with their names and captions, arranging them plainly,
// tabbed or as the compact temporary window, and connecting them to the rules (setting_form.cpp).

#include "ui/setting_form.h"

#include "app/message_texts.h"
#include "text/input_code.h"
#include "ui/drop_down_list.h"
#include "ui/file_name_edit.h"
#include "ui/folder_edit.h"
#include "ui/keyboard_access.h"
#include "ui/panel_ex.h"
#include "ui/qt_window_placement.h"
#include "ui/refreshing_combo_box.h"
#include "ui/spin_edit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zorbe {
namespace {

template <typename Widget> Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* DropDown(QWidget* parent, const char* name, const QStringList& items) {
  auto* combo = Named(new TDropDownList(parent), name);
  combo->addItems(items);
  return combo;
}

// "自動" (detected), then the codes a setting may name for every target, in stored order.
QStringList InputCodeItems() {
  QStringList items{QStringLiteral("自動")};
  for (const TInputCode& row : InputCodes()) {
    items << QString::fromUtf8(row.caption);
  }
  return items;
}

QStringList WidthItems() {
  return {QStringLiteral("そのまま"), QStringLiteral("全角 → 半角"), QStringLiteral("半角 → 全角")};
}

} // namespace

QWidget* TSettingForm::BuildNamePanel() {
  auto* panel = Named(new QFrame(this), "Panel1");
  cbSortSettingName_ = Named(new TRefreshingComboBox(panel), "cbSortSettingName");
  cbSortSettingName_->setEditable(true);
  cbSortSettingName_->setInsertPolicy(QComboBox::NoInsert);
  cbSortSettingName_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  cbSortSettingName_->setAccessibleName(QStringLiteral("ソート設定名"));
  bnSave_ = Named(new QPushButton(QStringLiteral("保存(&S)"), panel), "bnSave");
  bnSave_->setDefault(true);
  bnDel_ = Named(new QPushButton(QStringLiteral("削除(&D)"), panel), "bnDel");
  auto* layout = new QHBoxLayout(panel);
  layout->addWidget(cbSortSettingName_, 1);
  layout->addWidget(bnSave_);
  layout->addWidget(bnDel_);
  connect(cbSortSettingName_, &QComboBox::editTextChanged, this, [this] { LoadSetting(); });
  connect(cbSortSettingName_, &TRefreshingComboBox::popupAboutToShow, this,
          &TSettingForm::RefreshNames);
  connect(bnSave_, &QPushButton::clicked, this, &TSettingForm::Save);
  connect(bnDel_, &QPushButton::clicked, this, &TSettingForm::Delete);
  return panel;
}

QWidget* TSettingForm::BuildSortPanel() {
  auto* panel = Named(new QFrame(this), "Panel2");
  BuildSortGroup(panel);
  QGridLayout* classes = BuildClassOrder(panel);
  delFNE_ = Named(new TFileNameEdit(TFileNameEdit::TMode::Open, panel), "DelFNE");
  delFNE_->SetDialog(QStringLiteral("開く"), QString::fromUtf8(kTextFileFilter));
  lbCommentLTC_ = Named(new QLabel(QStringLiteral("コメント行頭文字:"), panel), "lbCommentLTC");
  commentLTC_ = Named(new QLineEdit(panel), "CommentLTC");
  lbCommentLTC_->setBuddy(commentLTC_);

  auto* layout = new QGridLayout(panel);
  layout->addWidget(sortGroup_, 0, 0, 1, 2);
  layout->addLayout(classes, 1, 0);
  layout->addWidget(BuildConversionGroups(), 1, 1);
  layout->addWidget(BuildKeyFrames(), 2, 0, 1, 2);
  auto* files = new QGridLayout;
  auto* delLabel = new QLabel(QStringLiteral("削除文字列用ファイル:"), panel);
  delLabel->setBuddy(delFNE_);
  files->addWidget(delLabel, 0, 0);
  files->addWidget(FileRow(delFNE_, 1, delLabel->text()), 0, 1);
  files->addWidget(lbCommentLTC_, 1, 0);
  files->addWidget(commentLTC_, 1, 1);
  layout->addLayout(files, 3, 0, 1, 2);
  return panel;
}

void TSettingForm::BuildSortGroup(QWidget* panel) {
  sortGroup_ = Named(new QGroupBox(QStringLiteral("ソート方法"), panel), "SortGroup");
  sortButtons_ = new QButtonGroup(sortGroup_);
  auto* sortLayout = new QHBoxLayout(sortGroup_);
  const QString methods[] = {QStringLiteral("五十音順"), QStringLiteral("五十音逆順"),
                             QStringLiteral("無し")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(methods[i], sortGroup_);
    radio->setObjectName(QStringLiteral("SortGroupItem%1").arg(i));
    sortButtons_->addButton(radio, i);
    sortLayout->addWidget(radio);
  }
  cbSortByReading_ =
      Named(new QCheckBox(QStringLiteral("読みで並べ替え"), sortGroup_), "cbSortByReading");
  sortLayout->addWidget(cbSortByReading_);
  connect(sortButtons_, &QButtonGroup::idToggled, this, [this] { ApplyEnabling(); });
}

QGridLayout* TSettingForm::BuildClassOrder(QWidget* panel) {
  cbCharTypeOrder_ =
      Named(new QCheckBox(QStringLiteral("文字種の並び順を指定"), panel), "cbCharTypeOrder");
  listBox_ = Named(new QListWidget(panel), "ListBox");
  listBox_->setSelectionMode(QAbstractItemView::SingleSelection);
  listBox_->installEventFilter(this);
  listBox_->setAccessibleName(QStringLiteral("文字種の並び順"));
  listBox_->setAccessibleDescription(QStringLiteral("Alt+↑、Alt+↓ で選んだ文字種を移動"));
  sbUp_ = Named(new QToolButton(panel), "sbUp");
  sbUp_->setArrowType(Qt::UpArrow);
  sbDown_ = Named(new QToolButton(panel), "sbDown");
  sbDown_->setArrowType(Qt::DownArrow);
  sbUp_->setAccessibleName(QStringLiteral("上へ移動"));
  sbDown_->setAccessibleName(QStringLiteral("下へ移動"));
  for (QToolButton* button : {sbUp_, sbDown_}) {
    button->setFocusPolicy(Qt::NoFocus); // the list keeps the focus the buttons depend on
  }
  connect(sbUp_, &QToolButton::clicked, this, [this] { MoveSelectedClass(-1); });
  connect(sbDown_, &QToolButton::clicked, this, [this] { MoveSelectedClass(+1); });
  connect(cbCharTypeOrder_, &QCheckBox::toggled, this, [this] { ApplyEnabling(); });

  auto* classes = new QGridLayout;
  classes->addWidget(cbCharTypeOrder_, 0, 0, 1, 2);
  classes->addWidget(listBox_, 1, 0, 3, 1);
  classes->addWidget(sbUp_, 1, 1);
  classes->addWidget(sbDown_, 2, 1);
  classes->setRowStretch(3, 1);
  // Below the class list, where the window has room for it.
  cbNumberOrder_ = DropDown(panel, "cbNumberOrder",
                            {QStringLiteral("文字コード順"), QStringLiteral("数値順"),
                             QStringLiteral("数値順（漢数字も）")});
  lbNumberOrder_ = new QLabel(QStringLiteral("数字の順序:"), panel);
  lbNumberOrder_->setBuddy(cbNumberOrder_);
  auto* numbers = new QHBoxLayout;
  numbers->addWidget(lbNumberOrder_);
  numbers->addWidget(cbNumberOrder_, 1);
  classes->addLayout(numbers, 4, 0, 1, 2);
  return classes;
}

QWidget* TSettingForm::BuildConversionGroups() {
  auto* area = new QWidget(this);
  auto* width = new QGroupBox(QStringLiteral("全-半角変換"), area);
  cbPun_ = DropDown(width, "cbPun", WidthItems());
  cbNum_ = DropDown(width, "cbNum", WidthItems());
  cbAlpha_ = DropDown(width, "cbAlpha", WidthItems());
  cbKataKana_ = DropDown(width, "cbKataKana", WidthItems());
  lbPun_ = Named(new QLabel(QStringLiteral("記号:"), width), "lbPun");
  auto* widthLayout = new QGridLayout(width);
  const std::pair<QLabel*, QComboBox*> rows[] = {
      {lbPun_, cbPun_},
      {new QLabel(QStringLiteral("数字:"), width), cbNum_},
      {new QLabel(QStringLiteral("英字"), width), cbAlpha_},
      {new QLabel(QStringLiteral("片仮名:"), width), cbKataKana_},
  };
  for (int i = 0; i < 4; ++i) {
    rows[i].first->setBuddy(rows[i].second);
    widthLayout->addWidget(rows[i].first, i / 2, (i % 2) * 2);
    widthLayout->addWidget(rows[i].second, i / 2, (i % 2) * 2 + 1);
  }
  auto* kase = new QGroupBox(QStringLiteral("大-小文字変換"), area);
  cbAlphaUL_ = DropDown(kase, "cbAlphaUL",
                        {QStringLiteral("そのまま"), QStringLiteral("大文字 → 小文字"),
                         QStringLiteral("小文字 → 大文字")});
  auto* kaseLayout = new QHBoxLayout(kase);
  auto* alphaLabel = new QLabel(QStringLiteral("英字"), kase);
  alphaLabel->setBuddy(cbAlphaUL_);
  kaseLayout->addWidget(alphaLabel);
  kaseLayout->addWidget(cbAlphaUL_, 1);

  cbDuplicate_ = Named(new QCheckBox(QStringLiteral("重複行の削除"), area), "cbDuplicate");
  cbReturnDel_ = Named(new QCheckBox(QStringLiteral("改行のみの行を削除"), area), "cbReturnDel");
  cbFBSpaceDel_ = Named(new QCheckBox(QStringLiteral("前後空白の削除"), area), "cbFBSpaceDel");
  cbDistinction_ =
      Named(new QCheckBox(QStringLiteral("大/小文字を区別しない"), area), "cbDistinction");
  cbNoConnected_ =
      Named(new QCheckBox(QStringLiteral("連結しないでソート"), area), "cbNoConnected");
  connect(cbNoConnected_, &QCheckBox::toggled, this, [this] {
    ApplyEnabling();
    WriteImmediateFields();
  });

  auto* layout = new QGridLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(width, 0, 0, 1, 2);
  layout->addWidget(kase, 1, 0, 1, 2);
  layout->addWidget(cbDuplicate_, 2, 0);
  layout->addWidget(cbReturnDel_, 2, 1);
  layout->addWidget(cbFBSpaceDel_, 3, 0);
  layout->addWidget(cbDistinction_, 3, 1);
  layout->addWidget(cbNoConnected_, 4, 0);
  return area;
}

QWidget* TSettingForm::BuildKeyFrames() {
  auto* area = new QWidget(this);
  QFrame* position = BuildPositionFrame(area);
  QFrame* csv = BuildCsvFrame(area);
  connect(cbCharPos_, &QCheckBox::toggled, this, [this](bool on) {
    if (on && !loading_ && cbCharPos_->isEnabled()) {
      cbCsvSupport_->setChecked(false);
    }
    ApplyEnabling();
  });
  connect(cbCsvSupport_, &QCheckBox::toggled, this, [this](bool on) {
    if (on && !loading_) {
      cbCharPos_->setChecked(false);
    }
    ApplyEnabling();
  });
  connect(seCharPosCount_, &QSpinBox::valueChanged, this, [this] { ApplyEnabling(); });

  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(position);
  layout->addWidget(csv, 1);
  return area;
}

QFrame* TSettingForm::BuildPositionFrame(QWidget* area) {
  auto* position = new QFrame(area);
  position->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  cbCharPos_ = Named(new QCheckBox(QStringLiteral("文字位置の指定"), position), "cbCharPos");
  lbCharPosCount_ = Named(new QLabel(QStringLiteral("位置:"), position), "lbCharPosCount");
  seCharPosCount_ = Named(new TSpinEdit(position), "seCharPosCount");
  lbCharPosCount_->setBuddy(seCharPosCount_);
  cbLineEndCount_ =
      Named(new QCheckBox(QStringLiteral("行末から数える"), position), "cbLineEndCount");
  auto* positionLayout = new QGridLayout(position);
  positionLayout->addWidget(cbCharPos_, 0, 0, 1, 2);
  positionLayout->addWidget(lbCharPosCount_, 1, 0);
  positionLayout->addWidget(seCharPosCount_, 1, 1);
  positionLayout->addWidget(cbLineEndCount_, 2, 0, 1, 2);
  positionLayout->setRowStretch(3, 1);
  return position;
}

QFrame* TSettingForm::BuildCsvFrame(QWidget* area) {
  auto* csv = new QFrame(area);
  csv->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  cbCsvSupport_ =
      Named(new QCheckBox(QStringLiteral("CSVファイルのサポート"), csv), "cbCsvSupport");
  seTargetCsvIndex_ = Named(new TSpinEdit(csv), "seTargetCsvIndex");
  seInsertCsvIndex_ = Named(new TSpinEdit(csv), "seInsertCsvIndex");
  cbCsvDelimiter_ =
      DropDown(csv, "cbCsvDelimiter",
               {QStringLiteral("カンマ"), QStringLiteral("半角空白"), QStringLiteral("タブ")});
  cbCsvNotRestore_ =
      Named(new QCheckBox(QStringLiteral("ソート後復元しない"), csv), "cbCsvNotRestore");
  csvLabels_ = {Named(new QLabel(QStringLiteral("対象列:"), csv), "lbTargetCsvIndex"),
                Named(new QLabel(QStringLiteral("挿入列:"), csv), "lbInsertCsvIndex"),
                Named(new QLabel(QStringLiteral("区切文字:"), csv), "lbCsvDelimiter")};
  csvLabels_[0]->setBuddy(seTargetCsvIndex_);
  csvLabels_[1]->setBuddy(seInsertCsvIndex_);
  csvLabels_[2]->setBuddy(cbCsvDelimiter_);
  auto* csvLayout = new QGridLayout(csv);
  csvLayout->addWidget(cbCsvSupport_, 0, 0, 1, 4);
  csvLayout->addWidget(csvLabels_[0], 1, 0);
  csvLayout->addWidget(seTargetCsvIndex_, 1, 1);
  csvLayout->addWidget(csvLabels_[1], 1, 2);
  csvLayout->addWidget(seInsertCsvIndex_, 1, 3);
  csvLayout->addWidget(csvLabels_[2], 2, 0);
  csvLayout->addWidget(cbCsvDelimiter_, 2, 1);
  csvLayout->addWidget(cbCsvNotRestore_, 2, 2, 1, 2);
  return csv;
}

QWidget* TSettingForm::FileRow(TFileNameEdit* field, int tag, const QString& caption) {
  auto* row = new QWidget(field->parentWidget());
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  field->setParent(row);
  layout->addWidget(field, 1);
  auto* open = new TPanelEx(QStringLiteral("●"), row);
  open->setObjectName(QStringLiteral("PanelEx%1").arg(tag));
  open->setProperty("tag", tag);
  open->setAccessibleName(CaptionAsName(caption) + QStringLiteral("をエディタで開く"));
  open->setToolTip(QStringLiteral("エディタで開く"));
  layout->addWidget(open);
  connect(open, &TPanelEx::clicked, this, [this, field] { OpenInEditor(field); });
  return row;
}

QGroupBox* TSettingForm::BuildReplacementGroup() {
  auto* group = new QGroupBox(QStringLiteral("文字列の置換"), this);
  group->setObjectName(QStringLiteral("ReplacementGroup"));
  fneReplacement_ = Named(new TFileNameEdit(TFileNameEdit::TMode::Open, group), "fneReplacement");
  fneSynonymDic_ = Named(new TFileNameEdit(TFileNameEdit::TMode::Open, group), "fneSynonymDic");
  fneFuzzyCharDic_ = Named(new TFileNameEdit(TFileNameEdit::TMode::Open, group), "fneFuzzyCharDic");
  cbBaseFuzzyCharDicUses_ =
      Named(new QCheckBox(QStringLiteral("基本辞書のみ使う"), group), "cbBaseFuzzyCharDicUses");
  auto* layout = new QGridLayout(group);
  const std::pair<const char*, TFileNameEdit*> fields[] = {
      {"置換用ファイル:", fneReplacement_},
      {"同意語辞書用ファイル:", fneSynonymDic_},
      {"文字同一視辞書用ファイル:", fneFuzzyCharDic_},
  };
  int row = 0;
  for (const auto& [caption, field] : fields) {
    field->SetDialog(QStringLiteral("開く"), QString::fromUtf8(kTextFileFilter));
    auto* label = new QLabel(QString::fromUtf8(caption), group);
    label->setBuddy(field);
    layout->addWidget(label, row, 0);
    layout->addWidget(FileRow(field, row + 2, label->text()), row, 1);
    ++row;
  }
  layout->addWidget(cbBaseFuzzyCharDicUses_, row, 1);
  return group;
}

QGroupBox* TSettingForm::BuildOutputGroup() {
  auto* group = new QGroupBox(QStringLiteral("出力先の固定:"), this);
  group->setObjectName(QStringLiteral("OutputGroup"));
  deOutputFolder_ = Named(new TFolderEdit(group), "deOutputFolder");
  eOutputFilename_ = Named(new QLineEdit(group), "eOutputFilename");
  auto* layout = new QGridLayout(group);
  auto* folderLabel = new QLabel(QStringLiteral("フォルダ:"), group);
  folderLabel->setBuddy(deOutputFolder_);
  auto* nameLabel = new QLabel(QStringLiteral("ファイル名"), group);
  nameLabel->setBuddy(eOutputFilename_);
  layout->addWidget(folderLabel, 0, 0);
  layout->addWidget(deOutputFolder_, 0, 1);
  layout->addWidget(nameLabel, 1, 0);
  layout->addWidget(eOutputFilename_, 1, 1);
  auto* codes = new QHBoxLayout;
  const std::pair<QString, QComboBox*> codeRows[] = {
      {QStringLiteral("入力文字コード:"), DropDown(group, "cbInputCode", InputCodeItems())},
      {QStringLiteral("出力文字コード:"),
       DropDown(group, "cbOutputCode",
                {QStringLiteral("自動"), QStringLiteral("Shift-JIS"), QStringLiteral("UTF-8"),
                 QStringLiteral("EUC-JP"), QStringLiteral("UTF-16"), QStringLiteral("EUC-JIS-2004"),
                 QStringLiteral("Shift_JIS-2004")})},
      {QStringLiteral("改行コード:"),
       DropDown(group, "cbOutputLineEnd",
                {QStringLiteral("自動"), QStringLiteral("CR LF"), QStringLiteral("LF")})},
  };
  for (const auto& [caption, combo] : codeRows) {
    auto* label = new QLabel(caption, group);
    label->setBuddy(combo);
    codes->addWidget(label);
    codes->addWidget(combo);
  }
  codes->addStretch(1);
  layout->addLayout(codes, 2, 0, 1, 2);
  connect(deOutputFolder_, &TFolderEdit::textChanged, this, &TSettingForm::CheckFolderField);
  connect(eOutputFilename_, &QLineEdit::textChanged, this, &TSettingForm::CheckFileNameField);
  return group;
}

QWidget* TSettingForm::BuildButtonPanel() {
  auto* panel = Named(new QFrame(this), "Panel3");
  btnShortcut_ =
      Named(new QPushButton(QStringLiteral("ショートカットの作成(&C)"), panel), "btnShortcut");
  btnClose_ = Named(new QPushButton(QStringLiteral("閉じる(&X)"), panel), "btnClose");
  auto* menu = Named(new QMenu(btnShortcut_), "pmShortcut");
  const std::pair<int, QString> items[] = {{1, QStringLiteral("デスクトップ(&D)")},
                                           {2, QStringLiteral("送る(&S)")}};
  for (const auto& [tag, caption] : items) {
    QAction* action = menu->addAction(caption);
    action->setData(tag);
    connect(action, &QAction::triggered, this,
            [this, tag = tag] { emit ShortcutRequested(tag, cbSortSettingName_->currentText()); });
  }
  // The launchers are made by whoever listens; without a listener the items can't be chosen.
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    const bool handled =
        isSignalConnected(QMetaMethod::fromSignal(&TSettingForm::ShortcutRequested));
    for (QAction* action : menu->actions()) {
      action->setEnabled(handled);
    }
  });
  connect(btnShortcut_, &QPushButton::clicked, this, [this, menu] {
    menu->popup(btnShortcut_->mapToGlobal(QPoint(0, btnShortcut_->height())));
  });
  connect(btnClose_, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QHBoxLayout(panel);
  layout->addStretch(1);
  layout->addWidget(btnShortcut_);
  layout->addWidget(btnClose_);
  return panel;
}

void TSettingForm::Arrange(QWidget* namePanel, QWidget* sortPanel, QGroupBox* replacement,
                           QGroupBox* output, QWidget* buttonPanel) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(namePanel);
  auto* panel2 = static_cast<QFrame*>(sortPanel);
  auto* panel2Layout = static_cast<QGridLayout*>(panel2->layout());
  if (Temporary()) {
    // The name panel is hidden: its save button moves beside the sort method.
    panel2Layout->removeWidget(sortGroup_);
    auto* row = new QHBoxLayout;
    row->addWidget(sortGroup_, 1);
    bnSave_->setParent(panel2);
    row->addWidget(bnSave_, 0, Qt::AlignVCenter);
    panel2Layout->addLayout(row, 0, 0, 1, 2);
    namePanel->hide();
    buttonPanel->hide();
    // Its size follows its contents: a window manager offers no maximising for it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }
  panel2->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  panel2Layout->addWidget(replacement, 4, 0, 1, 2);
  panel2Layout->addWidget(output, 5, 0, 1, 2);
  layout->addWidget(panel2);
  layout->addWidget(buttonPanel);
  if (options_.SettingWindowTab || !FitsWorkArea(sizeHint(), WorkAreaOf(parentWidget()))) {
    SpreadOverPages(panel2, replacement, output);
  }
}

// The tabbed layout: the settings panel on the first page, the replacement and output groups on
// the second, both pages between the name panel and the button panel.
void TSettingForm::SpreadOverPages(QFrame* panel2, QGroupBox* replacement, QGroupBox* output) {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  auto* pages = Named(new QTabWidget(this), "PageControl");
  auto* page1 = Named(new QWidget(pages), "Page1");
  auto* page2 = Named(new QWidget(pages), "Page2");
  layout->removeWidget(panel2);
  panel2->setFrameStyle(QFrame::NoFrame);
  auto* page1Layout = new QVBoxLayout(page1);
  page1Layout->setContentsMargins(0, 0, 0, 0); // the panel keeps margins of its own
  page1Layout->addWidget(panel2);
  auto* page2Layout = new QVBoxLayout(page2);
  page2Layout->addWidget(replacement);
  page2Layout->addWidget(output);
  page2Layout->addStretch(1);
  pages->addTab(page1, QStringLiteral("其の１"));
  pages->addTab(page2, QStringLiteral("其の２"));
  layout->insertWidget(1, pages);
}

} // namespace zorbe
