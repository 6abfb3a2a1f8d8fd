#pragma once
// The application's side of a sort job: its questions and errors go to the message routine, and
// a No to the overwrite question sets the cancelled mark. A window names the job's phase in its
// caption (PhaseCaption), read from the job's progress.

#include "app/message_texts.h"
#include "engine/sort_job.h"

#include <string>

namespace zorbe {

class TAppJobHost : public TSortJobHost {
public:
  bool AskOverwrite(const std::string& fileName, bool writeProtected) override;
  void ShowReplacementError(int lineNumber, const std::string& message) override;

  // Set when the user answered No to the overwrite question (or stopped the job).
  bool Cancelled() const { return cancelled_; }
  void SetCancelled(bool cancelled) { cancelled_ = cancelled; }
  // With true an existing output is replaced without the question (the command line's --yes).
  void SetOverwriteWithoutAsking(bool overwrite) { overwriteWithoutAsking_ = overwrite; }

private:
  bool cancelled_ = false;
  bool overwriteWithoutAsking_ = false;
};

// The caption of a window while the job is in `phase` (one of its status texts).
inline std::string PhaseCaption(const std::string& phase) {
  return "Zorbe 2nd - " + phase;
}

// The message for a replacement rule whose pattern or replacement is invalid.
std::string ReplacementErrorMessage(int lineNumber, const std::string& message);

} // namespace zorbe
