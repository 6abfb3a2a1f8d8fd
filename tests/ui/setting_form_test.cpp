#include "ui/setting_form.h"

#include "settings/setting_keys.h"
#include "text/input_code.h"
#include "ui/file_name_edit.h"
#include "ui/folder_edit.h"
#include "ui/panel_ex.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace zorbe {
namespace {

using test::Find;
using test::Q;

class SettingFormTest : public test::UiTest {
protected:
  std::unique_ptr<TSettingForm> MakeForm(const QString& name,
                                         TSettingForm::TKind kind = TSettingForm::TKind::Modal) {
    auto form = std::make_unique<TSettingForm>(kind, settings, shell, options);
    form->SetSettingName(name);
    form->show();
    return form;
  }
  static QCheckBox* Check(TSettingForm& form, const char* name) {
    return Find<QCheckBox>(&form, name);
  }
  static QComboBox* NameBox(TSettingForm& form) {
    return Find<QComboBox>(&form, "cbSortSettingName");
  }
  static std::vector<std::string> Classes(TSettingForm& form) {
    auto* list = Find<QListWidget>(&form, "ListBox");
    std::vector<std::string> entries;
    for (int i = 0; i < list->count(); ++i) {
      entries.push_back(list->item(i)->text().toStdString());
    }
    return entries;
  }
  static TSettingOptionItems Everything() {
    TSettingOptionItems s = SettingDefaults();
    s.SortDirection = 1;
    s.SortByReading = true;
    s.NumberOrder = 2;
    s.CharTypeOrder = false;
    s.OrderOfRow = "全角 - 漢字;空白、TAB、改行;半角 - 記号";
    s.Duplicate = s.ReturnDel = s.FBSpaceDel = s.Distinction = true;
    s.CsvSupport = true;
    s.TargetCsvIndex = 2;
    s.InsertCsvIndex = 1;
    s.CsvNotRestore = true;
    s.CsvDelimiter = 2;
    s.CharPosCount = 4;
    s.LineEndCount = true;
    s.Pun = 1;
    s.Num = 2;
    s.Alpha = 1;
    s.KataKana = 2;
    s.AlphaUL = 1;
    s.DelChars = "/d/del.txt";
    s.CLTC = "#;//";
    s.Replacement = "/d/rep.txt";
    s.SynonymDic = "/d/syn.txt";
    s.FuzzyCharDic = "/d/fuzzy.txt";
    s.BaseFuzzyCharDicUses = true;
    s.OutputFolder = "/out";
    s.OutputFilename = "sorted.txt";
    s.OutputCode = ocEucJp;
    s.OutputLineEnd = leLf;
    s.InputCode = static_cast<std::int32_t>(InputCodes().size()); // the table's last code
    return s;
  }

  TOptions options;
};

TEST_F(SettingFormTest, ControlsShowAndGiveBackEveryField) {
  const TSettingOptionItems stored = Everything();
  settings.SaveSortSetting("full", stored);
  auto form = MakeForm(QStringLiteral("full"));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("ソート設定"));
  EXPECT_EQ(form->Setting(), settings.LoadSortSetting("full"));
  EXPECT_EQ(Classes(*form),
            (std::vector<std::string>{"全角 - 漢字", "空白、TAB、改行", "半角 - 記号"}));
  TSettingOptionItems read;
  read.SettingName = "kept";
  form->ReadSettingFromControls(read);
  TSettingOptionItems expected = stored;
  expected.SettingName = "kept";
  EXPECT_EQ(read, expected);
  EXPECT_TRUE(Find<QPushButton>(form.get(), "bnDel")->isEnabled());
  // Every key of the table has its control, in both kinds of window.
  auto temporary =
      MakeForm(QString::fromUtf8(kTemporarySettingName), TSettingForm::TKind::Temporary);
  for (const TSettingKey& key : SettingKeys()) {
    EXPECT_NE(form->findChild<QWidget*>(key.control), nullptr) << key.name;
    EXPECT_NE(temporary->findChild<QWidget*>(key.control), nullptr) << key.name;
  }
  EXPECT_EQ(Find<QComboBox>(form.get(), "cbOutputCode")->currentText(), QStringLiteral("EUC-JP"));
  EXPECT_EQ(Find<QComboBox>(form.get(), "cbOutputLineEnd")->currentText(), QStringLiteral("LF"));
  // The input codes are the table's, after 自動, in both windows.
  for (const TSettingForm* shown : {form.get(), temporary.get()}) {
    const QComboBox* codes = Find<QComboBox>(shown, "cbInputCode");
    ASSERT_EQ(static_cast<std::size_t>(codes->count()), InputCodes().size() + 1);
    EXPECT_EQ(codes->itemText(0), QStringLiteral("自動"));
    for (std::size_t i = 0; i < InputCodes().size(); ++i) {
      EXPECT_EQ(codes->itemText(static_cast<int>(i) + 1),
                QString::fromUtf8(InputCodes()[i].caption));
    }
  }
  EXPECT_EQ(Find<QComboBox>(form.get(), "cbInputCode")->currentText(),
            QString::fromUtf8(InputCodes().back().caption));
}

