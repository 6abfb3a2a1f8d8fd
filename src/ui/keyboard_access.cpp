#include "ui/keyboard_access.h"

#include "ui/browse_edit.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <tuple>

namespace zorbe {
namespace {

void CollectLayout(const QLayout* layout, const QWidget* window, std::vector<QWidget*>& out);

void CollectWidget(QWidget* widget, const QWidget* window, std::vector<QWidget*>& out) {
  if (widget->isWindow() && widget != window) {
    return; // a window of its own has a tab chain of its own
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
    out.push_back(tabs->tabBar());
    for (int i = 0; i < tabs->count(); ++i) {
      CollectWidget(tabs->widget(i), window, out);
    }
    return;
  }
  if (widget != window && widget->focusProxy() != nullptr &&
      widget->isAncestorOf(widget->focusProxy())) {
    out.push_back(widget); // a compound control (a browse field) keeps its own inner order
    return;
  }
  if (widget != window && widget->focusProxy() == nullptr &&
      (widget->focusPolicy() & Qt::TabFocus) != 0) {
    out.push_back(widget);
    return;
  }
  if (const QLayout* layout = widget->layout()) {
    CollectLayout(layout, window, out);
    return;
  }
  for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    CollectWidget(child, window, out);
  }
}

void CollectItem(QLayoutItem* item, const QWidget* window, std::vector<QWidget*>& out) {
  if (QWidget* widget = item->widget()) {
    CollectWidget(widget, window, out);
  } else if (const QLayout* layout = item->layout()) {
    CollectLayout(layout, window, out);
  }
}

void CollectLayout(const QLayout* layout, const QWidget* window, std::vector<QWidget*>& out) {
  std::vector<std::tuple<int, int, int>> items; // row, column, index
  const auto* grid = qobject_cast<const QGridLayout*>(layout);
  for (int i = 0; i < layout->count(); ++i) {
    int row = 0;
    int column = i;
    if (grid != nullptr) {
      int rowSpan = 0;
      int columnSpan = 0;
      grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
    }
    items.emplace_back(row, column, i);
  }
  std::sort(items.begin(), items.end());
  for (const auto& [row, column, index] : items) {
    CollectItem(layout->itemAt(index), window, out);
  }
}

// Clicks the button it watches when Enter is pressed on it.
class TEnterPresses : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) {
      return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!enter || modifiers != Qt::NoModifier || button == nullptr || !button->isEnabled()) {
      return false;
    }
    button->click();
    return true;
  }
};

// A drop-down list named by its label. On this platform Qt names a drop-down list by its current
// item (leaving the label to a relation that screen readers may not follow), so five lists would
// all be read as "そのまま"; this gives the name set on the list and keeps the item its value.
class TNamedComboBoxAccessible : public QAccessibleWidget {
public:
  explicit TNamedComboBoxAccessible(QComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) {
      return static_cast<const QComboBox*>(widget())->currentText();
    }
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      static_cast<QComboBox*>(widget())->showPopup();
      return;
    }
    QAccessibleWidget::doAction(action);
  }
};

// Asked first with the object's own class: the program's drop-down lists are classes of their
// own (TDropDownList, TRefreshingComboBox), which Qt's own factory does not know.
QAccessibleInterface* NamedComboBoxFactory(const QString& className, QObject* object) {
  auto* combo = qobject_cast<QComboBox*>(object);
  if (combo != nullptr && className == QLatin1String(object->metaObject()->className())) {
    return new TNamedComboBoxAccessible(combo);
  }
  return nullptr;
}

} // namespace

std::vector<QWidget*> ReadingOrder(QWidget* window) {
  std::vector<QWidget*> order;
  CollectWidget(window, window, order);
  return order;
}

void SetReadingTabOrder(QWidget* window) {
  // A tab widget passes the focus to its bar: the bar becomes a control of its own, before the
  // pages' controls, instead of a compound that would keep the pages' creation order.
  for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
    tabs->setFocusProxy(nullptr);
    tabs->setFocusPolicy(Qt::NoFocus);
  }
  const std::vector<QWidget*> order = ReadingOrder(window);
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(order[i - 1], order[i]);
  }
}

QString CaptionAsName(const QString& caption) {
  QString name = caption;
  name.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
  name.remove(QLatin1Char('&'));
  name = name.trimmed();
  while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A))) { // ':' or '：'
    name.chop(1);
  }
  return name.trimmed();
}

void PressButtonsOnEnter(QWidget* window) {
  auto* filter = new TEnterPresses(window);
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (!button->isCheckable()) { // a check box or a radio button is toggled by Space
      button->installEventFilter(filter);
    }
  }
}

void MakeKeyboardReady(QWidget* window) {
  SetReadingTabOrder(window);
  NameControls(window);
  PressButtonsOnEnter(window);
}

void NameDropDownsByLabel() {
  static const bool installed = (QAccessible::installFactory(&NamedComboBoxFactory), true);
  (void)installed;
}

void NameControls(QWidget* window) {
  for (QLabel* label : window->findChildren<QLabel*>()) {
    QWidget* buddy = label->buddy();
    if (buddy == nullptr) {
      continue;
    }
    const QString name = CaptionAsName(label->text());
    if (auto* browse = qobject_cast<TBrowseEdit*>(buddy)) {
      browse->SetAccessibleCaption(name);
      label->setBuddy(browse->lineEdit()); // its accelerator focuses the text, as for any field
    } else if (buddy->accessibleName().isEmpty()) {
      buddy->setAccessibleName(name);
    }
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const QString hint = widget->statusTip().isEmpty() ? widget->toolTip() : widget->statusTip();
    if (!hint.isEmpty() && widget->accessibleDescription().isEmpty()) {
      widget->setAccessibleDescription(hint);
    }
  }
}

} // namespace zorbe
