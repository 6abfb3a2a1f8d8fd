#pragma once
// Starting a sort from the main window: the refusals, and the job inputs built from the rows.
//
// A refused start changes nothing: the window stays idle and the list keeps its rows.

#include "engine/sort_job.h"
#include "text/char_code.h"

#include <optional>
#include <string>
#include <vector>

namespace zorbe {

inline constexpr const char* kBusyMessage = "ソート中です。\r\nソート処理終了迄お待ち下さい。";
inline constexpr const char* kBadSettingWindowMessage =
    "設定ウィンドウが不正です。\r\n処理を中止します。";
inline constexpr const char* kStopQuestion = "ソートを中止しますか？";
inline constexpr const char* kAlreadyEndedMessage = "既にソートが終了しています。";
inline constexpr const char* kCloseWhileSortingQuestion = "ソート中です。\r\n強制終了しますか？";

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
