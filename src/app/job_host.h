#pragma once
// The application's side of a sort job: its status goes to a caption, its questions and errors
// to the message routine, and a No to the overwrite question sets the cancelled mark.

#include "app/message_texts.h"
#include "engine/sort_job.h"

#include <functional>
#include <string>

namespace zorbe {

class TAppJobHost : public TSortJobHost {
public:
  // showCaption receives "Zorbe 2nd - " + the status text; it may be empty (no window).
  explicit TAppJobHost(std::function<void(const std::string&)> showCaption = {})
      : showCaption_(std::move(showCaption)) {}

  void ShowStatus(const std::string& statusText) override;
  bool AskOverwrite(const std::string& fileName, bool writeProtected) override;
  void ShowReplacementError(int lineNumber, const std::string& message) override;

  // Set when the user answered No to the overwrite question (or stopped the job).
  bool Cancelled() const { return cancelled_; }
  void SetCancelled(bool cancelled) { cancelled_ = cancelled; }
  // With true an existing output is replaced without the question (the command line's --yes).
  void SetOverwriteWithoutAsking(bool overwrite) { overwriteWithoutAsking_ = overwrite; }

private:
  std::function<void(const std::string&)> showCaption_;
  bool cancelled_ = false;
  bool overwriteWithoutAsking_ = false;
};

// The message for a replacement rule whose pattern or replacement is invalid.
std::string ReplacementErrorMessage(int lineNumber, const std::string& message);

} // namespace zorbe
