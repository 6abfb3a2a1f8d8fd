// Every window without a mouse: Tab and Shift+Tab walk all its controls in reading order, its
// accelerators are unique and act, and every control has a name of its own for assistive
// technologies (not its value, not "...").

#include "ui/about_form.h"
#include "ui/file_name_edit.h"
#include "ui/form_time_ana_result.h"
#include "ui/general_option_form.h"
#include "ui/main_form.h"
#include "ui/setting_form.h"
#include "ui/ui_test_support.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <set>

namespace zorbe {
namespace {

using test::Find;

class KeyboardAccessTest : public test::UiTest {
protected:
  struct Window {
    const char* name;
    std::function<QWidget*()> open; // shown; owned by the test
  };

  // Every window of the program, each with its controls filled.
  std::vector<Window> Windows() {
    return {
        {"main", [this] { return Main(); }},
        {"settings", [this] { return Keep(Settings(false)); }},
        {"settings, tabbed", [this] { return Keep(Settings(true)); }},
        {"temporary settings", [this] { return Main()->TemporarySettingForm(); }},
        {"general options", [this] { return Keep(std::make_unique<TGeneralOptionForm>(shell)); }},
        {"about", [this] { return Keep(std::make_unique<TAboutForm>(shell)); }},
        {"time analyzer", [this] { return Main()->TimeAnaResultForm(); }},
    };
  }

  TMainForm* Main() {
    main_ = std::make_unique<TMainForm>(settings, shell);
    main_->show();
    main_->ApplyStartSetting();
    main_->AddFiles({folder.Write("a.txt", "x\r\n")});
    auto* box = Find<QComboBox>(main_.get(), "cbSettingName");
    box->setCurrentIndex(0); // "一時設定": its window opens beside
    main_->SettingNameChanged();
    main_->ShowTimeAnaResult();
    return main_.get();
  }
  std::unique_ptr<TSettingForm> Settings(bool tabbed) {
    options_.SettingWindowTab = tabbed;
    auto form =
        std::make_unique<TSettingForm>(TSettingForm::TKind::Modal, settings, shell, options_);
    form->SetSettingName(QStringLiteral("単語"));
    return form;
  }
  QWidget* Keep(std::unique_ptr<QWidget> window) {
    window->show();
    kept_.push_back(std::move(window));
    return kept_.back().get();
  }

  static void Activate(QWidget* window) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }

  // The controls Tab must reach now: shown, enabled, taking the focus by Tab, in this window.
  static std::set<QWidget*> Reachable(QWidget* window) {
    std::set<QWidget*> reachable;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      if (widget->window() == window && widget->isVisible() && widget->isEnabled() &&
          widget->focusProxy() == nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0) {
        // Of a group of radio buttons, Tab reaches the chosen one; the arrows move among them.
        if (auto* radio = qobject_cast<QRadioButton*>(widget); radio && !radio->isChecked()) {
          continue;
        }
        reachable.insert(widget);
      }
    }
    return reachable;
  }

  // The widgets that receive the focus from `start` on, one key press at a time, until the focus
  // comes back to `start`.
  static std::vector<QWidget*> Walk(QWidget* start, bool backwards) {
    start->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> walked{QApplication::focusWidget()};
    for (int step = 0; step < 200; ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                      backwards ? Qt::ShiftModifier : Qt::NoModifier);
      if (QApplication::focusWidget() == walked.front()) {
        break;
      }
      walked.push_back(QApplication::focusWidget());
    }
    return walked;
  }

  TOptions options_;
  std::unique_ptr<TMainForm> main_;
  std::vector<std::unique_ptr<QWidget>> kept_;
};

QString Describe(const QWidget* widget) {
  return widget->objectName() + QLatin1Char('/') +
         QString::fromLatin1(widget->metaObject()->className());
}

