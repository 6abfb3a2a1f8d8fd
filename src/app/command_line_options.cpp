#include "app/command_line_options.h"

#include "platform/memory.h"
#include "text/input_code.h"

#include <getopt.h>

#include <mutex>
#include <string_view>

namespace zorbe {

const char* const kUsageLine = "Usage: zorbe [OPTION]... [/s] [SETTING] [OUTPUT] FILE...\n";

namespace {

// The help, with the names of the input codes put in at {CODES}.
constexpr std::string_view kHelpTemplate =
    "Usage: zorbe [OPTION]... [/s] [SETTING] [OUTPUT] FILE...\n"
    "Sorts the lines of Japanese text files (Shift-JIS, JIS, EUC-JP, UTF-8, UTF-16,\n"
    "EUC-JIS-2004, Shift_JIS-2004, ISO-2022-JP-3). Only the order of the lines changes,\n"
    "unless the setting converts, trims or replaces text.\n"
    "\n"
    "  SETTING  a sort setting saved in zorbe.ini (exact name); otherwise \"ddDefault\"\n"
    "  OUTPUT   with /s, the output file (an empty argument: the default name);\n"
    "           without /s you are asked whether the argument after the setting\n"
    "           is the output file: Yes overwrites it with the sorted lines of\n"
    "           the other files\n"
    "  FILE     the files to sort, all into one output unless the setting sorts\n"
    "           each file by itself; a folder stands for the files below it\n"
    "           (named pipes in it are skipped), - for standard input; a named\n"
    "           pipe is read once its writer has opened it\n"
    "\n"
    "Options (anywhere among the arguments; -- ends them):\n"
    "  -o, --output=FILE   write to FILE (- for standard output); nothing is asked\n"
    "                      about the output name and no argument is taken as it\n"
    "      --setting=NAME  use the saved setting NAME; no argument is taken as a\n"
    "                      setting name\n"
    "      --input-code=CODE\n"
    "                      read every FILE in CODE instead of detecting its code:\n"
    "                      {CODES}\n"
    "      --number-order=N\n"
    "                      order numbers in lines: 0 by character codes, 1 digits\n"
    "                      by value (第2章 before 第10章), 2 kanji numerals too\n"
    "                      (二 before 十; words such as 一般 then sort as numbers);\n"
    "                      overrides the setting's NumberOrder\n"
    "  -y, --yes           replace an existing output without asking (also one\n"
    "                      whose mode forbids writing it)\n"
    "      --batch         never ask and never open a dialog: every question is\n"
    "                      answered No\n"
    "  -q, --quiet         show errors only, and no progress\n"
    "      --progress      show progress on standard error even when it is not a\n"
    "                      terminal (then one plain line per phase and per 10%)\n"
    "      --no-progress   never show progress\n"
    "      --memory=SIZE   sort in at most SIZE of memory (K, M or G; a bare number\n"
    "                      is MiB; default: MemoryLimit in zorbe.ini, else the\n"
    "                      physical memory left free); a larger text is sorted in\n"
    "                      runs on disk and merged, with the same output, except\n"
    "                      that with the setting's letter-case folding, lines equal\n"
    "                      but for case may come out in another order (and with\n"
    "                      duplicates removed, another of them may be kept)\n"
    "      --temporary-directory=DIR\n"
    "                      put those runs, and the copy of an output that is\n"
    "                      rewritten in place, in DIR (default: $TMPDIR, else\n"
    "                      /var/tmp)\n"
    "      --list-settings list the saved setting names, one a line\n"
    "      --detect        print the character code of each FILE; sort nothing\n"
    "      --help          show this help\n"
    "      --version       show the version\n"
    "\n"
    "As a filter: cat a.txt | zorbe --setting=NAME -o - - > sorted.txt\n"
    "(with - as the first FILE and no output named, the output is standard output;\n"
    "a file it is redirected to gets the whole output or is left as it was).\n"
    "\n"
    "An existing output keeps its mode, owner, group and links: it is replaced\n"
    "whole, or rewritten in place from a complete copy that is kept if the\n"
    "rewrite fails.\n"
    "\n"
    "Questions are answered on standard input (y, yes or はい for Yes; anything\n"
    "else or end of input for No); started from the desktop without a terminal,\n"
    "in dialogs. When standard input is one of the files, or with --batch, every\n"
    "question is answered No. To run unattended, name the output and answer\n"
    "every question No: zorbe --batch -o OUT FILE... (or /s ... </dev/null).\n"
    "Never pipe yes into zorbe. Ctrl+C stops the sort, removes its output and\n"
    "says ソートを中止しました。\n"
    "Exit status: 0 sorted, 1 error, 2 cancelled or unusable arguments.\n"
    "\n"
    "Without arguments, and with a display, the main window opens.\n";

} // namespace

std::string HelpText() {
  // The names fill lines of at most 80 columns, each indented like the option's text.
  constexpr std::string_view kIndent = "                      ";
  std::string names;
  std::size_t column = kIndent.size();
  for (std::size_t i = 0; i < InputCodes().size(); ++i) {
    const std::string name =
        std::string(InputCodes()[i].name) + (i + 1 < InputCodes().size() ? "," : "");
    if (!names.empty() && column + 1 + name.size() > 80) {
      names += "\n";
      names += kIndent;
      column = kIndent.size();
    } else if (!names.empty()) {
      names += ' ';
      ++column;
    }
    names += name;
    column += name.size();
  }
  std::string text(kHelpTemplate);
  const std::string_view mark = "{CODES}";
  text.replace(text.find(mark), mark.size(), names);
  return text;
}

namespace {

enum : int {
  kOptSetting = 0x100,
  kOptBatch,
  kOptProgress,
  kOptNoProgress,
  kOptListSettings,
  kOptDetect,
  kOptHelp,
  kOptVersion,
  kOptMemory,
  kOptTemporaryDirectory,
  kOptInputCode,
  kOptNumberOrder,
};

const option kLongOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"setting", required_argument, nullptr, kOptSetting},
    {"yes", no_argument, nullptr, 'y'},
    {"batch", no_argument, nullptr, kOptBatch},
    {"quiet", no_argument, nullptr, 'q'},
    {"progress", no_argument, nullptr, kOptProgress},
    {"no-progress", no_argument, nullptr, kOptNoProgress},
    {"list-settings", no_argument, nullptr, kOptListSettings},
    {"detect", no_argument, nullptr, kOptDetect},
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {"memory", required_argument, nullptr, kOptMemory},
    {"temporary-directory", required_argument, nullptr, kOptTemporaryDirectory},
    {"input-code", required_argument, nullptr, kOptInputCode},
    {"number-order", required_argument, nullptr, kOptNumberOrder},
    {nullptr, 0, nullptr, 0},
};

