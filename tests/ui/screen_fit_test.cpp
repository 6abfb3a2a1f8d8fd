// The windows on small screens: every window fits the work area of a 1366x768 laptop screen
// and of a 1280x720 screen (each without its panel), the temporary settings window stays on the
// work area beside the main window wherever that is, and the status-bar texts are not cut.
// Sizes are checked with room for a real title bar (kFrameAllowance), not only for the offscreen
// platform's thin frame.

#include "app/target_files.h"
#include "ui/about_form.h"
#include "ui/form_time_ana_result.h"
#include "ui/general_option_form.h"
#include "ui/main_form.h"
#include "ui/qt_window_placement.h"
#include "ui/setting_form.h"
#include "ui/ui_test_support.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

#include <functional>
#include <memory>

namespace zorbe {
namespace {

using test::Find;
using test::kLaptopWorkArea;
using test::kLargeWorkArea;
using test::kSmallWorkArea;

// Whether the window lies inside the work area, and would still fit it with a real title bar.
testing::AssertionResult InsideWorkArea(const QWidget& window, const QRect& area) {
  const QRect frame = window.frameGeometry();
  if (area.contains(frame) && window.width() <= area.width() &&
      window.height() + kFrameAllowance <= area.height()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure()
         << window.objectName().toStdString() << " at " << frame.x() << "," << frame.y() << " "
         << frame.width() << "x" << frame.height() << " outside " << area.x() << "," << area.y()
         << " " << area.width() << "x" << area.height();
}

class ScreenFitTest : public test::UiTest {
protected:
  // The main window at `offset` from the top left of the work area, shown.
  std::unique_ptr<TMainForm> MainFormOn(const QRect& area, QPoint offset = {40, 40}) {
    auto form = std::make_unique<TMainForm>(settings, shell);
    form->move(area.topLeft() + offset);
    form->show();
    form->ApplyStartSetting();
    return form;
  }
  static TSettingForm* ChooseTemporarySetting(TMainForm& form) {
    Find<QComboBox>(&form, "cbSettingName")->setCurrentIndex(0);
    form.SettingNameChanged();
    return form.TemporarySettingForm();
  }
  TOptions options;
};

TEST_F(ScreenFitTest, EveryWindowFitsTheWorkAreasOfSmallScreens) {
  using TMake = std::function<std::unique_ptr<QWidget>(TMainForm&)>;
  const std::pair<const char*, TMake> windows[] = {
      {"settings",
       [this](TMainForm& main) {
         return std::make_unique<TSettingForm>(TSettingForm::TKind::Modal, settings, shell, options,
                                               &main);
       }},
      {"general options",
       [this](TMainForm& main) { return std::make_unique<TGeneralOptionForm>(shell, &main); }},
      {"version", [this](TMainForm& main) { return std::make_unique<TAboutForm>(shell, &main); }},
  };
  for (const QRect& area : {kLaptopWorkArea, kSmallWorkArea}) {
    for (const bool tabbed : {false, true}) {
      options.SettingWindowTab = tabbed;
      auto main = MainFormOn(area);
      EXPECT_TRUE(InsideWorkArea(*main, area));
      for (const auto& [name, make] : windows) {
        SCOPED_TRACE(name);
        std::unique_ptr<QWidget> window = make(*main);
        window->adjustSize();
        PlaceWindowOver(main.get(), window.get());
        window->show();
        EXPECT_TRUE(InsideWorkArea(*window, area));
      }
      main->ShowTimeAnaResult();
      EXPECT_LE(main->TimeAnaResultForm()->height() + kFrameAllowance, area.height());
      EXPECT_LE(main->TimeAnaResultForm()->width(), area.width());
      main->TimeAnaResultForm()->hide();
      const TSettingForm* side = ChooseTemporarySetting(*main);
      ASSERT_NE(side, nullptr);
      EXPECT_TRUE(InsideWorkArea(*side, area));
    }
  }
}

TEST_F(ScreenFitTest, TheSettingsAreSpreadOverTwoPagesOnlyWhereTheyWouldNotFitOtherwise) {
  const struct {
    QRect area;
    bool option;
    bool tabbed;
  } cases[] = {
      {kLargeWorkArea, false, false},
      {kLargeWorkArea, true, true},
      {kLaptopWorkArea, false, true},
      {kSmallWorkArea, false, true},
  };
  for (const auto& c : cases) {
    options.SettingWindowTab = c.option;
    auto main = MainFormOn(c.area);
    for (const auto kind : {TSettingForm::TKind::Modal, TSettingForm::TKind::Temporary}) {
      const TSettingForm form(kind, settings, shell, options, main.get());
      EXPECT_EQ(form.findChild<QTabWidget*>(QStringLiteral("PageControl")) != nullptr, c.tabbed)
          << c.area.width() << " " << c.option;
    }
  }
}

TEST_F(ScreenFitTest, TheTemporaryWindowStaysBesideTheMainWindowOnTheWorkArea) {
  for (const QRect& area : {kLaptopWorkArea, kSmallWorkArea, kLargeWorkArea}) {
    auto main = MainFormOn(area);
    const TSettingForm* side = ChooseTemporarySetting(*main);
    ASSERT_NE(side, nullptr);
    const QSize mainSize = main->frameGeometry().size();
    const QPoint places[] = {
        {0, 0},
        {area.width() - mainSize.width(), 0},                               // right edge
        {0, area.height() - mainSize.height()},                             // bottom edge
        {(area.width() - mainSize.width()) / 2, area.height() / 3},         // the middle
        {-mainSize.width() / 3, area.height() - mainSize.height() * 2 / 3}, // partly off
    };
    for (const QPoint& place : places) {
      SCOPED_TRACE(testing::Message() << area.width() << ": " << place.x() << "," << place.y());
      main->move(area.topLeft() + place);
      const QRect mainFrame = main->frameGeometry();
      const QRect sideFrame = side->frameGeometry();
      EXPECT_TRUE(InsideWorkArea(*side, area));
      const bool roomBeside = area.right() - mainFrame.right() >= sideFrame.width() ||
                              mainFrame.left() - area.left() >= sideFrame.width();
      if (roomBeside) {
        EXPECT_FALSE(sideFrame.intersects(mainFrame));
      }
      if (mainFrame.top() >= area.top() &&
          mainFrame.top() + sideFrame.height() + kFrameAllowance <= area.bottom()) {
        EXPECT_EQ(sideFrame.top(), mainFrame.top());
      }
    }
    if (area == kSmallWorkArea) {
      continue; // no room for a wider main window beside it
    }
    // A wider main window pushes it along.
    main->move(area.topLeft() + QPoint(20, 20));
    main->resize(main->width() + 100, main->height() + 50);
    EXPECT_EQ(side->frameGeometry().left(), main->frameGeometry().right() + 1);
    EXPECT_EQ(side->frameGeometry().top(), main->frameGeometry().top());
  }
}

// At the default place, the centre of a 1366x768 screen, the temporary window covered a third
// of the main window; both fit side by side, so the main window moves to make room.
TEST_F(ScreenFitTest, TheTemporaryWindowOpensBesideACentredMainWindowWithoutCoveringIt) {
  auto main = MainFormOn(kLaptopWorkArea);
  const QSize size = main->frameGeometry().size();
  main->move(kLaptopWorkArea.center() - QPoint(size.width() / 2, size.height() / 2));
  const TSettingForm* side = ChooseTemporarySetting(*main);
  ASSERT_NE(side, nullptr);
  EXPECT_FALSE(side->frameGeometry().intersects(main->frameGeometry()));
  EXPECT_TRUE(InsideWorkArea(*main, kLaptopWorkArea));
  EXPECT_TRUE(InsideWorkArea(*side, kLaptopWorkArea));
}

// A position saved on a larger screen is moved onto the work area, title bar and all.
TEST_F(ScreenFitTest, ARestoredPositionIsMovedOntoTheWorkArea) {
  const struct {
    int left, top;
    QRect area;
  } cases[] = {
      {900, 100, kLaptopWorkArea},                         // its right part beyond the screen
      {kLargeWorkArea.right() - 100, -60, kLargeWorkArea}, // beyond the right and the top
      {100000, 100000, QGuiApplication::primaryScreen()->availableGeometry()}, // on no screen
  };
  for (const auto& c : cases) {
    TOptions options;
    options.Left = c.left;
    options.Top = c.top;
    options.Width = 534;
    options.Height = 340;
    settings.SaveOptions(options);
    TMainForm form(settings, shell);
    form.show();
    EXPECT_TRUE(InsideWorkArea(form, c.area)) << c.left;
  }
}

TEST_F(ScreenFitTest, ClosingTheTemporaryWindowBringsBackTheSettingChosenBefore) {
  settings.SaveSortSetting("words", SettingDefaults());
  auto main = MainFormOn(kLaptopWorkArea);
  auto* box = Find<QComboBox>(main.get(), "cbSettingName");
  box->setCurrentIndex(1);
  main->SettingNameChanged();
  TSettingForm* side = ChooseTemporarySetting(*main);
  ASSERT_NE(side, nullptr);
  EXPECT_FALSE(side->close()); // the window manager's close: the main window decides
  EXPECT_TRUE(test::WaitFor([&] { return main->TemporarySettingForm() == nullptr; }));
  EXPECT_EQ(box->currentText(), QStringLiteral("words"));
  EXPECT_EQ(main->CurrentSetting().SettingName, "words");
}

TEST_F(ScreenFitTest, StatusBarTextsAreNotCutAndKeepAGapFromTheCount) {
  auto main = MainFormOn(kSmallWorkArea);
  main->resize(main->minimumSize());
  const auto* count = Find<QLabel>(main.get(), "StatusPanel1");
  const QString texts[] = {
      Find<QTableWidget>(main.get(), "FileNameListView")->statusTip(),
      QString::fromUtf8(kDetectingStatus),
  };
  for (const QString& text : texts) {
    main->statusBar()->showMessage(text);
    // The message is drawn from 6 pixels in, up to 2 pixels before the count.
    const int end = 6 + main->statusBar()->fontMetrics().horizontalAdvance(text);
    EXPECT_LE(end, count->x() - 2) << text.toStdString();
    EXPECT_GE(count->x() + count->contentsMargins().left() - end, 8) << text.toStdString();
  }
}

} // namespace
} // namespace zorbe