TEST_F(SettingFormTest, TypingANameLoadsItOrTheDefaultsAtOnce) {
  TSettingOptionItems abc = SettingDefaults();
  abc.Duplicate = true;
  settings.SaveSortSetting("abc", abc);
  auto form = MakeForm(QStringLiteral("abc"));
  QLineEdit* edit = NameBox(*form)->lineEdit();
  EXPECT_TRUE(Check(*form, "cbDuplicate")->isChecked());
  QTest::keyClick(edit, Qt::Key_D);
  EXPECT_EQ(edit->text(), QStringLiteral("abcd"));
  EXPECT_FALSE(Check(*form, "cbDuplicate")->isChecked());
  EXPECT_FALSE(Find<QPushButton>(form.get(), "bnDel")->isEnabled());
  EXPECT_EQ(form->Setting(), SettingDefaults("abcd"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_TRUE(Check(*form, "cbDuplicate")->isChecked());
  EXPECT_TRUE(Find<QPushButton>(form.get(), "bnDel")->isEnabled());
}

TEST_F(SettingFormTest, SaveAndDeleteAskAndReport) {
  auto form = MakeForm(QStringLiteral("new one"));
  Check(*form, "cbReturnDel")->setChecked(true);
  Find<QPushButton>(form.get(), "bnSave")->click();
  EXPECT_TRUE(settings.LoadSortSetting("new one").ReturnDel);
  EXPECT_TRUE(Find<QPushButton>(form.get(), "bnDel")->isEnabled());

  Check(*form, "cbReturnDel")->setChecked(false);
  Find<QPushButton>(form.get(), "bnSave")->click(); // answered No
  EXPECT_TRUE(settings.LoadSortSetting("new one").ReturnDel);

  messages.SetNextAnswer(TMsgResult::Yes);
  Find<QPushButton>(form.get(), "bnDel")->click();
  EXPECT_FALSE(settings.SortSettingExists("new one"));
  EXPECT_TRUE(NameBox(*form)->currentText().isEmpty());
  EXPECT_FALSE(Find<QPushButton>(form.get(), "bnDel")->isEnabled());
  EXPECT_EQ(form->Setting(), SettingDefaults(""));
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{
                "ソート設定名「new one」を保存しました。",
                "ソート設定名「new one」は、既に存在しています。\r\n上書きしますか？",
                "ソート設定名「new one」を保存しませんでした。",
                "ソート設定名「new one」を、削除します。\r\n宜しいですか？",
                "ソート設定名「new one」を削除しました。"}));
}

TEST_F(SettingFormTest, NoOrderingDisablesWhatOnlyOrderingUsesButKeepsTheValues) {
  TSettingOptionItems s = SettingDefaults();
  s.Duplicate = true;
  s.CLTC = "#";
  settings.SaveSortSetting("s", s);
  auto form = MakeForm(QStringLiteral("s"));
  const char* const orderingOnly[] = {"cbSortByReading", "cbNumberOrder", "cbCharTypeOrder",
                                      "cbDuplicate",     "cbDistinction", "ListBox",
                                      "CommentLTC",      "lbCommentLTC",  "cbCharPos"};
  for (const char* name : orderingOnly) {
    EXPECT_TRUE(Find<QWidget>(form.get(), name)->isEnabled()) << name;
  }
  Find<QRadioButton>(form.get(), "SortGroupItem2")->click();
  for (const char* name : orderingOnly) {
    EXPECT_FALSE(Find<QWidget>(form.get(), name)->isEnabled()) << name;
  }
  TSettingOptionItems read;
  form->ReadSettingFromControls(read);
  EXPECT_EQ(read.SortDirection, 2);
  EXPECT_TRUE(read.Duplicate);
  EXPECT_EQ(read.CLTC, "#");
  Find<QRadioButton>(form.get(), "SortGroupItem0")->click();
  Check(*form, "cbCharTypeOrder")->click();
  EXPECT_FALSE(Find<QWidget>(form.get(), "ListBox")->isEnabled());
  EXPECT_TRUE(Find<QWidget>(form.get(), "cbDuplicate")->isEnabled());
}

