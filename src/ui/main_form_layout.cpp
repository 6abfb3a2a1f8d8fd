// TMainForm: building its widgets and menus, with their names, captions, hints and shortcuts,
// and connecting them to the commands (main_form.cpp).

#include "ui/main_form.h"

#include "app/message_texts.h"
#include "ui/file_drop_target.h"
#include "ui/file_name_edit.h"
#include "ui/refreshing_combo_box.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zorbe {
namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint = {}) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  if (!hint.isEmpty()) {
    button->setToolTip(hint);
    button->setStatusTip(hint);
  }
  return button;
}

} // namespace

void TMainForm::BuildList() {
  list_ = new QTableWidget(0, 2, centralWidget());
  list_->setObjectName(QStringLiteral("FileNameListView"));
  list_->setHorizontalHeaderLabels(
      {QStringLiteral("ターゲットファイル"), QStringLiteral("コード")});
  // The file column takes whatever width the code column leaves, so the list never scrolls
  // sideways and the code stays in view when the window is resized.
  list_->horizontalHeader()->setSectionsClickable(false);
  list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->setColumnWidth(1, 60);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->setTabKeyNavigation(false); // Tab leaves the list; the arrow keys move within it
  list_->setAccessibleName(QStringLiteral("ターゲットファイル"));
  const QString hint =
      QStringLiteral("ここにドラッグ&ドロップをしてください 又はダブルクリックでダイアログを開く");
  list_->setToolTip(hint);
  list_->setStatusTip(hint);
  list_->viewport()->installEventFilter(this);
  listPalette_ = list_->palette();
  centralWidget()->layout()->addWidget(list_);

  codeTypePanel_ = new QFrame(centralWidget());
  codeTypePanel_->setObjectName(QStringLiteral("CodeTypePanel"));
  codeTypePanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  codeTypePanel_->setAutoFillBackground(true);
  auto* caption = new QLabel(QStringLiteral("文字コード判定中"), codeTypePanel_);
  caption->setAlignment(Qt::AlignCenter);
  auto* panelLayout = new QVBoxLayout(codeTypePanel_);
  panelLayout->addWidget(caption);
  codeTypePanel_->resize(codeTypePanel_->sizeHint().expandedTo(QSize(113, 41)));
  codeTypePanel_->hide();
}

void TMainForm::BuildBottomPanel() {
  auto* panel = new QWidget(centralWidget());
  panel->setObjectName(QStringLiteral("BottomPanel"));
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(8, 6, 8, 6);
  bnDel_ = Button(panel, "bnDel", QStringLiteral("削除(&D)"),
                  QStringLiteral("ターゲットファイルをリストから削除"));
  bnClear_ = Button(panel, "bnClear", QStringLiteral("クリア(&C)"),
                    QStringLiteral("ターゲットファイルをリストをクリア"));
  cbSettingName_ = new TRefreshingComboBox(panel);
  cbSettingName_->setObjectName(QStringLiteral("cbSettingName"));
  cbSettingName_->setToolTip(QStringLiteral("ソート設定"));
  cbSettingName_->setStatusTip(QStringLiteral("ソート設定"));
  cbSettingName_->setAccessibleName(QStringLiteral("ソート設定"));
  // Alt+S is 開始(&S)'s: this button takes T, so that each accelerator presses its button.
  btnSortOption_ = Button(panel, "btnSortOption", QStringLiteral("ソート設定(&T)"));
  auto* label = new QLabel(QStringLiteral("ソート後のファイル名(&N)："), panel);
  fne_ = new TFileNameEdit(TFileNameEdit::TMode::Save, panel);
  fne_->setObjectName(QStringLiteral("FNE"));
  fne_->SetQuotesChoice(true); // the field is read like a command line
  fne_->SetDialog(QStringLiteral("ソート後のファイ名"), QString::fromUtf8(kTextFileFilter),
                  QStringLiteral("txt"));
  label->setBuddy(fne_);
  outputPalette_ = fne_->lineEdit()->palette();
  bnStart_ = Button(panel, "bnStart", QStringLiteral("開始(&S)"), QStringLiteral("ソートを開始"));
  bnStop_ = Button(panel, "bnStop", QStringLiteral("中止"), QStringLiteral("ソートを中止"));
  bnStop_->setEnabled(false);
  bnExit_ = Button(panel, "bnExit", QStringLiteral("終了(&X)"), QStringLiteral("Zorbeを終了"));

  auto* top = new QHBoxLayout;
  top->addWidget(bnDel_);
  top->addWidget(bnClear_);
  top->addWidget(cbSettingName_, 1);
  top->addWidget(btnSortOption_);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(bnStart_);
  bottom->addWidget(bnStop_);
  bottom->addWidget(bnExit_);
  grid->addLayout(top, 0, 0);
  grid->addWidget(label, 1, 0);
  grid->addWidget(fne_, 2, 0);
  grid->addLayout(bottom, 3, 0);
  centralWidget()->layout()->addWidget(panel);

  connect(bnDel_, &QPushButton::clicked, this, &TMainForm::DeleteSelected);
  connect(bnClear_, &QPushButton::clicked, this, &TMainForm::Clear);
  connect(btnSortOption_, &QPushButton::clicked, this, &TMainForm::OpenSortSettings);
  connect(bnStart_, &QPushButton::clicked, this, &TMainForm::Start);
  connect(bnStop_, &QPushButton::clicked, this, &TMainForm::Stop);
  connect(bnExit_, &QPushButton::clicked, this, &TMainForm::close);
  connect(cbSettingName_, &QComboBox::activated, this, [this] { SettingNameChanged(); });
  connect(cbSettingName_, &TRefreshingComboBox::popupAboutToShow, this,
          [this] { FillSettingNames(cbSettingName_->currentText()); });
}

