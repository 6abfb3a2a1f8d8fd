#include "ui/general_option_form.h"

#include "ui/file_name_edit.h"
#include "ui/main_form.h"
#include "ui/setting_form.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace zorbe {
namespace {

using test::Find;
using test::Q;

class GeneralOptionFormTest : public test::UiTest {
protected:
  static TOptions Sample() {
    TOptions options;
    options.EditorPath = "/usr/bin/editor";
    options.SortEndListViewClear = true;
    options.WaveFileName = "/s/end.wav";
    options.Flash = true;
    options.FlashSec = 5;
    options.Top = 7; // not edited here, carried through
    return options;
  }
};

TEST_F(GeneralOptionFormTest, ShowsAndGivesBackTheSixOptions) {
  TGeneralOptionForm form(shell);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("一般設定"));
  form.SetOptions(Sample());
  EXPECT_EQ(Find<TFileNameEdit>(&form, "fneEditorPath")->text(), QStringLiteral("/usr/bin/editor"));
  EXPECT_TRUE(Find<QCheckBox>(&form, "cbSortEndLVClear")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(&form, "cbSetteingWindowTab")->isChecked());
  EXPECT_EQ(Find<QSpinBox>(&form, "seFlashSec")->value(), 5);
  EXPECT_EQ(form.Options(TOptions{}).Top, TOptions{}.Top);
  TOptions expected = Sample();
  expected.Top = 1;
  TOptions base;
  base.Top = 1;
  EXPECT_EQ(form.Options(base), expected);

  auto* seconds = Find<QSpinBox>(&form, "seFlashSec");
  seconds->setValue(99);
  EXPECT_EQ(seconds->value(), 30);
  seconds->setValue(-1);
  EXPECT_EQ(seconds->value(), 0);
}

TEST_F(GeneralOptionFormTest, SoundTestPlaysOnlyAnExistingFile) {
  TGeneralOptionForm form(shell);
  auto* sound = Find<TFileNameEdit>(&form, "fneWAVE");
  sound->setText(Q(folder.File("missing.wav")));
  Find<QToolButton>(&form, "SpeedButton1")->click();
  EXPECT_TRUE(shell.sounds.empty());
  const std::string wave = folder.Write("end.wav", "RIFF");
  sound->setText(Q(wave));
  Find<QToolButton>(&form, "SpeedButton1")->click();
  EXPECT_EQ(shell.sounds, (std::vector<std::string>{wave}));
}

// Opens the options window from the main window's menu, edits it and closes it by `button`.
void EditOptions(TMainForm& form, const char* button) {
  QTimer::singleShot(0, [button] {
    auto* window = qobject_cast<TGeneralOptionForm*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    Find<QCheckBox>(window, "cbFlash")->setChecked(true);
    Find<QCheckBox>(window, "cbSetteingWindowTab")->setChecked(true);
    Find<QSpinBox>(window, "seFlashSec")->setValue(12);
    Find<QPushButton>(window, button)->click();
  });
  Find<QAction>(&form, "mmSetting")->trigger();
}

TEST_F(GeneralOptionFormTest, CancelDiscardsAndApplyTakesTheValuesAndRebuildsTheTemporaryWindow) {
  TMainForm form(settings, shell);
  form.move(test::kLargeWorkArea.topLeft() + QPoint(100, 100)); // room for the untabbed layout
  form.show();
  form.ApplyStartSetting();
  auto* box = Find<QComboBox>(&form, "cbSettingName");
  box->setCurrentIndex(0);
  form.SettingNameChanged();
  TSettingForm* before = form.TemporarySettingForm();
  ASSERT_NE(before, nullptr);
  EXPECT_EQ(before->findChild<QTabWidget*>(), nullptr);
  const TOptions original = form.CurrentOptions();

  EditOptions(form, "btnCancel");
  EXPECT_EQ(form.CurrentOptions(), original);
  EXPECT_EQ(form.TemporarySettingForm(), before);

  EditOptions(form, "btnApply");
  EXPECT_TRUE(form.CurrentOptions().Flash);
  EXPECT_EQ(form.CurrentOptions().FlashSec, 12);
  EXPECT_TRUE(form.CurrentOptions().SettingWindowTab);
  TSettingForm* after = form.TemporarySettingForm();
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after->findChild<QTabWidget*>(), nullptr);
  EXPECT_TRUE(after->isVisible());
  // Nothing reaches the file before the main window closes.
  EXPECT_FALSE(settings.LoadOptions().Flash);
}

} // namespace
} // namespace zorbe
