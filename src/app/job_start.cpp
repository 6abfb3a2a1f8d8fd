#include "app/job_start.h"

#include "app/message_routine.h"
#include "app/message_texts.h"
#include "platform/file_system.h"

namespace zorbe {

std::string MissingFileMessage(const std::string& file) {
  return NotFoundMessage(file) + kAbortLine;
}

std::optional<TSortJobInputs> JobInputsFromRows(const std::vector<TTargetRow>& rows,
                                                const TSettingOptionItems& setting,
                                                const std::string& outputName) {
  TSortJobInputs inputs;
  inputs.setting = setting;
  inputs.outputName = outputName;
  for (const TTargetRow& row : rows) {
    if (!FileExists(row.file)) {
      ShowMessage(MissingFileMessage(row.file), TMsgKind::Error, TMsgButtons::OK);
      return std::nullopt;
    }
    inputs.files.push_back(row.file);
    inputs.codes.push_back(row.code);
  }
  return inputs;
}

} // namespace zorbe
