#pragma once
// Starting a sort from the main window: the refusals, and the job inputs built from the rows.
//
// A refused start changes nothing: the window stays idle and the list keeps its rows.

#include "app/message_texts.h"
#include "engine/sort_job.h"
#include "text/char_code.h"

#include <optional>
#include <string>
#include <vector>

namespace zorbe {

// One row of the target list.
struct TTargetRow {
  std::string file;
  TCharCode code;
};

std::string MissingFileMessage(const std::string& file);

// The inputs of a job over the rows (in list order) with the setting and the output name, or
// nothing after telling the user (error, OK) about the first row whose file no longer exists.
std::optional<TSortJobInputs> JobInputsFromRows(const std::vector<TTargetRow>& rows,
                                                const TSettingOptionItems& setting,
                                                const std::string& outputName);

} // namespace zorbe
