#include "ui/form_time_ana_result.h"

#include "timing/time_analyzer.h"
#include "ui/keyboard_access.h"
#include "ui/qt_window_placement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zorbe {
namespace {

constexpr int kColumns = 5;
constexpr int kColumnWidths[kColumns] = {30, 60, 57, 56, 70};
constexpr int kRowHeight = 16;
constexpr int kPanelWidth = 93;
constexpr int kRowGutterWidth = 8;

} // namespace

TFormTimeAnaResult::TFormTimeAnaResult(TTimeAnalyzer& analyzer, QWidget* parent)
    : QWidget(parent, Qt::Window), analyzer_(analyzer) {
  setObjectName(QStringLiteral("FormTimeAnaResult"));
  setWindowTitle(QStringLiteral("測定結果"));
  resize(454, 342);

  grid_ = new QTableWidget(TTimeAnalyzer::kSections, kColumns, this);
  grid_->setObjectName(QStringLiteral("TAGrid"));
  grid_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("通過回数"),
                                    QStringLiteral("合計ms"), QStringLiteral("%"),
                                    QStringLiteral("1回平均ms")});
  for (int column = 0; column < kColumns; ++column) {
    grid_->setColumnWidth(column, kColumnWidths[column]);
  }
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setDefaultSectionSize(
      std::max(kRowHeight, grid_->fontMetrics().height() + 2));
  // The section numbers are the first column; the row header stays as a narrow unlabelled
  // gutter whose edges resize the rows.
  grid_->setVerticalHeaderLabels(QStringList(TTimeAnalyzer::kSections, QString()));
  grid_->verticalHeader()->setFixedWidth(kRowGutterWidth);
  grid_->setShowGrid(true);
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setWordWrap(false);
  grid_->setTabKeyNavigation(false);
  grid_->setAccessibleName(QStringLiteral("測定結果"));

  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFixedWidth(kPanelWidth);
  auto* buttons = new QVBoxLayout(panel);
  buttons->addWidget(
      NewButton("BOrderByNum", QStringLiteral("番号順"), [this] { analyzer_.OrderByNumber(); }));
  buttons->addWidget(NewButton("BOrderBySumTime", QStringLiteral("合計時間順"),
                               [this] { analyzer_.OrderBySumTime(); }));
  buttons->addWidget(NewButton("BOrderByAverage", QStringLiteral("平均時間順"),
                               [this] { analyzer_.OrderByAverage(); }));
  buttons->addWidget(NewButton("BOrderByPassTime", QStringLiteral("通過回数順"),
                               [this] { analyzer_.OrderByPassTime(); }));
  buttons->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(grid_, 1);
  layout->addWidget(panel);
  Refresh();
  MakeKeyboardReady(this);
}

QPushButton* TFormTimeAnaResult::NewButton(const char* name, const QString& caption,
                                           std::function<void()> order) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QPushButton::clicked, this, [this, order = std::move(order)] {
    order();
    Refresh();
  });
  return button;
}

void TFormTimeAnaResult::Refresh() {
  const auto rows = analyzer_.Rows();
  const Qt::ItemFlags cellFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  // The number column looks like the header: it names the row rather than holding a figure.
  const QBrush fixedBrush = palette().brush(QPalette::Button);
  for (int row = 0; row < grid_->rowCount(); ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const bool filled = row < static_cast<int>(rows.size());
      const QString text = filled ? QString::fromStdString(rows[row][column]) : QString();
      QTableWidgetItem* item = grid_->item(row, column);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(cellFlags);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (column == 0) {
          item->setBackground(fixedBrush);
        }
        grid_->setItem(row, column, item);
      }
      item->setText(text);
    }
  }
}

void TFormTimeAnaResult::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close(); // as a dialog closes
    return;
  }
  QWidget::keyPressEvent(event);
}

void TFormTimeAnaResult::ShowResult() {
  Refresh();
  if (!isVisible()) {
    PlaceWindowOver(parentWidget(), this); // over the main window, as a dialog would be
  }
  show();
  raise();
  activateWindow();
}

} // namespace zorbe