TEST_F(SettingFormTest, CsvAndPositionKeysExcludeEachOther) {
  auto form = MakeForm({});
  QCheckBox* csv = Check(*form, "cbCsvSupport");
  QCheckBox* position = Check(*form, "cbCharPos");
  auto* count = Find<QSpinBox>(form.get(), "seCharPosCount");
  EXPECT_FALSE(count->isEnabled());
  position->click();
  EXPECT_TRUE(count->isEnabled());
  EXPECT_TRUE(Find<QLabel>(form.get(), "lbCharPosCount")->isEnabled());
  EXPECT_FALSE(Check(*form, "cbLineEndCount")->isEnabled());
  count->setValue(2);
  EXPECT_TRUE(Check(*form, "cbLineEndCount")->isEnabled());

  csv->click();
  EXPECT_TRUE(csv->isChecked());
  EXPECT_FALSE(position->isChecked());
  EXPECT_FALSE(count->isEnabled());
  EXPECT_FALSE(Find<QComboBox>(form.get(), "cbPun")->isEnabled());
  EXPECT_FALSE(Find<QLabel>(form.get(), "lbPun")->isEnabled());
  for (const char* name :
       {"seTargetCsvIndex", "seInsertCsvIndex", "cbCsvDelimiter", "cbCsvNotRestore",
        "lbTargetCsvIndex", "lbInsertCsvIndex", "lbCsvDelimiter"}) {
    EXPECT_TRUE(Find<QWidget>(form.get(), name)->isEnabled()) << name;
  }
  position->click();
  EXPECT_FALSE(csv->isChecked());
  EXPECT_TRUE(Find<QComboBox>(form.get(), "cbPun")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(form.get(), "seTargetCsvIndex")->isEnabled());
}

TEST_F(SettingFormTest, ASettingWithBothKeysShowsOnlyThePosition) {
  TSettingOptionItems both = SettingDefaults();
  both.CsvSupport = true;
  both.CharPos = true;
  settings.SaveSortSetting("both", both);
  both.SortDirection = 2;
  settings.SaveSortSetting("both unordered", both);
  auto form = MakeForm(QStringLiteral("both"));
  EXPECT_TRUE(Check(*form, "cbCharPos")->isChecked());
  EXPECT_FALSE(Check(*form, "cbCsvSupport")->isChecked());
  form->SetSettingName(QStringLiteral("both unordered"));
  EXPECT_TRUE(Check(*form, "cbCharPos")->isChecked());
  EXPECT_TRUE(Check(*form, "cbCsvSupport")->isChecked());
}

TEST_F(SettingFormTest, ClassesMoveWithTheButtonsAndAltArrows) {
  auto form = MakeForm({});
  auto* list = Find<QListWidget>(form.get(), "ListBox");
  auto* up = Find<QToolButton>(form.get(), "sbUp");
  auto* down = Find<QToolButton>(form.get(), "sbDown");
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  list->setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return list->hasFocus(); }));
  form->UpdateReorderButtons();
  EXPECT_FALSE(up->isEnabled()); // nothing selected
  EXPECT_FALSE(down->isEnabled());

  list->setCurrentRow(0);
  form->UpdateReorderButtons();
  EXPECT_FALSE(up->isEnabled());
  EXPECT_TRUE(down->isEnabled());
  down->click();
  QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(Classes(*form)[2], "空白、TAB、改行");
  QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
  form->UpdateReorderButtons();
  EXPECT_TRUE(up->isEnabled());
  up->click();
  EXPECT_EQ(Classes(*form)[0], "空白、TAB、改行");

  list->setCurrentRow(list->count() - 1);
  form->UpdateReorderButtons();
  EXPECT_TRUE(up->isEnabled());
  EXPECT_FALSE(down->isEnabled());
  Find<QLineEdit>(form.get(), "CommentLTC")->setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return !list->hasFocus(); }));
  form->UpdateReorderButtons();
  EXPECT_FALSE(up->isEnabled());

  TSettingOptionItems read;
  form->ReadSettingFromControls(read);
  EXPECT_EQ(read.OrderOfRow, kDefaultOrderOfRow);
}

