#pragma once
// The options of the command line: arguments that begin with "-", in the GNU style.
//
// Options may stand anywhere among the other arguments; "--" ends them, and a lone "-" is not an
// option but the name of standard input (or, after -o, of standard output). Long options may be
// shortened to any unambiguous prefix and take their value after "=" or as the next argument;
// short options may be grouped ("-yq") and take their value attached or as the next argument.
// Every argument that is not an option keeps its place in the positional grammar
// "[/s] [SETTING] [OUTPUT] FILE...", in order.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorbe {

// Arguments that can't be run as they are; the message says which one and why. The run ends
// with exit status 2, after the usage line on the console.
class ECommandLineUsage : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class TProgressWanted { Auto, Always, Never };

struct TCommandLineOptions {
  std::optional<std::string> output;  // -o, --output: no question, no positional output
  std::optional<std::string> setting; // --setting: no positional setting name
  bool yes = false;                   // -y, --yes: replace an existing output without asking
  bool batch = false;                 // --batch: never ask, never open a dialog; every answer No
  bool quiet = false;                 // -q, --quiet: errors only, no progress
  TProgressWanted progress = TProgressWanted::Auto; // --progress, --no-progress
  bool listSettings = false;                        // --list-settings
  bool detect = false;                              // --detect
  bool help = false;                                // --help
  bool version = false;                             // --version
  std::optional<std::uint64_t> memory;              // --memory=SIZE, in bytes
  std::optional<std::string> temporaryDirectory;    // --temporary-directory=DIR
  std::int32_t inputCode = 0; // --input-code=CODE: its InputCode value (text/input_code.h)
  std::optional<std::int32_t> numberOrder; // --number-order=N: the NumberOrder to use
  std::vector<std::string> operands;       // the arguments that are not options, in order
  std::vector<std::size_t> operandPlaces;  // the place of each among the arguments, from 0
};

// Splits the arguments (without the program name). Throws ECommandLineUsage for an unknown option,
// a missing or empty value, and --progress with --no-progress.
TCommandLineOptions ParseOptions(const std::vector<std::string>& args);

// The name "-" for standard input and output.
inline constexpr const char* kStandardStream = "-";

// The usage line, and the whole help text of `zorbe --help`.
extern const char* const kUsageLine;
std::string HelpText();

} // namespace zorbe