QAction* TMainForm::AddAction(QMenu* menu, const char* name, const QString& caption,
                              const QString& hint, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  action->setToolTip(hint); // shown while a sort's bar takes the status bar
  menu->setToolTipsVisible(true);
  action->setShortcut(shortcut);
  return action;
}

void TMainForm::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  BuildOptionMenu();
  BuildHelpMenu();
  // The time analyzer's result window is for developers: a shortcut of the window, in no menu.
  auto* timeAnaResult = new QAction(this);
  timeAnaResult->setObjectName(QStringLiteral("mmTimeAnaResult"));
  timeAnaResult->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Shift+T")));
  addAction(timeAnaResult);
  connect(timeAnaResult, &QAction::triggered, this, &TMainForm::ShowTimeAnaResult);
}

void TMainForm::BuildFileMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("mmFile"));
  connect(AddAction(file, "mmOpen", QStringLiteral("開く(&O)"),
                    QStringLiteral("ターゲットファイルを開く"),
                    QKeySequence(QStringLiteral("Ctrl+O"))),
          &QAction::triggered, this, &TMainForm::OpenFiles);
  file->addSeparator();
  QMenu* clip = file->addMenu(QStringLiteral("クリップボードのソート(&C)"));
  clip->setObjectName(QStringLiteral("mmClipboard"));
  clip->menuAction()->setStatusTip(QStringLiteral("クリップボードのソート"));
  mmClipToClip_ = AddAction(clip, "mmClipToClip", QStringLiteral("クリップボードに書き戻す(&W)"),
                            QStringLiteral("クリップボードの文字をソートして書き戻す"),
                            QKeySequence(QStringLiteral("Ctrl+C")));
  mmClipToFile_ = AddAction(clip, "mmClipToFile", QStringLiteral("ファイルに保存する(&F)"),
                            QStringLiteral("クリップボードの文字をソートしてファイルに保存"));
  for (QAction* item : {mmClipToClip_, mmClipToFile_}) {
    connect(item, &QAction::triggered, this,
            [this, item] { mmClipboardClick(item->objectName()); });
  }
  file->addSeparator();
  connect(AddAction(file, "mmExit", QStringLiteral("終了(&X)"), QStringLiteral("Zorbeを終了")),
          &QAction::triggered, this, &TMainForm::close);
}

void TMainForm::BuildEditMenu() {
  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("mmEdit"));
  mmDelete_ = AddAction(edit, "mmDelete", QStringLiteral("削除(&D)"),
                        QStringLiteral("ターゲットファイルをリストから削除"),
                        QKeySequence(QStringLiteral("Shift+Del")));
  edit->addSeparator();
  mmClear_ = AddAction(edit, "mmClear", QStringLiteral("クリア(&C)"),
                       QStringLiteral("ターゲットファイルのリストをクリア"),
                       QKeySequence(QStringLiteral("Ctrl+Del")));
  connect(mmDelete_, &QAction::triggered, this, &TMainForm::DeleteSelected);
  connect(mmClear_, &QAction::triggered, this, &TMainForm::Clear);
}

void TMainForm::BuildOptionMenu() {
  QMenu* option = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
  option->setObjectName(QStringLiteral("mmOption"));
  mmOnTheTop_ = AddAction(option, "mmOnTheTop", QStringLiteral("常に手前(&T)"),
                          QStringLiteral("他のウィンドウに隠れないようにする"));
  mmSortedSoon_ = AddAction(option, "mmSortedSoon", QStringLiteral("直ちにソート(&I)"),
                            QStringLiteral("D&D時に直ぐソートを開始する"));
  mmEditorOpen_ = AddAction(option, "mmEditorOpen", QStringLiteral("ソート後エディタで開く(&E)"),
                            QStringLiteral("ソート後 関連づけしてあるエディタで開く"));
  for (QAction* toggle : {mmOnTheTop_, mmSortedSoon_, mmEditorOpen_}) {
    toggle->setCheckable(true);
  }
  connect(mmOnTheTop_, &QAction::triggered, this, [this](bool on) { SetOnTop(on); });
  connect(mmSortedSoon_, &QAction::triggered, this, &TMainForm::ToggleSortedSoon);
  option->addSeparator();
  connect(
      AddAction(option, "mmSetting", QStringLiteral("一般設定(&O)"), QStringLiteral("一般設定")),
      &QAction::triggered, this, &TMainForm::OpenGeneralOptions);
  option->addSeparator();
  mmSortOption_ = AddAction(option, "mmSortOption", QStringLiteral("ソート設定(&S)"),
                            QStringLiteral("ソート設定"), QKeySequence(QStringLiteral("Ctrl+S")));
  connect(mmSortOption_, &QAction::triggered, this, &TMainForm::OpenSortSettings);
  option->addSeparator();
}

void TMainForm::BuildHelpMenu() {
  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("mmHelp"));
  connect(AddAction(help, "mmContents", QStringLiteral("目次(&C)"),
                    QStringLiteral("ヘルプファイルを開く"), QKeySequence(QStringLiteral("F1"))),
          &QAction::triggered, this, &TMainForm::OpenHelp);
  help->addSeparator();
  connect(AddAction(help, "mmAbout", QStringLiteral("バージョン情報(&A)"),
                    QStringLiteral("バージョン情報の表示")),
          &QAction::triggered, this, &TMainForm::OpenAbout);
}

} // namespace zorbe