TEST_F(SettingFormTest, OutputFieldsLoseForbiddenCharactersWithOneMessage) {
  auto form = MakeForm({});
  auto* name = Find<QLineEdit>(form.get(), "eOutputFilename");
  name->setFocus();
  QTest::keyClicks(name, QStringLiteral("ab"));
  QTest::keyClick(name, Qt::Key_Question, Qt::ShiftModifier, 0);
  EXPECT_EQ(name->text(), QStringLiteral("ab"));
  EXPECT_EQ(name->cursorPosition(), 2);
  name->setText(QStringLiteral("ソ表.txt"));
  EXPECT_EQ(name->text(), QStringLiteral("ソ表.txt"));

  QLineEdit* folderEdit = Find<TFolderEdit>(form.get(), "deOutputFolder")->lineEdit();
  folderEdit->setText(QStringLiteral("/out|put"));
  EXPECT_EQ(folderEdit->text(), QStringLiteral("/output"));
  folderEdit->setText(QStringLiteral("out|put"));
  EXPECT_EQ(folderEdit->text(), QStringLiteral("out|put"));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>(
                                  2, "ファイル名には以下の文字を使用できません。\r\n"
                                     "\\/:,*?\"<>|\r\n\r\n使用できない文字は全て削除します。")));
}

TEST_F(SettingFormTest, EditorButtonsOpenTheirFileOrWarn) {
  options.EditorPath = "/usr/bin/editor";
  const std::string dictionary = folder.Write("syn.txt", "a,b\r\n");
  auto form = MakeForm({});
  auto* del = Find<TPanelEx>(form.get(), "PanelEx1");
  QTest::mousePress(del, Qt::LeftButton);
  EXPECT_TRUE(del->Lowered());
  QTest::mouseRelease(del, Qt::LeftButton);
  EXPECT_FALSE(del->Lowered());
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"未入力またはテキストファイルが存在しません。"}));
  EXPECT_EQ(messages.Messages()[0].kind, TMsgKind::Warning);

  Find<TFileNameEdit>(form.get(), "fneSynonymDic")->setText(Q(dictionary));
  auto* synonym = Find<TPanelEx>(form.get(), "PanelEx3");
  EXPECT_EQ(synonym->property("tag").toInt(), 3);
  QTest::mouseClick(synonym, Qt::LeftButton);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], std::make_pair(std::string("/usr/bin/editor"), dictionary));
}

TEST_F(SettingFormTest, TabbedLayoutSpreadsTheSettingsOverTwoPages) {
  options.SettingWindowTab = true;
  auto form = MakeForm({});
  auto* pages = Find<QTabWidget>(form.get(), "PageControl");
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->tabText(0), QStringLiteral("其の１"));
  EXPECT_EQ(pages->tabText(1), QStringLiteral("其の２"));
  EXPECT_TRUE(pages->widget(0)->isAncestorOf(Find<QWidget>(form.get(), "Panel2")));
  EXPECT_TRUE(pages->widget(1)->isAncestorOf(Find<QWidget>(form.get(), "fneReplacement")));
  EXPECT_TRUE(pages->widget(1)->isAncestorOf(Find<QWidget>(form.get(), "eOutputFilename")));
  EXPECT_FALSE(pages->isAncestorOf(Find<QWidget>(form.get(), "btnClose")));
}

TEST_F(SettingFormTest, TemporaryWindowIsCompactAndWritesItsOutputFieldsAtOnce) {
  auto form = MakeForm(QStringLiteral("一時設定"), TSettingForm::TKind::Temporary);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("一時設定"));
  EXPECT_FALSE(Find<QWidget>(form.get(), "Panel1")->isVisible());
  EXPECT_FALSE(Find<QWidget>(form.get(), "Panel3")->isVisible());
  auto* save = Find<QPushButton>(form.get(), "bnSave");
  EXPECT_TRUE(save->isVisible());
  EXPECT_TRUE(Find<QWidget>(form.get(), "Panel2")->isAncestorOf(save));
  int changes = 0;
  QObject::connect(form.get(), &TSettingForm::ImmediateFieldsChanged, [&] { ++changes; });
  Check(*form, "cbNoConnected")->click();
  Find<TFolderEdit>(form.get(), "deOutputFolder")->setText(QStringLiteral("/out"));
  EXPECT_TRUE(form->Setting().NoConnected);
  EXPECT_EQ(form->Setting().OutputFolder, "/out");
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(Find<QLineEdit>(form.get(), "eOutputFilename")->isEnabled());
  Check(*form, "cbDuplicate")->click(); // reaches the record only when read or saved
  EXPECT_FALSE(form->Setting().Duplicate);

  save->click();
  EXPECT_TRUE(settings.LoadSortSetting("一時設定").Duplicate);
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(settings.ListSortSettingNames(), (std::vector<std::string>{"一時設定", ""}));
}

} // namespace
} // namespace zorbe
