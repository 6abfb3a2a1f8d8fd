#include "app/setting_form_rules.h"

#include <utility>

namespace zorbe {
namespace {

constexpr int kUnordered = 2;

} // namespace

TSettingEnabling SettingEnabling(const TSettingControlState& state) {
  TSettingEnabling out;
  const bool ordered = state.sortDirection != kUnordered;
  out.charTypeOrder = ordered;
  out.classList = ordered && state.charTypeOrder;
  out.charPos = ordered;
  out.charPosCount = ordered && state.charPos;
  out.lineEndCount = out.charPosCount && state.charPosCount != 0;
  out.csvFields = state.csvSupport;
  out.pun = !state.csvSupport;
  out.outputFilename = !state.noConnected;
  return out;
}

TKeyChecks KeyChecksOnLoad(const TSettingOptionItems& setting) {
  TKeyChecks checks{setting.CsvSupport, setting.CharPos};
  if (checks.csvSupport && checks.charPos && setting.SortDirection != kUnordered) {
    checks.csvSupport = false;
  }
  return checks;
}

std::vector<std::string> SplitOrderOfRow(const std::string& orderOfRow) {
  std::vector<std::string> entries;
  if (orderOfRow.empty()) {
    return entries;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t semicolon = orderOfRow.find(';', start);
    entries.push_back(orderOfRow.substr(start, semicolon - start));
    if (semicolon == std::string::npos) {
      return entries;
    }
    start = semicolon + 1;
  }
}

std::string JoinOrderOfRow(const std::vector<std::string>& entries) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) {
      text += ';';
    }
    text += entries[i];
  }
  return text;
}

int MoveClassEntry(std::vector<std::string>& entries, int index, int step) {
  const int count = static_cast<int>(entries.size());
  const int target = index + step;
  if (index < 0 || index >= count || target < 0 || target >= count) {
    return index;
  }
  std::swap(entries[static_cast<std::size_t>(index)], entries[static_cast<std::size_t>(target)]);
  return target;
}

TReorderButtons ReorderButtons(bool listHasFocus, int selected, int count) {
  if (!listHasFocus || selected < 0 || selected >= count) {
    return {};
  }
  return {selected > 0, selected < count - 1};
}

} // namespace zorbe
