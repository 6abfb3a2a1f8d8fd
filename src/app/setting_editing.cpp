#include "app/setting_editing.h"

#include "app/message_routine.h"

namespace zorbe {
namespace {

std::string Quoted(const std::string& name) {
  return "ソート設定名「" + name + "」";
}

} // namespace

bool SaveSettingAsked(const TSettingsFile& settings, const std::string& name,
                      TSettingOptionItems& record,
                      const std::function<void(TSettingOptionItems&)>& readControls) {
  if (name.empty()) {
    ShowMessage(kNoSettingNameMessage, TMsgKind::Error, TMsgButtons::OK);
    return false;
  }
  if (settings.SortSettingExists(name) &&
      ShowMessage(Quoted(name) + "は、既に存在しています。\r\n上書きしますか？", TMsgKind::Warning,
                  TMsgButtons::YesNoDefaultNo) == TMsgResult::No) {
    ShowMessage(Quoted(name) + "を保存しませんでした。", TMsgKind::Information, TMsgButtons::OK);
    return false;
  }
  readControls(record);
  settings.SaveSortSetting(name, record);
  ShowMessage(Quoted(name) + "を保存しました。", TMsgKind::Information, TMsgButtons::OK);
  return true;
}

bool DeleteSettingAsked(const TSettingsFile& settings, const std::string& name) {
  if (name.empty()) {
    ShowMessage(kNoSettingNameMessage, TMsgKind::Error, TMsgButtons::OK);
    return false;
  }
  if (ShowMessage(Quoted(name) + "を、削除します。\r\n宜しいですか？", TMsgKind::Warning,
                  TMsgButtons::YesNoDefaultNo) != TMsgResult::Yes) {
    return false;
  }
  settings.DeleteSortSetting(name);
  ShowMessage(Quoted(name) + "を削除しました。", TMsgKind::Information, TMsgButtons::OK);
  return true;
}

} // namespace zorbe
