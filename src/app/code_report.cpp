#include "app/code_report.h"

#include "app/target_files.h"
#include "platform/file_system.h"
#include "text/char_code.h"
#include "text/code_check.h"
#include "text/unicode_conversion.h"
#include "text/utf8_check.h"

#include <filesystem>

namespace zorbe {
namespace {

// The code a sort reads a detected text in, or a refusal.
struct TReadCode {
  TCharCode code;
  std::string reason;
};

TReadCode CodeAsRead(const std::string& file, TCharCode detected) {
  std::string bytes;
  try {
    bytes = ReadWholeFile(file);
  } catch (const EFileError& e) {
    return {ccEmptyOrUnreadable, e.what()};
  }
  if (detected == ccUtf8) {
    std::string_view text = bytes;
    if (text.starts_with(kUtf8ByteOrderMark)) {
      text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    if (!IsUtf8(text)) {
      return {ccEmptyOrUnreadable,
              "「" + file + "」は UTF-8 として正しくないバイトを含んでいます。"};
    }
    return {detected, {}};
  }
  if (IsUnicodeCode(detected)) {
    return {detected, {}};
  }
  const TCheckedCode checked = CheckCode(bytes, detected);
  if (checked.code != ccUndecided) {
    return {checked.code, {}};
  }
  if (checked.unfitAt == std::string::npos) {
    return {ccUndecided, AmbiguousCodeMessage(file)};
  }
  std::string reason = UnfitBytesMessage(file, checked.unfitAt);
  reason.resize(reason.find("\r\n"));
  return {ccUndecided, reason};
}

TCodeReportLine ReportFile(const std::string& file) {
  std::string reason;
  const std::optional<TCharCode> detected =
      DetectTargetCode(file, [&](const std::string& message) { reason = message; });
  if (!detected) {
    return {file + ": none", false, reason};
  }
  if (!IsTextCode(*detected)) {
    return {file + ": " + CharCodeName(*detected), false, ListRefusalMessage(file, *detected)};
  }
  const TReadCode read = CodeAsRead(file, *detected);
  const bool accepted = IsTextCode(read.code);
  return {file + ": " + (accepted ? CharCodeName(read.code) : "none"), accepted, read.reason};
}

} // namespace

std::vector<TCodeReportLine> CodeReport(const std::vector<std::string>& names) {
  std::vector<TCodeReportLine> lines;
  for (const std::string& name : names) {
    std::error_code ec;
    if (!std::filesystem::is_directory(name, ec)) {
      lines.push_back(ReportFile(name));
      continue;
    }
    std::vector<std::string> files;
    CollectFolderFiles(name, files, true);
    for (const std::string& file : files) {
      lines.push_back(ReportFile(file));
    }
  }
  return lines;
}

} // namespace zorbe
