#pragma once
// One sort job: reads the target files, files their lines, orders them and writes the output, in
// the fixed order of steps below; each step is a stage of its own.
//
//   for each cycle (one for all files, or one per file with NoConnected):
//     the output form of the cycle's targets                                   output_form.h
//     for each file of the cycle: read, read in its code, the internal form,
//       the replacement pass (rule by rule over the whole text)               target_stage.h
//       the line pass: filters, conversions, keys, filing into class lists    line_pass.h
//     sort the class lists (in memory, or in runs on disk and merged)         line_sort.h,
//                                                                              external_sort.h
//     choose the output (maybe asking before overwriting), write each line
//       with its keys undone, duplicates left out, in the output code         line_sink.h
//
// The job reads only its inputs, reports its phases and asks its questions through its host,
// and polls the stop request after every line it files or writes and before every replacement
// rule (job_steps.h). Everything it holds is released on every path, and an output appears only
// when it is complete.

#include "engine/job_hold.h"
#include "engine/job_progress.h"
#include "engine/line_filters.h"
#include "engine/line_store.h"
#include "platform/file_system.h"
#include "settings/setting_option_items.h"
#include "text/char_code.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorbe {

struct TSortJobInputs {
  TSettingOptionItems setting;    // the job's own copy of the chosen setting
  std::vector<std::string> files; // full names of the target files, in list order
  std::vector<TCharCode> codes;   // the character code of each file
  std::string outputName;         // may be empty; the job writes back the name it used
  // The bytes of targets that can't be read twice (a pipe, a terminal), read while they were
  // examined, by their index in `files`: the job takes them instead of reading the file, and
  // gives their memory back once it has them.
  std::map<std::size_t, std::string> contents = {};
  // The memory a cycle's sort may hold, in bytes; 0: the physical memory left free. A cycle whose
  // text needs more is sorted in runs on disk and merged (external_sort.h).
  std::uint64_t memoryLimit = 0;
  // The folder for those runs; empty: $TMPDIR, else /var/tmp.
  std::string temporaryFolder = {};
};

// What the job asks of the side that started it. TSortThread runs the question and the error on
// the main thread and waits for them; it passes the status on to no one, since its owner reads
// the phase from the job's progress when it likes.
class TSortJobHost {
public:
  virtual ~TSortJobHost() = default;
  // The phase that starts now, on the job's thread.
  virtual void ShowStatus(const std::string& /*statusText*/) {}
  // The output file exists (and its mode forbids writing it, when `writeProtected`): true to
  // overwrite it. On false the job stops without writing.
  virtual bool AskOverwrite(const std::string& fileName, bool writeProtected) = 0;
  virtual void ShowReplacementError(int lineNumber, const std::string& message) = 0;
};

// The stop request, set from any thread and read by the job's; the replacement rules read the
// flag itself while they search, so a stop reaches a long search too.
class TJobControl {
public:
  void RequestStop();
  bool StopRequested() const { return stop_.load(); }
  const std::atomic<bool>& StopFlag() const { return stop_; }
  // How far the job has come; the job writes it, anyone may read it.
  TJobProgress& Progress() { return progress_; }
  const TJobProgress& Progress() const { return progress_; }
  // Held while the user is asked whether to stop: the job puts no output in place meanwhile.
  TJobHold& Hold() { return hold_; }
  const TJobHold& Hold() const { return hold_; }

private:
  TJobProgress progress_;
  TJobHold hold_;
  std::atomic<bool> stop_{false};
};

enum class TJobOutcome { Finished, Stopped, Failed };

struct TJobResult {
  TJobOutcome outcome = TJobOutcome::Finished;
  // For Failed: what went wrong, for the user; empty when the job has told the user itself (an
  // invalid replacement rule, through ShowReplacementError).
  std::string message;
  // For Finished: what the user should still know (characters replaced by 〓), or empty.
  std::string warning;
};

// Runs the whole job on the calling thread and reports how it ended.
TJobResult RunSortJob(TSortJobInputs& inputs, TSortJobHost& host, TJobControl& control);

// The status texts of the phases.
inline constexpr const char* kStatusReading = "ファイル読込中";
inline constexpr const char* kStatusConverting = "文字コード変換中";
inline constexpr const char* kStatusReplacing = "文字列置換中";
inline constexpr const char* kStatusLinePass = "文字処理中";
inline constexpr const char* kStatusSorting = "ソート中";
// A text larger than the memory budget: its runs are sorted, then merged into the output.
inline constexpr const char* kStatusSortingRuns = "ソート中 (分割)";
inline constexpr const char* kStatusMerging = "ソート中 (併合)";
inline constexpr const char* kStatusWriting = "ファイル書込中 + 文字処理中";

} // namespace zorbe
