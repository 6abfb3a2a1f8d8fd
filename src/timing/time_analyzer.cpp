#include "timing/time_analyzer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace zorbe {

TTimeAnalyzer::TTimeAnalyzer() {
  OrderByNumber();
}

std::int64_t TTimeAnalyzer::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TTimeAnalyzer::Enter(int section) {
  if (section >= 0 && section < kSections) {
    sections_[section].mark = NowMs();
  }
}

void TTimeAnalyzer::Leave(int section) {
  if (section < 0 || section >= kSections || sections_[section].mark == kNotEntered) {
    return;
  }
  const std::int64_t elapsed = NowMs() - sections_[section].mark;
  sections_[section].mark = kNotEntered;
  Record(section, 1, static_cast<std::int32_t>(std::min<std::int64_t>(elapsed, INT32_MAX)));
}

namespace {

// a + b within the 32-bit range: a long measurement stops at the largest value instead of
// turning negative.
std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
}

} // namespace

void TTimeAnalyzer::Record(int section, std::int32_t passes, std::int32_t milliseconds) {
  if (section < 0 || section >= kSections) {
    return;
  }
  sections_[section].passCount = SaturatedSum(sections_[section].passCount, passes);
  sections_[section].total = SaturatedSum(sections_[section].total, milliseconds);
}

void TTimeAnalyzer::Clear() {
  sections_ = {};
  OrderByNumber();
}

double TTimeAnalyzer::Value(int section, TColumn column) const {
  const TSection& s = sections_[section];
  if (s.passCount <= 0) {
    return 0;
  }
  switch (column) {
  case tcNumber:
    return section;
  case tcPassCount:
    return s.passCount;
  case tcTotal:
    return s.total;
  case tcPercent:
    if (sections_[0].total == 0) {
      return std::numeric_limits<double>::quiet_NaN();
    }
    return s.total * 100.0 / sections_[0].total;
  case tcAverage:
    return static_cast<double>(s.total) / s.passCount;
  }
  return 0;
}

void TTimeAnalyzer::OrderByNumber() {
  std::iota(order_.begin(), order_.end(), 0);
}
void TTimeAnalyzer::OrderBySumTime() {
  OrderBy(tcTotal);
}
void TTimeAnalyzer::OrderByAverage() {
  OrderBy(tcAverage);
}
void TTimeAnalyzer::OrderByPassTime() {
  OrderBy(tcPassCount);
}

void TTimeAnalyzer::OrderBy(TColumn column) {
  OrderByNumber();
  QuickSort(column, 0, kSections - 1);
}

// Descending. The pivot is the larger value of the first neighbouring pair that differs, so
// both parts are never empty; a range of equal values is done.
void TTimeAnalyzer::QuickSort(TColumn column, int left, int right) {
  auto value = [&](int position) { return Value(order_[position], column); };
  double pivot = 0;
  bool differs = false;
  for (int j = left + 1; j <= right && !differs; ++j) {
    if (value(j) != value(j - 1)) {
      pivot = std::max(value(j), value(j - 1));
      differs = true;
    }
  }
  if (!differs) {
    return;
  }
  int i = left;
  int k = right;
  for (;;) {
    while (value(i) >= pivot) {
      ++i;
    }
    while (value(k) < pivot) {
      --k;
    }
    if (k < i) {
      break;
    }
    std::swap(order_[i], order_[k]);
  }
  QuickSort(column, left, k);
  QuickSort(column, i, right);
}

std::string TTimeAnalyzer::FormatValue(double value) {
  if (std::isnan(value)) {
    return {};
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.15G", value);
  std::string formatted = text;
  // Exponents as "1E-6" rather than "1E-06".
  if (const std::size_t e = formatted.find('E'); e != std::string::npos) {
    std::string mantissa = formatted.substr(0, e);
    const int exponent = std::stoi(formatted.substr(e + 1));
    formatted = mantissa + "E" + std::to_string(exponent);
  }
  return formatted;
}

std::vector<std::array<std::string, 5>> TTimeAnalyzer::Rows() const {
  std::vector<std::array<std::string, 5>> rows;
  for (int section : order_) {
    if (sections_[section].passCount <= 0) {
      continue;
    }
    std::array<std::string, 5> row;
    for (int column = 0; column < 5; ++column) {
      row[column] = FormatValue(Value(section, static_cast<TColumn>(column)));
    }
    rows.push_back(row);
  }
  return rows;
}

} // namespace zorbe
