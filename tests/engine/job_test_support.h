#pragma once
// What the sort-job tests share: a host that records what the job reports, and test texts.

#include "engine/sort_job.h"
#include "test_support.h"

#include <deque>
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
  bool AskOverwrite(const std::string& fileName) override {
    asked.push_back(fileName);
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

} // namespace zorbe::test
