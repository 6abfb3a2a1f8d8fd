#include "settings/setting_option_items.h"

namespace zorbe {

TSettingOptionItems CurrentSetting;
TSettingOptionItems JobSetting;

TSettingOptionItems SettingDefaults(const std::string& name) {
  TSettingOptionItems record;
  record.SettingName = name;
  record.CharTypeOrder = true;
  record.OrderOfRow = kDefaultOrderOfRow;
  return record;
}

} // namespace zorbe
