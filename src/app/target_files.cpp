#include "app/target_files.h"

#include "app/desktop_link.h"
#include "platform/file_system.h"
#include "text/code_check.h"

#include <cerrno>
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
  if (IsTextCode(detectionResult)) {
    return {};
  }
  if (detectionResult == ccBinary) {
    return "「" + file + "」はテキストファイルではありません。";
  }
  if (detectionResult == ccUndecided) {
    return AmbiguousCodeMessage(file);
  }
  return "「" + file + "」は不明な文字コードです。";
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

std::string CannotOpenMessage(const std::string& file, int error) {
  if (error == ENOENT || error == EBUSY || error == ETXTBSY) {
    return "ファイル「" + file + "」は存在しないか使用中です。";
  }
  return "ファイル「" + file + "」を開けませんでした。\r\n" + FileErrorReason(error);
}

std::string NamedPipeSkippedMessage(const std::string& file) {
  return "「" + file + "」は名前付きパイプ (FIFO) なので、読み込みません。";
}

namespace {

// Whether a file may be listed: not a named pipe, and it opens for reading; else false after the
// message naming it and why.
bool Listable(const std::string& file, const MessageSink& showError) {
  std::string message;
  if (IsNamedPipe(file)) {
    message = NamedPipeSkippedMessage(file);
  } else if (const int error = OpenForReadingError(file); error != 0) {
    message = CannotOpenMessage(file, error);
  }
  if (!message.empty() && showError) {
    showError(message);
  }
  return message.empty();
}

} // namespace

std::optional<TCharCode> DetectTargetCode(const std::string& file, const MessageSink& showError) {
  if (!Listable(file, showError)) {
    return std::nullopt;
  }
  // The detector has its own message for a file that is gone meanwhile: that message is the
  // only one.
  bool reported = false;
  const TCharCode result = DetectCharCode(file, [&](const std::string& message) {
    reported = true;
    if (showError) {
      showError(message);
    }
  });
  return reported ? std::nullopt : std::optional<TCharCode>(result);
}

std::optional<TCharCode> AcceptedListCode(const std::string& file, const MessageSink& showError,
                                          std::optional<TCharCode> named) {
  if (named) {
    return Listable(file, showError) ? named : std::nullopt;
  }
  const std::optional<TCharCode> detected = DetectTargetCode(file, showError);
  if (!detected) {
    return std::nullopt;
  }
  const TCharCode result = *detected;
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
