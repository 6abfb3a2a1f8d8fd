#pragma once
// The errors of the regular-expression engine: a pattern that can't be compiled, and a search
// that was cancelled.
//
// Every syntax error carries one of the fixed Japanese messages below (UTF-8, shown to the user
// as they stand) and the 1-based byte position in the pattern where the scanner stood when the
// error was found. A pattern refused as a whole (too complex for the automaton budget) carries
// position 0.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zorbe {

class ERegExpParser : public std::runtime_error {
public:
  ERegExpParser(const std::string& message, std::uint32_t position)
      : std::runtime_error(message), position_(position) {}

  std::uint32_t Position() const { return position_; }

private:
  std::uint32_t position_;
};

// A search or a replacement that ended because its cancel flag was set.
class EGrepCancel : public std::runtime_error {
public:
  EGrepCancel() : std::runtime_error("CancelRequest") {}
};

namespace re_message {
inline constexpr const char* kBadDoubleByte = "不正な２バイト文字コードです。";
inline constexpr const char* kBackslashAtEnd = "\"\\\"の次には文字が必要です。";
inline constexpr const char* kBadHex = "不正な１６進数コード表記です。";
inline constexpr const char* kBadOctal = "不正な８進数コード表記です。";
inline constexpr const char* kNeedRightBracket = "右ブラケット\"]\"が必要です";
inline constexpr const char* kBadRange = "不正なキャラクタ範囲です";
inline constexpr const char* kEmptyClass = "不正なキャラクタクラス指定です。";
inline constexpr const char* kNeedRightParen = "右(閉じ)括弧が必要です";
inline constexpr const char* kNeedPrimary = "普通の文字、または左括弧\"(\"が必要です";
inline constexpr const char* kExtraCharacters = "正規表現に余分な文字があります";
// Not one of the syntax errors: the automaton would exceed the engine's budget.
inline constexpr const char* kTooComplex = "正規表現が複雑すぎます。";
} // namespace re_message

} // namespace zorbe
