#pragma once
// Saving and deleting a named setting from the settings window, with their questions and
// messages (all through the message routine).

#include "app/message_texts.h"
#include "settings/settings_file.h"

#include <functional>
#include <string>

namespace zorbe {

// Saves the controls' setting under `name`, asking first when the name exists. readControls
// fills `record` from the window's controls, which is then written. Returns whether the setting
// was written.
bool SaveSettingAsked(const TSettingsFile& settings, const std::string& name,
                      TSettingOptionItems& record,
                      const std::function<void(TSettingOptionItems&)>& readControls);

// Deletes the setting `name` after the question. Returns whether it was deleted.
bool DeleteSettingAsked(const TSettingsFile& settings, const std::string& name);

} // namespace zorbe
