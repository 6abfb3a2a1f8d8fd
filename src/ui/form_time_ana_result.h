#pragma once
// The time analyzer's result window ("測定結果"): a grid with one row per passed section (its
// number, pass count, total milliseconds, share of section 0's total in percent and average
// milliseconds per pass) and four buttons that order the analyzer's sections and refresh the
// grid. It reads the analyzer it is given; the analyzer must outlive it.
//
// The grid has a row for every possible section; rows after the passed sections are empty.
// Its header row is the table's header, so it stays in view while the rows scroll.

#include <QWidget>

#include <functional>

class QPushButton;
class QTableWidget;

namespace zorbe {

class TTimeAnalyzer;

class TFormTimeAnaResult : public QWidget {
  Q_OBJECT
public:
  explicit TFormTimeAnaResult(TTimeAnalyzer& analyzer, QWidget* parent = nullptr);

  // Fills the grid from the analyzer in its current order.
  void Refresh();
  // Refreshes and shows the window in front.
  void ShowResult();

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  // A button that runs `order` on the analyzer and refreshes the grid.
  QPushButton* NewButton(const char* name, const QString& caption, std::function<void()> order);

  TTimeAnalyzer& analyzer_;
  QTableWidget* grid_ = nullptr;
};

} // namespace zorbe
