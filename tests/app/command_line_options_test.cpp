// Argument lists to what they ask for: the positional grammar with options mixed in anywhere,
// "--", "-" for the standard streams, and the usage errors.

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

using Args = std::vector<std::string>;

struct TParsed {
  std::string setting; // the name loaded
  std::string output;
  Args files;
  bool toStandardOutput = false;
  bool asked = false; // the output-name question was asked
};

// Parses with the saved settings "A", "per file" (NoConnected) and "-dash"; the output-name
// question is answered with `answer`.
TParsed Parse(const Args& args, bool answer = false) {
  const Args names = {"一時設定", "A", "per file", "-dash", ""};
  TParsed parsed;
  const TCommandLineRequest request = ParseCommandLine(
      ParseOptions(args), names,
      [&parsed](const std::string& name) {
        parsed.setting = name;
        TSettingOptionItems setting = SettingDefaults(name);
        setting.NoConnected = name == "per file";
        return setting;
      },
      [&](const std::string&) {
        parsed.asked = true;
        return answer;
      });
  parsed.output = request.outputName;
  parsed.files = request.files;
  parsed.toStandardOutput = request.toStandardOutput;
  return parsed;
}

TEST(CommandLineOptions, ArgumentListsToRequests) {
  const struct {
    Args args;
    bool answer;
    TParsed expected;
  } cases[] = {
      // The positional grammar as it was.
      {{"/s", "A", "out", "a", "b"}, false, {"A", "out", {"a", "b"}}},
      {{"A", "a", "b"}, true, {"A", "a", {"b"}, false, true}},
      {{"A", "a", "b"}, false, {"A", "", {"a", "b"}, false, true}},
      {{"a"}, true, {"ddDefault", "", {"a"}}},
      // -o: no question, no positional output, in any place.
      {{"-o", "out", "A", "a", "b"}, true, {"A", "out", {"a", "b"}}},
      {{"A", "a", "--output=out", "b"}, true, {"A", "out", {"a", "b"}}},
      {{"a", "-oout", "b"}, true, {"ddDefault", "out", {"a", "b"}}},
      {{"a", "--out", "out"}, true, {"ddDefault", "out", {"a"}}}, // an unambiguous prefix
      // --setting: no positional argument is a setting name.
      {{"--setting=A", "A", "b"}, false, {"A", "", {"A", "b"}, false, true}},
      {{"--setting", "-dash", "-o", "o", "a"}, false, {"-dash", "o", {"a"}}},
      {{"--setting=-dash", "/s", "o", "a"}, false, {"-dash", "o", {"a"}}},
      // "--" ends the options: what follows is positional even when it begins with "-".
      {{"-y", "--", "-dash", "-o", "x"}, false, {"-dash", "", {"-o", "x"}, false, true}},
      {{"--setting=A", "--", "-f.txt"}, true, {"A", "", {"-f.txt"}}},
      // "-" is standard input; as the first file without an output, the output is standard
      // output, and so is "-o -".
      {{"-o", "-", "-"}, false, {"ddDefault", "", {"-"}, true}},
      {{"--setting=A", "-", "b"}, true, {"A", "", {"-", "b"}, true}}, // "-" is never asked about
      {{"/s", "A", "-", "a"}, false, {"A", "", {"a"}, true}},
      {{"a", "-"}, false, {"ddDefault", "", {"a", "-"}, false, true}},
      {{"--setting=per file", "-"}, false, {"per file", "", {"-"}, true}},
  };
  for (const auto& c : cases) {
    const TParsed parsed = Parse(c.args, c.answer);
    std::string shown;
    for (const std::string& a : c.args) {
      shown += "[" + a + "]";
    }
    EXPECT_EQ(parsed.setting, c.expected.setting) << shown;
    EXPECT_EQ(parsed.output, c.expected.output) << shown;
    EXPECT_EQ(parsed.files, c.expected.files) << shown;
    EXPECT_EQ(parsed.toStandardOutput, c.expected.toStandardOutput) << shown;
    EXPECT_EQ(parsed.asked, c.expected.asked) << shown;
  }
}

TEST(CommandLineOptions, FlagsAreRead) {
  TCommandLineOptions o = ParseOptions({"-yq", "a", "--batch", "--progress"});
  EXPECT_TRUE(o.yes && o.quiet && o.batch);
  EXPECT_EQ(o.progress, TProgressWanted::Always);
  EXPECT_EQ(o.operands, (Args{"a"}));
  o = ParseOptions({"--no-progress", "--list-settings", "--detect", "--help", "--version"});
  EXPECT_EQ(o.progress, TProgressWanted::Never);
  EXPECT_TRUE(o.listSettings && o.detect && o.help && o.version);
  EXPECT_FALSE(o.yes || o.quiet || o.batch);
  o = ParseOptions({"--memory=256M", "--temporary-directory", "/big", "a"});
  EXPECT_EQ(o.memory, std::uint64_t{256} << 20);
  EXPECT_EQ(o.temporaryDirectory, "/big");
  EXPECT_FALSE(ParseOptions({"a"}).memory);
  EXPECT_EQ(ParseOptions({"--number-order=2", "a"}).numberOrder, 2);
  EXPECT_EQ(ParseOptions({"--number-order", "0", "a"}).numberOrder, 0);
  EXPECT_FALSE(ParseOptions({"a"}).numberOrder);
}

TEST(CommandLineOptions, UsageErrorsNameTheProblem) {
  const struct {
    Args args;
    std::string message; // a part of it
  } cases[] = {
      {{"--frobnicate", "a"}, "「--frobnicate」は不明なオプションです。"},
      {{"-x", "a"}, "「-x」は不明なオプションです。"},
      {{"a", "-o"}, "オプション「-o」には値が必要です。"},
      {{"a", "--setting"}, "オプション「--setting」には値が必要です。"},
      {{"-o", "", "a"}, "オプション「-o」の値が空です。"},
      {{"--setting=", "a"}, "オプション「--setting」の値が空です。"},
      {{"--progress", "--no-progress", "a"}, "同時に使えません"},
      {{"/s", "A", "x", "-o", "out", "a"}, "/s と -o (--output) は同時に使えません。"},
      {{"--setting=B", "a"},
       "ソート設定「B」はありません。\r\n保存されているソート設定:\r\n  A"}, // not 一時設定
      {{"--setting=a", "a"}, "ソート設定「a」はありません。"},               // letter case counts
      {{"--setting=per file", "-o", "o", "a"}, "NoConnected=1"},
      {{"--setting=per file", "-", "b"}, "複数のファイルを標準出力に書けません。"},
      {{"-y", "", "a"}, "2 番目の引数が空です。"},
      {{"--memory=2X", "a"}, "「2X」はメモリ量として使えません"},
      {{"--memory=0", "a"}, "「0」はメモリ量として使えません"},
      {{"--temporary-directory=", "a"}, "オプション「--temporary-directory」の値が空です。"},
      {{"--input-code=sjis2", "a"}, "「sjis2」は入力文字コードとして使えません (shift-jis, jis,"},
      {{"--number-order=3", "a"}, "「3」は数字の順序として使えません (0, 1, 2)。"},
      {{"--number-order=1x", "a"}, "「1x」は数字の順序として使えません"},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.args);
      ADD_FAILURE() << "no usage error: " << c.message;
    } catch (const ECommandLineUsage& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << e.what() << " / " << c.message;
    }
  }
}

} // namespace
} // namespace zorbe
