#include "app/help_file.h"

#include "app/program_layout.h"

namespace zorbe {

std::string HelpFileName(const std::string& programFile) {
  return ProgramLayout(programFile).helpFile;
}

std::string HelpMissingMessage(const std::string& helpFile) {
  return "ヘルプファイル「" + helpFile + "」が見つかりません。\r\n" +
         "プログラムと同じフォルダに置いてください。";
}

std::string HelpNotOpenedMessage(const std::string& helpFile) {
  return "ヘルプファイル「" + helpFile + "」を開けませんでした。\r\n" +
         "HTML ファイルを開くブラウザが設定されているか確認してください。";
}

} // namespace zorbe
