// libFuzzer target for the command-line grammar: the input, split at NUL bytes, is the argument
// list. Whatever it holds, parsing ends in a request or a usage error, and the files are always
// among the arguments in their order. Without options, the files are exactly the trailing
// arguments, and the switch, the setting name and the output name take the arguments before
// them. An empty argument is refused, except as the output name after the switch and a
// setting's name, which then names no output (the default name is used).

#include "app/command_line.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zorbe::fuzz::Check;
using TNames = std::vector<std::string>;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const bool answerYes = (data[0] & 1) != 0;
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty()) {
    args.push_back(current);
  }
  const std::vector<std::string> names = {"一時設定", "A", "perFile", ""};
  std::vector<std::string> loaded;
  bool asked = false;
  const auto empties = std::count_if(args.begin(), args.end(), [](auto& a) { return a.empty(); });
  const bool anyEmpty = empties != 0;
  // After the switch and a setting's name, an empty argument names no output: the default name.
  const bool emptyOutput = empties == 1 && args.size() >= 3 &&
                           (args[0] == "/s" || args[0] == "/S") && !args[1].empty() &&
                           args[2].empty();
  // An argument that begins with "-" (other than "-" itself) is an option or ends them.
  const bool withOptions =
      std::any_of(args.begin(), args.end(), [](auto& a) { return a.size() > 1 && a[0] == '-'; });
  zorbe::TCommandLineRequest request;
  try {
    request = zorbe::ParseCommandLine(
        zorbe::ParseOptions(args), names,
        [&loaded](const std::string& name) {
          loaded.push_back(name);
          zorbe::TSettingOptionItems setting = zorbe::SettingDefaults(name);
          setting.NoConnected = name == "perFile";
          return setting;
        },
        [&](const std::string&) {
          asked = true;
          return answerYes;
        });
  } catch (const zorbe::ECommandLineUsage&) {
    // Empty arguments are refused before anything is read or asked; otherwise only options, or
    // standard output for more than one file of a per-file setting, are refused.
    const bool perFileToOutput =
        std::find(args.begin(), args.end(), "-") != args.end() && loaded == TNames{"perFile"};
    Check(emptyOutput || (anyEmpty ? loaded.empty() && !asked : withOptions || perFileToOutput));
    return 0;
  }
  if (emptyOutput && !withOptions) {
    Check(request.outputName.empty());
    Check(request.files == TNames(args.begin() + 3, args.end()));
    return 0;
  }
  Check(!anyEmpty || withOptions);
  // Every file is an argument, in order.
  auto next = args.begin();
  for (const std::string& file : request.files) {
    next = std::find(next, args.end(), file);
    Check(next != args.end());
    ++next;
  }
  if (withOptions) {
    return 0;
  }
  Check(loaded.size() == 1);
  Check(!asked || !request.files.empty()); // the last argument is never offered as the output
  const bool withSwitch = !args.empty() && (args[0] == "/s" || args[0] == "/S");
  const std::size_t skip = args.size() - std::min(args.size(), request.files.size());
  Check(request.files.size() <= args.size());
  Check(std::equal(request.files.begin(), request.files.end(),
                   args.begin() + static_cast<long>(skip)));
  Check(skip <= 3);
  Check(!asked || !withSwitch);
  Check(!(asked && request.setting.NoConnected));
  Check(request.outputName.empty() || request.outputName == args[skip - 1]);
  // Standard input first and no output named: standard output, which has no name.
  const bool inputFirst = !request.files.empty() && request.files[0] == "-";
  Check(!(request.outputName.empty() && inputFirst) || request.toStandardOutput);
  Check(!request.toStandardOutput || request.outputName.empty());
  return 0;
}
