#pragma once
// The texts of the program's messages, questions and status lines, byte for byte as the user
// sees them: lines joined by CR LF. Every window and the command line take them from here.

#include <string>

namespace zorbe {

// The last line of a message about an error that ends what was being done.
inline constexpr const char* kAbortLine = "\r\n処理を中止します。";

// The job and its end.
inline constexpr const char* kOverwriteQuestion =
    "同名のファイルが既に存在します。\r\n上書きしますか？";
// The overwrite question about a file: its name on a line above the fixed text.
inline std::string OverwriteQuestion(const std::string& name) {
  return "「" + name + "」\r\n" + kOverwriteQuestion;
}
// The question before replacing a file whose mode forbids writing it (default No).
inline std::string WriteProtectedQuestion(const std::string& name) {
  return "「" + name + "」は書き込み禁止です。上書きしますか？";
}
inline constexpr const char* kSortCancelledMessage = "ソートを中止しました。";
inline constexpr const char* kBusyMessage = "ソート中です。\r\nソート処理終了迄お待ち下さい。";
inline constexpr const char* kBadSettingWindowMessage =
    "設定ウィンドウが不正です。\r\n処理を中止します。";
inline constexpr const char* kStopQuestion = "ソートを中止しますか？";
inline constexpr const char* kAlreadyEndedMessage = "既にソートが終了しています。";
inline constexpr const char* kCloseWhileSortingQuestion = "ソート中です。\r\n強制終了しますか？";

// Files.
inline constexpr const char* kSearchingStatus = "検索中...しばらくお待ち下さい。";
inline constexpr const char* kDetectingStatus = "文字コード判定中...しばらくお待ち下さい。";
// The file dialogs' filter: text files, then every file.
inline constexpr const char* kTextFileFilter =
    "テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*";
// A "●" button beside an empty field, or beside a name that isn't a file.
inline constexpr const char* kNoTextFileMessage = "未入力またはテキストファイルが存在しません。";
inline constexpr const char* kForbiddenCharsMessage =
    "ファイル名には以下の文字を使用できません。\r\n\\/:,*?\"<>|\r\n\r\n"
    "使用できない文字は全て削除します。";
inline constexpr const char* kNoClipboardTextMessage = "テキストデータでは有りません。";

// "「name」は存在しません。": a file or folder that isn't there.
inline std::string NotFoundMessage(const std::string& name) {
  return "「" + name + "」は存在しません。";
}

// Settings and shortcuts.
inline constexpr const char* kNoSettingNameMessage = "ソート設定名が指定されていません。";
inline constexpr const char* kShortcutDeclinedMessage = "ショートカットの作成を中止しました。";
inline constexpr const char* kShortcutBadPlaceMessage =
    "ショートカットの作成が出来ませんでした。\r\n著作者までお問い合わせ下さい。";
inline constexpr const char* kShortcutCreatedMessage = "ショートカットを作成しました。";
inline constexpr const char* kShortcutFailedMessage = "ショートカットの作成に失敗しました。";

} // namespace zorbe
