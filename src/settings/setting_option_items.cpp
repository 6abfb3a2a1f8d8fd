#include "settings/setting_option_items.h"

#include "settings/setting_keys.h"

#include <type_traits>

namespace zorbe {

TSettingOptionItems SettingDefaults(const std::string& name) {
  TSettingOptionItems record;
  record.SettingName = name;
  for (const TSettingKey& key : SettingKeys()) {
    std::visit(
        [&](auto member) {
          using T = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<T, std::string>) {
            record.*member = key.text;
          } else if constexpr (std::is_same_v<T, bool>) {
            record.*member = key.number != 0;
          } else {
            record.*member = static_cast<T>(key.number);
          }
        },
        key.field);
  }
  return record;
}

} // namespace zorbe
