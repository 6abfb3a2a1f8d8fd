#include "ui/form_time_ana_result.h"

#include "timing/time_analyzer.h"
#include "ui/main_form.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace zorbe {
namespace {

using test::Find;

using TRow = std::array<const char*, 5>;

class TimeAnaResultTest : public test::UiTest {
protected:
  // The texts of the grid's rows, up to and including the first empty one.
  static std::vector<std::vector<QString>> Grid(const TFormTimeAnaResult& form) {
    auto* grid = Find<QTableWidget>(&form, "TAGrid");
    std::vector<std::vector<QString>> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
      std::vector<QString> row;
      for (int c = 0; c < grid->columnCount(); ++c) {
        row.push_back(grid->item(r, c) != nullptr ? grid->item(r, c)->text() : QString());
      }
      rows.push_back(row);
      if (row[0].isEmpty()) {
        break;
      }
    }
    return rows;
  }
  static std::vector<std::vector<QString>> Expected(const std::vector<TRow>& rows) {
    std::vector<std::vector<QString>> expected;
    for (const TRow& row : rows) {
      expected.push_back({});
      for (const char* cell : row) {
        expected.back().push_back(QString::fromUtf8(cell));
      }
    }
    expected.push_back(std::vector<QString>(5)); // the first empty row
    return expected;
  }
};

TEST_F(TimeAnaResultTest, HasTheGridAndTheFourButtons) {
  TTimeAnalyzer analyzer;
  TFormTimeAnaResult form(analyzer);
  EXPECT_EQ(form.objectName(), QStringLiteral("FormTimeAnaResult"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("測定結果"));
  auto* grid = Find<QTableWidget>(&form, "TAGrid");
  EXPECT_EQ(grid->columnCount(), 5);
  EXPECT_EQ(grid->rowCount(), 256); // below the header row
  const char* headers[] = {"No.", "通過回数", "合計ms", "%", "1回平均ms"};
  const int widths[] = {30, 60, 57, 56, 70};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), QString::fromUtf8(headers[c]));
    EXPECT_EQ(grid->columnWidth(c), widths[c]);
  }
  EXPECT_EQ(grid->selectionMode(), QAbstractItemView::ContiguousSelection);
  EXPECT_EQ(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
  EXPECT_EQ(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
  EXPECT_FALSE(grid->verticalHeader()->isHidden()); // its edges resize the rows
  EXPECT_TRUE(grid->verticalHeaderItem(0)->text().isEmpty());
  EXPECT_EQ(Find<QPushButton>(&form, "BOrderByNum")->text(), QStringLiteral("番号順"));
  EXPECT_EQ(Find<QPushButton>(&form, "BOrderBySumTime")->text(), QStringLiteral("合計時間順"));
  EXPECT_EQ(Find<QPushButton>(&form, "BOrderByAverage")->text(), QStringLiteral("平均時間順"));
  EXPECT_EQ(Find<QPushButton>(&form, "BOrderByPassTime")->text(), QStringLiteral("通過回数順"));
  EXPECT_EQ(Grid(form), Expected({}));
}

TEST_F(TimeAnaResultTest, EachButtonOrdersTheSectionsAndRefreshesTheGrid) {
  TTimeAnalyzer analyzer;
  analyzer.Record(0, 2, 40);  // the reference: 100 %
  analyzer.Record(3, 8, 80);  // 10 ms a pass
  analyzer.Record(9, 1, 60);  // 60 ms a pass
  analyzer.Record(12, 3, 20); // never shown without passes:
  analyzer.Record(20, 0, 900);
  TFormTimeAnaResult form(analyzer);
  const TRow s0{"0", "2", "40", "100", "20"};
  const TRow s3{"3", "8", "80", "200", "10"};
  const TRow s9{"9", "1", "60", "150", "60"};
  const TRow s12{"12", "3", "20", "50", "6.66666666666667"};
  struct Case {
    const char* button;
    std::vector<TRow> rows;
  };
  const Case cases[] = {
      {"BOrderBySumTime", {s3, s9, s0, s12}},
      {"BOrderByAverage", {s9, s0, s3, s12}},
      {"BOrderByPassTime", {s3, s12, s0, s9}},
      {"BOrderByNum", {s0, s3, s9, s12}},
  };
  for (const Case& c : cases) {
    Find<QPushButton>(&form, c.button)->click();
    EXPECT_EQ(Grid(form), Expected(c.rows)) << c.button;
  }
}

TEST_F(TimeAnaResultTest, RefreshEmptiesRowsLeftFromBefore) {
  TTimeAnalyzer analyzer;
  analyzer.Record(1, 1, 5);
  analyzer.Record(2, 1, 7);
  TFormTimeAnaResult form(analyzer);
  ASSERT_EQ(Grid(form).size(), 3u);
  analyzer.Clear();
  analyzer.Record(0, 1, 0); // section 0 without time: no percentage
  form.Refresh();
  EXPECT_EQ(Grid(form), Expected({{"0", "1", "0", "", "0"}}));
  auto* grid = Find<QTableWidget>(&form, "TAGrid");
  for (int c = 0; c < 5; ++c) {
    EXPECT_TRUE(grid->item(1, c)->text().isEmpty());
    EXPECT_TRUE(grid->item(2, c)->text().isEmpty());
  }
}

TEST_F(TimeAnaResultTest, TheMainWindowOwnsAnAnalyzerAndShowsItsResults) {
  TMainForm main(settings, shell);
  main.show();
  TFormTimeAnaResult* result = main.TimeAnaResultForm();
  ASSERT_NE(result, nullptr);
  EXPECT_FALSE(result->isVisible());
  main.TA.Record(5, 2, 30);
  Find<QAction>(&main, "mmTimeAnaResult")->trigger();
  EXPECT_TRUE(result->isVisible());
  EXPECT_EQ(Grid(*result), Expected({{"5", "2", "30", "", "15"}}));
}

} // namespace
} // namespace zorbe