// Tab walks every control once, Shift+Tab the same way back, and Tab moves up only into a
// block that stands to the right (the next column): it never jumps down and back up.
TEST_F(KeyboardAccessTest, TabWalksEveryControlInReadingOrderBothWays) {
  for (const Window& w : Windows()) {
    QWidget* window = w.open();
    Activate(window);
    const std::set<QWidget*> reachable = Reachable(window);
    ASSERT_FALSE(reachable.empty()) << w.name;
    const std::vector<QWidget*> forward = Walk(*reachable.begin(), false);
    EXPECT_EQ(std::set<QWidget*>(forward.begin(), forward.end()), reachable) << w.name;
    EXPECT_EQ(forward.size(), reachable.size()) << w.name;
    std::vector<QWidget*> back = Walk(forward.front(), true);
    std::reverse(back.begin() + 1, back.end());
    EXPECT_EQ(back, forward) << w.name;

    // The walk from the control nearest the top left, in reading order.
    std::vector<QWidget*> ordered = forward;
    const auto first = std::min_element(forward.begin(), forward.end(), [&](auto* a, auto* b) {
      const QPoint pa = a->mapTo(window, QPoint());
      const QPoint pb = b->mapTo(window, QPoint());
      return std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x());
    });
    std::rotate(ordered.begin(), ordered.begin() + (first - forward.begin()), ordered.end());
    for (std::size_t i = 1; i < ordered.size(); ++i) {
      const QRect from(ordered[i - 1]->mapTo(window, QPoint()), ordered[i - 1]->size());
      const QRect to(ordered[i]->mapTo(window, QPoint()), ordered[i]->size());
      if (to.top() < from.top() - 4) {
        EXPECT_GE(to.left(), from.right() - 4)
            << w.name << ": " << qPrintable(Describe(ordered[i - 1])) << " -> "
            << qPrintable(Describe(ordered[i]));
      }
    }
  }
}

// The mnemonic letters of a window: its buttons, labels with a buddy, tab pages and menus.
std::multiset<QChar> Mnemonics(QWidget* window) {
  std::multiset<QChar> letters;
  auto add = [&](const QString& text) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("&([^&])")).match(text);
    if (m.hasMatch()) {
      letters.insert(m.captured(1).at(0).toUpper());
    }
  };
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (widget->window() != window || widget->isHidden()) {
      continue;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      add(button->text());
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
      add(label->text());
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) {
        add(tabs->tabText(i));
      }
    } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
      for (QAction* menu : bar->actions()) {
        add(menu->text());
      }
    }
  }
  return letters;
}

TEST_F(KeyboardAccessTest, AcceleratorsAreUniqueInEachWindow) {
  for (const Window& w : Windows()) {
    const std::multiset<QChar> letters = Mnemonics(w.open());
    for (const QChar letter : letters) {
      EXPECT_EQ(letters.count(letter), 1u) << w.name << ": Alt+" << QString(letter).toStdString();
    }
  }
}

// A label's accelerator focuses its field, a browse field's text included.
TEST_F(KeyboardAccessTest, LabelAcceleratorsFocusTheirFields) {
  TMainForm* main = Main();
  Activate(main);
  auto* list = Find<QTableWidget>(main, "FileNameListView");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), Find<TFileNameEdit>(main, "FNE")->lineEdit());
}

TEST_F(KeyboardAccessTest, EnterPressesTheFocusedButton) {
  TMainForm* main = Main();
  Activate(main);
  main->UpdateCommands();
  auto* clear = Find<QPushButton>(main, "bnClear"); // a push button in a main window
  clear->setFocus();
  QTest::keyClick(clear, Qt::Key_Return);
  EXPECT_TRUE(main->Rows().empty());

  // The time analyzer's window closes with Escape.
  QWidget* analyzer = main->TimeAnaResultForm();
  Activate(analyzer);
  QTest::keyClick(analyzer, Qt::Key_Escape);
  EXPECT_FALSE(analyzer->isVisible());
}

TEST_F(KeyboardAccessTest, EveryControlHasANameThatIsNotItsValue) {
  for (const Window& w : Windows()) {
    QWidget* window = w.open();
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
      if (edit->text().isEmpty() && !edit->isReadOnly()) {
        edit->setText(QStringLiteral("値"));
      }
    }
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      if (widget->window() != window || widget->focusProxy() != nullptr ||
          (widget->focusPolicy() & Qt::TabFocus) == 0) {
        continue;
      }
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
      ASSERT_NE(control, nullptr);
      const QString name = control->text(QAccessible::Name);
      // What the control holds, as a user reads it.
      QString value;
      if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        value = combo->currentText();
      } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        value = edit->text();
      }
      const std::string where = std::string(w.name) + ": " + Describe(widget).toStdString();
      EXPECT_FALSE(name.isEmpty()) << where;
      EXPECT_NE(name, QStringLiteral("...")) << where;
      if (!value.isEmpty()) {
        EXPECT_NE(name, value) << where;
      }
      if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
        EXPECT_TRUE(
            control->role() == QAccessible::Button || control->role() == QAccessible::PushButton ||
            control->role() == QAccessible::CheckBox || control->role() == QAccessible::RadioButton)
            << where << " role " << control->role();
      }
    }
  }
}

} // namespace
} // namespace zorbe
