#include "app/target_files.h"

#include "app/desktop_link.h"

#include <filesystem>

namespace zorbe {

std::vector<std::string> ExpandTargetNames(const std::vector<std::string>& names) {
  std::vector<std::string> work;
  for (const std::string& name : names) {
    std::error_code ec;
    if (!name.empty() && std::filesystem::is_directory(name, ec)) {
      CollectFolderFiles(name, work);
      continue;
    }
    work.push_back(name);
  }
  return work;
}

std::string ListRefusalMessage(const std::string& file, TCharCode detectionResult) {
  switch (detectionResult) {
  case ccShiftJis:
  case ccJis83:
  case ccJis78:
  case ccEuc:
    return {};
  case ccBinary:
    return "「" + file + "」はテキストファイルではありません。";
  case ccUtf16LE:
  case ccUtf16BE:
  case ccUtf8:
    return "「" + file + "」の文字コードは「" + CharCodeName(detectionResult) + "」です。\r\n" +
           "取り合えず、現バージョンでは「S-JIS、JIS、EUC」のみのサポートします。";
  default:
    return "「" + file + "」は不明な文字コードです。";
  }
}

std::optional<std::string> ListedFileName(const std::string& name, const MessageSink& showError) {
  if (!IsLinkFileName(name)) {
    return name;
  }
  TLinkTarget link = ResolveLinkFile(name);
  if (link.target.empty()) {
    if (showError) {
      showError(link.refusal);
    }
    return std::nullopt;
  }
  return std::move(link.target);
}

std::optional<TCharCode> AcceptedListCode(const std::string& file, const MessageSink& showError) {
  const TCharCode result = DetectCharCode(file, showError);
  const std::string refusal = ListRefusalMessage(file, result);
  if (!refusal.empty()) {
    if (showError) {
      showError(refusal);
    }
    return std::nullopt;
  }
  return result;
}

std::string FileCountText(std::size_t count) {
  return std::to_string(count) + " 個";
}

std::string NotLocalFileMessage(const std::string& url) {
  return "「" + url + "」はこのコンピュータ上のファイルではありません。\r\n" +
         "ファイルマネージャからローカルのファイルかフォルダをドロップして下さい。";
}

} // namespace zorbe
