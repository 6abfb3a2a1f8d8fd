#pragma once
// zorbe.ini: one section per named sort setting and the section "Option".
//
// Every operation opens the file afresh and every writing one rewrites it in one piece; nothing
// is cached between operations. The keys of both kinds of section, their order and defaults
// live in the tables of settings_file.cpp.

#include "settings/setting_option_items.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorbe {

inline constexpr const char* kSettingsFileName = "zorbe.ini";
inline constexpr const char* kOptionSection = "Option";

// The application options of the section "Option".
struct TOptions {
  int Top = -100; // -100: never stored, centre the main window
  int Left = 0;
  int Width = 0;
  int Height = 0;
  std::string DefaultSettingName;
  bool OnTheTop = false;
  bool SortedSoon = false;
  bool EditorOpen = false;
  std::string WaveFileName;
  bool Flash = false;
  int FlashSec = 1;
  std::string EditorPath;
  bool SortEndListViewClear = false;
  bool SettingWindowTab = false;
  // The replacement of "Open With" launchers written by earlier versions has been offered.
  bool OldLaunchersOffered = false;
  // The memory a sort may hold, in MiB; 0 (or less): the physical memory left free. A text that
  // needs more is sorted in runs on disk.
  int MemoryLimit = 0;

  bool operator==(const TOptions&) const = default;
};

// The memory limit of the options in bytes; 0 when none is set.
inline std::uint64_t MemoryLimitBytes(const TOptions& options) {
  return options.MemoryLimit > 0 ? static_cast<std::uint64_t>(options.MemoryLimit) << 20 : 0;
}

class TSettingsFile {
public:
  explicit TSettingsFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  // "一時設定", the section names in file order (without "Option" and "一時設定", compared
  // exactly), then one empty entry.
  std::vector<std::string> ListSortSettingNames() const;
  // The named setting; absent keys (or an absent section) take the defaults.
  TSettingOptionItems LoadSortSetting(const std::string& name) const;
  // Writes every field but the name under the section `name`; an empty name writes nothing.
  void SaveSortSetting(const std::string& name, const TSettingOptionItems& record) const;
  bool SortSettingExists(const std::string& name) const;
  void DeleteSortSetting(const std::string& name) const;

  TOptions LoadOptions() const;
  void SaveOptions(const TOptions& options) const;

private:
  std::string fileName_;
};

} // namespace zorbe
