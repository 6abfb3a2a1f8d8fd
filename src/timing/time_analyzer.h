#pragma once
// A development instrument: pass counts and milliseconds for up to 256 numbered code sections,
// listed in one of four orders. Section 0 is the reference: every section's share is given as
// a percentage of section 0's total.
//
// Enter(s) and Leave(s) bracket a section; Rows() gives the figures as the result window shows
// them (only sections that were passed, in the current order). A Leave without its Enter counts
// nothing, and the figures stop at the largest 32-bit value instead of wrapping round.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbe {

class TTimeAnalyzer {
public:
  static constexpr int kSections = 256;
  static constexpr std::int64_t kNotEntered = -1;

  enum TColumn { tcNumber = 0, tcPassCount = 1, tcTotal = 2, tcPercent = 3, tcAverage = 4 };

  struct TSection {
    std::int64_t mark = kNotEntered; // when the section was entered, in milliseconds
    std::int32_t passCount = 0;
    std::int32_t total = 0; // milliseconds in all passes
  };

  TTimeAnalyzer();

  void Enter(int section);
  void Leave(int section);
  void Clear();
  // Adds figures directly (for sections measured elsewhere, and for tests).
  void Record(int section, std::int32_t passes, std::int32_t milliseconds);
  const TSection& Section(int section) const { return sections_[section]; }

  // A derived value of a section; 0 for a section never passed. The percentage has no value
  // while section 0 has no time: then it is NaN, shown as an empty cell.
  double Value(int section, TColumn column) const;

  void OrderByNumber();
  void OrderBySumTime();  // total, largest first
  void OrderByAverage();  // milliseconds per pass, largest first
  void OrderByPassTime(); // pass count, largest first
  const std::array<int, kSections>& Order() const { return order_; }

  // The five cells of each passed section, in the current order.
  std::vector<std::array<std::string, 5>> Rows() const;

  // A number as the grid shows it: up to 15 significant digits, integers without decimals.
  static std::string FormatValue(double value);

private:
  void OrderBy(TColumn column);
  void QuickSort(TColumn column, int left, int right);
  static std::int64_t NowMs();

  std::array<int, kSections> order_{};
  std::array<TSection, kSections> sections_{};
};

} // namespace zorbe
