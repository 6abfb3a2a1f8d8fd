#pragma once
// What the sort-job tests share: a host that records what the job reports, test texts and the
// kinds of setting the whole-job tests run.

#include "engine/sort_job.h"
#include "engine/sort_keys.h"
#include "test_support.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zorbe::test {

// Records the statuses and errors a job reports; answers the overwrite question from a script
// (`unscriptedAnswer` once it runs out) and requests the stop when the status `stopAt` shows.
class TRecordingHost : public TSortJobHost {
public:
  explicit TRecordingHost(TJobControl& control, bool unscriptedAnswer = false)
      : control_(control), unscriptedAnswer_(unscriptedAnswer) {}
  void ShowStatus(const std::string& statusText) override {
    statuses.push_back(statusText);
    if (statusText == stopAt) {
      control_.RequestStop();
    }
  }
  bool AskOverwrite(const std::string& fileName, bool writeProtected) override {
    asked.push_back(fileName);
    protectedAsked.push_back(writeProtected);
    if (answers.empty()) {
      return unscriptedAnswer_;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowReplacementError(int lineNumber, const std::string& message) override {
    errors.emplace_back(lineNumber, message);
  }

  std::vector<std::string> statuses;
  std::vector<std::string> asked;
  std::vector<bool> protectedAsked;
  std::deque<bool> answers;
  std::vector<std::pair<int, std::string>> errors;
  std::string stopAt;

private:
  TJobControl& control_;
  bool unscriptedAnswer_;
};

// UTF-8 lines as a text with `lineEnd` after each, in Shift-JIS (or left in UTF-8).
inline std::string Lines(const std::vector<std::string>& lines, bool shiftJis = true,
                         const std::string& lineEnd = "\r\n") {
  std::string text;
  for (const std::string& line : lines) {
    text += (shiftJis ? Sjis(line) : line) + lineEnd;
  }
  return text;
}

// Kinds of setting the whole-job tests run, each a change to the defaults: classes, direction,
// duplicates, folding, column and position keys, comments, blank lines and trimming, output
// code and line end, conversions.
struct TSettingKind {
  const char* name;
  std::function<void(TSettingOptionItems&)> set;
};

inline const std::vector<TSettingKind>& SettingKinds() {
  static const std::vector<TSettingKind> kinds = {
      {"defaults", [](TSettingOptionItems&) {}},
      {"one class, duplicates",
       [](TSettingOptionItems& s) {
         s.CharTypeOrder = false;
         s.Duplicate = true;
       }},
      {"descending, reversed classes, duplicates",
       [](TSettingOptionItems& s) {
         s.SortDirection = 1;
         s.OrderOfRow = "BA9876543210";
         s.Duplicate = true;
       }},
      {"descending, folded, duplicates",
       [](TSettingOptionItems& s) {
         s.SortDirection = 1;
         s.Distinction = true;
         s.Duplicate = true;
       }},
      {"folded, one class",
       [](TSettingOptionItems& s) {
         s.Distinction = true;
         s.CharTypeOrder = false;
       }},
      {"column key, duplicates",
       [](TSettingOptionItems& s) {
         s.CsvSupport = true;
         s.TargetCsvIndex = 1;
         s.Duplicate = true;
       }},
      {"space column key, not restored",
       [](TSettingOptionItems& s) {
         s.CsvSupport = true;
         s.CsvDelimiter = dkSpace;
         s.TargetCsvIndex = 2;
         s.InsertCsvIndex = 1;
         s.CsvNotRestore = true;
       }},
      {"TAB column key, trimmed",
       [](TSettingOptionItems& s) {
         s.CsvSupport = true;
         s.CsvDelimiter = dkTab;
         s.InsertCsvIndex = 2;
         s.FBSpaceDel = true;
       }},
      {"position key, folded duplicates",
       [](TSettingOptionItems& s) {
         s.CharPos = true;
         s.CharPosCount = 2;
         s.Distinction = true;
         s.Duplicate = true;
       }},
      {"position key from the end, descending",
       [](TSettingOptionItems& s) {
         s.CharPos = true;
         s.CharPosCount = 3;
         s.LineEndCount = true;
         s.SortDirection = 1;
       }},
      {"no order, column key, comments",
       [](TSettingOptionItems& s) {
         s.SortDirection = 2;
         s.CsvSupport = true;
         s.TargetCsvIndex = 1;
         s.CLTC = std::string("#"); // a literal here trips a false -Wrestrict in GCC 12
       }},
      {"blank lines, trimming, comments",
       [](TSettingOptionItems& s) {
         s.ReturnDel = true;
         s.FBSpaceDel = true;
         s.CLTC = std::string("#;//");
       }},
      {"EUC-JP output with LF, column key",
       [](TSettingOptionItems& s) {
         s.OutputCode = ocEucJp;
         s.OutputLineEnd = leLf;
         s.CsvSupport = true;
         s.TargetCsvIndex = 1;
       }},
      {"conversions, duplicates",
       [](TSettingOptionItems& s) {
         s.AlphaUL = 1;
         s.Num = 2;
         s.KataKana = 1;
         s.Duplicate = true;
       }},
  };
  return kinds;
}

} // namespace zorbe::test
