#include "settings/settings_file.h"

#include "settings/ini_file.h"
#include "settings/setting_keys.h"

#include <variant>

namespace zorbe {
namespace {

// A key of the section "Option" and the field it stores; the table order is the order keys are
// written in. The keys of a sort setting are in setting_keys.cpp.
template <typename Record> struct TKey {
  const char* name;
  std::variant<std::uint8_t Record::*, bool Record::*, std::int32_t Record::*,
               std::string Record::*>
      field;
};

using O = TOptions;
const TKey<TOptions> kOptionKeys[] = {
    {"Top", &O::Top},
    {"Left", &O::Left},
    {"Width", &O::Width},
    {"Height", &O::Height},
    {"DefaultSettingName", &O::DefaultSettingName},
    {"OnTheTop", &O::OnTheTop},
    {"SortedSoon", &O::SortedSoon},
    {"EditorOpen", &O::EditorOpen},
    {"WaveFileName", &O::WaveFileName},
    {"Flash", &O::Flash},
    {"FlashSec", &O::FlashSec},
    {"EditorPath", &O::EditorPath},
    {"SortEndListViewClear", &O::SortEndListViewClear},
    {"SettingWindowTab", &O::SettingWindowTab},
    {"OldLaunchersOffered", &O::OldLaunchersOffered},
    {"MemoryLimit", &O::MemoryLimit},
};

// Reads every key of the table into the record; `defaults` gives the value of an absent key.
template <typename Record, typename Keys>
void ReadKeys(const TIniFile& ini, const std::string& section, const Keys& keys,
              const Record& defaults, Record& record) {
  for (const auto& key : keys) {
    std::visit(
        [&](auto member) {
          using T = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<T, std::string>) {
            record.*member = ini.ReadString(section, key.name, defaults.*member);
          } else if constexpr (std::is_same_v<T, bool>) {
            record.*member = ini.ReadBool(section, key.name, defaults.*member);
          } else {
            // Integers keep the low bits of a wider value, as a cast to the field's type does.
            record.*member = static_cast<T>(ini.ReadInteger(section, key.name, defaults.*member));
          }
        },
        key.field);
  }
}

template <typename Record, typename Keys>
void WriteKeys(TIniFile& ini, const std::string& section, const Keys& keys, const Record& record) {
  for (const auto& key : keys) {
    std::visit(
        [&](auto member) {
          using T = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<T, std::string>) {
            ini.WriteString(section, key.name, record.*member);
          } else if constexpr (std::is_same_v<T, bool>) {
            ini.WriteBool(section, key.name, record.*member);
          } else {
            ini.WriteInteger(section, key.name, static_cast<long long>(record.*member));
          }
        },
        key.field);
  }
}

} // namespace

std::vector<std::string> TSettingsFile::ListSortSettingNames() const {
  std::vector<std::string> names{kTemporarySettingName};
  for (std::string& name : TIniFile::Load(fileName_).SectionNames()) {
    if (name != kOptionSection && name != kTemporarySettingName) {
      names.push_back(std::move(name));
    }
  }
  names.emplace_back();
  return names;
}

TSettingOptionItems TSettingsFile::LoadSortSetting(const std::string& name) const {
  const TSettingOptionItems defaults = SettingDefaults(name);
  TSettingOptionItems record = defaults;
  ReadKeys(TIniFile::Load(fileName_), name, SettingKeys(), defaults, record);
  return record;
}

void TSettingsFile::SaveSortSetting(const std::string& name,
                                    const TSettingOptionItems& record) const {
  if (name.empty()) {
    return;
  }
  TIniFile ini = TIniFile::Load(fileName_);
  WriteKeys(ini, name, SettingKeys(), record);
  ini.Save(fileName_);
}

bool TSettingsFile::SortSettingExists(const std::string& name) const {
  return TIniFile::Load(fileName_).SectionExists(name);
}

void TSettingsFile::DeleteSortSetting(const std::string& name) const {
  TIniFile ini = TIniFile::Load(fileName_);
  ini.EraseSection(name);
  ini.Save(fileName_);
}

TOptions TSettingsFile::LoadOptions() const {
  const TOptions defaults;
  TOptions options;
  ReadKeys(TIniFile::Load(fileName_), kOptionSection, kOptionKeys, defaults, options);
  return options;
}

void TSettingsFile::SaveOptions(const TOptions& options) const {
  TIniFile ini = TIniFile::Load(fileName_);
  WriteKeys(ini, kOptionSection, kOptionKeys, options);
  ini.Save(fileName_);
}

} // namespace zorbe
