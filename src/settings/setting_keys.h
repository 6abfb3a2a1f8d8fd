#pragma once
// The keys of a sort setting: one row per key, naming the record field it is kept in, its
// default and the settings window's control that shows it. The settings file reads and writes
// a section in this order, SettingDefaults() is built from it, and the settings window shows
// and reads every control named here, so a new key is one new field and one new row.

#include "settings/setting_option_items.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace zorbe {

using TSettingField =
    std::variant<std::uint8_t TSettingOptionItems::*, bool TSettingOptionItems::*,
                 std::int32_t TSettingOptionItems::*, std::string TSettingOptionItems::*>;

struct TSettingKey {
  const char* name; // the key in zorbe.ini
  TSettingField field;
  std::int32_t number; // the default of a number or a flag (0 or 1)
  const char* text;    // the default of a text
  // The object name of the settings window's control: a check box (flag), a drop-down list
  // (its index), a spin edit (number) or a text field. The sort method's radio buttons and the
  // class list are shown by rules of their own.
  const char* control;
};

// Every key, in the order a section is written.
std::span<const TSettingKey> SettingKeys();

} // namespace zorbe