// The name of an option as the user would write it, for messages.
std::string OptionName(int value) {
  if (value > 0 && value < 0x100) {
    return std::string("-") + static_cast<char>(value);
  }
  for (const option& o : kLongOptions) {
    if (o.name != nullptr && o.val == value) {
      return std::string("--") + o.name;
    }
  }
  return "?";
}

std::string Value(int opt) {
  if (optarg == nullptr || optarg[0] == '\0') {
    throw ECommandLineUsage("オプション「" + OptionName(opt) + "」の値が空です。");
  }
  return optarg;
}

void SetProgress(TCommandLineOptions& options, TProgressWanted wanted) {
  if (options.progress != TProgressWanted::Auto && options.progress != wanted) {
    throw ECommandLineUsage("--progress と --no-progress は同時に使えません。");
  }
  options.progress = wanted;
}

// The options that take a value.
bool TakeValueOption(TCommandLineOptions& options, int opt) {
  switch (opt) {
  case 'o':
    options.output = Value(opt);
    return true;
  case kOptSetting:
    options.setting = Value(opt);
    return true;
  case kOptMemory:
    options.memory = ParseMemorySize(Value(opt));
    if (!options.memory) {
      throw ECommandLineUsage("「" + std::string(optarg) +
                              "」はメモリ量として使えません (例: 512M, 2G)。");
    }
    return true;
  case kOptTemporaryDirectory:
    options.temporaryDirectory = Value(opt);
    return true;
  case kOptInputCode:
    options.inputCode = InputCodeValueOfName(Value(opt));
    if (options.inputCode == 0) {
      throw ECommandLineUsage("「" + std::string(optarg) + "」は入力文字コードとして使えません (" +
                              InputCodeNames() + ")。");
    }
    return true;
  case kOptNumberOrder: {
    const std::string value = Value(opt);
    if (value.size() != 1 || value[0] < '0' || value[0] > '2') {
      throw ECommandLineUsage("「" + value + "」は数字の順序として使えません (0, 1, 2)。");
    }
    options.numberOrder = value[0] - '0';
    return true;
  }
  default:
    return false;
  }
}

// The switches: options without a value.
bool TakeSwitch(TCommandLineOptions& options, int opt) {
  switch (opt) {
  case 'y':
    options.yes = true;
    return true;
  case kOptBatch:
    options.batch = true;
    return true;
  case 'q':
    options.quiet = true;
    return true;
  case kOptProgress:
  case kOptNoProgress:
    SetProgress(options, opt == kOptProgress ? TProgressWanted::Always : TProgressWanted::Never);
    return true;
  case kOptListSettings:
    options.listSettings = true;
    return true;
  case kOptDetect:
    options.detect = true;
    return true;
  case kOptHelp:
    options.help = true;
    return true;
  case kOptVersion:
    options.version = true;
    return true;
  default:
    return false;
  }
}

// What getopt returned for an argument it could not take.
[[noreturn]] void RefuseOption(int opt, char* const argv[]) {
  if (opt == ':') {
    throw ECommandLineUsage("オプション「" + OptionName(optopt) + "」には値が必要です。");
  }
  // An unknown short option is in optopt; an unknown or ambiguous long one is the argument
  // getopt has just passed.
  const std::string name =
      optopt != 0 ? std::string("-") + static_cast<char>(optopt) : std::string(argv[optind - 1]);
  throw ECommandLineUsage("「" + name + "」は不明なオプションです。");
}

} // namespace

TCommandLineOptions ParseOptions(const std::vector<std::string>& args) {
  // getopt_long keeps its position in globals: one parse at a time.
  static std::mutex lock;
  const std::lock_guard guard(lock);
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("zorbe"));
  for (std::string& a : copies) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;
  optind = 0; // start afresh (glibc also re-reads its settings then)
  opterr = 0; // the messages below instead of getopt's own

  TCommandLineOptions options;
  for (int opt; (opt = getopt_long(argc, argv.data(), ":o:yq", kLongOptions, nullptr)) != -1;) {
    if (!TakeValueOption(options, opt) && !TakeSwitch(options, opt)) {
      RefuseOption(opt, argv.data());
    }
  }
  // getopt has moved the operands behind the options; each keeps its own string, by which its
  // place among the arguments is found.
  for (int i = optind; i < argc; ++i) {
    options.operands.emplace_back(argv[i]);
    for (std::size_t place = 0; place < copies.size(); ++place) {
      if (copies[place].data() == argv[i]) {
        options.operandPlaces.push_back(place);
      }
    }
  }
  return options;
}

} // namespace zorbe
