#pragma once
// What every stage of a sort job does between its steps: shows the phase it is in, counts the
// lines it has done, sees the user's stop and waits at the stop question's hold. The stages
// (target_stage.h, line_pass.h, the writers in sort_job.cpp) share one TJobSteps.
//
// A stop unwinds the job with EJobStopped; a failure the job has already told the user about
// (an invalid replacement rule) with EJobReported. Everything the job holds is released on the
// way.

#include "engine/sort_job.h"

#include <cstdint>
#include <string_view>

namespace zorbe {

struct EJobStopped {};
struct EJobReported {};

class TJobSteps {
public:
  TJobSteps(TSortJobHost& host, TJobControl& control) : host_(host), control_(control) {}

  TSortJobHost& Host() const { return host_; }
  TJobControl& Control() const { return control_; }

  // A new phase: its progress starts (with the amount of work it has, when known, and the input
  // bytes it stands for) and its status text is shown. While the runs of a text larger than
  // memory are made, every step of a piece but the replacement is shown as that one phase, with
  // the run and the share of the cycle filed.
  void SetStatus(const char* text, std::uint64_t total = 0, std::uint64_t inputBytes = 0) const {
    if (runs_.active && std::string_view(text) != kStatusReplacing) {
      control_.Progress().StartPhase(kStatusSortingRuns, runs_.total, runs_.total, runs_.filed,
                                     runs_.run);
      host_.ShowStatus(kStatusSortingRuns);
      return;
    }
    control_.Progress().StartPhase(text, total, inputBytes);
    host_.ShowStatus(text);
  }
  // Counts the line with this number (from 0, in any thread's own numbering) as done in the
  // current phase: the progress hears of the lines in steps.
  void ReportLine(std::uint64_t number) const {
    if (number % kProgressStep == kProgressStep - 1 && !runs_.active) {
      control_.Progress().Advance(kProgressStep);
    }
  }
  void CheckStop() const {
    if (control_.StopRequested()) {
      throw EJobStopped{};
    }
  }
  // Before an output replaces a file: waits while the user is asked whether to stop, and a stop
  // confirmed there discards the output, even one with no line left to write. (Other stops are
  // seen line by line, so an empty output is still made.)
  void PassHold() const {
    if (control_.Hold().Pass()) {
      CheckStop();
    }
  }

  // The runs of a cycle larger than memory: `total` bytes of targets are filed into runs.
  void StartRuns(std::uint64_t total) { runs_ = {true, total, 0, 1}; }
  void Filed(std::uint64_t bytes) {
    runs_.filed += bytes;
    control_.Progress().Advance(bytes);
  }
  void NextRun() { ++runs_.run; }
  void EndRuns() { runs_.active = false; }

private:
  TSortJobHost& host_;
  TJobControl& control_;
  struct {
    bool active = false;
    std::uint64_t total = 0;
    std::uint64_t filed = 0;
    std::uint64_t run = 0; // the run being made, from 1
  } runs_;
};

} // namespace zorbe
