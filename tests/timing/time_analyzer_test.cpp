#include "timing/time_analyzer.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace zorbe {
namespace {

std::vector<std::string> FirstColumn(const TTimeAnalyzer& analyzer) {
  std::vector<std::string> numbers;
  for (const auto& row : analyzer.Rows()) {
    numbers.push_back(row[0]);
  }
  return numbers;
}

TEST(TimeAnalyzer, RowsShowOnlyPassedSectionsWithTheirFigures) {
  TTimeAnalyzer analyzer;
  analyzer.Record(0, 2, 50);
  analyzer.Record(7, 4, 100);
  analyzer.Record(3, 3, 10);
  analyzer.Record(9, 0, 500); // never passed
  const auto rows = analyzer.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::array<std::string, 5>{"0", "2", "50", "100", "25"}));
  EXPECT_EQ(rows[1], (std::array<std::string, 5>{"3", "3", "10", "20", "3.33333333333333"}));
  EXPECT_EQ(rows[2], (std::array<std::string, 5>{"7", "4", "100", "200", "25"}));
}

TEST(TimeAnalyzer, OrderingsAreDescendingByTheirColumn) {
  TTimeAnalyzer analyzer;
  analyzer.Record(1, 10, 30); // average 3
  analyzer.Record(2, 1, 50);  // average 50
  analyzer.Record(3, 5, 40);  // average 8
  analyzer.OrderBySumTime();
  EXPECT_EQ(FirstColumn(analyzer), (std::vector<std::string>{"2", "3", "1"}));
  analyzer.OrderByAverage();
  EXPECT_EQ(FirstColumn(analyzer), (std::vector<std::string>{"2", "3", "1"}));
  analyzer.OrderByPassTime();
  EXPECT_EQ(FirstColumn(analyzer), (std::vector<std::string>{"1", "3", "2"}));
  analyzer.OrderByNumber();
  EXPECT_EQ(FirstColumn(analyzer), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(TimeAnalyzer, QuickSortOrdersRandomFiguresAndKeepsEverySection) {
  std::mt19937 random(1);
  for (int round = 0; round < 50; ++round) {
    TTimeAnalyzer analyzer;
    for (int s = 0; s < TTimeAnalyzer::kSections; ++s) {
      if (random() % 3 != 0) {
        analyzer.Record(s, static_cast<std::int32_t>(random() % 5 + 1),
                        static_cast<std::int32_t>(random() % 8));
      }
    }
    analyzer.OrderBySumTime();
    std::vector<int> order(analyzer.Order().begin(), analyzer.Order().end());
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int s = 0; s < TTimeAnalyzer::kSections; ++s) {
      ASSERT_EQ(sorted[s], s); // a permutation
    }
    for (int p = 1; p < TTimeAnalyzer::kSections; ++p) {
      ASSERT_GE(analyzer.Value(order[p - 1], TTimeAnalyzer::tcTotal),
                analyzer.Value(order[p], TTimeAnalyzer::tcTotal));
    }
  }
}

TEST(TimeAnalyzer, PercentWithoutReferenceTimeIsEmpty) {
  TTimeAnalyzer analyzer;
  analyzer.Record(5, 1, 10);
  EXPECT_EQ(analyzer.Rows()[0][TTimeAnalyzer::tcPercent], "");
  analyzer.Clear();
  EXPECT_TRUE(analyzer.Rows().empty());
}

TEST(TimeAnalyzer, EnterAndLeaveCountPasses) {
  TTimeAnalyzer analyzer;
  analyzer.Enter(4);
  analyzer.Leave(4);
  analyzer.Enter(4);
  analyzer.Leave(4);
  analyzer.Enter(300); // outside the sections: ignored
  analyzer.Leave(-1);
  EXPECT_EQ(analyzer.Section(4).passCount, 2);
  EXPECT_GE(analyzer.Section(4).total, 0);
  EXPECT_LT(analyzer.Section(4).total, 60000);
  // A second Leave, or a Leave never entered, is not a pass (nor a time since the clock's start).
  analyzer.Leave(4);
  analyzer.Leave(5);
  EXPECT_EQ(analyzer.Section(4).passCount, 2);
  EXPECT_EQ(analyzer.Section(5).passCount, 0);
  EXPECT_EQ(analyzer.Section(5).total, 0);
}

TEST(TimeAnalyzer, FiguresStopAtTheLargestValueInsteadOfWrapping) {
  TTimeAnalyzer analyzer;
  analyzer.Record(1, INT32_MAX, INT32_MAX - 5);
  analyzer.Record(1, 1, 10);
  EXPECT_EQ(analyzer.Section(1).passCount, INT32_MAX);
  EXPECT_EQ(analyzer.Section(1).total, INT32_MAX);
  EXPECT_EQ(analyzer.Rows()[0][TTimeAnalyzer::tcTotal], "2147483647");
}

TEST(TimeAnalyzer, FormatValue) {
  EXPECT_EQ(TTimeAnalyzer::FormatValue(200), "200");
  EXPECT_EQ(TTimeAnalyzer::FormatValue(2.5), "2.5");
  EXPECT_EQ(TTimeAnalyzer::FormatValue(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(TTimeAnalyzer::FormatValue(0.000001), "1E-6");
}

} // namespace
} // namespace zorbe
