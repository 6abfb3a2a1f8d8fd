#pragma once
// The input stage of a sort job for its targets: a target's bytes are read into the job's space,
// read in their code, made the internal form (job_input.h) and rewritten by the replacement
// rules, ready for the line pass.
//
// A target is read whole, or, in a cycle larger than memory, a piece of whole lines at a time
// (external_sort.h). Its code is the detected one when its bytes fit it (else the one other code
// they fit), or the code the user named for every target, which they must fit. The cycle's first
// target settles the rest of the output form (output_form.h).

#include "engine/external_sort.h"
#include "engine/job_input.h"
#include "engine/job_steps.h"
#include "engine/output_form.h"
#include "engine/sort_job.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace zorbe {

// Where a piece of a target's text starts: its byte offset in the file, and the lines before it.
struct TPiecePlace {
  std::uint64_t offset = 0;
  std::uint64_t lines = 0;
};

class TTargetStage {
public:
  TTargetStage(TSortJobInputs& inputs, const TSettingOptionItems& setting, TJobInput& input,
               TTextSpace& space, const TJobSteps& steps);

  // A new cycle: the bytes of its targets are counted from 0, and `form` is the output form its
  // first target settles.
  void StartCycle(TOutputForm& form) {
    form_ = &form;
    cycleBytes_ = 0;
  }
  // The bytes of the cycle's targets read so far.
  std::uint64_t CycleBytes() const { return cycleBytes_; }

  TCharCode CodeOf(std::size_t index) const {
    return index < inputs_.codes.size() ? inputs_.codes[index] : ccShiftJis;
  }
  bool HasRules() const { return rules_; }

  // A whole target, read, converted and replaced, its characters checked against the output.
  TSpaceText Whole(std::size_t index, bool firstOfCycle);

  // A target read in pieces: the reader of its bytes (the file, or the bytes read ahead).
  TPieceReader PieceReader(std::size_t index);
  // A piece read by it, made the internal form and checked; `code` is the code of the pieces
  // before (the detected one before the first), and `place` moves past the piece.
  TSpaceText Piece(std::size_t index, bool firstOfCycle, TSpaceText piece, TCharCode& code,
                   TPiecePlace& place);

  // Replacement rules work on a file's whole text: one too large to be replaced in the memory
  // left free (the text, and the rules' result twice) is refused rather than replaced in pieces.
  void RefuseReplacingTooLarge(std::size_t index) const;

private:
  TSpaceText Read(std::size_t index);
  TCharCode Code(std::size_t index, TCharCode code, std::string_view bytes,
                 std::uint64_t offset = 0) const;
  TInternalTarget Internal(std::size_t index, bool firstOfCycle, TCharCode code, TSpaceText text,
                           TPiecePlace place = {});
  TSpaceText Replaced(TSpaceText text);

  TSortJobInputs& inputs_;
  const TSettingOptionItems& setting_;
  TJobInput& input_;
  TTextSpace& space_;
  const TJobSteps& steps_;
  const bool rules_; // the setting's replacement file exists
  // The code the user named for every target (InputCode): read in it, never in another.
  const std::optional<TCharCode> named_;
  TOutputForm* form_ = nullptr;
  std::uint64_t cycleBytes_ = 0;
};

} // namespace zorbe
